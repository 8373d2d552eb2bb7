// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WRITEJOURNAL_H
#define WRITEJOURNAL_H

#include "devicedata/relaysettings.h"
#include "devicedata/sendverdict.h"
#include "devicemonitor/journalentry.h"
#include "modbus/modbustransaction.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class DeviceData;
class DeviceMonitor;
class JournalStore;
class MeterageConfigurationData;
class SendPlan;
struct SettingsSendResult;

// Records every write to a relay in the journal. The monitor asks it before
// any write goes out (recordWrite()), so no write escapes it; a settings send
// or a panel's Set announces itself first (recordSend()) so that its many
// single-register writes make one entry. Outcomes come from whoever learns
// them: the line's answer for a command or the clock, the send's result and
// read-back for a send or a Set (recordSendResult()).
//
// When the journal cannot take an entry the write waits for the user: the
// handler says whether to write without a journal for the rest of the
// session. Without a handler such a write is not made.
class WriteJournal : public QObject
{
    Q_OBJECT

public:
    using UnwritableHandler = std::function<bool(const QString &reason)>;

    // `store` may have failed to open: every write then asks the handler.
    WriteJournal(
        DeviceMonitor *monitor, std::unique_ptr<JournalStore> store, QObject *parent = nullptr);
    ~WriteJournal() override;

    JournalStore *store() const { return m_store.get(); }
    void setUnwritableHandler(UnwritableHandler handler)
    {
        m_unwritableHandler = std::move(handler);
    }
    // The measurement configuration the panels show: its current range shows pick-up currents.
    void setCurrentRangeSource(const MeterageConfigurationData *block) { m_rangeSource = block; }
    // The user chose to write without a journal for the rest of the session.
    bool isSuspended() const { return m_suspended; }

    // The intent of each block's write; false when the write must not go out.
    bool recordWrite(int slaveId, const QList<DeviceData *> &list);
    // The intent of a whole settings send or panel Set, written by `sequence`; false: do not
    // send.
    bool recordSend(const SendPlan &plan, const DeviceData *sequence, JournalEntry::Kind kind);
    void recordSendResult(const SettingsSendResult &result);

signals:
    // The journal took an entry or an outcome; for a view of it.
    void recorded();
    // The journal could not take an entry or an outcome; for the status bar.
    void unwritable(const QString &reason);

private:
    struct Pending
    {
        qint64 id = 0;
        JournalEntry entry;
    };

    // The current range multipliers before and after a write, at least 1.
    struct Multipliers
    {
        qint64 before = 1;
        qint64 after = 1;
    };

    JournalEntry newEntry(int slaveId) const;
    Multipliers multipliers(const SettingsValues &oldValues, const SettingsValues &newValues) const;
    JournalRegister journalRegister(quint16 address, std::optional<qint64> oldRaw, qint64 newRaw,
        const Multipliers &multipliers, bool coil = false) const;
    JournalEntry::Kind kindOf(const DeviceData *block, int slaveId) const;
    SettingsValues heldValues(const DeviceData *block) const;
    void addRegisters(JournalEntry &entry, const SettingsValues &oldValues,
        const SettingsValues &newValues, const QSet<quint16> &coils = {}) const;
    bool add(const DeviceData *block, const JournalEntry &entry);
    void finish(const DeviceData *block);
    void onWritten(DeviceData *block, int slaveId);
    void noteFailedWrite(const ModbusTransaction &transaction);
    RegisterWrites lineWrites(DeviceData &block, int slaveId, QSet<quint16> *unanswered) const;

    DeviceMonitor *m_monitor;
    std::unique_ptr<JournalStore> m_store;
    UnwritableHandler m_unwritableHandler;
    const MeterageConfigurationData *m_rangeSource = nullptr;
    bool m_suspended = false;
    // Entries whose outcome is still to come, by the block that writes them.
    QHash<const DeviceData *, Pending> m_pending;
    // The block a settings send writes with: its writes are the send's entry.
    const DeviceData *m_sendBlock = nullptr;
    // The write transactions that failed since the last block was written: what the relay
    // answered, or what happened on the line.
    QVector<ModbusTransaction> m_failedWrites;
};

#endif // WRITEJOURNAL_H
