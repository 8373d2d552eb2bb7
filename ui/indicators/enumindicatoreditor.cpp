// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/enumindicatoreditor.h"

#include <QComboBox>

EnumIndicatorEditor::EnumIndicatorEditor(QWidget *parent)
    : BaseIndicatorEditor(parent),
      m_indicator(new EnumIndicator(this)),
      m_comboBox(new QComboBox(this))
{
    m_indicator->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWidgets(m_indicator, m_comboBox);
    connect(m_comboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
        &EnumIndicatorEditor::selectedValueChanged);
}

void EnumIndicatorEditor::addItem(qint64 code, const QString &text)
{
    m_indicator->setItemText(code, text);
    m_comboBox->addItem(text, code);
}

DataValue EnumIndicatorEditor::selectedValue() const
{
    if (m_comboBox->currentIndex() < 0)
        return { 0, NoData };
    return { m_comboBox->currentData().toLongLong(), Valid };
}

void EnumIndicatorEditor::onEditModeChanged(bool editMode)
{
    if (!editMode)
        return;
    const DataValue value = m_indicator->value();
    m_comboBox->setCurrentIndex(value.status == NoData ? 0 : m_comboBox->findData(value.value));
}
