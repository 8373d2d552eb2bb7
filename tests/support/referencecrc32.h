// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REFERENCECRC32_H
#define REFERENCECRC32_H

#include "devicedata/relaysettings.h"
#include "relaybus.h"

#include <QByteArray>

#include <algorithm>

// CRC-32 bit by bit, straight from its definition: reflected polynomial
// 0xEDB88320, all ones in and out. The program's own goes through zlib.
inline quint32 referenceCrc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
    }
    return ~crc;
}

// The settings fingerprint of what a simulated relay holds, worked out from
// its registers without the program's code: every settings register in
// address order, high byte first.
inline quint32 referenceFingerprint(const RelayBus &bus, int id)
{
    QVector<quint16> addresses;
    for (const SettingsField &field : settingsFields())
        addresses.append(field.description.address);
    std::sort(addresses.begin(), addresses.end());
    QByteArray bytes;
    for (quint16 address : addresses) {
        const quint16 word = bus.holdingRegister(id, address);
        bytes.append(char(word >> 8));
        bytes.append(char(word & 0xff));
    }
    return referenceCrc32(bytes);
}

// As the program shows it: eight upper-case hexadecimal digits.
inline QString referenceFingerprintText(const RelayBus &bus, int id)
{
    return QStringLiteral("%1")
        .arg(referenceFingerprint(bus, id), 8, 16, QLatin1Char('0'))
        .toUpper();
}

#endif // REFERENCECRC32_H
