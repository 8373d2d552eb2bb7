// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALENTRY_H
#define JOURNALENTRY_H

#include "devicedata/sendverdict.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QVector>

// What became of one register of a journalled write. A write is journalled as
// Unknown before it goes out, so an entry never claims more than was learnt.
enum class JournalOutcome {
    Unknown = 0, // it may have landed; nothing told whether it did
    Verified = 1, // read back holding what was written
    Changed = 2, // taken, but the relay holds another value
    Refused = 3, // refused with an exception, or unanswered and not landed
    NotSent = 4,
    Acknowledged = 5, // the relay answered the write; nothing was read back
    Unconfirmed = 6, // sent to every relay: a broadcast has no answer
};

JournalOutcome journalOutcome(SendVerdict verdict);
// An outcome as the journal's file stores it; a number no version wrote reads as Unknown.
JournalOutcome journalOutcomeFromCode(int code);

// An outcome in words, as the journal view and the report show it.
QString journalOutcomeText(JournalOutcome outcome);

// One register a write meant to set.
struct JournalRegister
{
    quint16 address = 0;
    QString field; // the field's label, or the register's number
    bool hasOld = false; // the old value was known
    qint64 oldRaw = 0;
    QString oldShown; // as the panels show it, with its unit
    qint64 newRaw = 0;
    QString newShown;
    JournalOutcome outcome = JournalOutcome::Unknown;
    QString detail; // the exception of a refusal, the value a change left
};

// One write to a relay: who made it, to which relay, and each register it set.
struct JournalEntry
{
    Q_DECLARE_TR_FUNCTIONS(JournalEntry)

public:
    enum Kind {
        MeterageConfigurationSet = 0,
        ProtectionConfigurationSet = 1,
        SetpointsSet = 2,
        SettingsSend = 3,
        ClockSet = 4,
        ClockSetToAll = 5,
        Checkback = 6,
        ClearCrashLog = 7,
        OtherWrite = 8,
        ConfigurationSet = 9, // measurement and protection configuration in one Set
    };

    qint64 id = 0; // the local journal's; 0 for an entry read from the team journal
    QString uuid; // the same in every journal the entry is copied to
    QString laptop; // the host name of the computer that made the write
    // Copied to the team journal with every outcome known of it; always so for an entry read
    // from there.
    bool copied = false;
    QDateTime when; // UTC
    QString user; // the operating-system user
    QString port; // the serial port or the gateway's address
    int slaveId = 0; // 0: every relay (a broadcast)
    bool identityKnown = false; // the relay's type and serial number as last read
    qint64 deviceType = 0;
    qint64 serialNumber = 0;
    Kind kind = OtherWrite;
    QString fingerprintBefore; // for a settings send, where known
    QString fingerprintAfter;
    QVector<JournalRegister> registers;

    // The least favourable of the registers' outcomes: what the entry as a whole came to.
    JournalOutcome outcome() const;
    static QString kindText(Kind kind);
    // A kind as the journal's file stores it; a number no version wrote reads as OtherWrite.
    static Kind kindFromCode(int code);
};

#endif // JOURNALENTRY_H
