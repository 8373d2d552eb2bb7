// SPDX-License-Identifier: GPL-3.0-or-later
#include "registerrules.h"

#include "relaybus.h"

#include <modbus.h>

namespace {

constexpr int MaxExceptionCode = 11;

bool parseWord(const QString &text, quint16 *value)
{
    bool ok = false;
    const uint number = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        ? QStringView(text).mid(2).toUInt(&ok, 16)
        : text.toUInt(&ok, 10);
    if (!ok || number > 0xFFFF)
        return false;
    *value = quint16(number);
    return true;
}

quint16 word(const QByteArray &frame, int offset)
{
    return quint16((quint8(frame.at(offset)) << 8) | quint8(frame.at(offset + 1)));
}

// The registers a write request addresses; none for anything else or a frame too short.
QList<int> writtenRegisters(const QByteArray &frame)
{
    if (frame.size() < 6)
        return {};
    const int function = quint8(frame.at(1));
    const int address = word(frame, 2);
    QList<int> addresses;
    if (function == MODBUS_FC_WRITE_SINGLE_REGISTER) {
        addresses.append(address);
    } else if (function == MODBUS_FC_WRITE_MULTIPLE_REGISTERS) {
        const int count = qMin(int(word(frame, 4)), MODBUS_MAX_WRITE_REGISTERS);
        for (int i = 0; i < count; ++i)
            addresses.append(address + i);
    }
    return addresses;
}

} // namespace

std::optional<RegisterRule> RegisterRule::parse(const QString &kind, const QString &text)
{
    RegisterRule rule;
    const bool takes = kind == QLatin1String("take-refuse");
    if (takes || kind == QLatin1String("refuse")) {
        quint16 code = 0;
        if (!parseWord(text, &code) || code < 1 || code > MaxExceptionCode)
            return std::nullopt;
        rule.kind = takes ? TakeRefuse : Refuse;
        rule.exceptionCode = code;
        return rule;
    }
    const QStringList bounds = text.split(QLatin1Char('-'));
    if (kind != QLatin1String("clamp") || bounds.size() != 2
        || !parseWord(bounds.first(), &rule.low) || !parseWord(bounds.last(), &rule.high)
        || rule.low > rule.high)
        return std::nullopt;
    rule.kind = Clamp;
    return rule;
}

QString RegisterRule::text() const
{
    switch (kind) {
    case Refuse:
        return QStringLiteral("refuse %1").arg(exceptionCode);
    case TakeRefuse:
        return QStringLiteral("take-refuse %1").arg(exceptionCode);
    case Clamp:
        break;
    }
    return QStringLiteral("clamp %1-%2").arg(low).arg(high);
}

void RegisterRules::set(int id, int address, const RegisterRule &rule)
{
    m_rules[{ id, address }] = rule;
}

bool RegisterRules::remove(int id, int address)
{
    return m_rules.erase({ id, address }) > 0;
}

QStringList RegisterRules::describe() const
{
    QStringList lines;
    for (const auto &rule : m_rules)
        lines.append(QStringLiteral("relay %1 register %2: %3")
                         .arg(rule.first.first)
                         .arg(rule.first.second)
                         .arg(rule.second.text()));
    return lines;
}

int RegisterRules::exceptionFor(int id, const QByteArray &frame) const
{
    return exceptionOf(RegisterRule::Refuse, id, frame);
}

int RegisterRules::exceptionAfterTaking(int id, const QByteArray &frame) const
{
    return exceptionOf(RegisterRule::TakeRefuse, id, frame);
}

int RegisterRules::exceptionOf(RegisterRule::Kind kind, int id, const QByteArray &frame) const
{
    const QList<int> addresses = writtenRegisters(frame);
    for (int address : addresses) {
        const auto rule = m_rules.find({ id, address });
        if (rule != m_rules.end() && rule->second.kind == kind)
            return rule->second.exceptionCode;
    }
    return 0;
}

QList<std::pair<int, quint16>> RegisterRules::clamp(int id, QList<ReceivedWrite> *writes) const
{
    QList<std::pair<int, quint16>> clamped;
    for (ReceivedWrite &write : *writes) {
        if (write.function != MODBUS_FC_WRITE_SINGLE_REGISTER
            && write.function != MODBUS_FC_WRITE_MULTIPLE_REGISTERS)
            continue;
        const auto rule = m_rules.find({ id, write.address });
        if (rule == m_rules.end() || rule->second.kind != RegisterRule::Clamp)
            continue;
        const quint16 kept = qBound(rule->second.low, write.value, rule->second.high);
        if (kept == write.value)
            continue;
        write.kept = kept;
        clamped.append({ write.address, kept });
    }
    return clamped;
}

QString writeLogLine(const ReceivedWrite &write)
{
    const QString what = write.function == MODBUS_FC_WRITE_SINGLE_COIL
            || write.function == MODBUS_FC_WRITE_MULTIPLE_COILS
        ? QStringLiteral("coil")
        : QStringLiteral("register");
    QString line = QStringLiteral("relay %1 %2 %3 = %4")
                       .arg(write.slaveId)
                       .arg(what)
                       .arg(write.address)
                       .arg(write.value);
    if (write.kept)
        line += QStringLiteral(", kept %1").arg(*write.kept);
    if (write.answeredException)
        line += QStringLiteral(", answered exception %1").arg(write.answeredException);
    return line + QStringLiteral(" (function %1)").arg(write.function);
}
