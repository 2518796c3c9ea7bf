#include "common/LmtTableRows.h"
#include "common/LmtTestSupport.h"
#include "services/LmtVendorSite.h"
#include "views/LmtToolInfoDelegate.h"
#include "views/LmtToolLinksCell.h"
#include "views/LmtToolSelectModel.h"
#include "views/LmtToolSelectView.h"
#include "views/SelectTestCatalogue.h"
#include "views/ThirdPartyEditorWidget.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QSpontaneKeyEvent>
#include <QTableView>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

using namespace zendrel::lmt::setup;
using selecttest::Catalogue;
using zendrel::lmt::shared_toolkit::ConsoleMessageType;

namespace {

// Collects what the view sends to the log panel.
struct UiLog {
    QObject context;
    QStringList lines;
    bool allAuto = true;

    explicit UiLog(LmtToolSelectView &view)
    {
        QObject::connect(&view,
            qOverload<QString, ConsoleMessageType>(&LmtToolSelectView::appendUILog), &context,
            [this](const QString &text, ConsoleMessageType type) {
                lines << text;
                allAuto = allAuto && type == ConsoleMessageType::Auto;
            });
    }
};

int rowOf(const LmtToolSelectModel *model, const QString &toolName)
{
    for (int i = 0; i < model->rows().size(); ++i) {
        if (model->rows().at(i)->currentVersion()->tool()->name() == toolName)
            return i;
    }
    return -1;
}

template<typename Editor>
Editor *editorAt(QTableView *table, int row, int column)
{
    return qobject_cast<Editor *>(table->indexWidget(table->model()->index(row, column)));
}

QString infoOf(const LmtToolSelectModel *model, int row)
{
    return model->index(row, LmtToolSelectModel::ColumnInfo).data(Qt::EditRole).toString();
}

// The row that shows the version, -1 when none does.
int rowShowing(const LmtToolSelectModel *model, const std::shared_ptr<LmtToolVersion> &version)
{
    for (int i = 0; i < model->rowCount(); ++i) {
        if (model->rows().at(i)->currentVersion() == version)
            return i;
    }
    return -1;
}

bool hasErrorIcon(const LmtToolSelectModel *model, int row)
{
    return !model->index(row, LmtToolSelectModel::ColumnName)
                .data(Qt::DecorationRole)
                .value<QIcon>()
                .isNull();
}

QString plainText(const QString &richText)
{
    QTextDocument document;
    document.setHtml(richText);
    return document.toPlainText();
}

// What a user sees of one row (check box, name, version, information) as the model describes
// it, or, with fromWidgets, as its open editors show it.
QStringList lookOf(QTableView *table, int row, bool fromWidgets)
{
    const QAbstractItemModel *model = table->model();
    QStringList look { model->index(row, 0).data(Qt::CheckStateRole).toString(),
        model->index(row, 1).data().toString(), model->index(row, 2).data(Qt::EditRole).toString(),
        plainText(model->index(row, 3).data(Qt::EditRole).toString()) };
    if (fromWidgets) {
        if (auto *comboBox = editorAt<QComboBox>(table, row, 2))
            look[2] = comboBox->currentText();
        auto *information = editorAt<QTextBrowser>(table, row, 3);
        look[3] = information ? information->toPlainText() : QString();
    }
    return look;
}

// The rows of a table that change notices named (invalid indexes name them all).
struct AnnouncedRows {
    QObject context;
    QSet<int> rows;

    explicit AnnouncedRows(QAbstractItemModel *model)
    {
        QObject::connect(model, &QAbstractItemModel::dataChanged, &context,
            [this, model](const QModelIndex &from, const QModelIndex &to) {
                for (int row = from.isValid() ? from.row() : 0;
                     row <= (to.isValid() ? to.row() : model->rowCount() - 1); ++row)
                    rows.insert(row);
            });
    }
};

// One notch of the mouse wheel over the middle of the widget, delivered as the window system
// delivers it: a spontaneous event, which the application hands on to the parents while the
// widgets ignore it.
void turnWheel(QWidget *widget, int delta)
{
    const QPointF centre = QRectF(widget->rect()).center();
    QWheelEvent event(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    // As the key clicks of QTest: sendEvent() would mark it as not spontaneous again.
    qApp->notify(widget, &event);
}

// What a text widget shows of a text in the given format: markup is rendered, not shown.
QString shownAs(const QString &text, Qt::TextFormat format)
{
    const bool rich
        = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
    return rich ? plainText(text) : text;
}

// Answers the next modal box with the button of the given caption; seen gets its text, title
// and the text as shown (markup rendered).
void answerMessageBox(const QString &buttonText, QStringList *seen)
{
    QTimer::singleShot(0, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return answerMessageBox(buttonText, seen);
        *seen = { box->text(), box->windowTitle(), shownAs(box->text(), box->textFormat()) };
        for (QAbstractButton *button : box->buttons()) {
            if (button->text().remove('&') == buttonText)
                return button->click();
        }
        box->reject();
    });
}

// A select page over a catalogue, driven by steps "verb [tool name][: argument]"; tool names
// find the row in either table, labels name versions of the catalogue. Checks compare what
// the page shows and logs since the previous check of the same kind.
class PageRig
{
public:
    explicit PageRig(const QString &fixture)
        : catalogue(fixture)
        , log(view)
    {
        QObject::connect(&view, &LmtToolSelectView::toolSelectionChanged, &log.context,
            [this] { ++selectionChanges; });
        view.updateToolsData(catalogue.model);
    }

    void run(const QString &step)
    {
        const QString verb = step.section(' ', 0, 0);
        const QString rest = step.section(' ', 1);
        const QString name = rest.section(": ", 0, 0);
        const QString argument = rest.section(": ", 1);
        const QStringList labels = rest.split(' ', Qt::SkipEmptyParts);
        if (verb == "refresh") {
            view.updateToolsData(catalogue.model);
        } else if (verb == "check" || verb == "recheck") {
            QCOMPARE(setCheck(name, Qt::Checked), verb == "check");
        } else if (verb == "untick") {
            QVERIFY(setCheck(name, Qt::Unchecked));
        } else if (verb == "uncheck") {
            answerMessageBox(argument, &seen);
            QVERIFY(!setCheck(name, Qt::Unchecked));
            QCOMPARE(seen.value(1), QString("Lumetra Setup Test"));
        } else if (verb == "quiet-uncheck") {
            // Reaches the page only through the dependency check.
            QVERIFY(rowFor(name)->setCheckState(Qt::Unchecked));
            QVERIFY(!model(name)->setData(model(name)->index(row(name), 1), "x", Qt::DisplayRole));
        } else if (verb == "pick") {
            auto *box = editorAt<QComboBox>(table(name), row(name), 2);
            box->setCurrentIndex(box->findText(argument));
            QCOMPARE(editorAt<QComboBox>(table(name), row(name), 2), box); // stays open
        } else if (verb == "select") {
            QVERIFY(rowFor(name)->selectVersion(argument));
        } else if (verb == "box") {
            QCOMPARE(seen.value(0), rest);
        } else if (verb == "combo") {
            auto *box = editorAt<QComboBox>(table(name), row(name), 2);
            QCOMPARE(box ? box->currentText() : QString("<none>"), argument);
        } else if (verb == "key") {
            QCOMPARE(rowFor(name)->currentKey(), argument);
        } else if (verb == "remembered") {
            QCOMPARE(rowFor(name)->currentVersion()->tool()->selectedVersionKey(), argument);
        } else if (verb == "shows") {
            QCOMPARE(rowFor(name)->currentVersion(), catalogue.version(argument));
        } else if (verb == "state") {
            const auto state = model(name)->index(row(name), 0).data(Qt::CheckStateRole);
            QCOMPARE(state.toInt() == Qt::Checked ? "checked" : "unchecked", argument);
        } else if (verb == "info" || verb == "info=" || verb == "info~") {
            auto *browser = editorAt<QTextBrowser>(table(name), row(name), 3);
            QVERIFY(browser);
            for (const QString &text :
                { browser->toPlainText(), plainText(infoOf(model(name), row(name))) }) {
                const bool found = verb == "info=" ? text == argument
                    : verb == "info"               ? text.startsWith(argument)
                                                   : text.contains(argument);
                QVERIFY2(found, qPrintable(text));
            }
        } else if (verb == "icon" || verb == "noicon") {
            QCOMPARE(hasErrorIcon(model(name), row(name)), verb == "icon");
        } else if (verb == "selected" || verb == "unselected") {
            for (const QString &label : labels)
                QVERIFY2(catalogue.version(label)->selected() == (verb == "selected"),
                    qPrintable(label));
        } else if (verb == "missing") {
            QStringList missing;
            for (const LmtMissingDependency &entry : view.missingDependencies())
                missing << labelOf(entry.version) + "=" + labelOf(entry.candidate);
            QCOMPARE(missing, labels);
        } else if (verb == "log") {
            QCOMPARE(log.lines.join(" | "), rest);
            log.lines.clear();
        } else if (verb == "changes") {
            QCOMPARE(QString::number(selectionChanges), rest);
            selectionChanges = 0;
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }

    Catalogue catalogue;
    LmtToolSelectView view;
    UiLog log;
    QStringList seen;
    int selectionChanges = 0;

private:
    LmtToolSelectModel *model(const QString &name)
    {
        return rowOf(view.baseModel(), name) >= 0 ? view.baseModel() : view.additionalModel();
    }
    QTableView *table(const QString &name)
    {
        return model(name) == view.baseModel() ? view.baseTable() : view.additionalTable();
    }
    int row(const QString &name)
    {
        const int found = rowOf(model(name), name);
        if (found < 0)
            qFatal("no row for %s", qPrintable(name));
        return found;
    }
    std::shared_ptr<LmtToolSelectRow> rowFor(const QString &name)
    {
        return model(name)->rows().at(row(name));
    }
    bool setCheck(const QString &name, Qt::CheckState state)
    {
        return model(name)->setData(
            model(name)->index(row(name), 0), int(state), Qt::CheckStateRole);
    }
    QString labelOf(const std::shared_ptr<LmtToolVersion> &version) const
    {
        return version ? catalogue.labelOf(version) : QString();
    }
};

} // namespace

class TestLmtToolSelectView : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void initTestCase();
    void formHasItsWidgetsAndEditors();
    void pageFollowsTheSteps_data();
    void pageFollowsTheSteps();
    void informationCellIsSizedByVisibleText();
    void cellsFollowEveryTick();
    void thirdPartyCellOpensTheTool();
    void dependencySelectionRepaintsEveryChangedRow();
    void wheelScrollsThePageNotTheVersion();
    void registryTextIsShownAsWritten_data();
    void registryTextIsShownAsWritten();
};

void TestLmtToolSelectView::initTestCase()
{
    QApplication::setApplicationDisplayName("Lumetra Setup Test");
}

void TestLmtToolSelectView::formHasItsWidgetsAndEditors()
{
    Catalogue catalogue("views/view-form.json");
    LmtToolSelectView view;
    QCOMPARE(view.findChild<QLabel *>("m_lblBasePackages")->text(), QString("Base Packages"));
    QCOMPARE(view.findChild<QLabel *>("m_lblAdditionalPackages")->text(),
        QString("Additional Packages"));
    QVERIFY(view.findChild<QLabel *>("m_lblBasePackages")->font().bold());
    auto *splitter = view.findChild<QSplitter *>("splitter");
    QCOMPARE(splitter->orientation(), Qt::Vertical);
    QVERIFY(!splitter->childrenCollapsible());
    QCOMPARE(view.findChild<QTableView *>("m_tableViewBase"), view.baseTable());
    QCOMPARE(view.findChild<QTableView *>("m_tableViewAdditional"), view.additionalTable());
    auto *archive = view.findChild<QLabel *>("m_lblArchiveLink");
    QVERIFY(archive->openExternalLinks());
    QVERIFY(archive->text().contains(
        ">Check Lumetra™ Software landing page for offline installation packages</a>"));

    view.updateToolsData(catalogue.model);
    // The version drop-down exists only where there is a choice; every row has its info cell.
    QVERIFY(editorAt<QComboBox>(view.baseTable(), 0, 2));
    QVERIFY(!editorAt<QComboBox>(
        view.additionalTable(), rowOf(view.additionalModel(), "Board Pack"), 2));
    QVERIFY(editorAt<QTextBrowser>(view.baseTable(), 0, 3));
    QVERIFY(editorAt<QTextBrowser>(view.additionalTable(), 0, 3));
    // Both tables line up: one width per column, one row height.
    for (int column = 0; column < 3; ++column)
        QCOMPARE(
            view.baseTable()->columnWidth(column), view.additionalTable()->columnWidth(column));
    QCOMPARE(view.baseTable()->rowHeight(0), view.additionalTable()->rowHeight(0));
}

void TestLmtToolSelectView::pageFollowsTheSteps_data()
{
    lmttest::rowsFrom("views/view-steps.json", "given");
}

void TestLmtToolSelectView::pageFollowsTheSteps()
{
    QFETCH(QJsonObject, given);
    PageRig rig("views/" + given["fixture"].toString() + ".json");
    for (const QJsonValue &step : given["steps"].toArray()) {
        rig.run(step.toString());
        if (QTest::currentTestFailed())
            QFAIL(qPrintable("at step " + step.toString()));
    }
    QVERIFY(rig.log.allAuto);
}

void TestLmtToolSelectView::informationCellIsSizedByVisibleText()
{
    Catalogue catalogue("views/view-cells.json");
    LmtToolSelectView view;
    view.updateToolsData(catalogue.model);
    LmtToolInfoDelegate delegate;
    QStyledItemDelegate plain;
    QStyleOptionViewItem option;
    option.initFrom(view.baseTable());
    const auto plainWidth = [&](const QString &text) {
        QStyleOptionViewItem measured(option);
        measured.features |= QStyleOptionViewItem::HasDisplay;
        measured.text = text;
        return plain.sizeHint(measured, QModelIndex()).width();
    };

    const QModelIndex packInfo = view.additionalModel()->index(0, 3);
    const QString pageUrl
        = vendorToolPageUrl("com.zdr.pack.with.a.rather.long.feature.id.for.its.page");
    QCOMPARE(packInfo.data(Qt::EditRole).toString(),
        QString("Select the check box to install. To download and install manually go to "
                "<a href=\"%1\">%1</a>")
            .arg(pageUrl));
    const QString visible
        = "Select the check box to install. To download and install manually go to " + pageUrl;
    QCOMPARE(delegate.sizeHint(option, packInfo).width(), plainWidth(visible) + 20);
    QVERIFY(delegate.sizeHint(option, packInfo).width()
        < plainWidth(packInfo.data(Qt::EditRole).toString()));

    // The installed 3rd-party row also holds the "Open" button.
    const QModelIndex editorInfo
        = view.baseModel()->index(rowOf(view.baseModel(), "Other Editor"), 3);
    const QString editorText = editorInfo.data(Qt::EditRole).toString();
    QVERIFY(!editorText.contains("<a"));
    QCOMPARE(delegate.sizeHint(option, editorInfo).width(), plainWidth(editorText) + 20 + 220);

    // Measurements are kept, but not across a change of font.
    option.font.setPointSize(option.font.pointSize() * 2);
    QCOMPARE(delegate.sizeHint(option, packInfo).width(), plainWidth(visible) + 20);
    QVERIFY(delegate.sizeHint(option, packInfo).width() > plainWidth(visible) / 2 + 40);
}

// Widths and texts of the information cells are kept between ticks and only the rows that
// changed are refreshed; whatever a tick changes must still reach the cells and the column.
void TestLmtToolSelectView::cellsFollowEveryTick()
{
    PageRig rig("views/view-ticks.json");
    QTableView *table = rig.view.additionalTable();
    LmtToolSelectModel *additional = rig.view.additionalModel();
    const QModelIndex packInfo = additional->index(rowOf(additional, "Board Pack"), 3);
    QStyleOptionViewItem option;
    option.initFrom(table);
    const auto freshWidth = [&option](const QModelIndex &index) {
        return LmtToolInfoDelegate().sizeHint(option, index).width();
    };
    const auto widest = [&] {
        int width = 0;
        for (int row = 0; row < additional->rowCount(); ++row)
            width = std::max(width, freshWidth(additional->index(row, 3)));
        return width;
    };
    const QString unchecked = "Select the check box to install. To download and install manually "
                              "go to https://tools.zendrel-tech.example/tools/com.zdr.pack";
    rig.run("info= Board Pack: " + unchecked);

    // A tick that makes the row's text longer widens the column to the new text.
    rig.run("check Board Pack");
    rig.run("info~ Board Pack: Dependencies will not be installed: "
            "com.zdr.absent.tool.with.a.long.feature.id. ");
    QVERIFY(freshWidth(packInfo) > LmtToolInfoDelegate::TextPadding + 100);
    QCOMPARE(table->columnWidth(3), widest());
    QCOMPARE(table->columnWidth(3), freshWidth(packInfo));
    const int checkedWidth = table->columnWidth(3);

    // And unticking narrows it again: the measurement of the longer text is not reused.
    rig.run("untick Board Pack");
    rig.run("info= Board Pack: " + unchecked);
    QCOMPARE(table->columnWidth(3), widest());
    QVERIFY(table->columnWidth(3) < checkedWidth);
}

void TestLmtToolSelectView::thirdPartyCellOpensTheTool()
{
    Catalogue catalogue("views/view-cells.json");
    auto installed
        = std::static_pointer_cast<Lmt3rdPartyLocalToolVersion>(catalogue.version("editor"));
    installed->setInstallDirectory(m_sandbox.filePath("editor"));
    const QString marker = m_sandbox.filePath("editor/started.txt");
    const QString script = m_sandbox.filePath("editor/editor.sh");
    // Written aside and renamed, so the marker appears complete or not at all.
    QVERIFY(lmttest::writeFile(script,
        QString("#!/bin/sh\necho \"args:$#\" > '%1.part' && mv '%1.part' '%1'\n")
            .arg(marker)
            .toUtf8(),
        true));
    installed->setPath(script);
    // Lint is known but not installed, so the cell warns about it.
    QVERIFY(installed->hasPluginsNotInstalled());

    LmtToolSelectView view;
    view.updateToolsData(catalogue.model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int editorRow = rowOf(view.baseModel(), "Other Editor");
    auto *cell = editorAt<ThirdPartyEditorWidget>(view.baseTable(), editorRow, 3);
    QVERIFY(cell);
    QCOMPARE(cell->openButton()->text(), QString("Open Editor"));
    QVERIFY(cell->informationBrowser()->toPlainText().startsWith(
        "Warning: \"Lint\" extension(s) not installed in Other Editor version 4.2.0"));
    QVERIFY(cell->informationBrowser()->font().italic());
    QVERIFY(!cell->openButton()->font().italic());
    // Without missing extensions the text keeps the normal style.
    auto *viewerCell = editorAt<ThirdPartyEditorWidget>(
        view.baseTable(), rowOf(view.baseModel(), "Other Viewer"), 3);
    QVERIFY(viewerCell);
    QVERIFY(!viewerCell->informationBrowser()->font().italic());

    // The tool starts on its own, without arguments, even with extensions missing.
    QVERIFY(!QFile::exists(marker));
    cell->openButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
    QFile started(marker);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll().trimmed(), QByteArray("args:0"));

    // A tool that is gone is not started and nothing breaks.
    lmttest::LogCapture log;
    viewerCell->openButton()->click();
    QVERIFY(log.contains("[ThirdPartyEditorWidget]"));
    QVERIFY(log.contains("failed to start"));
}

// Checking a dependency deselects the other installations of its line, which rows of their
// own show: those rows change too, and the table must be told, whichever table they are in.
void TestLmtToolSelectView::dependencySelectionRepaintsEveryChangedRow()
{
    PageRig rig("views/view-repaint.json");
    const Catalogue &catalogue = rig.catalogue;
    LmtToolSelectView &view = rig.view;
    const auto forUser = catalogue.version("user");
    const auto forAll = catalogue.version("all");
    LmtToolSelectModel *base = view.baseModel();
    QCOMPARE(base->rowCount(), 3);
    // The current user's row shows the offered update, not yet chosen.
    const int userRow = rowShowing(base, forUser);
    QVERIFY(base->setData(base->index(userRow, 2), "3.2.5", Qt::EditRole));

    const QList<QTableView *> tables { view.baseTable(), view.additionalTable() };
    QList<QList<QStringList>> before;
    for (QTableView *table : tables) {
        QList<QStringList> looks;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            looks.append(lookOf(table, row, false));
        before.append(looks);
    }
    AnnouncedRows announcedBase(base);
    AnnouncedRows announcedAdditional(view.additionalModel());

    rig.run("check Board Pack");
    QVERIFY(catalogue.version("new")->selected());
    QVERIFY(!forUser->selected());
    QVERIFY(!forAll->selected());

    int changedRows = 0;
    for (int t = 0; t < tables.size(); ++t) {
        QTableView *table = tables.at(t);
        const AnnouncedRows &announced = t == 0 ? announcedBase : announcedAdditional;
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            const QStringList now = lookOf(table, row, false);
            if (now != before.at(t).at(row)) {
                ++changedRows;
                QVERIFY2(announced.rows.contains(row), qPrintable(now.at(1)));
            }
            // The open editors show what the model says, on every row.
            QCOMPARE(lookOf(table, row, true), now);
        }
    }
    // The pack, the switched row and the other installation's row.
    QCOMPARE(changedRows, 3);
}

// Scrolling the page over a closed drop-down scrolls the table and leaves the version alone;
// only a drop-down the user has given focus takes the wheel.
void TestLmtToolSelectView::wheelScrollsThePageNotTheVersion()
{
    Catalogue catalogue("views/view-many.json");
    LmtToolSelectView view;
    view.resize(640, 400);
    view.updateToolsData(catalogue.model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTableView *table = view.additionalTable();
    QScrollBar *scrollBar = table->verticalScrollBar();
    QVERIFY(scrollBar->maximum() > 0);
    QCOMPARE(scrollBar->value(), 0);

    auto *comboBox = editorAt<QComboBox>(table, 0, 2);
    QVERIFY(comboBox);
    const auto row = view.additionalModel()->rows().at(0);
    const auto shown = row->currentVersion();
    QCOMPARE(comboBox->currentText(), QString("2.0.0"));
    turnWheel(comboBox, -120);
    QCOMPARE(comboBox->currentText(), QString("2.0.0"));
    QCOMPARE(row->currentVersion(), shown);
    QVERIFY(scrollBar->value() > 0);
    QVERIFY(!comboBox->hasFocus());

    // With the focus the wheel steps through the versions, and the row follows.
    scrollBar->setValue(0);
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    comboBox->setFocus(Qt::TabFocusReason);
    QVERIFY(comboBox->hasFocus());
    turnWheel(comboBox, -120);
    QCOMPARE(comboBox->currentText(), QString("1.0.0"));
    QCOMPARE(row->currentKey(), QString("1.0.0"));
    QCOMPARE(scrollBar->value(), 0);
}

void TestLmtToolSelectView::registryTextIsShownAsWritten_data()
{
    lmttest::rowsFrom("views/registry-texts.json", "given");
}

// Names, feature ids, paths and addresses from the registries read as written in every cell,
// tool tip and box of the select page, and only web pages become links.
void TestLmtToolSelectView::registryTextIsShownAsWritten()
{
    QFETCH(QJsonObject, given);
    QHash<QString, QString> fill;
    for (const QString &key : given.keys())
        fill.insert(key, given[key].toString());
    const QString name = fill["name"], featureId = fill["featureId"], location = fill["location"],
                  extension = fill["extension"], downloadPage = fill["downloadPage"];
    const bool linked = given["linked"].toBool();
    fill.insert("localId", featureId + ".local");
    Catalogue catalogue("views/view-registry-text.json", fill);
    const auto installed = catalogue.version("installed");

    LmtToolSelectView view;
    view.resize(1200, 600);
    view.updateToolsData(catalogue.model);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const QString shownPage = QUrl(downloadPage).toString();
    const QHash<QString, QString> values { { "{name}", name }, { "{location}", location },
        { "{extension}", extension }, { "{packPage}", vendorToolPageUrl(featureId) },
        { "{needsPage}", vendorToolPageUrl("com.zdr.needs") },
        { "{linkedPage}", linked ? shownPage : QString() },
        { "{download}",
            (linked ? QString("Download %1 by clicking %2.") : QString("Download %1 from %2."))
                .arg(name, shownPage) } };
    const auto filled = [&values](QString text) {
        for (auto it = values.begin(); it != values.end(); ++it)
            text.replace(it.key(), it.value());
        return text;
    };
    for (const QJsonValue &cell : selecttest::jsonFixture("views/registry-text-cells.json")) {
        const auto version = catalogue.version(cell["as"].toString());
        QTableView *table = rowShowing(view.baseModel(), version) >= 0 ? view.baseTable()
                                                                       : view.additionalTable();
        const int row = rowShowing(static_cast<LmtToolSelectModel *>(table->model()), version);
        auto *browser = editorAt<QTextBrowser>(table, row, 3);
        if (auto *thirdParty = editorAt<ThirdPartyEditorWidget>(table, row, 3))
            browser = thirdParty->informationBrowser();
        QVERIFY2(browser, qPrintable(cell["as"].toString()));
        QCOMPARE(browser->toPlainText().simplified(), filled(cell["text"].toString()).simplified());
        QStringList links, expected;
        for (const QJsonValue &link : cell["links"].toArray())
            if (!filled(link.toString()).isEmpty())
                expected << filled(link.toString());
        for (QTextBlock block = browser->document()->begin(); block.isValid();
             block = block.next()) {
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                const QTextCharFormat format = fragment.fragment().charFormat();
                if (format.isAnchor() && !links.contains(format.anchorHref()))
                    links.append(format.anchorHref());
            }
        }
        QCOMPARE(links, expected);
    }

    // Tool tips of the check box and the name, shown where the pointer rests.
    const auto shownToolTip = [](QTableView *table, int row, int column) {
        const QRect cell = table->visualRect(table->model()->index(row, column));
        QHelpEvent event(
            QEvent::ToolTip, cell.center(), table->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(table->viewport(), &event);
        return shownAs(QToolTip::text(), Qt::AutoText);
    };
    LmtToolSelectModel *additional = view.additionalModel();
    const int needsRow = rowOf(additional, "Needs");
    for (int column : { 0, 1 }) {
        QCOMPARE(shownToolTip(view.additionalTable(), needsRow, column),
            QString("Needs 2.0.0 has a dependency on the %1 1.0.0 which is not installed")
                .arg(name));
    }
    const int installedRow = rowShowing(additional, installed);
    QCOMPARE(shownToolTip(view.additionalTable(), installedRow, 1),
        QString("%1 1.0.0 is installed at %2").arg(name, location));
    QToolTip::hideText();

    // The uninstall question names the tool as written.
    QStringList seen;
    answerMessageBox("Cancel", &seen);
    QVERIFY(!additional->setData(
        additional->index(installedRow, 0), int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(seen.value(2),
        QString("By deselecting this check box, you will uninstall '%1 1.0.0' if you proceed to "
                "the next step.")
            .arg(name));

    // So does the name of a package on the configuration page.
    LmtToolLinksCell links(LmtToolLinksData { name, "1.0.0", {}, {} });
    auto *nameLabel = links.findChild<QLabel *>("lblName");
    QVERIFY(nameLabel);
    QCOMPARE(shownAs(nameLabel->text(), nameLabel->textFormat()), name);
}

QTEST_MAIN(TestLmtToolSelectView)
#include "tst_LmtToolSelectView.moc"
