#include "base/LmtSettings.h"
#include "common/LmtFakeLauncher.h"
#include "common/LmtTableRows.h"
#include "services/LmtAccessToken.h"

#include <QtTest>

using namespace zendrel::lmt::setup;
using lmttest::rowsFrom;

class TestLmtAccessToken : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void addressIsMaskedUpToTheAt_data() { rowsFrom("services/token-masks.json"); }
    void addressIsMaskedUpToTheAt()
    {
        QFETCH(QJsonObject, row);
        const QByteArray token = row.contains("subject")
            ? lmttest::tokenWithSubject(row["subject"].toString())
            : row["token"].toString().toUtf8();
        QCOMPARE(LmtAccessToken(token, "3600", "").userEmail(), row["shown"].toString());
    }

    void restoreDropsExpiredTokens_data() { rowsFrom("services/token-expiry.json"); }
    void restoreDropsExpiredTokens()
    {
        QFETCH(QJsonObject, row);
        const bool valid = row["valid"].toBool();
        lmttest::LogCapture capture;
        const QByteArray secret = lmttest::tokenWithSubject("a@b.c");
        const QString receivedAt = row.contains("receivedAt") ? row["receivedAt"].toString()
                                                              : QDateTime::currentDateTime()
                                                                    .addSecs(-row["age"].toInt())
                                                                    .toString("yyyy-MM-dd hh:mm:ss")
                + row["fraction"].toString();
        LmtAccessToken(secret, row["expiresIn"].toString(), receivedAt).save();

        LmtAccessToken restored;
        QVERIFY(restored.restore());
        QCOMPARE(restored.accessToken(), valid ? secret : QByteArray());
        QCOMPARE(restored.isValid(), valid);
        QCOMPARE(applicationSettings().contains("LmtAccessToken/accessToken"), valid);
        QCOMPARE(capture.contains("[LmtAccessToken] The stored access token is expired - "
                                  "discarding this token"),
            !valid);
        QCOMPARE(
            capture.contains("receivedAt time value is not valid"), row.contains("receivedAt"));
        for (const QString &line : capture.lines())
            QVERIFY2(!line.contains(QString::fromLatin1(secret)), qPrintable(line));
        LmtAccessToken().save();
        QVERIFY(!LmtAccessToken().restore()); // nothing stored
    }
};

QTEST_MAIN(TestLmtAccessToken)
#include "tst_LmtAccessToken.moc"
