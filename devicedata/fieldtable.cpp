// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/fieldtable.h"

#include <cmath>

bool FieldDescription::acceptsRaw(qint64 raw) const
{
    if (kind == Code)
        return codes.codes && codes.codes().contains(raw);
    return raw >= std::llround(range.minimum / range.step)
        && raw <= std::llround(range.maximum / range.step);
}

double FieldDescription::shownNumber(qint64 raw, qint64 rangeMultiplier) const
{
    const double step = scaledByCurrentRange ? range.step * double(rangeMultiplier) : range.step;
    return double(raw) * step;
}

QString FieldDescription::shownText(qint64 raw, qint64 rangeMultiplier, const QLocale &locale) const
{
    if (kind == Code) {
        const QString text = codes.text ? codes.text(validValue(raw)) : QString();
        return text.isEmpty() ? locale.toString(raw) : text;
    }
    return locale.toString(shownNumber(raw, rangeMultiplier), 'f', range.decimals)
        + unit.translated();
}
