// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/valueranges.h"

ValueRange ValueRange::scaled(double factor) const
{
    return { minimum * factor, maximum * factor, step * factor, decimals };
}

bool UnitRange::contains(double current) const
{
    return current >= low && current < high;
}
