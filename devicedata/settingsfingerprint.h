// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFINGERPRINT_H
#define SETTINGSFINGERPRINT_H

#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/relaysettings.h"
#include "devicedata/setpointsdata.h"

#include <optional>

// A relay's settings in one number, so that two settings states can be told
// equal at a glance: the CRC-32 (the one of zlib, PNG and Ethernet) over every
// register a settings file holds, in ascending address order, each as its
// 16-bit word with the high byte first.
//
// None when `values` lacks one of those registers: a fingerprint of part of
// the settings would look like a whole one.
std::optional<quint32> settingsFingerprint(const SettingsValues &values);

// The fingerprint of the settings the three blocks hold, as trusted as the
// least trusted of their fields: missing while any was never read, outdated
// while any is outdated.
DataValue heldSettingsFingerprint(const MeterageConfiguration &meterageConfiguration,
    const ProtectionConfiguration &protectionConfiguration, const Setpoints &setpoints);

// Eight upper-case hexadecimal digits.
QString fingerprintText(quint32 fingerprint);

#endif // SETTINGSFINGERPRINT_H
