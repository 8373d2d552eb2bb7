// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/fieldtable.h"

#include <cmath>

bool CodeTable::contains(qint64 code) const
{
    return std::any_of(
        begin(), end(), [code](const CodeText &entry) { return entry.code == code; });
}

QVector<qint64> CodeTable::codes() const
{
    QVector<qint64> all;
    for (const CodeText &entry : *this)
        all.append(entry.code);
    return all;
}

QString CodeTable::text(const DataValue &code) const
{
    if (code.status != Valid && code.status != Outdated)
        return QString();
    const auto found = std::find_if(
        begin(), end(), [&code](const CodeText &entry) { return entry.code == code.value; });
    return found == end() ? QString() : found->text.translated();
}

bool FieldDescription::acceptsRaw(qint64 raw) const
{
    if (kind == Code)
        return codes.contains(raw);
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
        const QString text = codes.text(validValue(raw));
        return text.isEmpty() ? locale.toString(raw) : text;
    }
    return locale.toString(shownNumber(raw, rangeMultiplier), 'f', range.decimals)
        + unit.translated();
}

qint64 FieldDescription::decode(const ModbusRegisters &registers) const
{
    const quint16 word = registers.value(address);
    switch (kind) {
    case Signed:
        return qint16(word);
    case DoubleWord:
        return qint64(quint32(word) << 16 | registers.value(quint16(address + 1)));
    case Flags:
        return decodeFlags(flags, [word](int bit) { return word & (1u << bit); });
    case Number:
    case Code:
        break;
    }
    return word;
}

qint64 FieldDescription::decode(const ModbusBits &bits) const
{
    return decodeFlags(flags, [&bits](int address) { return bits.value(quint16(address)); });
}
