// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalentry.h"

JournalOutcome journalOutcome(SendVerdict verdict)
{
    switch (verdict) {
    case SendVerdict::Verified:
        return JournalOutcome::Verified;
    case SendVerdict::Changed:
        return JournalOutcome::Changed;
    case SendVerdict::Refused:
        return JournalOutcome::Refused;
    case SendVerdict::NotSent:
    case SendVerdict::SwitchedOff: // the write that was to switch it back on
        return JournalOutcome::NotSent;
    case SendVerdict::Unknown:
        break;
    }
    return JournalOutcome::Unknown;
}

JournalOutcome journalOutcomeFromCode(int code)
{
    return code >= int(JournalOutcome::Unknown) && code <= int(JournalOutcome::Unconfirmed)
        ? JournalOutcome(code)
        : JournalOutcome::Unknown;
}

QString journalOutcomeText(JournalOutcome outcome)
{
    switch (outcome) {
    case JournalOutcome::Verified:
        return JournalEntry::tr("verified");
    case JournalOutcome::Changed:
        return JournalEntry::tr("changed by the relay");
    case JournalOutcome::Refused:
        return JournalEntry::tr("refused");
    case JournalOutcome::NotSent:
        return JournalEntry::tr("not sent");
    case JournalOutcome::Acknowledged:
        return JournalEntry::tr("acknowledged");
    case JournalOutcome::Unconfirmed:
        return JournalEntry::tr("sent, not confirmed");
    case JournalOutcome::Unknown:
        break;
    }
    return JournalEntry::tr("unknown");
}

namespace {

// Higher is less favourable.
int severity(JournalOutcome outcome)
{
    switch (outcome) {
    case JournalOutcome::Verified:
        return 0;
    case JournalOutcome::Acknowledged:
        return 1;
    case JournalOutcome::Unconfirmed:
        return 2;
    case JournalOutcome::NotSent:
        return 3;
    case JournalOutcome::Unknown:
        return 4;
    case JournalOutcome::Changed:
        return 5;
    case JournalOutcome::Refused:
        return 6;
    }
    return 4;
}

} // namespace

JournalOutcome JournalEntry::outcome() const
{
    if (registers.isEmpty())
        return JournalOutcome::Unknown;
    JournalOutcome worst = JournalOutcome::Verified;
    for (const JournalRegister &reg : registers) {
        if (severity(reg.outcome) > severity(worst))
            worst = reg.outcome;
    }
    return worst;
}

JournalEntry::Kind JournalEntry::kindFromCode(int code)
{
    return code >= MeterageConfigurationSet && code <= ConfigurationSet ? Kind(code) : OtherWrite;
}

QString JournalEntry::kindText(Kind kind)
{
    switch (kind) {
    case MeterageConfigurationSet:
        return tr("Set of the measurement configuration");
    case ProtectionConfigurationSet:
        return tr("Set of the protection configuration");
    case SetpointsSet:
        return tr("Set of the setpoints");
    case ConfigurationSet:
        return tr("Set of the configuration");
    case SettingsSend:
        return tr("Settings send");
    case ClockSet:
        return tr("Clock Set");
    case ClockSetToAll:
        return tr("Clock Set to All");
    case Checkback:
        return tr("Checkback");
    case ClearCrashLog:
        return tr("Clearing of the crash log");
    case OtherWrite:
        break;
    }
    return tr("Write");
}
