#include "base/LmtSettings.h"
#include "common/LmtTestSupport.h"
#include "services/LmtAccessToken.h"

#include <QDateTime>
#include <QSettings>
#include <QtTest>

using namespace zendrel::lmt::setup;

namespace {

QByteArray tokenFor(const QByteArray &payload)
{
    const auto opts = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;
    return "eyJhbGciOiJIUzI1NiJ9." + payload.toBase64(opts) + ".c2lnbmF0dXJl";
}

QString stamp(qint64 secondsAgo, const QString &fraction = QString())
{
    return QDateTime::currentDateTime().addSecs(-secondsAgo).toString("yyyy-MM-dd hh:mm:ss")
        + fraction;
}

} // namespace

class TestLmtAccessToken : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void maskingHidesTheLocalPart()
    {
        QCOMPARE(LmtAccessToken::maskEmail("john.doe@example.com"), "jo*******example.com");
        QCOMPARE(LmtAccessToken::maskEmail("jo@x.org"), "***x.org");
        QCOMPARE(LmtAccessToken::maskEmail("john.doe@example.com").size(), 20);
        QCOMPARE(LmtAccessToken::maskEmail("abcdef@x.org"), "ab*****x.org");
        QCOMPARE(LmtAccessToken::maskEmail("no-at-sign"), "no-at-sign");

        QCOMPARE(LmtAccessToken(tokenFor(R"({"sub":"abcdef@x.org"})"), "3600", "").userEmail(),
            "ab*****x.org");
        QCOMPARE(LmtAccessToken(tokenFor(R"({"name":"x"})"), "3600", "").userEmail(), QString());
        QCOMPARE(LmtAccessToken("only.two", "3600", "").userEmail(), QString());
        QCOMPARE(LmtAccessToken(tokenFor("not json"), "3600", "").userEmail(), QString());
    }

    void restoreKeepsValidAndDropsExpiredTokens()
    {
        lmttest::LogCapture capture;
        const QByteArray secret = tokenFor(R"({"sub":"a@b.c"})");

        LmtAccessToken(secret, "3600", stamp(10, ".123456")).save();
        LmtAccessToken fresh;
        QVERIFY(fresh.restore());
        QCOMPARE(fresh.accessToken(), secret);

        // Exactly at the limit the token counts as expired.
        LmtAccessToken(secret, "100", stamp(100)).save();
        LmtAccessToken expired;
        QVERIFY(expired.restore());
        QVERIFY(!expired.isValid());
        QVERIFY(capture.contains(
            "[LmtAccessToken] The stored access token is expired - discarding this token"));
        QVERIFY(!applicationSettings().contains("LmtAccessToken/accessToken"));

        LmtAccessToken(secret, "100", "yesterday").save();
        LmtAccessToken unparsable;
        QVERIFY(unparsable.restore());
        QVERIFY(unparsable.isValid());
        QVERIFY(capture.contains("receivedAt time value is not valid"));

        // A non-numeric lifetime reads as zero: expired at once.
        LmtAccessToken(secret, "soon", stamp(0)).save();
        LmtAccessToken zeroLifetime;
        zeroLifetime.restore();
        QVERIFY(!zeroLifetime.isValid());

        LmtAccessToken empty;
        QVERIFY(!empty.restore());

        for (const QString &line : capture.lines())
            QVERIFY2(!line.contains(QString::fromLatin1(secret)), qPrintable(line));
    }
};

QTEST_MAIN(TestLmtAccessToken)
#include "tst_LmtAccessToken.moc"
