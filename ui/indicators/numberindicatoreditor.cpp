// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/numberindicatoreditor.h"

#include "ui/indicators/steppedspinbox.h"

NumberIndicatorEditor::NumberIndicatorEditor(QWidget *parent)
    : BaseIndicatorEditor(parent),
      m_indicator(new NumberIndicator(this)),
      m_spinBox(new SteppedSpinBox(this))
{
    m_spinBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setWidgets(m_indicator, m_spinBox);
    connect(m_spinBox, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
        &NumberIndicatorEditor::selectedValueChanged);
}

DoubleValue NumberIndicatorEditor::selectedValue() const
{
    return { m_spinBox->value(), Valid };
}

bool NumberIndicatorEditor::takeTypedValue()
{
    return !isEditMode() || m_spinBox->takeTypedValue();
}

double NumberIndicatorEditor::minimum() const
{
    return m_spinBox->minimum();
}

void NumberIndicatorEditor::setMinimum(double minimum)
{
    m_spinBox->setMinimum(minimum);
}

double NumberIndicatorEditor::maximum() const
{
    return m_spinBox->maximum();
}

void NumberIndicatorEditor::setMaximum(double maximum)
{
    m_spinBox->setMaximum(maximum);
}

double NumberIndicatorEditor::singleStep() const
{
    return m_spinBox->singleStep();
}

void NumberIndicatorEditor::setSingleStep(double step)
{
    m_spinBox->setSingleStep(step);
}

void NumberIndicatorEditor::setDecimals(int decimals)
{
    m_indicator->setDecimals(decimals);
    m_spinBox->setDecimals(decimals);
}

void NumberIndicatorEditor::setSuffix(const QString &suffix)
{
    m_indicator->setSuffix(suffix);
    m_spinBox->setSuffix(suffix);
}

ValueRange NumberIndicatorEditor::range() const
{
    return { m_spinBox->minimum(), m_spinBox->maximum(), m_spinBox->singleStep(),
        m_indicator->decimals() };
}

void NumberIndicatorEditor::setRange(const ValueRange &range)
{
    // The spin box rounds its limits to its decimals: set those first.
    setDecimals(range.decimals);
    m_spinBox->setRange(range.minimum, range.maximum);
    m_spinBox->setSingleStep(range.step);
}

void NumberIndicatorEditor::onEditModeChanged(bool editMode)
{
    if (!editMode)
        return;
    const DoubleValue value = m_indicator->value();
    m_spinBox->setValue(value.status == NoData ? m_spinBox->minimum() : value.value);
}
