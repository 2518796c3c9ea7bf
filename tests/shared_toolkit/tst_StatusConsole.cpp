#include "common/LmtTestSupport.h"
#include "shared_toolkit/StatusConsole.h"
#include "shared_toolkit/StatusConsoleFeed.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

using namespace zendrel::lmt::shared_toolkit;

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

QString counts(const StatusConsole &console)
{
    return QString("A%1 N%2 S%3 W%4 E%5")
        .arg(console.messageCount(Auto))
        .arg(console.messageCount(Normal))
        .arg(console.messageCount(Success))
        .arg(console.messageCount(Warning))
        .arg(console.messageCount(Error));
}

} // namespace

class TestStatusConsole : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The default palette of the offscreen platform is light.
        StatusConsole console;
        QVERIFY(console.isLightPalette());
        QVERIFY(console.openLinks());
        QVERIFY(console.openExternalLinks());
        QVERIFY(console.isReadOnly());
        QVERIFY(console.lineSplitting());
    }

    // Each message is shown split into lines, each line classified and prefixed once; the
    // transcript keeps the message without the prefixes (its lines trimmed, when split).
    void messagesAreClassifiedAndColoured_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("paragraphs");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QString>("transcript"); // empty: the text as it is
        const auto row
            = [](const char *name, const QString &text, int type, const QStringList &paragraphs,
                  const char *counts, const QString &transcript = {}) {
                  QTest::newRow(name) << text << type << paragraphs << counts << transcript;
              };
        // Types above 99 are shown without line splitting, which picks out success only.
        row("unsplit error", "Build error in module", 100 + Auto, { "black Build error in module" },
            "A1 N0 S0 W0 E0");
        row("unsplit success", "Successfully created package\nnext step", 100 + Auto,
            { "green Successfully created package", "black next step" }, "A0 N1 S1 W0 E0",
            "Successfully created package\nnext step\n");
        row("unsplit warning", "worker warning\nsecond line", 100 + Auto,
            { "black worker warning", "black second line" }, "A1 N0 S0 W0 E0");
        row("unsplit error output", "linker failed", 100 + ErrorOutput, { "black linker failed" },
            "A0 N0 S0 W0 E0");
        row("error", "the build failed with code 3", Auto,
            { "red ERROR:the build failed with code 3" }, "A0 N0 S0 W0 E1",
            "the build failed with code 3\n");
        row("warning", "disk warning: space is low", Auto,
            { "amber WARNING:disk warning: space is low" }, "A0 N0 S0 W1 E0",
            "disk warning: space is low\n");
        row("lines", "step one\nerror: bad thing\n  Successfully created x  ", Auto,
            { "black step one", "red error: bad thing", "green Successfully created x" },
            "A0 N1 S1 W0 E1", "step one\nerror: bad thing\nSuccessfully created x\n");
        row("quoted line", "fatal: stop\n\"quoted \\\"x\\\" line\"", Auto,
            { "red fatal: stop", "black quoted \"x\" line" }, "A0 N1 S0 W0 E1",
            "fatal: stop\nquoted \"x\" line\n");
        // Keywords inside quotes, paths and URLs do not count, nor do plurals; a long host
        // label used to make the URL pattern give up, leaving "error" in.
        const QStringList harmless { "Read the \"warning\" flag",
            "Copied 'error.log' to /var/fail/warning_list.txt",
            "Fetched https://tools.example/error/fatal", "Check the log for any warnings or errors",
            "Mirror http://@" + QString(30, 'a') + " then http://@error.example" };
        for (const QString &text : harmless)
            row(qPrintable(text), text, Auto, { "black " + text }, "A1 N0 S0 W0 E0");
        row("error output", "warning: deprecated call\nlinker failed\n\nERROR: no space\n",
            ErrorOutput,
            { "amber warning: deprecated call", "red ERROR:linker failed", "none ",
                "red ERROR: no space", "none " },
            "A0 N2 S0 W1 E2", "warning: deprecated call\nlinker failed\n\nERROR: no space\n\n");
        row("error prefixed", "ERROR: disk full", Error, { "red ERROR: disk full" },
            "A0 N0 S0 W0 E1");
        row("fatal prefixed", "  fatal : stop", Error, { "red   fatal : stop" }, "A0 N0 S0 W0 E1");
        row("error bare", "boom", Error, { "red ERROR:boom" }, "A0 N0 S0 W0 E1");
        row("warning prefixed", "Warning: low", Warning, { "amber Warning: low" },
            "A0 N0 S0 W1 E0");
        row("warning bare", "low", Warning, { "amber WARNING:low" }, "A0 N0 S0 W1 E0");
        row("warning of an error", "ERROR: mixed", Warning, { "amber WARNING:ERROR: mixed" },
            "A0 N0 S0 W1 E0");
        row("error of a warning", "WARNING: mixed", Error, { "red ERROR:WARNING: mixed" },
            "A0 N0 S0 W0 E1");
        row("success", "done", Success, { "green done" }, "A0 N0 S1 W0 E0");
    }

    void messagesAreClassifiedAndColoured()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(QString, transcript);
        StatusConsole console;
        console.setLineSplitting(type < 100);
        console.append(text, ConsoleMessageType(type % 100));
        QTEST(shown(console), "paragraphs");
        QTEST(counts(console), "counts");
        QCOMPARE(console.transcript(), transcript.isEmpty() ? text : transcript);
    }

    void linePredicates_data()
    {
        QTest::addColumn<QString>("predicate");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("result");
        const auto row = [](const char *predicate, const char *text, bool result) {
            QTest::newRow(qPrintable(QString("%1: %2").arg(predicate, text)))
                << predicate << text << result;
        };
        row("error", "mistake", true);
        row("error", "data corrupt", true);
        row("error", "Can't find a valid super-manifest.", true);
        row("error", "FATAL: error", true);
        row("error", "Error with capital letter", false);
        row("error", "WARNING: an error", false);
        row("error", "  info : error count 0", false);
        row("warning", "Warning: low warning level", true);
        row("warning", "Error : warning", false);
        row("warning", "INFO: warning", false);
        row("success", "Successfully acquired the information.", true);
        row("success", "Package created successfully.", true);
        row("success", "Report was successfully exported to x", true);
        row("success", "Successfully created", true);
        row("success", "successfully created", false);
    }

    void linePredicates()
    {
        QFETCH(QString, predicate);
        QFETCH(QString, text);
        StatusConsole console;
        const bool result = predicate == "error" ? console.isErrorLine(text)
            : predicate == "warning"             ? console.isWarningLine(text)
                                                 : console.isSuccessLine(text);
        QTEST(result, "result");
    }

    // Quoted text, paths and URLs are cut before a line is classified.
    void cleanTextCutsQuotesPathsAndUrls_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("all kinds") << "a \"b\" c 'd' /x/y.z https://h.example/p"
                                   << "a  c   https:/";
        QTest::newRow("long host label")
            << "Mirror http://@" + QString(30, 'a') + " then http://@error.example"
            << "Mirror http://@" + QString(30, 'a') + " then ";
        // Dotted hosts and a trailing dot still count as URLs; an empty label does not.
        QTest::newRow("trailing dot") << "see ftp://@a.b."
                                      << "see ";
        QTest::newRow("empty label") << "x http://@a..b"
                                     << "x http://@a..b";
    }

    void cleanTextCutsQuotesPathsAndUrls()
    {
        QFETCH(QString, text);
        QTEST(StatusConsole().cleanText(text), "cleaned");
    }

    void darkPaletteShowsWhiteText()
    {
        const QPalette original = QApplication::palette();
        QPalette dark = original;
        dark.setColor(QPalette::Window, QColor(30, 30, 30));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        QApplication::setPalette(dark);
        StatusConsole console;
        QApplication::setPalette(original);

        QVERIFY(!console.isLightPalette());
        console.append("plain", Normal);
        console.append("auto line", Auto);
        console.append("oops", Error);
        QCOMPARE(
            shown(console), QStringList({ "white plain", "white auto line", "red ERROR:oops" }));
    }

    void flagsModesAndTranscriptFile()
    {
        QTemporaryDir dir;
        StatusConsole console;
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

        console.clear();
        console.appendMessage("x", Normal, 0, StatusConsole::InsertAtCursor);
        console.appendMessage("y", Warning, 0, StatusConsole::InsertAtCursor);
        QCOMPARE(console.toPlainText(), "xWARNING:y");
        console.appendMessage("replaced\n", Normal, 0, StatusConsole::ReplaceAll);
        QCOMPARE(console.toPlainText(), "replaced\n");
        QCOMPARE(console.transcript(), "olda\nbxyreplaced\n");

        QFile file(dir.filePath("console.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), console.transcript());
        QVERIFY(!console.openTranscriptFile(dir.filePath("missing/folder/x.txt")));
    }

    void manyAtOnceShowTheSameAsOneByOne_data()
    {
        QTest::addColumn<bool>("lineSplitting");
        QTest::addColumn<QList<StatusConsole::Message>>("messages");
        const QList<StatusConsole::Message> mixed = { { "plain line\n", Auto, 0 },
            { "disk almost full", Warning, 0 }, { "ERROR: already prefixed", Error, 0 },
            { "Successfully created the file\nnext line", Auto, StatusConsole::EmptyLineBefore },
            { "first\nwarning: second\n\nthird", ErrorOutput, StatusConsole::EmptyLineAfter },
            { "<span style=\"color:red;\">Error: failed</span>", Auto, 0 },
            { "see <a href=\"https://x.example/\">the page</a>", Normal,
                StatusConsole::NotInTranscript },
            { "after the link", Success, 0 } };
        QTest::newRow("main window's panel") << false << mixed;
        QTest::newRow("lines classified one by one") << true << mixed;
        QTest::newRow("cleared in between")
            << false
            << QList<StatusConsole::Message> { { "gone", Warning, 0 },
                   { "kept", Error, StatusConsole::ClearFirst },
                   { "after", Auto, StatusConsole::EmptyLineAfter } };
    }

    void manyAtOnceShowTheSameAsOneByOne()
    {
        QFETCH(bool, lineSplitting);
        QFETCH(QList<StatusConsole::Message>, messages);
        StatusConsole oneByOne;
        StatusConsole atOnce;
        oneByOne.setLineSplitting(lineSplitting);
        atOnce.setLineSplitting(lineSplitting);
        for (const StatusConsole::Message &message : messages)
            oneByOne.append(message.text, message.type, message.flags);
        atOnce.append(messages);

        QCOMPARE(atOnce.toHtml(), oneByOne.toHtml());
        QCOMPARE(atOnce.transcript(), oneByOne.transcript());
        QCOMPARE(atOnce.textCursor().position(), oneByOne.textCursor().position());
        QCOMPARE(atOnce.textCursor().charFormat(), oneByOne.textCursor().charFormat());
        for (ConsoleMessageType type : { Normal, Warning, Error, Success })
            QCOMPARE(atOnce.messageCount(type), oneByOne.messageCount(type));
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
        for (int i : { 0, 1, count - 2, count - 1 }) {
            QCOMPARE(lines.at(i),
                i % 2 ? QStringLiteral("amber WARNING:line %1").arg(i)
                      : QStringLiteral("black line %1").arg(i));
        }
        QCOMPARE(feed->pendingCount(), 0);
    }

    void clearAllEmptiesThePanelButKeepsTheTranscript()
    {
        StatusConsole console;
        console.resize(400, 200);
        console.show();
        console.append("first", Normal);
        console.append("second failed", Auto);
        const QString transcript = console.transcript();

        std::unique_ptr<QMenu> menu(console.createConsoleContextMenu(QPoint(5, 5)));
        QVERIFY(menu->actions().size() > 1); // the browser's own entries stay
        QAction *clearAll = menu->actions().constLast();
        QCOMPARE(clearAll->text(), QStringLiteral("Clear All"));
        clearAll->trigger();
        QCOMPARE(console.toPlainText(), QString());
        QCOMPARE(console.transcript(), transcript);
        QCOMPARE(console.messageCount(Error), 1);

        // The same through a real right click: the menu pops up, "Clear All" clears, and
        // the menu is gone afterwards.
        console.append("third", Normal);
        QPointer<QMenu> shownMenu;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!popup)
                return;
            shownMenu = popup;
            for (QAction *action : popup->actions()) {
                if (action->text() == QStringLiteral("Clear All"))
                    action->trigger();
            }
            popup->close();
        });
        poll.start(20);
        QContextMenuEvent event(
            QContextMenuEvent::Mouse, QPoint(5, 5), console.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(console.viewport(), &event);
        poll.stop();
        QVERIFY(!shownMenu.isNull() || console.toPlainText().isEmpty());
        QCOMPARE(console.toPlainText(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(shownMenu.isNull(), 5000);
        QVERIFY(console.transcript().endsWith("third"));
    }
};

QTEST_MAIN(TestStatusConsole)
#include "tst_StatusConsole.moc"
