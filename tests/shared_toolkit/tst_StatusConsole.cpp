#include "common/LmtTableRows.h"
#include "shared_toolkit/StatusConsole.h"
#include "shared_toolkit/StatusConsoleFeed.h"

#include <QtTest>
#include <QtWidgets>

using namespace zendrel::lmt::shared_toolkit;
using lmttest::rowsFrom;

namespace {

// The panel as the user sees it: one "colour text" entry per paragraph.
QStringList shown(const StatusConsole &console)
{
    static const QMap<QRgb, QString> names { { QColor(230, 172, 0).rgb(), "amber" },
        { QColor(204, 51, 0).rgb(), "red" }, { QColor(0, 100, 0).rgb(), "green" },
        { QColor(Qt::black).rgb(), "black" }, { QColor(Qt::white).rgb(), "white" } };
    QStringList result;
    for (QTextBlock block = console.document()->begin(); block.isValid(); block = block.next()) {
        QString colour = "none";
        if (block.begin() != block.end()) {
            const QColor c = block.begin().fragment().charFormat().foreground().color();
            colour = names.value(c.rgb(), c.name());
        }
        result << colour + " " + block.text();
    }
    return result;
}

ConsoleMessageType typeOf(const QJsonValue &name)
{
    static const QStringList types { "Normal", "Warning", "ErrorOutput", "Error", "Success",
        "Auto" };
    return ConsoleMessageType(types.indexOf(name.toString()));
}

QString counts(const StatusConsole &console)
{
    const auto n
        = [&](ConsoleMessageType type) { return QString::number(console.messageCount(type)); };
    return QString("A%1 N%2 S%3 W%4 E%5").arg(n(Auto), n(Normal), n(Success), n(Warning), n(Error));
}

} // namespace

class TestStatusConsole : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    // Stands in for the desktop's handler of https links.
    void openOnDesktop(const QUrl &link) { m_openedOnDesktop << link; }

private Q_SLOTS:
    // Each message is shown split into lines, each line classified and prefixed once; the
    // transcript keeps the message without the prefixes. "unsplit" turns line splitting off.
    void messagesAreClassifiedAndColoured_data() { rowsFrom("shared_toolkit/messages.json"); }
    void messagesAreClassifiedAndColoured()
    {
        QFETCH(QJsonObject, row);
        const QString text = row["text"].toString();
        // On a dark palette the text that is black on a light one is white.
        const QPalette original = QApplication::palette();
        if (row["dark"].toBool())
            QApplication::setPalette(QPalette(QColor(30, 30, 30))); // light text on dark
        StatusConsole console;
        QApplication::setPalette(original);
        QCOMPARE(console.isLightPalette(), !row["dark"].toBool());
        if (row["unsplit"].toBool()) // lines are split by default
            console.setLineSplitting(false);
        console.append(text, typeOf(row["type"]));
        QCOMPARE(shown(console), row["shown"].toVariant().toStringList());
        QCOMPARE(counts(console), row["counts"].toString());
        QCOMPARE(console.transcript(), row["transcript"].toString(text));
    }

    // Quoted text, paths and URLs are cut before a line is classified.
    void linesAreJudgedOnTheirCleanedText_data() { rowsFrom("shared_toolkit/console-lines.json"); }
    void linesAreJudgedOnTheirCleanedText()
    {
        QFETCH(QJsonObject, row);
        const QString text = row.take("text").toString();
        StatusConsole console;
        const QJsonObject judged { { "case", row["case"] }, { "error", console.isErrorLine(text) },
            { "warning", console.isWarningLine(text) }, { "success", console.isSuccessLine(text) },
            { "cleaned", console.cleanText(text) } };
        for (const QString &key : row.keys())
            QCOMPARE(judged[key].toVariant(), row[key].toVariant());
    }

    void flagsModesClearAllAndTranscriptFile()
    {
        QTemporaryDir dir;
        StatusConsole console;
        console.resize(400, 200);
        console.show();
        QVERIFY(console.openTranscriptFile(dir.filePath("console.txt")));
        console.append("old", Normal);
        console.append("a", Normal, StatusConsole::EmptyLineBefore | StatusConsole::EmptyLineAfter);
        QCOMPARE(console.toPlainText(), "old\n\na\n");
        console.append("b", Normal, StatusConsole::ClearFirst);
        QCOMPARE(console.toPlainText(), "b");
        console.append("hidden from transcript", Normal, StatusConsole::NotInTranscript);
        console.append("", Normal);
        QCOMPARE(console.messageCount(Normal), 4);
        QCOMPARE(console.transcript(), "olda\nb");

        // A real right click: the menu keeps the view's own entries and ends in "Clear All",
        // which empties the panel but keeps the transcript and the counts.
        QPointer<QMenu> shownMenu;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!popup)
                return;
            shownMenu = popup;
            if (popup->actions().size() > 1 && popup->actions().constLast()->text() == "Clear All")
                popup->actions().constLast()->trigger();
            popup->close();
        });
        poll.start(20);
        QContextMenuEvent event(
            QContextMenuEvent::Mouse, QPoint(5, 5), console.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(console.viewport(), &event);
        poll.stop();
        QCOMPARE(console.toPlainText(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(shownMenu.isNull(), 5000);
        QCOMPARE(console.transcript() + counts(console), "olda\nbA0 N4 S0 W0 E0");
        console.appendMessage("x", Normal, 0, StatusConsole::InsertAtCursor);
        console.appendMessage("y", Warning, 0, StatusConsole::InsertAtCursor);
        QCOMPARE(console.toPlainText(), "xWARNING:y");
        console.appendMessage("replaced\n", Normal, 0, StatusConsole::ReplaceAll);
        QCOMPARE(console.toPlainText(), "replaced\n");
        QCOMPARE(console.transcript(), "olda\nbxyreplaced\n");

        QCOMPARE(lmttest::readTextFile(dir.filePath("console.txt")), console.transcript());
        QVERIFY(!console.openTranscriptFile(dir.filePath("missing/folder/x.txt")));
    }

    void manyAtOnceShowTheSameAsOneByOne_data() { rowsFrom("shared_toolkit/console-batches.json"); }
    void manyAtOnceShowTheSameAsOneByOne()
    {
        QFETCH(QJsonObject, row);
        const bool lineSplitting = !row["unsplit"].toBool();
        static const QStringList flagNames { "ClearFirst", "EmptyLineBefore", "EmptyLineAfter",
            "NotInTranscript" };
        QList<StatusConsole::Message> messages;
        for (const QJsonValue &message : row["messages"].toArray()) {
            int flags = 0;
            for (const QJsonValue &flag : message["flags"].toArray())
                flags |= 1 << flagNames.indexOf(flag.toString());
            messages.append({ message["text"].toString(), typeOf(message["type"]), flags });
        }
        StatusConsole oneByOne, atOnce;
        oneByOne.setLineSplitting(lineSplitting);
        atOnce.setLineSplitting(lineSplitting);
        for (const StatusConsole::Message &message : messages)
            oneByOne.append(message.text, message.type, message.flags);
        atOnce.append(messages);

        const auto seen = [](const StatusConsole &c) {
            return QVariantList { c.document()->toHtml(), c.transcript(), counts(c),
                c.textCursor().position(), QVariant::fromValue(c.textCursor().charFormat()) };
        };
        QCOMPARE(seen(atOnce), seen(oneByOne));
    }

    void feedShowsWhatCameInOneTurnTogetherAndInOrder()
    {
        StatusConsole console;
        console.setLineSplitting(false);
        auto *feed = new StatusConsoleFeed(&console);
        // More than a turn can show: the rest comes in the next turns, in order.
        const int count = 20000;
        for (int i = 0; i < count; ++i)
            feed->append(QStringLiteral("line %1\n").arg(i), i % 2 ? Warning : Auto);
        QVERIFY(console.toPlainText().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(console.document()->blockCount(), count, 30000);
        const QStringList lines = shown(console);
        QCOMPARE(lines.mid(0, 2) + lines.mid(count - 2),
            QStringList({ "black line 0", "amber WARNING:line 1", "black line 19998",
                "amber WARNING:line 19999" }));
    }

    // A real click on a link announces it, and the panel opens it on the desktop only with both
    // switches on. Dragging across the link selects its text and is no click.
    void clickedLinksAreAnnouncedAndOpenedWhenAllowed_data()
    {
        rowsFrom("shared_toolkit/link-clicks.json");
    }
    void clickedLinksAreAnnouncedAndOpenedWhenAllowed()
    {
        QFETCH(QJsonObject, row);
        const bool drag = row["drag"].toBool();
        const int opened = row["opened"].toBool();
        StatusConsole console;
        console.resize(400, 200);
        console.show();
        QVERIFY(QTest::qWaitForWindowExposed(&console));
        // Both switches are on by default.
        if (!row["openLinks"].toBool())
            console.setOpenLinks(false);
        if (!row["openExternalLinks"].toBool())
            console.setOpenExternalLinks(false);
        console.append("plain line", Normal);
        console.append("Read <a href=\"https://guide.example/setup\">the user guide</a>.", Normal);
        const auto pointAt = [&](const QString &text) {
            QTextCursor cursor(console.document());
            cursor.setPosition(console.toPlainText().indexOf(text));
            return console.cursorRect(cursor).center();
        };
        QTest::mouseMove(console.viewport(), pointAt("plain"));
        const Qt::CursorShape offLink = console.viewport()->cursor().shape();
        QTest::mouseMove(console.viewport(), pointAt("user"));
        QCOMPARE(console.viewport()->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(offLink != Qt::PointingHandCursor && console.isReadOnly());

        m_openedOnDesktop.clear();
        QDesktopServices::setUrlHandler("https", this, "openOnDesktop");
        QSignalSpy announced(&console, &StatusConsole::anchorClicked);
        if (drag) {
            QTest::mousePress(console.viewport(), Qt::LeftButton, {}, pointAt("user"));
            QTest::mouseMove(console.viewport(), pointAt("gui"));
            QTest::mouseRelease(console.viewport(), Qt::LeftButton, {}, pointAt("ide"));
        } else {
            QTest::mouseClick(console.viewport(), Qt::LeftButton, {}, pointAt("user"));
        }
        QDesktopServices::unsetUrlHandler("https");
        const QList<QUrl> expected(opened || !drag ? 1 : 0, QUrl("https://guide.example/setup"));
        QCOMPARE(
            announced.size() ? QList<QUrl> { announced[0][0].toUrl() } : QList<QUrl> {}, expected);
        QCOMPARE(m_openedOnDesktop, expected.mid(0, opened));
    }

private:
    QList<QUrl> m_openedOnDesktop;
};

QTEST_MAIN(TestStatusConsole)
#include "tst_StatusConsole.moc"
