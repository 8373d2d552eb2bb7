// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SENDVERDICT_H
#define SENDVERDICT_H

#include "devicedata/relaysettings.h"

#include <QCoreApplication>
#include <QMap>
#include <QString>

// What became of one register a send meant to write, as the line saw it.
struct RegisterWrite
{
    enum State {
        NotSent, // the send stopped before it
        Acknowledged, // the relay answered the write
        Failed, // the relay refused it, or the answer never came
    };
    State state = NotSent;
    QString failure; // for Failed: the relay's exception, or what happened on the line
    bool refused = false; // for Failed: the relay answered with an exception
    // A protection switched off for a while: that switch-off landed, and this is the write
    // meant to switch it back on.
    bool switchedOff = false;
};

using RegisterWrites = QMap<quint16, RegisterWrite>;

// A register's end after the send and the read-back that followed it.
enum class SendVerdict {
    Verified, // the relay holds what was sent
    Changed, // the relay took the write but holds another value
    Refused, // the relay refused it, or it went unanswered and did not land
    NotSent,
    Unknown, // it may have landed, but the read-back could not tell
    SwitchedOff, // a protection the send switched off for a while, and did not switch back on
};

// held: what the read-back found, without the registers it could not read. The one place that
// judges a written register: what the relay holds outweighs what the line said, so a value that
// landed despite an exception answer is verified.
SendVerdict sendVerdict(
    const RegisterWrite &write, qint64 sent, const SettingsValues &held, quint16 address);

// The counts of a send's verdicts and the one line that sums them up.
struct SendSummary
{
    Q_DECLARE_TR_FUNCTIONS(SendSummary)

public:
    int planned = 0;
    int verified = 0;
    int changed = 0;
    int refused = 0;
    int notSent = 0;
    int unknown = 0;
    int switchedOff = 0;

    void add(SendVerdict verdict);
    // "written and verified" only when every planned register is; "not written" when none
    // landed as far as the read-back tells; "partly written" with the counts otherwise.
    QString headline(int slaveId) const;
    bool isComplete() const { return planned > 0 && verified == planned; }
};

#endif // SENDVERDICT_H
