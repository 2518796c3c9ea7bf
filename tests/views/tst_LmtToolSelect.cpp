#include "views/LmtSelectRowsBuilder.h"
#include "views/LmtToolLinksCell.h"
#include "views/SelectTestCatalogue.h"

using namespace selecttest; // and so the product's own namespace

// The select page: its models alone, their hint texts, and the page around them.
class TestLmtToolSelect : public QObject
{
    Q_OBJECT

    lmttest::Sandbox m_sandbox;

private Q_SLOTS:
    void followsTheSteps_data() { lmttest::rowsFrom("views/steps.json", "given"); }

    // A catalogue (select-lines unless named), one table's model ("base" unless false) or the whole
    // page ("view"), the steps of SelectRig, then, when given, every row of the table as a line:
    // its name, shown version and key, each key of the drop-down with the version behind it, the
    // versions of the row, the upgrade it offers, the version cell's text/edit text and key list,
    // the flags of the columns (enabled, checkable, writable), the check state and the action.
    void followsTheSteps()
    {
        QFETCH(QJsonObject, given);
        SelectRig rig("views/" + given["fixture"].toString("select-lines") + ".json",
            given["base"].toBool(true), given["view"].toBool());
        rig.runAll(given["steps"]);
        const LmtToolSelectModel &model = rig.model();
        QStringList rows;
        for (int i = 0; i < model.rowCount() && given.contains("rows"); ++i) {
            const auto &row = model.rows().at(i);
            QStringList keys, versions, flags;
            for (const QString &key : row->versionKeys())
                keys << key + "=" + rig.labelOf(row->versionForKey(key));
            for (const auto &version : row->versions())
                versions << rig.labelOf(version);
            for (int column = 0; column < model.columnCount(); ++column) {
                const Qt::ItemFlags f = model.flags(model.index(i, column));
                flags << QString(f & Qt::ItemIsEnabled ? "e" : "")
                        + (f & Qt::ItemIsUserCheckable ? "c" : "")
                        + (f & Qt::ItemIsEditable ? "w" : "");
            }
            const QModelIndex cell = model.index(i, LmtToolSelectModel::ColumnVersion);
            const QVariant list = cell.data(Qt::UserRole);
            rows << QStringList(
                { model.index(i, 1).data().toString(), rig.labelOf(row->currentVersion()),
                    row->currentKey(), keys.join(','), versions.join(','),
                    QString("up%1").arg(int(row->upgradeKind())),
                    row->hasVersionChoice() ? "choice" : "fixed",
                    cell.data(Qt::DisplayRole).toString() + "/"
                        + cell.data(Qt::EditRole).toString(),
                    list.isValid() ? (list.toStringList() == row->versionKeys() ? "list" : "?")
                                   : "-",
                    flags.join('/'),
                    model.index(i, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked ? "on"
                                                                                      : "off",
                    actionNames.value(row->action()) })
                        .join(' ');
        }
        QCOMPARE(rows, QVariant(given["rows"].toArray().toVariantList()).toStringList());
    }

    void upgradeIconsAndTips()
    {
        SelectRig rig("views/select-upgrades.json", false);
        const QAbstractItemModel &model = rig.model();
        // Rows: a minor, a major upgrade, none; each kind's icon is built once for every row.
        const auto at = [&model](int row, int role) { return model.index(row, 2).data(role); };
        const auto icon = [&at](int row) { return at(row, Qt::DecorationRole).value<QIcon>(); };
        QVERIFY(!icon(0).pixmap(16, 16).isNull() && !icon(1).pixmap(16, 16).isNull()
            && icon(0).cacheKey() != icon(1).cacheKey()
            && icon(0).cacheKey() == icon(0).cacheKey());
        QCOMPARE(QStringList({ at(0, Qt::ToolTipRole).toString(), at(1, Qt::ToolTipRole).toString(),
                     at(2, Qt::ToolTipRole).isValid() ? "a tip" : "none" }),
            QStringList({ "There is a new minor or patch version available.",
                "There is a new major version available.", "none" }));
        // Without upgrade a transparent 16x16 placeholder keeps the column's layout.
        const QImage image = at(2, Qt::DecorationRole).value<QPixmap>().toImage();
        QVERIFY(image.size() == QSize(16, 16) && qAlpha(image.pixel(8, 8)) == 0);
    }

    void dataAnswersOnlyItsRolesAndColumns()
    {
        SelectRig rig("views/select-flags.json", true);
        LmtToolSelectModel &model = rig.model();
        // Indexes of another model get nothing added and change nothing.
        QStandardItemModel other(10, 4);
        QCOMPARE(
            model.flags(other.index(9, 3)), model.QAbstractTableModel::flags(other.index(9, 3)));
        QVERIFY(!model.setData(other.index(7, 0), int(Qt::Checked), Qt::CheckStateRole)
            && !model.data(other.index(9, 3)).isValid() && !model.data(QModelIndex()).isValid());
        for (const auto &[column, role] :
            { std::pair { 0, Qt::DisplayRole }, { 3, Qt::DisplayRole }, { 1, Qt::EditRole },
                { 1, Qt::CheckStateRole }, { 0, Qt::DecorationRole }, { 1, Qt::UserRole },
                { 1, Qt::FontRole }, { 1, Qt::DecorationRole } })
            QVERIFY(!model.index(rig.show("all"), column).data(role).isValid());
        QCOMPARE(model.columnCount() + model.rowCount(model.index(0, 0)), 4);

        // The error icon marks the row whose shown version has an unmet dependency, by identity:
        // an equal but distinct version object does not count.
        const int dependentRow = rig.show("dependent");
        const auto error = [&] { return model.index(dependentRow, 1).data(Qt::DecorationRole); };
        rig.run("missing dependent=");
        // Built once: the very same icon each time.
        QVERIFY(!error().value<QIcon>().pixmap(16, 16).isNull()
            && error().value<QIcon>().cacheKey() == error().value<QIcon>().cacheKey());
        model.setMissingDependencies({ { LmtOnlineToolVersion::create("3.2.0", 0, 1), nullptr } });
        QVERIFY(!error().isValid());
        // A refresh replaces the rows in one reset.
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.updateToolsData(std::make_shared<LmtCoreToolModel>());
        QCOMPARE(reset.count() + model.rowCount(), 1);
    }

    // Built over turns of the event loop (here one step per turn), the rows of a catalogue are
    // those of a build in one go; the tables keep their old rows until all new ones are there
    // and then change in one reset each. A stopped build changes nothing; a newer catalogue
    // replaces the one under way.
    void rowsBuiltInTurnsAppearTogether()
    {
        const Catalogue lines("views/select-lines.json"), other("views/view-refresh.json");
        const auto shown = [](const LmtToolSelectModel &model) {
            QList<LmtToolVersion *> versions;
            for (const auto &row : model.rows())
                versions << row->currentVersion().get();
            return versions;
        };
        LmtToolSelectModel expectedBase(true), expectedAdditional(false);
        expectedBase.updateToolsData(lines.model);
        expectedAdditional.updateToolsData(lines.model);
        QVERIFY(expectedBase.rowCount() > 1 && expectedAdditional.rowCount() > 1);

        LmtToolSelectModel base(true), additional(false);
        base.updateToolsData(other.model);
        additional.updateToolsData(other.model);
        const auto before = QList { shown(base), shown(additional) };
        LmtSelectRowsBuilder builder(&base, &additional, nullptr, 0);
        QSignalSpy built(&builder, &LmtSelectRowsBuilder::built);
        QSignalSpy resets(&base, &QAbstractItemModel::modelReset);

        builder.buildInTurns(lines.model);
        QCoreApplication::processEvents();
        QVERIFY(builder.isBuilding());
        builder.stop();
        QTest::qWait(20);
        QCOMPARE(built.count() + resets.count(), 0);
        QCOMPARE((QList { shown(base), shown(additional) }), before);

        builder.buildInTurns(other.model);
        builder.buildInTurns(lines.model);
        for (int turn = 0; turn < 3; ++turn) {
            QVERIFY(builder.isBuilding());
            QCOMPARE((QList { shown(base), shown(additional) }), before);
            QCoreApplication::processEvents();
        }
        QVERIFY(built.wait(2000));
        QCOMPARE(resets.count(), 1);
        QCOMPARE((QList { shown(base), shown(additional) }),
            (QList { shown(expectedBase), shown(expectedAdditional) }));
        QTest::qWait(20);
        QCOMPARE(built.count(), 1);
    }

    // One letter per row of the table (x: changed), and the runs of rows announced.
    void rowsAnnouncedInRuns_data() { lmttest::rowsFrom("views/runs.txt", { "x", "runs" }); }

    void rowsAnnouncedInRuns()
    {
        QFETCH(QString, x);
        QFETCH(QString, runs);
        SelectRig rig(QStringLiteral("views/select-table.json"), false);
        LmtToolSelectModel &model = rig.model();
        QCOMPARE(model.rowCount(), x.size());
        QStringList announced;
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
            [&announced](const QModelIndex &from, const QModelIndex &to) {
                announced << QString::asprintf(
                    "%d.%d-%d.%d", from.row(), from.column(), to.row(), to.column());
            });
        model.announceRowChanges([&](const LmtToolSelectRow &row) {
            for (int i = 0; i < model.rowCount(); ++i)
                if (model.rows().at(i).get() == &row)
                    return x.at(i) == 'x';
            return false;
        });
        QCOMPARE(announced.join(' '), runs);
    }

    void initTestCase() { QApplication::setApplicationDisplayName("Lumetra Setup Test"); }

    // The page's labels and tables, and its information cells: sized by the text they show, and
    // for an installed 3rd-party tool with the button that starts it.
    void pageAndInformationCells()
    {
        const QString marker = m_sandbox.filePath("started.txt");
        qputenv("LMT_EDITOR_MARKER", marker.toUtf8());
        SelectRig rig("views/view-cells.json", true, true,
            { { "script", lmttest::fixturePath("views/editor.sh") } });
        LmtToolSelectView &view = rig.view();
        QCOMPARE(QStringList({ view.findChild<QLabel *>("m_lblBasePackages")->text(),
                     view.findChild<QLabel *>("m_lblAdditionalPackages")->text(),
                     plainText(view.findChild<QLabel *>("m_lblArchiveLink")->text()) }),
            QStringList({ "Base Packages", "Additional Packages",
                "Check Lumetra™ Software landing page for offline installation packages" }));
        // Both tables line up: one width per column, one row height.
        for (int column = 0; column < 3; ++column)
            QCOMPARE(
                view.baseTable()->columnWidth(column), view.additionalTable()->columnWidth(column));
        QCOMPARE(view.baseTable()->rowHeight(0), view.additionalTable()->rowHeight(0));
        LmtToolInfoDelegate delegate;
        QStyleOptionViewItem option;
        option.initFrom(view.baseTable());
        const auto plainWidth = [&](const QString &text) {
            QStyleOptionViewItem measured(option);
            measured.features |= QStyleOptionViewItem::HasDisplay;
            measured.text = text;
            return QStyledItemDelegate().sizeHint(measured, QModelIndex()).width();
        };
        const QModelIndex packInfo = view.additionalModel()->index(0, 3);
        const QString packText = packInfo.data(Qt::EditRole).toString();
        QCOMPARE(delegate.sizeHint(option, packInfo).width(), plainWidth(plainText(packText)) + 20);
        QVERIFY(delegate.sizeHint(option, packInfo).width() < plainWidth(packText));
        // The installed 3rd-party row also holds the "Open" button.
        const QModelIndex editorInfo = rig.model().index(rig.locate("editor").second, 3);
        QCOMPARE(delegate.sizeHint(option, editorInfo).width(),
            plainWidth(editorInfo.data(Qt::EditRole).toString()) + 20 + 220);
        // Measurements are kept, but not across a change of font.
        option.font.setPointSize(option.font.pointSize() * 2);
        QCOMPARE(delegate.sizeHint(option, packInfo).width(), plainWidth(plainText(packText)) + 20);

        QVERIFY(rig.showView(640, 400));
        const auto cellOf = [&rig](const QString &label) {
            return qobject_cast<ThirdPartyEditorWidget *>(
                rig.cell(&rig.model(), rig.locate(label).second, 3));
        };
        auto *cell = cellOf("editor");
        QCOMPARE(cell->openButton()->text(), QString("Open Editor"));
        // Lint is known but not installed, so the cell warns about it in italics.
        QVERIFY(cell->informationBrowser()->font().italic() && !cell->openButton()->font().italic()
            && !cellOf("viewer")->informationBrowser()->font().italic());

        // The tool starts on its own, without arguments, even with extensions missing.
        cell->openButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(lmttest::readFile(marker).trimmed(), QByteArray("args:0"), 10000);

        // A tool that is gone is not started and nothing breaks.
        lmttest::LogCapture log;
        cellOf("viewer")->openButton()->click();
        QVERIFY(log.contains("[ThirdPartyEditorWidget]") && log.contains("failed to start"));
    }

    // Scrolling the page over a closed drop-down scrolls the table and leaves the version alone;
    // only a drop-down the user has given focus takes the wheel.
    void wheelScrollsThePageNotTheVersion()
    {
        SelectRig rig("views/view-many.json", true, true);
        LmtToolSelectView &view = rig.view();
        QVERIFY(rig.showView(640, 400));
        // Rows out of view are measured while their information cells are open: an open cell
        // must not make the rows as tall as a scroll area asks to be (192 px).
        QTRY_VERIFY(!view.measuringRows());
        QVERIFY2(view.additionalTable()->rowHeight(0) < 60,
            qPrintable(QString::number(view.additionalTable()->rowHeight(0))));
        // One notch down over the middle of the drop-down, delivered as the window system delivers
        // it: a spontaneous event, which the application hands on to the parents while the widgets
        // ignore it (as the key clicks of QTest do: sendEvent() would mark it as not spontaneous).
        const auto turnWheel = [](QWidget *widget) {
            const QPointF centre = QRectF(widget->rect()).center();
            QWheelEvent event(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, -120),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&event);
            qApp->notify(widget, &event);
        };
        QScrollBar *scrollBar = view.additionalTable()->verticalScrollBar();
        auto *comboBox = qobject_cast<QComboBox *>(rig.cell(view.additionalModel(), 0, 2));
        const auto row = view.additionalModel()->rows().at(0);
        turnWheel(comboBox);
        QCOMPARE(comboBox->currentText() + " " + row->currentKey(), QString("2.0.0 2.0.0"));
        QVERIFY(scrollBar->value() > 0 && !comboBox->hasFocus());

        // With the focus the wheel steps through the versions, and the row follows.
        scrollBar->setValue(0);
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        comboBox->setFocus(Qt::TabFocusReason);
        QVERIFY(comboBox->hasFocus());
        turnWheel(comboBox);
        QCOMPARE(comboBox->currentText() + " " + row->currentKey(), QString("1.0.0 1.0.0"));
        QCOMPARE(scrollBar->value(), 0);
    }

    void registryTextAsWritten_data() { lmttest::rowsFrom("views/registry-texts.json", "given"); }

    // Names, feature ids, paths and addresses from the registries read as written in every cell,
    // tool tip and box of the select page, and only web pages become links.
    void registryTextAsWritten()
    {
        QFETCH(QJsonObject, given);
        QHash<QString, QString> fill;
        for (const QString &key : given.keys())
            fill.insert(key, given[key].toString());
        const QString name = fill["name"], page = QUrl(fill["downloadPage"]).toString();
        const bool linked = given["linked"].toBool();
        SelectRig rig("views/view-registry-text.json", true, true, fill);
        QVERIFY(rig.showView(1200, 600));

        fill.insert("packPage", vendorToolPageUrl(fill["featureId"]));
        fill.insert("needsPage", vendorToolPageUrl("com.zdr.needs"));
        fill.insert("linkedPage", linked ? page : QString());
        fill.insert("download",
            QString("Download %1 %2 %3.").arg(name, linked ? "by clicking" : "from", page));
        const auto filled = [&fill](QString text) {
            for (auto it = fill.begin(); it != fill.end(); ++it)
                text.replace("{" + it.key() + "}", it.value());
            return text;
        };
        for (const QJsonValue &cell : jsonFixture("views/registry-text-cells.json")) {
            const auto [model, row] = rig.locate(cell["as"].toString());
            QTextBrowser *browser = rig.browserAt(model, row);
            QCOMPARE(
                browser->toPlainText().simplified(), filled(cell["text"].toString()).simplified());
            QStringList links;
            for (const QRegularExpressionMatch &anchor :
                QRegularExpression("<a href=\"([^\"]*)\"").globalMatch(browser->toHtml()))
                links << anchor.captured(1);
            QCOMPARE(links.join(' '), filled(cell["links"].toString()).toHtmlEscaped());
            // The tool tips of the check box and the name, shown where the pointer rests.
            for (int column = 0; cell["tip"].isString() && column < 2; ++column) {
                QTableView *table = rig.table(model);
                const QRect rect = table->visualRect(model->index(row, column));
                QHelpEvent event(
                    QEvent::ToolTip, rect.center(), table->viewport()->mapToGlobal(rect.center()));
                QApplication::sendEvent(table->viewport(), &event);
                QCOMPARE(shownAs(QToolTip::text(), Qt::AutoText), filled(cell["tip"].toString()));
            }
        }

        // The uninstall question names the tool as written.
        rig.run("answer Cancel");
        rig.run("set installed 0 unchecked check");
        rig.run("box Lumetra Setup Test: By deselecting this check box, you will uninstall '" + name
            + " 1.0.0' if you proceed to the next step.");

        // So does the name of a package on the configuration page.
        LmtToolLinksCell links(LmtToolLinksData { name, "1.0.0", {}, {} });
        auto *nameLabel = links.findChild<QLabel *>("lblName");
        QCOMPARE(shownAs(nameLabel->text(), nameLabel->textFormat()), name);
    }
};

QTEST_MAIN(TestLmtToolSelect)
#include "tst_LmtToolSelect.moc"
