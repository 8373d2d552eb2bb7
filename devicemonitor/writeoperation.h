// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WRITEOPERATION_H
#define WRITEOPERATION_H

#include "devicedata/sendplan.h"
#include "devicemonitor/journalentry.h"
#include "devicemonitor/settingsblocks.h"
#include "devicemonitor/settingssendresult.h"
#include "devicemonitor/writejournal.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class DeviceData;
class DeviceInfoData;
class RegisterSequenceData;
class WriteEndpoint;

// What one write is to do.
struct WriteOrder
{
    int slaveId = 0; // 0: every relay, by broadcast
    // Written in this order; the first that fails stops the rest.
    QList<DeviceData *> blocks;
    // A write of settings: the plan's frames go out through `sequence`, one register at a time,
    // and the settings are read back after them.
    std::optional<SendPlan> plan;
    RegisterSequenceData *sequence = nullptr;
    JournalEntry::Kind kind = JournalEntry::SettingsSend;
};

// What became of one write.
struct WriteResult
{
    enum End {
        Finished, // every frame went its way; a plan's settings were read back, or tried
        Refused, // nothing went out: see refusal
        Stopped, // cut short: the line alone tells what went out, nothing was read back
    };
    enum Refusal {
        NoRefusal,
        NoIdentity, // the relay did not say which it is
        AnotherRelay, // another relay than the one shown answers at the ID
        JournalUnwritable, // the intent could not be recorded
    };

    // What cut a write short.
    enum Stop {
        NotStopped,
        LineClosed, // the port was closed, or the adapter pulled out
        ScanStarted,
    };

    End end = Finished;
    Refusal refusal = NoRefusal;
    Stop stop = NotStopped;
    QString reason; // why it was refused or stopped
    int slaveId = 0;
    // A write of settings: its frames, what the line said of each, the read-back and verdicts.
    SettingsSendResult send;
};

// Owns one write from start to end: it reads the relay's identity and refuses when another
// relay answers than the one shown (a broadcast asks none), records the intent in the journal,
// sends the frames as its own transactions, reads the settings back, judges each register once
// and records the outcome; then tells finished(). Nothing else pieces a write's outcome together.
//
// The write is addressed to its relay, not to whichever is current: choosing another relay
// meanwhile does not cut it short. Only losing the line does (stop()).
class WriteOperation : public QObject
{
    Q_OBJECT

public:
    // `journal` may be null: nothing is recorded.
    WriteOperation(WriteEndpoint *endpoint, WriteJournal *journal, WriteOrder order,
        QObject *parent = nullptr);

    const WriteOrder &order() const { return m_order; }
    bool isRunning() const { return m_phase != Idle && m_phase != Done; }
    void start();
    // The line was taken away (the port closed, a scan began): what has not gone out is dropped
    // and told as not sent. finished() follows before this returns.
    void stop(WriteResult::Stop cause, const QString &reason);

    // Why nothing is written to a relay that is not the one shown, naming both serial numbers.
    static QString anotherRelayText(int slaveId, qint64 serialNow, qint64 serialShown);

signals:
    // Each block of the order once, as its write ended, or was refused or dropped.
    void blockWritten(DeviceData *block, int slaveId);
    void finished(const WriteResult &result);

private:
    enum Phase { Idle, CheckingIdentity, Writing, ReadingBack, Done };

    void checkIdentity();
    void onIdentityRead();
    void begin(const WriteJournal::Target &target);
    void writeNext();
    void onWritten(DeviceData *block);
    void readBack();
    void onRead(DeviceData *block);
    void askAgainForDroppedReads();
    void refuse(WriteResult::Refusal refusal, const QString &reason);
    // The frames as the line told them, before any read-back.
    SettingsSendResult lineResult() const;
    void finish(WriteResult result);
    void tell(DeviceData *block);
    void dropUnwritten();
    QList<DeviceData *> writtenBlocks() const;

    WriteEndpoint *m_endpoint;
    QPointer<WriteJournal> m_journal;
    WriteOrder m_order;
    Phase m_phase = Idle;
    DeviceInfoData *m_identity;
    SettingsBlocks m_readBack;
    std::optional<WriteJournal::Record> m_record;
    QList<DeviceData *> m_toWrite;
    DeviceData *m_writing = nullptr;
    QList<DeviceData *> m_awaitedReads;
    QList<DeviceData *> m_told; // the blocks blockWritten() has told
    bool m_began = false; // the intent is recorded, the frames may go out
    bool m_stopping = false;
};

#endif // WRITEOPERATION_H
