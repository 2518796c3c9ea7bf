#pragma once

#include <QFont>
#include <QHash>
#include <QSize>
#include <QStyledItemDelegate>

#include <memory>

class QTextBrowser;

namespace zendrel::lmt::setup {

class LmtToolVersion;

// The information cell of the select tables: the row's hint text as rich text with working
// links, kept open as a persistent editor. An installed 3rd-party tool gets an "Open" button
// beside the text.
class LmtToolInfoDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Extra width of the cell beyond its visible text.
    static constexpr int TextPadding = 20;
    // Room for the "Open" button of an installed 3rd-party tool.
    static constexpr int OpenButtonWidth = 220;

    explicit LmtToolInfoDelegate(QObject *parent = nullptr);

    // The read-only rich-text browser every information cell shows its text in.
    static QTextBrowser *createInformationBrowser(
        const std::shared_ptr<LmtToolVersion> &version, QWidget *parent);
    // The hint text as the user sees it: the anchors' markup removed, their captions kept.
    static QString visibleText(const QString &informationText);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // What a measurement depends on besides the text.
    struct MeasureContext {
        QFont font;
        const QStyle *style = nullptr;
        QStyleOptionViewItem::ViewItemFeatures features;
        QSize decorationSize;
        QStyleOptionViewItem::Position decorationPosition = QStyleOptionViewItem::Left;

        bool operator==(const MeasureContext &other) const;
    };

    QSize measuredSize(const QStyleOptionViewItem &option, const QModelIndex &index,
        const QString &informationText) const;

    // Sizes of the information texts measured so far, by text. Sizing the column after a
    // click measures every row, and laying out a thousand texts again is what kept the window
    // waiting; a row whose state changed has another text and is measured anew.
    mutable QHash<QString, QSize> m_measuredSizes;
    mutable MeasureContext m_measuredWith;
};

// Whether the version is an installation of a 3rd-party tool, whose cell holds the "Open"
// button.
bool isInstalledThirdParty(const LmtToolVersion &version);

} // namespace zendrel::lmt::setup
