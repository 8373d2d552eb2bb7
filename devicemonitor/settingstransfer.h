// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSTRANSFER_H
#define SETTINGSTRANSFER_H

#include "devicedata/relaysettings.h"
#include "devicedata/sendplan.h"
#include "devicedata/sendverdict.h"
#include "devicemonitor/journalentry.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

#include <optional>

class DeviceData;
class DeviceInfoData;
class DeviceMonitor;
class MeterageConfigurationData;
class ModulesData;
class ProtectionConfigurationData;
class QTimer;
class RegisterSequenceData;
class SetpointsData;
struct ModbusTransaction;

// One frame of a send and what the line said of it.
struct SentStep
{
    SendPlan::Step step;
    RegisterWrite write;
};

// What a send of settings came to.
struct SettingsSendResult
{
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

// Why a settings operation ended without its result: the code to branch on, the text to show.
// NoLongerCurrent and PortClosed also say why a relay was lost while nothing ran.
struct SettingsTransferError
{
    enum Code {
        Busy, // another operation of the same transfer is still running
        NoDevice, // no current device, or not the one the operation is for
        Unread, // the relay answered, but not every block could be read whole
        NoAnswer, // nothing came back for too long
        NoLongerCurrent, // the relay stopped being the current device
        PortClosed,
        ScanStarted,
        JournalUnwritable, // the send's intent could not be recorded: nothing was sent
    };

    Code code = NoDevice;
    QString text;
    // A send stopped after its writes began: what became of each register as far as the line
    // told, with nothing read back. Any of them may have landed.
    std::optional<SettingsSendResult> stoppedSend;

    // What was read from the relay no longer describes the device the monitor works with.
    bool isRelayLost() const { return code == NoLongerCurrent || code == PortClosed; }
};

// Reads the settings of the current relay afresh and sends settings to it
// followed by a read-back, with blocks of its own so that neither touches
// what the panels show. Everything goes through the monitor's queue; the
// operation reports its end by a signal. A relay that stops being current, a
// closed port or a scan ends it with failed(); a relay lost while nothing runs
// is told by relayLost(), so that what was read is not taken for the current
// device's.
class SettingsTransfer : public QObject
{
    Q_OBJECT

public:
    explicit SettingsTransfer(DeviceMonitor *monitor, QObject *parent = nullptr);

    bool isBusy() const { return m_operation != Idle; }
    int slaveId() const { return m_slaveId; }

    // The identity, the modules and the settings of the current device.
    void readCurrentDevice();
    // The blocks the last read or read-back filled.
    const DeviceInfoData *deviceInfoData() const { return m_deviceInfo; }
    const ModulesData *modulesData() const { return m_modules; }
    const MeterageConfigurationData *meterageConfigurationData() const
    {
        return m_meterageConfiguration;
    }
    const ProtectionConfigurationData *protectionConfigurationData() const
    {
        return m_protectionConfiguration;
    }
    const SetpointsData *setpointsData() const { return m_setpoints; }
    // The block that carries a send's frames: it is Writing while they go out.
    DeviceData *writingBlock() const;
    // Writes the plan's steps to the relay it was made for, which must still be the current
    // device, one register at a time and in order, stopping at the first that fails; then reads
    // the settings back. The journal records it as `kind`.
    void send(const SendPlan &plan, JournalEntry::Kind kind = JournalEntry::SettingsSend);

signals:
    void relayRead(const RelaySettings &relay);
    void sendFinished(const SettingsSendResult &result);
    void failed(const SettingsTransferError &error);
    // The relay the transfer last worked with stopped being the current device, or the port
    // closed, while no operation ran (a running one ends with failed() instead).
    void relayLost(SettingsTransferError::Code code);

private:
    enum Operation { Idle, Reading, Writing, ReadingBack };

    bool start(Operation operation, int slaveId);
    void readBlocks(const QList<DeviceData *> &list);
    void writeNextBlock();
    void onBlockFinished(DeviceData *block, bool read);
    // The reads of this operation that have not come back yet.
    QList<DeviceData *> awaitedReads() const;
    void finishRead();
    void finishWrite();
    void finishReadBack();
    void noteFailedWrite(const ModbusTransaction &transaction);
    QVector<SentStep> sentSteps() const;
    // The send's result as far as the line told, before any read-back.
    SettingsSendResult lineResult() const;
    // An end that wrote nothing: an operation refused, a read incomplete, a send never begun.
    void fail(SettingsTransferError::Code code, const QString &text);
    void abort(SettingsTransferError::Code code, const QString &text);
    void journalSend(const SettingsSendResult &result);
    void onCurrentDeviceChanged(int deviceId);
    void onConnected(bool connected);
    void abortNoLongerCurrent();
    void end();
    RelaySettings settingsRead(QStringList *unread) const;
    QList<DeviceData *> settingsBlocks() const;
    // The identity and the modules, then settingsBlocks().
    QList<DeviceData *> allBlocks() const;

    DeviceMonitor *m_monitor;
    DeviceInfoData *m_deviceInfo;
    ModulesData *m_modules;
    MeterageConfigurationData *m_meterageConfiguration;
    ProtectionConfigurationData *m_protectionConfiguration;
    SetpointsData *m_setpoints;
    RegisterSequenceData *m_sequence;
    QTimer *m_stallTimer;

    Operation m_operation = Idle;
    int m_slaveId = 0;
    QSet<DeviceData *> m_pending;
    QList<DeviceData *> m_toWrite;
    SettingsSendResult m_result;
    std::optional<SendPlan> m_plan;
    // What the line said about each write that failed, by register.
    QHash<quint16, RegisterWrite> m_failedWrites;
};

#endif // SETTINGSTRANSFER_H
