// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSSENDRESULT_H
#define SETTINGSSENDRESULT_H

#include "devicedata/relaysettings.h"
#include "devicedata/sendplan.h"
#include "devicedata/sendverdict.h"

#include <QCoreApplication>
#include <QStringList>
#include <QVector>

// One frame of a send and what the line said of it.
struct SentStep
{
    SendPlan::Step step;
    RegisterWrite write;
};

// What a send of settings came to.
struct SettingsSendResult
{
    Q_DECLARE_TR_FUNCTIONS(SettingsSendResult)

public:
    bool written = false; // every write the relay acknowledged
    bool readBack = false; // the written blocks were read back
    SettingsValues sent; // every register the send meant to write, as meant
    RegisterWrites writes; // what became of each of them on the line
    QVector<SentStep> steps; // every frame of the plan, in its order, switch-offs included
    // For a send that stopped before its last frame landed: what that left the relay with, a
    // sentence a protection (off, or in service with a mix of old and new settings).
    QStringList interim;
    RelaySettings relay; // what the relay holds after the send: only what was read back

    // The frame the send stopped at, null when none failed.
    const SentStep *failedStep() const;
    // Each register the send meant to write, judged.
    SendVerdict verdictOf(quint16 address) const;
    SendSummary summary() const;
    // In words, each for the status bar or a dialog; empty when there is nothing to say. Where the
    // write stopped and what it left each protection with:
    QString stoppedText() const;
    // The values the relay refused or holds otherwise than sent, or that nothing was read back:
    QString notTakenText() const;
};

#endif // SETTINGSSENDRESULT_H
