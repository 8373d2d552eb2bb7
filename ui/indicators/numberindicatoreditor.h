// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef NUMBERINDICATOREDITOR_H
#define NUMBERINDICATOREDITOR_H

#include "devicedata/valueranges.h"
#include "ui/indicators/baseindicatoreditor.h"
#include "ui/indicators/numberindicator.h"

class SteppedSpinBox;

// A number indicator over a spin box. The indicator keeps following the relay
// while the spin box holds the user's choice, always a whole number of steps.
class NumberIndicatorEditor : public BaseIndicatorEditor
{
    Q_OBJECT

public:
    explicit NumberIndicatorEditor(QWidget *parent = nullptr);

    DoubleValue value() const { return m_indicator->value(); }
    void setValue(const DoubleValue &value) { m_indicator->setValue(value); }
    DoubleValue selectedValue() const;
    // See SteppedSpinBox::takeTypedValue(); true outside edit mode.
    bool takeTypedValue();

    double minimum() const;
    void setMinimum(double minimum);
    double maximum() const;
    void setMaximum(double maximum);
    double singleStep() const;
    void setSingleStep(double step);
    int decimals() const { return m_indicator->decimals(); }
    void setDecimals(int decimals);
    QString suffix() const { return m_indicator->suffix(); }
    void setSuffix(const QString &suffix);
    ValueRange range() const;
    void setRange(const ValueRange &range);

signals:
    void selectedValueChanged();

protected:
    void onEditModeChanged(bool editMode) override;

private:
    NumberIndicator *m_indicator;
    SteppedSpinBox *m_spinBox;
};

#endif // NUMBERINDICATOREDITOR_H
