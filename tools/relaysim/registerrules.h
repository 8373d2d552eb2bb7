// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REGISTERRULES_H
#define REGISTERRULES_H

// How a simulated relay treats a write to one of its holding registers: a real relay refuses some
// values with an exception and quietly clamps others into what it can hold, and a faulty one may
// take a value and still answer with an exception. Each rule names a relay and a register; a write
// that touches a refused register is refused whole and changes nothing, a clamped register keeps
// the nearest value within its bounds, and a write that touches a take-refuse register is taken
// whole and answered with the rule's exception. Not thread-safe: RelayBus guards it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <utility>

struct ReceivedWrite;

struct RegisterRule
{
    enum Kind { Refuse, Clamp, TakeRefuse };
    Kind kind = Refuse;
    int exceptionCode = 0; // for Refuse and TakeRefuse: 1 to 11
    quint16 low = 0; // for Clamp: the bounds, low <= high
    quint16 high = 0;

    // The kind by its name, "refuse", "clamp" or "take-refuse", and its text: "CODE", the
    // exception of a refusal, or "MIN-MAX", the bounds of a clamp; numbers decimal or 0x hex.
    static std::optional<RegisterRule> parse(const QString &kind, const QString &text);
    QString text() const;
};

class RegisterRules
{
public:
    void set(int id, int address, const RegisterRule &rule);
    // False when the register had no rule.
    bool remove(int id, int address);
    void clear() { m_rules.clear(); }
    bool isEmpty() const { return m_rules.empty(); }
    // One line a rule, by relay and register: "relay 2 register 35: refuse 3".
    QStringList describe() const;

    // The exception a relay answers a register write frame with, 0 when no rule refuses it.
    int exceptionFor(int id, const QByteArray &frame) const;
    // The exception a relay answers a register write frame with once it has taken it, 0 when no
    // rule has it do so.
    int exceptionAfterTaking(int id, const QByteArray &frame) const;
    // Values of the writes a relay took that a rule keeps within bounds: the relay stores the
    // clamped value, noted in the write. Returns the registers to set.
    QList<std::pair<int, quint16>> clamp(int id, QList<ReceivedWrite> *writes) const;

private:
    // The code of the first rule of this kind the frame's registers have, 0 when none has one.
    int exceptionOf(RegisterRule::Kind kind, int id, const QByteArray &frame) const;

    std::map<std::pair<int, int>, RegisterRule> m_rules;
};

// One line of the write log: "relay 2 register 34 = 450 (function 6)", with ", kept 300" before
// the function when the relay clamped it and ", answered exception 4" when it answered the write
// it took so.
QString writeLogLine(const ReceivedWrite &write);

#endif // REGISTERRULES_H
