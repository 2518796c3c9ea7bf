#include "views/LmtToolInfoDelegate.h"

#include "model/Lmt3rdPartyLocalToolVersion.h"
#include "model/LmtToolVersion.h"
#include "views/LmtToolSelectModel.h"
#include "views/ThirdPartyEditorWidget.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTextBrowser>

namespace zendrel::lmt::setup {

namespace {

constexpr char ShownTextProperty[] = "lmtShownInformationText";
// Beyond this many different texts the measurements start over (a long session of refreshes
// would otherwise keep the texts of long-gone rows).
constexpr qsizetype MaxMeasuredTexts = 16384;

std::shared_ptr<LmtToolVersion> currentVersionAt(const QModelIndex &index)
{
    const auto *model = qobject_cast<const LmtToolSelectModel *>(index.model());
    const auto row = model ? model->rowAt(index.row()) : nullptr;
    return row ? row->currentVersion() : nullptr;
}

// The delegate measures the cell from its text. A scroll area asks for 256 × 192 pixels whatever
// it holds, and the table counts an open editor's wish when it sizes rows and columns: every row
// measured while its cell is open would grow that tall.
class InformationBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;
    QSize sizeHint() const override { return {}; }
};

} // namespace

bool isInstalledThirdParty(const LmtToolVersion &version)
{
    return !version.isOnline() && version.toolType() == LmtToolType::ThirdParty;
}

LmtToolInfoDelegate::LmtToolInfoDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QTextBrowser *LmtToolInfoDelegate::createInformationBrowser(
    const std::shared_ptr<LmtToolVersion> &version, QWidget *parent)
{
    auto *browser = new InformationBrowser(parent);
    // A kept installation offers the standard menu (copying its location); other cells none.
    const bool keptInstallation = version && !version->isOnline() && version->selected();
    browser->setContextMenuPolicy(keptInstallation ? Qt::DefaultContextMenu : Qt::NoContextMenu);
    browser->setReadOnly(true);
    browser->setOpenExternalLinks(true);
    browser->setLineWrapMode(QTextEdit::NoWrap);
    browser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    browser->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    browser->setFrameShape(QFrame::NoFrame);
    browser->setStyleSheet(QStringLiteral(
        "padding-top: 3px; padding-bottom: 0px; padding-left: 10px; text-align:center;"));
    return browser;
}

QString LmtToolInfoDelegate::visibleText(const QString &informationText)
{
    static const QRegularExpression anchorStart(QStringLiteral("<a href=\"(.*)\">"));
    QString text = informationText;
    text.remove(anchorStart);
    text.remove(QStringLiteral("</a>"));
    return text;
}

QWidget *LmtToolInfoDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const auto version = currentVersionAt(index);
    if (version && isInstalledThirdParty(*version))
        return new ThirdPartyEditorWidget(version, parent);
    return createInformationBrowser(version, parent);
}

void LmtToolInfoDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    // Every change notice refreshes every open cell; laying out rich text again only where it
    // changed keeps a click fast in long tables.
    if (editor->property(ShownTextProperty).toString() == text && !text.isEmpty())
        return;
    editor->setProperty(ShownTextProperty, text);
    if (auto *thirdParty = qobject_cast<ThirdPartyEditorWidget *>(editor)) {
        thirdParty->informationBrowser()->setHtml(text);
        const auto *installed
            = dynamic_cast<const Lmt3rdPartyLocalToolVersion *>(thirdParty->version().get());
        if (installed && installed->hasPluginsNotInstalled()) {
            // The text is then a warning about the missing extensions.
            thirdParty->setStyleSheet(
                QStringLiteral("QTextBrowser { font: 9,5pt 'Monospace'; font-style: italic; }"));
        }
        return;
    }
    // Always rich text: guessing would show an escaped registry text without markup around
    // it ("&amp;") literally.
    if (auto *browser = qobject_cast<QTextBrowser *>(editor))
        browser->setHtml(text);
}

bool LmtToolInfoDelegate::MeasureContext::operator==(const MeasureContext &other) const
{
    return style == other.style && features == other.features
        && decorationSize == other.decorationSize && decorationPosition == other.decorationPosition
        && font == other.font;
}

QSize LmtToolInfoDelegate::measuredSize(const QStyleOptionViewItem &option,
    const QModelIndex &index, const QString &informationText) const
{
    const MeasureContext context { option.font,
        option.widget ? option.widget->style() : QApplication::style(), option.features,
        option.decorationSize, option.decorationPosition };
    if (!(context == m_measuredWith) || m_measuredSizes.size() >= MaxMeasuredTexts) {
        m_measuredSizes.clear();
        m_measuredWith = context;
    }
    const auto found = m_measuredSizes.constFind(informationText);
    if (found != m_measuredSizes.constEnd())
        return found.value();

    // Measure what is shown: a long link target must not widen the column.
    QStyleOptionViewItem measured(option);
    measured.features |= QStyleOptionViewItem::HasDisplay;
    measured.text = visibleText(informationText);
    const QSize size = QStyledItemDelegate::sizeHint(measured, index);
    m_measuredSizes.insert(informationText, size);
    return size;
}

QSize LmtToolInfoDelegate::sizeHint(
    const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = measuredSize(
        option, index, index.model() ? index.data(Qt::EditRole).toString() : QString());
    size.rwidth() += TextPadding;
    const auto version = currentVersionAt(index);
    if (version && isInstalledThirdParty(*version))
        size.rwidth() += OpenButtonWidth;
    return size;
}

} // namespace zendrel::lmt::setup
