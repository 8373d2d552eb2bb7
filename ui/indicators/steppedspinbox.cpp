// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/steppedspinbox.h"

#include <QtMath>

namespace {

// Typed values carry the box's decimals, the steps binary fractions:
// 8.08 / 0.08 is 101 only up to rounding.
constexpr double StepTolerance = 1e-6;

} // namespace

SteppedSpinBox::SteppedSpinBox(QWidget *parent) : QDoubleSpinBox(parent)
{
}

QValidator::State SteppedSpinBox::validate(QString &input, int &pos) const
{
    const QValidator::State state = QDoubleSpinBox::validate(input, pos);
    if (state == QValidator::Acceptable && !isOnStep(valueFromText(input)))
        return QValidator::Intermediate;
    return state;
}

void SteppedSpinBox::fixup(QString &input) const
{
    QDoubleSpinBox::fixup(input);
    QString readable = input;
    int pos = 0;
    if (QDoubleSpinBox::validate(readable, pos) != QValidator::Acceptable)
        return;
    input = prefix() + textFromValue(nearestStep(valueFromText(input))) + suffix();
}

bool SteppedSpinBox::takeTypedValue()
{
    QString typed = text();
    int pos = 0;
    const bool readable = QDoubleSpinBox::validate(typed, pos) == QValidator::Acceptable;
    const double typedValue = readable ? valueFromText(typed) : 0;
    interpretText();
    return readable && qAbs(value() - typedValue) <= singleStep() * StepTolerance;
}

bool SteppedSpinBox::isOnStep(double value) const
{
    if (singleStep() <= 0)
        return true;
    const double steps = value / singleStep();
    return qAbs(steps - qRound64(steps)) < StepTolerance;
}

double SteppedSpinBox::nearestStep(double value) const
{
    return qBound(minimum(), double(qRound64(value / singleStep())) * singleStep(), maximum());
}
