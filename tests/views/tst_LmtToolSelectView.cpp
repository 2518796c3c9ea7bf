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
    QStringList containing(const QString &fragment) const { return lines.filter(fragment); }
};

int rowOf(const LmtToolSelectModel *model, const QString &toolName)
{
    for (int i = 0; i < model->rows().size(); ++i) {
        if (model->rows().at(i)->currentVersion()->tool()->name() == toolName)
            return i;
    }
    return -1;
}

bool check(LmtToolSelectModel *model, const QString &toolName)
{
    const int row = rowOf(model, toolName);
    return model->setData(
        model->index(row, LmtToolSelectModel::ColumnCheck), int(Qt::Checked), Qt::CheckStateRole);
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

} // namespace

class TestLmtToolSelectView : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void initTestCase();
    void formHasItsWidgetsAndEditors();
    void dropDownSelectsAndFollows();
    void informationCellIsSizedByVisibleText();
    void cellsFollowEveryTick();
    void thirdPartyCellOpensTheTool();
    void dependenciesAreSelectedAcrossTables();
    void dependencySelectionRepaintsEveryChangedRow();
    void unreachableDependencyIsReportedWithoutCandidate();
    void dependencyMetBySelectedVersionNeedsNothing();
    void refreshLogsAllButChangesOnlyGrowthAndUninstallAsks();
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

void TestLmtToolSelectView::dropDownSelectsAndFollows()
{
    Catalogue catalogue("views/view-form.json");
    const auto major = catalogue.version("major");
    const auto probe = major->tool();

    LmtToolSelectView view;
    int selectionChanges = 0;
    connect(&view, &LmtToolSelectView::toolSelectionChanged, [&] { ++selectionChanges; });
    view.updateToolsData(catalogue.model);
    LmtToolSelectModel *model = view.additionalModel();
    const int probeRow = rowOf(model, "Probe");
    auto *comboBox = editorAt<QComboBox>(view.additionalTable(), probeRow, 2);
    QVERIFY(comboBox);
    QCOMPARE(comboBox->currentText(), QString("2.1.3"));

    // Choosing an item switches the row at once; the editor stays open.
    comboBox->setCurrentIndex(comboBox->findText("3.0.0"));
    QCOMPARE(model->rows().at(probeRow)->currentVersion(), major);
    QCOMPARE(probe->selectedVersionKey(), QString("3.0.0"));
    QCOMPARE(model->index(probeRow, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QVERIFY(infoOf(model, probeRow).startsWith("Select the check box to install."));
    QCOMPARE(editorAt<QComboBox>(view.additionalTable(), probeRow, 2), comboBox);
    auto *information = editorAt<QTextBrowser>(view.additionalTable(), probeRow, 3);
    QVERIFY(information->toPlainText().startsWith("Select the check box to install."));
    QCOMPARE(selectionChanges, 1);

    // A change made elsewhere reaches the drop-down with the model's next change notice.
    QVERIFY(model->rows().at(probeRow)->selectVersion("2.1.3"));
    QCOMPARE(comboBox->currentText(), QString("3.0.0"));
    QVERIFY(check(model, "Scope"));
    QCOMPARE(comboBox->currentText(), QString("2.1.3"));
    QCOMPARE(model->rows().at(probeRow)->currentVersion(), catalogue.version("probe"));
    QVERIFY(information->toPlainText().startsWith("Update available."));
    QVERIFY(catalogue.version("scope")->selected());
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
    // The tools are checked before the page is built, without their dependency, the
    // external drivers; the drivers' row shows the newest line, the older one can be picked.
    Catalogue catalogue("views/view-ticks.json");

    LmtToolSelectView view;
    view.updateToolsData(catalogue.model);
    QTableView *table = view.additionalTable();
    LmtToolSelectModel *additional = view.additionalModel();
    const int packRow = rowOf(additional, "Board Pack");
    const QModelIndex packInfo = additional->index(packRow, 3);
    auto *packCell = editorAt<QTextBrowser>(table, packRow, 3);
    QVERIFY(packCell);
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
    const QString unchecked = packInfo.data(Qt::EditRole).toString();
    QVERIFY(unchecked.startsWith("Select the check box to install."));

    // A tick that makes the row's text longer widens the column to the new text.
    QVERIFY(check(additional, "Board Pack"));
    const QString checked = packInfo.data(Qt::EditRole).toString();
    QVERIFY(checked.contains(
        "Dependencies will not be installed: com.zdr.absent.tool.with.a.long.feature.id. "));
    QCOMPARE(packCell->toHtml().contains("com.zdr.absent.tool.with.a.long.feature.id"), true);
    QVERIFY(freshWidth(packInfo) > LmtToolInfoDelegate::TextPadding + 100);
    QCOMPARE(table->columnWidth(3), widest());
    QCOMPARE(table->columnWidth(3), freshWidth(packInfo));
    const int checkedWidth = table->columnWidth(3);

    // And unticking narrows it again: the measurement of the longer text is not reused.
    QVERIFY(
        additional->setData(additional->index(packRow, 0), int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(packInfo.data(Qt::EditRole).toString(), unchecked);
    QVERIFY(packCell->toPlainText().startsWith("Select the check box to install."));
    QCOMPARE(table->columnWidth(3), widest());
    QVERIFY(table->columnWidth(3) < checkedWidth);

    // Checking the already checked tools changes nothing for their model, yet selects the
    // drivers: the drivers' drop-down and cell, and the tools' cell and icon, follow.
    LmtToolSelectModel *base = view.baseModel();
    const int toolsRow = rowOf(base, "Lumetra Tools");
    const int driversRow = rowOf(additional, "Drivers");
    auto *toolsCell = editorAt<QTextBrowser>(view.baseTable(), toolsRow, 3);
    auto *driversCell = editorAt<QTextBrowser>(table, driversRow, 3);
    auto *driversBox = editorAt<QComboBox>(table, driversRow, 2);
    QVERIFY(toolsCell && driversCell && driversBox);
    QVERIFY(hasErrorIcon(base, toolsRow));
    QVERIFY(toolsCell->toPlainText().contains("Dependencies will not be installed: Drivers. "));
    QCOMPARE(driversBox->currentText(), QString("2.0.0"));
    QVERIFY(!check(base, "Lumetra Tools"));
    QVERIFY(catalogue.version("driversOld")->selected());
    QCOMPARE(driversBox->currentText(), QString("1.4.0"));
    QVERIFY(driversCell->toPlainText().startsWith("Click \"Next\" to install. "));
    QVERIFY(!hasErrorIcon(base, toolsRow));
    QVERIFY(!toolsCell->toPlainText().contains("Dependencies will not be installed"));

    // A change that reaches the page only through the dependency check still shows where the
    // unmet dependencies changed.
    additional->rows().at(driversRow)->setCheckState(Qt::Unchecked);
    QVERIFY(!additional->setData(additional->index(driversRow, 1), "x", Qt::DisplayRole));
    QVERIFY(hasErrorIcon(base, toolsRow));
    QVERIFY(toolsCell->toPlainText().contains("Dependencies will not be installed: Drivers. "));
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

void TestLmtToolSelectView::dependenciesAreSelectedAcrossTables()
{
    // The tools need the external probe (whose row spans both its lines, showing the newest),
    // which needs the drivers, which need the tools: the loop ends at versions already selected.
    Catalogue catalogue("views/view-deps.json");
    const auto toolsNew = catalogue.version("tools");
    const auto probeTwo = catalogue.version("probeTwo");
    const auto probeThree = catalogue.version("probeThree");

    LmtToolSelectView view;
    UiLog log(view);
    view.updateToolsData(catalogue.model);
    QVERIFY(log.lines.isEmpty());
    LmtToolSelectModel *additional = view.additionalModel();
    const int probeRow = rowOf(additional, "Probe");
    QCOMPARE(additional->rows().at(probeRow)->currentVersion(), probeThree);
    auto *comboBox = editorAt<QComboBox>(view.additionalTable(), probeRow, 2);
    QCOMPARE(comboBox->currentText(), QString("3.0.0"));

    QVERIFY(check(view.baseModel(), "Lumetra Tools"));
    QVERIFY(toolsNew->selected());
    QVERIFY(probeTwo->selected());
    QVERIFY(!probeThree->selected());
    QVERIFY(catalogue.version("drivers")->selected());
    QCOMPARE(additional->rows().at(probeRow)->currentVersion(), probeTwo);
    QCOMPARE(comboBox->currentText(), QString("2.4.1"));
    QVERIFY(view.missingDependencies().isEmpty());
    QCOMPARE(log.containing("has a dependency on"),
        QStringList(
            { "'Lumetra Tools' version 3.2.0.100 has a dependency on 'Probe' version 2.4.1.7",
                "'Probe' version 2.4.1.7 has a dependency on 'Drivers' version 1.5.0" }));
    QCOMPARE(log.lines,
        QStringList({ "'Lumetra Tools' version 3.2.0.100 was selected for installation",
            "'Lumetra Tools' version 3.2.0.100 has a dependency on 'Probe' version 2.4.1.7",
            "'Probe' version 2.4.1.7 was selected for installation",
            "'Probe' version 2.4.1.7 has a dependency on 'Drivers' version 1.5.0",
            "'Drivers' version 1.5.0 was selected for installation" }));
    QVERIFY(log.allAuto);
    for (int row = 0; row < additional->rowCount(); ++row)
        QVERIFY(!hasErrorIcon(additional, row));

    // Two builds of one major.minor.patch: the row keys them by full text, and the dependency's
    // target build is the one that gets selected (its short text would pick the older build).
    Catalogue builds("views/view-builds.json");
    const auto runtimeOld = builds.version("old");
    const auto runtimeNew = builds.version("new");

    LmtToolSelectView buildsView;
    UiLog buildsLog(buildsView);
    buildsView.updateToolsData(builds.model);
    QCOMPARE(buildsView.baseModel()->rows().first()->currentKey(), QString("3.1.0.200"));
    QVERIFY(check(buildsView.additionalModel(), "Board Pack"));
    QVERIFY(runtimeNew->selected());
    QVERIFY(!runtimeOld->selected());
    QCOMPARE(buildsView.baseModel()->rows().first()->currentVersion(), runtimeNew);
    QVERIFY(buildsView.missingDependencies().isEmpty());
    QCOMPARE(buildsLog.containing("has a dependency on"),
        QStringList {
            "'Board Pack' version 1.0.0 has a dependency on 'Runtime' version 3.1.0.200" });
}

// Checking a dependency deselects the other installations of its line, which rows of their
// own show: those rows change too, and the table must be told, whichever table they are in.
void TestLmtToolSelectView::dependencySelectionRepaintsEveryChangedRow()
{
    Catalogue catalogue("views/view-repaint.json");
    const auto forUser = catalogue.version("user");
    const auto forAll = catalogue.version("all");

    LmtToolSelectView view;
    view.updateToolsData(catalogue.model);
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

    QVERIFY(check(view.additionalModel(), "Board Pack"));
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

void TestLmtToolSelectView::unreachableDependencyIsReportedWithoutCandidate()
{
    // The tools need a tool nobody offers; the only version of the patch's target lies outside
    // the range.
    Catalogue catalogue("views/view-unmet.json");
    const auto toolsNew = catalogue.version("tools");

    LmtToolSelectView view;
    UiLog log(view);
    view.updateToolsData(catalogue.model);
    LmtToolSelectModel *base = view.baseModel();

    QVERIFY(check(base, "Lumetra Tools"));
    QCOMPARE(view.missingDependencies().size(), 1);
    QCOMPARE(view.missingDependencies().first().version, toolsNew);
    QVERIFY(!view.missingDependencies().first().candidate);
    QVERIFY(hasErrorIcon(base, rowOf(base, "Lumetra Tools")));
    QVERIFY(!hasErrorIcon(base, rowOf(base, "Tools Patch")));
    QCOMPARE(log.containing("has a dependency on"),
        QStringList { "'Lumetra Tools' 3.2.0 has a dependency on the com.zdr.absent which is not "
                      "installed" });
    QVERIFY(base->index(rowOf(base, "Lumetra Tools"), 3)
                .data(Qt::EditRole)
                .toString()
                .contains("Dependencies will not be installed: com.zdr.absent. "));

    log.lines.clear();
    QVERIFY(check(base, "Tools Patch"));
    QVERIFY(!catalogue.version("drivers")->selected());
    QVERIFY(hasErrorIcon(base, rowOf(base, "Tools Patch")));
    // The list grew, so every entry is reported again, in the order of the rows (the patch
    // 3.2.1 sorts before the tools 3.2.0).
    QCOMPARE(log.containing("has a dependency on"),
        QStringList({ "'Tools Patch' 3.2.1 has a dependency on the com.zdr.drivers which is not "
                      "installed",
            "'Lumetra Tools' 3.2.0 has a dependency on the com.zdr.absent which is not "
            "installed" }));
}

void TestLmtToolSelectView::dependencyMetBySelectedVersionNeedsNothing()
{
    // The installed runtime already meets the first dependency; only the drivers are missing.
    Catalogue catalogue("views/view-met.json");
    const auto toolsNew = catalogue.version("tools");
    const LmtToolVersionList shown { toolsNew, catalogue.version("runtimeNew"),
        catalogue.version("runtimeOld"), catalogue.version("drivers") };
    QVERIFY(catalogue.version("runtimeOld")->selected());
    const auto missing = LmtToolSelectView::computeMissing(shown);
    QCOMPARE(missing.size(), 1);
    QCOMPARE(missing.first().version, toolsNew);
    QCOMPARE(missing.first().candidate, catalogue.version("drivers"));

    // Nothing selected has dependencies: nothing is missing.
    toolsNew->setSelected(false);
    QVERIFY(LmtToolSelectView::computeMissing(shown).isEmpty());
}

void TestLmtToolSelectView::refreshLogsAllButChangesOnlyGrowthAndUninstallAsks()
{
    Catalogue catalogue("views/view-refresh.json");

    LmtToolSelectView view;
    UiLog log(view);
    const QString line
        = "'Lumetra Tools' 3.1.0 has a dependency on the 'Drivers' 1.5.0 which is not installed";
    view.updateToolsData(catalogue.model);
    QCOMPARE(log.lines, QStringList { line });
    QVERIFY(hasErrorIcon(view.baseModel(), 0));
    // Every refresh reports it again.
    view.updateToolsData(catalogue.model);
    QCOMPARE(log.lines, QStringList({ line, line }));

    // A change that leaves the list as long as it was says nothing about it.
    log.lines.clear();
    QVERIFY(check(view.additionalModel(), "Board Pack"));
    QCOMPARE(log.lines, QStringList { "'Board Pack' version 1.0.0 was selected for installation" });

    // Checking the drivers shrinks the list: no line, and the error icon goes.
    log.lines.clear();
    QVERIFY(check(view.additionalModel(), "Drivers"));
    QVERIFY(view.missingDependencies().isEmpty());
    QCOMPARE(log.containing("dependency"), QStringList());
    QVERIFY(!hasErrorIcon(view.baseModel(), 0));

    // Unticking an installed version asks first; cancelled, nothing changes.
    const auto installed = catalogue.model->tools().first()->localVersions().first();
    int selectionChanges = 0;
    connect(&view, &LmtToolSelectView::toolSelectionChanged, [&] { ++selectionChanges; });
    LmtToolSelectModel *base = view.baseModel();
    const QModelIndex checkBox = base->index(0, 0);
    const QString question = "By deselecting this check box, you will uninstall 'Lumetra Tools "
                             "3.1.0' if you proceed to the next step.";
    log.lines.clear();
    QStringList seen;
    answerMessageBox("Cancel", &seen);
    QVERIFY(!base->setData(checkBox, int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(seen.mid(0, 2), QStringList({ question, "Lumetra Setup Test" }));
    QVERIFY(installed->selected());
    QCOMPARE(checkBox.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(log.lines.isEmpty());
    QCOMPARE(selectionChanges, 0);

    seen.clear();
    answerMessageBox("Continue", &seen);
    QVERIFY(!base->setData(checkBox, int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(seen.value(0), question);
    QVERIFY(!installed->selected());
    QCOMPARE(checkBox.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(
        log.lines, QStringList { "'Lumetra Tools' version 3.1.0 was selected for uninstallation" });
    QCOMPARE(selectionChanges, 1);
    QCOMPARE(infoOf(base, 0), QString("Will be uninstalled"));
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
    selecttest::addRows("views/registry-texts.json");
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

    const QString packPage = vendorToolPageUrl(featureId);
    const QString needsPage = vendorToolPageUrl("com.zdr.needs");
    const QString shownPage = QUrl(downloadPage).toString();
    const QString downloadText = linked
        ? QString("Download %1 by clicking %2.").arg(name, shownPage)
        : QString("Download %1 from %2.").arg(name, shownPage);
    const struct {
        std::shared_ptr<LmtToolVersion> version;
        QString text;
        QStringList links;
    } cells[] = {
        { catalogue.version("pack"),
            "Select the check box to install. To download and install manually go to " + packPage,
            { packPage } },
        { catalogue.version("needs"),
            QString("Click \"Next\" to install. Dependencies will not be installed: %1. To "
                    "download and install manually go to %2")
                .arg(name, needsPage),
            { needsPage } },
        { installed, QString("Version 1.0.0 installed at %1").arg(location), {} },
        { catalogue.version("editor"),
            downloadText
                + QString(" After installing, open %1 and install %2 extension(s).")
                      .arg(name, extension),
            linked ? QStringList { shownPage } : QStringList() },
        { catalogue.version("viewer"),
            QString("Warning: \"%1\" extension(s) not installed in %2 version 4.2.0 installed at "
                    "%3")
                .arg(extension, name, location),
            {} },
    };
    for (const auto &cell : cells) {
        QTableView *table = nullptr;
        for (QTableView *candidate : { view.baseTable(), view.additionalTable() }) {
            if (rowShowing(static_cast<LmtToolSelectModel *>(candidate->model()), cell.version)
                >= 0)
                table = candidate;
        }
        QVERIFY(table);
        const int row = rowShowing(static_cast<LmtToolSelectModel *>(table->model()), cell.version);
        auto *browser = editorAt<QTextBrowser>(table, row, 3);
        if (auto *thirdParty = editorAt<ThirdPartyEditorWidget>(table, row, 3))
            browser = thirdParty->informationBrowser();
        QVERIFY(browser);
        QCOMPARE(browser->toPlainText().simplified(), cell.text.simplified());
        QStringList links;
        for (QTextBlock block = browser->document()->begin(); block.isValid();
             block = block.next()) {
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                const QTextCharFormat format = fragment.fragment().charFormat();
                if (format.isAnchor() && !links.contains(format.anchorHref()))
                    links.append(format.anchorHref());
            }
        }
        QCOMPARE(links, cell.links);
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
