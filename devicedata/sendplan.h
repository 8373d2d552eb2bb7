// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SENDPLAN_H
#define SENDPLAN_H

#include "devicedata/relaysettings.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringList>
#include <QVector>

// The order in which a write of settings (a send, or a panel's Set) puts its registers on the
// line, one at a time, so that no moment, nor what a stop after any step leaves behind, is more
// sensitive than both the relay's old settings and the new ones:
// - a protection the new settings switch off is switched off first; one they switch on gets its
//   settings first and is switched on last;
// - MTZ and TO, in service before and after, are switched off around a change of the current
//   range (their pick-ups in amperes follow it) and MTZ around a change of its time-current
//   curve, and switched back on once their settings are written;
// - otherwise a protection stays in service while its settings change, ZNZ and APV always (they
//   have no off switch): the changes that make it less sensitive (a higher pick-up, a longer
//   time) go first, those without a direction next, those that make it more sensitive last.
class SendPlan
{
    Q_DECLARE_TR_FUNCTIONS(SendPlan)

public:
    // The protections the order looks after; only MTZ and TO can be switched off.
    enum Protection { Mtz, To, Znz, Apv };

    struct Step
    {
        // In the order the plan writes them.
        enum Role {
            SwitchOff, // the new settings switch the protection off
            InterimOff, // off while the range or MTZ's curve changes, switched on again at the end
            LessSensitive, // a protection in service gets less sensitive
            Setting, // no direction, no change, or a protection that is off meanwhile
            MoreSensitive, // a protection in service gets more sensitive
            SwitchOn,
        };
        quint16 address;
        qint64 value;
        Role role;
    };

    // One register of a protection that the write changes.
    struct SettingChange
    {
        quint16 address;
        qint64 before;
        qint64 after;
        bool written; // the relay holds `after` already
    };

    // What the relay runs with after the first steps of the plan, as a write that stopped there
    // leaves it.
    struct InterimState
    {
        struct SwitchedOff
        {
            Protection protection;
            bool meantOff; // the new settings switch it off; otherwise it awaits its switch-on
        };
        struct Mixed
        {
            Protection protection;
            QVector<SettingChange> changes; // every change of its settings, written or not
        };
        // Protections that were on before the write and are off now.
        QVector<SwitchedOff> switchedOff;
        // Protections in service with some of their settings new and some still old.
        QVector<Mixed> mixed;
    };

    // relay: what the relay holds now, from a fresh read, and its modules; values: the registers
    // to write, raw (for a send those that change, or every value of the file; for a panel's Set
    // the fields edited).
    SendPlan(const RelaySettings &relay, const SettingsValues &values);

    const RelaySettings &relay() const { return m_relay; }
    const QVector<Step> &steps() const { return m_steps; }
    // Every register written, with the value it is meant to keep.
    const SettingsValues &target() const { return m_target; }
    // Registers of modules the relay lacks: never written.
    const QList<quint16> &skipped() const { return m_skipped; }
    // The protections switched off for a change of range or curve, and the steps they stay off.
    const QVector<Protection> &interimOff() const { return m_interimOff; }
    int interimSteps() const { return m_interimSteps; }
    // Whether any protection is off during the write that was on before it: one the new settings
    // switch off, or one switched off for a while. A panel asks before such a write.
    bool switchesProtectionOff() const;

    // What a write that stopped after the first `steps` steps leaves the relay with, and the same
    // in words, one sentence a protection.
    InterimState interimState(int steps) const;
    QStringList interimText(int steps) const;

    static QString protectionName(Protection protection);
    // About how long the given number of single-register writes take on the line.
    static int estimatedMs(int steps, int baudRate, int readinessDelayMs);
    // The plan as the question before the write shows it: the order; what is switched off
    // meanwhile, what the relay protects with and for about how long; which protections stay in
    // service with intermediate settings, and for about how long.
    QStringList describe(int baudRate, int readinessDelayMs) const;

private:
    struct InService
    {
        Protection protection;
        int firstStep; // the first and the last step that change its settings
        int lastStep;
    };

    SettingsValues after() const;
    // What the relay holds once the first `steps` steps have landed.
    SettingsValues heldAfter(int steps) const;
    // Protections in service throughout the write whose settings more than one step changes.
    QVector<InService> staysInServiceChanging() const;
    // Puts the switch-offs and switch-ons in, and says which protections stay in service;
    // returns the mode registers it writes.
    QSet<quint16> planSwitching();
    // Whether writing `value` to `address` changes what the relay holds.
    bool changes(quint16 address, qint64 value) const;
    QString valueText(quint16 address, qint64 raw, qint64 multiplier) const;
    QString stepText(const Step &step) const;

    RelaySettings m_relay;
    QVector<Step> m_steps;
    SettingsValues m_target;
    QList<quint16> m_skipped;
    QVector<Protection> m_interimOff;
    bool m_curveOnly = false; // the interim switch-off is for MTZ's curve, the range stays
    int m_interimSteps = 0;
    // The protections in service before and after the write that are never switched off by it.
    QVector<Protection> m_inService;
};

#endif // SENDPLAN_H
