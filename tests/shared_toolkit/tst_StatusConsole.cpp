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

const QColor kAmber(230, 172, 0);
const QColor kRed(204, 51, 0);
const QColor kGreen(0, 100, 0);
const QColor kBlack(Qt::black);
const QColor kWhite(Qt::white);

// One paragraph of the panel as the user sees it.
struct Paragraph {
    QString text;
    QColor color;
};

QList<Paragraph> paragraphs(const StatusConsole &console)
{
    QList<Paragraph> result;
    for (QTextBlock block = console.document()->begin(); block.isValid(); block = block.next()) {
        QColor color;
        if (block.begin() != block.end())
            color = block.begin().fragment().charFormat().foreground().color();
        result.append({ block.text(), color });
    }
    return result;
}

QString describe(const QList<Paragraph> &shown)
{
    QStringList lines;
    for (const Paragraph &p : shown)
        lines << QStringLiteral("'%1' %2").arg(p.text, p.color.name());
    return lines.join(QLatin1Char('\n'));
}

// Compares the panel with the expected paragraphs (text and colour, in order).
bool showsExactly(const StatusConsole &console, const QList<Paragraph> &expected)
{
    const QList<Paragraph> shown = paragraphs(console);
    bool same = shown.size() == expected.size();
    for (int i = 0; same && i < shown.size(); ++i) {
        same = shown.at(i).text == expected.at(i).text
            && (!expected.at(i).color.isValid() || shown.at(i).color == expected.at(i).color);
    }
    if (!same)
        qWarning().noquote() << "shown:\n"
                             << describe(shown) << "\nexpected:\n"
                             << describe(expected);
    return same;
}

} // namespace

class TestStatusConsole : public QObject
{
    Q_OBJECT

private slots:
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

    void splittingOffOnlyPicksOutSuccess()
    {
        StatusConsole console;
        console.setLineSplitting(false);
        console.append("Build error in module", Auto);
        console.append("Successfully created package\nnext step", Auto);
        console.append("worker warning\nsecond line", Auto);
        QVERIFY(showsExactly(console,
            { { "Build error in module", kBlack }, { "Successfully created package", kGreen },
                { "next step", kBlack }, { "worker warning", kBlack },
                { "second line", kBlack } }));
        QCOMPARE(console.messageCount(Auto), 2);
        QCOMPARE(console.messageCount(Success), 1);
        QCOMPARE(console.messageCount(Normal), 1);
        QCOMPARE(console.messageCount(Error), 0);
        // A process's error stream is not split either: shown as it is, in the default colour.
        console.clear();
        console.append("linker failed", ErrorOutput);
        QVERIFY(showsExactly(console, { { "linker failed", kBlack } }));
    }

    void splittingOnClassifiesEachLine()
    {
        StatusConsole console;
        console.append("the build failed with code 3", Auto);
        console.append("disk warning: space is low", Auto);
        console.append("step one\nerror: bad thing\n  Successfully created x  ", Auto);
        console.append("fatal: stop\n\"quoted \\\"x\\\" line\"", Auto);
        console.append("all done", Auto);
        QVERIFY(showsExactly(console,
            { { "ERROR:the build failed with code 3", kRed },
                { "WARNING:disk warning: space is low", kAmber }, { "step one", kBlack },
                { "error: bad thing", kRed }, { "Successfully created x", kGreen },
                { "fatal: stop", kRed }, { "quoted \"x\" line", kBlack },
                { "all done", kBlack } }));
        QCOMPARE(console.messageCount(Error), 3);
        QCOMPARE(console.messageCount(Warning), 1);
        QCOMPARE(console.messageCount(Success), 1);
        QCOMPARE(console.messageCount(Normal), 2);
        QCOMPARE(console.messageCount(Auto), 1);
        // The transcript holds the lines as classified, without the added prefixes.
        QVERIFY(console.transcript().startsWith("the build failed with code 3\ndisk warning"));
        QVERIFY(
            console.transcript().contains("step one\nerror: bad thing\nSuccessfully created x\n"));
    }

    void keywordsInQuotesPathsAndUrlsDoNotCount()
    {
        StatusConsole console;
        console.append("Read the \"warning\" flag", Auto);
        console.append("Copied 'error.log' to /var/fail/warning_list.txt", Auto);
        console.append("Fetched https://tools.example/error/fatal", Auto);
        console.append("Check the log for any warnings or errors", Auto);
        QVERIFY(showsExactly(console,
            { { "Read the \"warning\" flag", kBlack },
                { "Copied 'error.log' to /var/fail/warning_list.txt", kBlack },
                { "Fetched https://tools.example/error/fatal", kBlack },
                { "Check the log for any warnings or errors", kBlack } }));
        QCOMPARE(console.messageCount(Auto), 4);

        QCOMPARE(console.cleanText("a \"b\" c 'd' /x/y.z https://h.example/p"), "a  c   https:/");
        QVERIFY(console.isErrorLine("mistake") && console.isErrorLine("data corrupt"));
        QVERIFY(console.isErrorLine("Can't find a valid super-manifest."));
        QVERIFY(!console.isErrorLine("Error with capital letter"));
        QVERIFY(!console.isErrorLine("WARNING: an error"));
        QVERIFY(!console.isErrorLine("  info : error count 0"));
        QVERIFY(console.isErrorLine("FATAL: error"));
        QVERIFY(!console.isWarningLine("Error : warning"));
        QVERIFY(!console.isWarningLine("INFO: warning"));
        QVERIFY(console.isWarningLine("Warning: low warning level"));
        for (const char *success :
            { "Successfully acquired the information.", "Package created successfully.",
                "Report was successfully exported to x", "Successfully created" })
            QVERIFY2(console.isSuccessLine(success), success);
        QVERIFY(!console.isSuccessLine("successfully created"));
    }

    void longHostNamesAreCleanedCompletely()
    {
        // A long host label in a URL that does not end the line used to make the URL pattern
        // backtrack until the engine gave up, so the URL ending the line stayed in. (Timing is
        // left to a benchmark; the lost match is what the user saw.)
        StatusConsole console;
        const QString line = "Mirror http://@" + QString(30, 'a') + " then http://@error.example";
        QCOMPARE(console.cleanText(line), "Mirror http://@" + QString(30, 'a') + " then ");
        console.append(line, Auto);
        QVERIFY(showsExactly(console, { { line, kBlack } }));
        QCOMPARE(console.messageCount(Error), 0);
        // Dotted hosts and a trailing dot still count as URLs; an empty label does not.
        QCOMPARE(console.cleanText("see ftp://@a.b."), "see ");
        QCOMPARE(console.cleanText("x http://@a..b"), "x http://@a..b");
    }

    void errorOutputIsSplitIntoWarningsAndErrors()
    {
        StatusConsole console;
        console.append("warning: deprecated call\nlinker failed\n\nERROR: no space\n", ErrorOutput);
        QVERIFY(showsExactly(console,
            { { "warning: deprecated call", kAmber }, { "ERROR:linker failed", kRed },
                { "", QColor() }, { "ERROR: no space", kRed }, { "", QColor() } }));
        QCOMPARE(console.messageCount(Warning), 1);
        QCOMPARE(console.messageCount(Error), 2);
        QCOMPARE(console.messageCount(Normal), 2); // the empty lines, each "\n"
        QCOMPARE(
            console.transcript(), "warning: deprecated call\nlinker failed\n\nERROR: no space\n\n");
    }

    void prefixesAreNotDoubled()
    {
        StatusConsole console;
        console.append("ERROR: disk full", Error);
        console.append("  fatal : stop", Error);
        console.append("boom", Error);
        console.append("Warning: low", Warning);
        console.append("low", Warning);
        console.append("ERROR: mixed", Warning);
        console.append("WARNING: mixed", Error);
        console.append("done", Success);
        QVERIFY(showsExactly(console,
            { { "ERROR: disk full", kRed }, { "  fatal : stop", kRed }, { "ERROR:boom", kRed },
                { "Warning: low", kAmber }, { "WARNING:low", kAmber },
                { "WARNING:ERROR: mixed", kAmber }, { "ERROR:WARNING: mixed", kRed },
                { "done", kGreen } }));
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
        QVERIFY(showsExactly(
            console, { { "plain", kWhite }, { "auto line", kWhite }, { "ERROR:oops", kRed } }));
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
        const QList<Paragraph> shown = paragraphs(console);
        for (int i : { 0, 1, count - 2, count - 1 }) {
            QCOMPARE(shown.at(i).text,
                i % 2 ? QStringLiteral("WARNING:line %1").arg(i)
                      : QStringLiteral("line %1").arg(i));
            QCOMPARE(shown.at(i).color, i % 2 ? kAmber : kBlack);
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
