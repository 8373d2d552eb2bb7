// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/sendverdict.h"

SendVerdict sendVerdict(
    const RegisterWrite &write, qint64 sent, const SettingsValues &held, quint16 address)
{
    const auto value = held.constFind(address);
    const bool readBack = value != held.cend();
    if (readBack && *value == sent && write.state != RegisterWrite::NotSent)
        return SendVerdict::Verified;
    // Not switched back on, or not as far as anyone can tell.
    if (write.switchedOff && write.state != RegisterWrite::Acknowledged
        && !(readBack && *value == sent))
        return SendVerdict::SwitchedOff;
    if (write.state == RegisterWrite::NotSent)
        return SendVerdict::NotSent;
    if (write.refused)
        return SendVerdict::Refused;
    if (!readBack)
        return SendVerdict::Unknown;
    return write.state == RegisterWrite::Acknowledged ? SendVerdict::Changed : SendVerdict::Refused;
}

void SendSummary::add(SendVerdict verdict)
{
    ++planned;
    switch (verdict) {
    case SendVerdict::Verified:
        ++verified;
        break;
    case SendVerdict::Changed:
        ++changed;
        break;
    case SendVerdict::Refused:
        ++refused;
        break;
    case SendVerdict::NotSent:
        ++notSent;
        break;
    case SendVerdict::Unknown:
        ++unknown;
        break;
    case SendVerdict::SwitchedOff:
        ++switchedOff;
        break;
    }
}

QString SendSummary::headline(int slaveId) const
{
    if (isComplete())
        return tr("Settings written and verified (Device %1)").arg(slaveId);
    QString counts
        = tr("%1 of %2 verified, %3 changed by the relay, %4 refused, %5 not sent, %6 unknown")
              .arg(verified)
              .arg(planned)
              .arg(changed)
              .arg(refused)
              .arg(notSent)
              .arg(unknown);
    if (switchedOff > 0)
        counts = tr("%1, %2 switched off and not switched back on").arg(counts).arg(switchedOff);
    if (verified == 0 && changed == 0 && unknown == 0)
        return tr("Settings not written (Device %1): %2").arg(slaveId).arg(counts);
    return tr("Settings partly written (Device %1): %2").arg(slaveId).arg(counts);
}
