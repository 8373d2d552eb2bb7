// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsfiles/settingsfielddelegate.h"

#include "devicemonitor/settingscomparisonmodel.h"
#include "ui/indicators/steppedspinbox.h"

#include <QComboBox>

#include <cmath>

namespace {

// The limits and step a number editor of `field` takes.
ValueRange shownRange(const FieldDescription &field, qint64 multiplier)
{
    return field.scaledByCurrentRange ? field.range.scaled(double(multiplier)) : field.range;
}

} // namespace

SettingsFieldDelegate::SettingsFieldDelegate(SettingsComparisonModel *model, QObject *parent)
    : QStyledItemDelegate(parent), m_model(model)
{
}

QWidget *SettingsFieldDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() != SettingsComparisonModel::FileColumn)
        return QStyledItemDelegate::createEditor(parent, option, index);
    const FieldDescription &field = m_model->fieldAt(index.row());
    if (field.kind == FieldDescription::Code) {
        auto *combo = new QComboBox(parent);
        const QVector<qint64> codes = field.codes.codes();
        for (qint64 code : codes)
            combo->addItem(field.shownText(code), code);
        return combo;
    }
    auto *spinBox = new SteppedSpinBox(parent);
    const ValueRange range = shownRange(field, m_model->fileRangeMultiplier());
    spinBox->setDecimals(range.decimals);
    spinBox->setRange(range.minimum, range.maximum);
    spinBox->setSingleStep(range.step);
    spinBox->setSuffix(field.unit.translated());
    return spinBox;
}

void SettingsFieldDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const qint64 raw = index.data(Qt::EditRole).toLongLong();
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentIndex(combo->findData(raw));
    } else if (auto *spinBox = qobject_cast<SteppedSpinBox *>(editor)) {
        const FieldDescription &field = m_model->fieldAt(index.row());
        spinBox->setValue(field.shownNumber(raw, m_model->fileRangeMultiplier()));
    } else {
        QStyledItemDelegate::setEditorData(editor, index);
    }
}

void SettingsFieldDelegate::setModelData(
    QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentData());
    } else if (auto *spinBox = qobject_cast<SteppedSpinBox *>(editor)) {
        spinBox->takeTypedValue();
        const ValueRange range
            = shownRange(m_model->fieldAt(index.row()), m_model->fileRangeMultiplier());
        model->setData(index, qint64(std::llround(spinBox->value() / range.step)));
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
    }
}
