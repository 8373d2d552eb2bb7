// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef IDENTITYTEXT_H
#define IDENTITYTEXT_H

#include "devicedata/datavalue.h"

#include <QString>

// The identity values as the device information shows them, for every place
// that names the relay (panels, settings files, the comparison, the report):
// the serial number with seven digits, the software version from hundredths.
QString serialNumberText(qint64 serialNumber);
QString softwareVersionText(qint64 hundredths);

inline QString serialNumberText(const DataValue &serialNumber)
{
    return serialNumberText(serialNumber.value);
}

inline QString softwareVersionText(const DataValue &softwareVersion)
{
    return softwareVersionText(softwareVersion.value);
}

#endif // IDENTITYTEXT_H
