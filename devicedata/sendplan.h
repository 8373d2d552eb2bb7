// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SENDPLAN_H
#define SENDPLAN_H

#include "devicedata/relaysettings.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVector>

// The order in which a send writes its registers, one at a time, so that no protection runs with
// a pick-up or a time that is in neither the relay's settings nor the new ones: protections the
// new settings switch off go first, those they switch on go last, and a protection that stays on
// through a change of the current range (its pick-up in amperes follows the range) is switched
// off before the range changes and back on once its pick-up has been written.
class SendPlan
{
    Q_DECLARE_TR_FUNCTIONS(SendPlan)

public:
    struct Step
    {
        enum Role { Setting, SwitchOff, InterimOff, SwitchOn };
        quint16 address;
        qint64 value;
        Role role;
    };

    // values: the registers to write, raw; relay: what the relay holds and its modules.
    SendPlan(const RelaySettings &relay, const SettingsValues &values);

    const RelaySettings &relay() const { return m_relay; }
    const QVector<Step> &steps() const { return m_steps; }
    // Every register written, with the value it is meant to keep.
    const SettingsValues &target() const { return m_target; }
    // Registers of modules the relay lacks: never written.
    const QList<quint16> &skipped() const { return m_skipped; }
    // The protections switched off for a change of range, by name, and the steps they stay off.
    const QStringList &interimOff() const { return m_interimOff; }
    int interimSteps() const { return m_interimSteps; }

    // About how long the given number of single-register writes take on the line.
    static int estimatedMs(int steps, int baudRate, int readinessDelayMs);
    // The plan as the question before the send shows it: the order, and for a change of range
    // what is switched off, what the relay protects with meanwhile and for about how long.
    QStringList describe(int baudRate, int readinessDelayMs) const;

private:
    QString stepText(const Step &step) const;

    RelaySettings m_relay;
    QVector<Step> m_steps;
    SettingsValues m_target;
    QList<quint16> m_skipped;
    QStringList m_interimOff;
    int m_interimSteps = 0;
};

#endif // SENDPLAN_H
