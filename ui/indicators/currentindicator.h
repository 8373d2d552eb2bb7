// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CURRENTINDICATOR_H
#define CURRENTINDICATOR_H

#include "devicedata/valueranges.h"
#include "ui/indicators/numberindicator.h"

#include <QMap>

// A current in amperes shown in A or kA. Each unit has an ampere range; a
// value outside the current unit's range moves the display to the first unit
// whose range holds it. Overlapping ranges make the switch hysteretic.
class CurrentIndicator : public NumberIndicator
{
    Q_OBJECT

public:
    enum Unit { Amperes = 0, Kiloamperes = 1 };

    explicit CurrentIndicator(QWidget *parent = nullptr);

    int unit() const { return m_unit; }
    // Sets the suffix and factor; the text follows with the next setValue.
    void setUnit(int unit);
    void setUnitRange(int unit, const UnitRange &range);

    // `value` is in amperes.
    void setValue(const DoubleValue &value) override;

private:
    QMap<int, UnitRange> m_unitRanges;
    int m_unit = Amperes;
    double m_factor = 1.0;
};

#endif // CURRENTINDICATOR_H
