// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/identitytext.h"

QString serialNumberText(qint64 serialNumber)
{
    return QStringLiteral("%1").arg(quint32(serialNumber), 7, 10, QLatin1Char('0'));
}

// Hundredths of the 16-bit register, always with a "." whatever the locale:
// 105 is version 1.05.
QString softwareVersionText(qint64 hundredths)
{
    const auto version = quint16(hundredths);
    return QStringLiteral("%1.%2").arg(version / 100).arg(version % 100, 2, 10, QLatin1Char('0'));
}
