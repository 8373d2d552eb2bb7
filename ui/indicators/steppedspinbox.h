// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STEPPEDSPINBOX_H
#define STEPPEDSPINBOX_H

#include <QDoubleSpinBox>

// A spin box that holds only whole multiples of its single step, which for a
// relay setpoint is the value of one register unit. A typed value between two
// steps is taken as the nearest step the box allows, and the box shows it, so
// what is written is what was on screen.
class SteppedSpinBox : public QDoubleSpinBox
{
    Q_OBJECT

public:
    explicit SteppedSpinBox(QWidget *parent = nullptr);

    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

    // Takes what was typed and not taken yet (the cursor still in the box).
    // Returns false if the box now holds another value than the one typed:
    // one between two steps, out of range or unreadable.
    bool takeTypedValue();

private:
    bool isOnStep(double value) const;
    double nearestStep(double value) const;
};

#endif // STEPPEDSPINBOX_H
