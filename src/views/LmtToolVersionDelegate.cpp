#include "views/LmtToolVersionDelegate.h"

#include "views/LmtComboWheelGuard.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace zendrel::lmt::setup {

namespace {

constexpr char ShownKeysProperty[] = "lmtShownVersionKeys";

} // namespace

LmtToolVersionDelegate::LmtToolVersionDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QWidget *LmtToolVersionDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *comboBox = new QComboBox(parent);
    // The table scrolls under the pointer; the version must not change with it.
    LmtComboWheelGuard::install(comboBox);
    connect(comboBox, &QComboBox::currentIndexChanged, this,
        &LmtToolVersionDelegate::onComboBoxIndexChanged);
    return comboBox;
}

void LmtToolVersionDelegate::onComboBoxIndexChanged(int)
{
    Q_EMIT commitData(qobject_cast<QWidget *>(sender()));
}

void LmtToolVersionDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *comboBox = qobject_cast<QComboBox *>(editor);
    if (!comboBox)
        return;
    // Refilling must not look like a user's choice.
    const QSignalBlocker blocker(comboBox);
    // Every change notice refreshes every open drop-down, while a row's entries never change;
    // refilling only when they differ keeps a click fast in long tables.
    const QStringList keys = index.data(Qt::UserRole).toStringList();
    if (comboBox->property(ShownKeysProperty).toStringList() != keys
        || comboBox->count() != keys.size()) {
        comboBox->clear();
        for (const QString &key : keys)
            comboBox->addItem(QIcon(), key);
        comboBox->setProperty(ShownKeysProperty, keys);
    }
    comboBox->setCurrentIndex(comboBox->findData(index.data(Qt::EditRole).toString(),
        Qt::DisplayRole, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void LmtToolVersionDelegate::setModelData(
    QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *comboBox = qobject_cast<QComboBox *>(editor);
    if (comboBox && model)
        model->setData(index, comboBox->currentText(), Qt::EditRole);
}

QSize LmtToolVersionDelegate::sizeHint(
    const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The display role of the version column is empty (the drop-down shows the text), so
    // measure the version text to keep the column as wide as it.
    QStyleOptionViewItem measured(option);
    measured.features |= QStyleOptionViewItem::HasDisplay;
    measured.text = index.model() ? index.data(Qt::EditRole).toString() : QString();
    return QStyledItemDelegate::sizeHint(measured, index);
}

} // namespace zendrel::lmt::setup
