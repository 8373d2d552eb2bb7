// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef COMPARISONCOLOURS_H
#define COMPARISONCOLOURS_H

#include <QColor>

// The backgrounds of a comparison with a file, for one relay's settings and a line's relays
// alike: light enough for black text, strong enough to be found in a long table.
namespace ComparisonColours {

// Differs from the file.
inline QColor difference()
{
    return { 255, 236, 179 };
}

// Not as meant: a value the relay did not take, a relay that could not be compared.
inline QColor notTaken()
{
    return { 255, 205, 210 };
}

// Verified, or identical to the file.
inline QColor verified()
{
    return { 200, 230, 201 };
}

} // namespace ComparisonColours

#endif // COMPARISONCOLOURS_H
