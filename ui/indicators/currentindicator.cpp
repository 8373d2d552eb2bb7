// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/currentindicator.h"

namespace {

// What a unit without a range of its own covers.
constexpr UnitRange DefaultUnitRange { 0, 1000 };

} // namespace

CurrentIndicator::CurrentIndicator(QWidget *parent) : NumberIndicator(parent)
{
    setUnit(Amperes);
}

void CurrentIndicator::setUnit(int unit)
{
    m_unit = unit;
    switch (unit) {
    case Amperes:
        m_factor = 1.0;
        setSuffix(tr(" A"));
        break;
    case Kiloamperes:
        m_factor = 0.001;
        setSuffix(tr(" kA"));
        break;
    }
}

void CurrentIndicator::setUnitRange(int unit, const UnitRange &range)
{
    m_unitRanges.insert(unit, range);
}

void CurrentIndicator::setValue(const DoubleValue &value)
{
    // A missing value (0) takes part too, so a reset display returns to amperes.
    if (!m_unitRanges.value(m_unit, DefaultUnitRange).contains(value.value)) {
        for (auto it = m_unitRanges.cbegin(); it != m_unitRanges.cend(); ++it) {
            if (it.key() != m_unit && it.value().contains(value.value)) {
                setUnit(it.key());
                break;
            }
        }
    }

    DoubleValue shown { value.value * m_factor, Valid };
    if (value.status == NoData)
        shown = { 0.0, NoData };
    else if (value.status == Outdated)
        shown.status = Outdated;
    NumberIndicator::setValue(shown);
}
