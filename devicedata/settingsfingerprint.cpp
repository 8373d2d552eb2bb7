// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/settingsfingerprint.h"

#include <zlib.h>

#include <algorithm>

namespace {

// Every register a settings file holds, ascending.
const QVector<quint16> &fingerprintRegisters()
{
    static const QVector<quint16> registers = [] {
        QVector<quint16> addresses;
        for (const SettingsField &field : settingsFields())
            addresses.append(field.description.address);
        std::sort(addresses.begin(), addresses.end());
        return addresses;
    }();
    return registers;
}

} // namespace

std::optional<quint32> settingsFingerprint(const SettingsValues &values)
{
    QByteArray words;
    words.reserve(fingerprintRegisters().size() * 2);
    for (quint16 address : fingerprintRegisters()) {
        const auto value = values.constFind(address);
        if (value == values.cend())
            return std::nullopt;
        const auto word = quint16(*value);
        words.append(char(word >> 8));
        words.append(char(word & 0xff));
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef *>(words.constData()), uInt(words.size()));
    return quint32(crc);
}

QString fingerprintText(quint32 fingerprint)
{
    return QStringLiteral("%1").arg(fingerprint, 8, 16, QLatin1Char('0')).toUpper();
}
