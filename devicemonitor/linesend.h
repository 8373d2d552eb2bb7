// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINESEND_H
#define LINESEND_H

#include "devicedata/relaysettings.h"
#include "devicemonitor/journalentry.h"
#include "devicemonitor/writeoperation.h"

#include <QObject>
#include <QVector>

#include <memory>
#include <optional>
#include <vector>

class DeviceMonitor;
struct LineRow;
class RegisterSequenceData;

// Sends each relay of a line its file, one relay after the other, whichever relay the window
// shows: every relay is read afresh, planned, written and read back as a single send is, and gets
// an entry of its own in the journal. A relay that fails does not stop the others; stop() lets
// the relay being written end its send and sends no more.
class LineSend : public QObject
{
    Q_OBJECT

public:
    // One relay and what it is sent.
    struct Relay
    {
        int slaveId = 0;
        std::optional<qint64> serialNumber; // the relay the file is for, where known
        SettingsValues fileValues;
        // The relay as the engineer was shown it when agreeing to the send; it must still hold
        // those settings.
        std::optional<RelaySettings> shown;

        // The relay of a line read, with its file; none for a row that cannot be sent its file.
        static std::optional<Relay> of(const LineRow &row);
        // The plan as it stands from what was shown; none when nothing was shown.
        std::optional<SendPlan> shownPlan() const;
    };

    // What became of one relay's send; none while it has not run.
    struct Outcome
    {
        int slaveId = 0;
        std::optional<WriteResult> result;

        // Every value verified, or nothing needed writing.
        bool isComplete() const;
        // The send's account in one line.
        QString text() const;
    };

    explicit LineSend(DeviceMonitor *monitor, QObject *parent = nullptr);
    ~LineSend() override;

    bool isRunning() const { return m_running; }
    void send(const QVector<Relay> &relays, JournalEntry::Kind kind = JournalEntry::SettingsSend);
    // Sends no relay after the one being written, whose send ends as it would.
    void stop();
    const std::vector<Outcome> &outcomes() const { return m_outcomes; }

signals:
    void relayStarted(int slaveId);
    void relayFinished(int index);
    void finished();

private:
    void sendNext();
    void onFinished(const WriteResult &result);

    DeviceMonitor *m_monitor;
    JournalEntry::Kind m_kind = JournalEntry::SettingsSend;
    QVector<Relay> m_relays;
    std::vector<Outcome> m_outcomes;
    std::vector<std::unique_ptr<RegisterSequenceData>> m_sequences;
    int m_next = 0; // the relay being sent, or to send next
    bool m_running = false;
    bool m_stopped = false;
};

#endif // LINESEND_H
