// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFINGERPRINT_H
#define SETTINGSFINGERPRINT_H

#include "devicedata/relaysettings.h"

#include <optional>

// A relay's settings in one number, so that two settings states can be told
// equal at a glance: the CRC-32 (the one of zlib, PNG and Ethernet) over every
// register a settings file holds, in ascending address order, each as its
// 16-bit word with the high byte first.
//
// None when `values` lacks one of those registers: a fingerprint of part of
// the settings would look like a whole one.
std::optional<quint32> settingsFingerprint(const SettingsValues &values);

// Eight upper-case hexadecimal digits.
QString fingerprintText(quint32 fingerprint);

#endif // SETTINGSFINGERPRINT_H
