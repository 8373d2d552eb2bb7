// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WRITEJOURNAL_H
#define WRITEJOURNAL_H

#include "devicedata/relaysettings.h"
#include "devicedata/sendverdict.h"
#include "devicemonitor/journalentry.h"

#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class DeviceData;
class JournalStore;
class MeterageConfigurationData;
class SendPlan;
struct SettingsSendResult;

// Records every write to a relay in the journal. A write operation records its intent before
// the first frame goes out, and its outcome once it knows it: from the line for a command or the
// clock, from the read-back for settings.
//
// When the journal cannot take an entry the write waits for the user: the
// handler says whether to write without a journal for the rest of the
// session. Without a handler such a write is not made.
class WriteJournal : public QObject
{
    Q_OBJECT

public:
    using UnwritableHandler = std::function<bool(const QString &reason)>;

    // Where a write goes: the relay's ID, the port, and the relay as read just before writing
    // (nothing for a broadcast).
    struct Target
    {
        int slaveId = 0;
        QString port;
        qint64 deviceTypeCode = 0;
        std::optional<qint64> serialNumber;
    };

    // The entries of one write, from its intent to its outcome.
    class Record
    {
        friend class WriteJournal;

        struct Entry
        {
            qint64 id = 0;
            JournalEntry entry;
            DeviceData *block = nullptr; // the block whose requests carry a command's outcome
        };
        QVector<Entry> m_entries;
    };

    // `store` may have failed to open: every write then asks the handler.
    explicit WriteJournal(std::unique_ptr<JournalStore> store, QObject *parent = nullptr);
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

    // The intent of each block's write, an entry a block; none when the write must not go out.
    std::optional<Record> recordIntent(const Target &target, const QList<DeviceData *> &blocks);
    // The intent of a settings send or panel Set: one entry, a row per frame of the plan.
    std::optional<Record> recordIntent(
        const Target &target, const SendPlan &plan, JournalEntry::Kind kind);
    // The blocks' outcomes as the line told them.
    void recordLineOutcome(Record &record);
    // A settings write's outcome, each frame judged by the read-back where one tells.
    void recordSendOutcome(Record &record, const SettingsSendResult &result);

signals:
    // The journal took an entry or an outcome; for a view of it.
    void recorded();
    // The journal could not take an entry or an outcome; for the status bar.
    void unwritable(const QString &reason);

private:
    // The current range multipliers before and after a write, at least 1.
    struct Multipliers
    {
        qint64 before = 1;
        qint64 after = 1;
    };

    JournalEntry newEntry(const Target &target) const;
    Multipliers multipliers(const SettingsValues &oldValues, const SettingsValues &newValues) const;
    JournalRegister journalRegister(quint16 address, std::optional<qint64> oldRaw, qint64 newRaw,
        const Multipliers &multipliers, bool coil = false) const;
    JournalEntry::Kind kindOf(const DeviceData *block, int slaveId) const;
    SettingsValues heldValues(const DeviceData *block) const;
    void addRegisters(JournalEntry &entry, const SettingsValues &oldValues,
        const SettingsValues &newValues, const QSet<quint16> &coils = {}) const;
    // False: the write must not go out. Nothing is added to `record` while the journal is
    // suspended.
    bool add(Record &record, const JournalEntry &entry, DeviceData *block = nullptr);
    void finish(const Record &record);

    std::unique_ptr<JournalStore> m_store;
    UnwritableHandler m_unwritableHandler;
    const MeterageConfigurationData *m_rangeSource = nullptr;
    bool m_suspended = false;
};

#endif // WRITEJOURNAL_H
