// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSTRANSFER_H
#define SETTINGSTRANSFER_H

#include "devicedata/relaysettings.h"
#include "devicedata/sendplan.h"
#include "devicedata/sendverdict.h"
#include "devicemonitor/journalentry.h"
#include "devicemonitor/settingsblocks.h"
#include "devicemonitor/settingssendresult.h"

#include <QList>
#include <QObject>
#include <QSet>

#include <optional>

class DeviceData;
class DeviceInfoData;
class DeviceMonitor;
class ModulesData;
class QTimer;
class RegisterSequenceData;
class WriteOperation;
struct WriteResult;

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

// Reads the settings of the current relay afresh, with blocks of its own so
// that it does not touch what the panels show, and sends settings to it as a
// write operation of the monitor's, which reads them back. The operation
// reports its end by a signal. A relay that stops being current ends a read
// with failed(); a closed port or a scan ends a read or a send so. A relay lost
// while nothing runs is told by relayLost(), so that what was read is not
// taken for the current device's.
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
        return m_settings.meterageConfiguration;
    }
    const ProtectionConfigurationData *protectionConfigurationData() const
    {
        return m_settings.protectionConfiguration;
    }
    const SetpointsData *setpointsData() const { return m_settings.setpoints; }
    // The block that carries a send's frames: it is Writing while they go out.
    DeviceData *writingBlock() const;
    // Writes the plan's steps to the relay it was made for, which must be the current device
    // when the send starts, one register at a time and in order, stopping at the first that
    // fails; then reads the settings back. The journal records it as `kind`. Choosing another
    // relay meanwhile does not cut the send short: it ends on the relay it began with.
    void send(const SendPlan &plan, JournalEntry::Kind kind = JournalEntry::SettingsSend);

signals:
    void relayRead(const RelaySettings &relay);
    void sendFinished(const SettingsSendResult &result);
    void failed(const SettingsTransferError &error);
    // The relay the transfer last worked with stopped being the current device, or the port
    // closed, while no operation ran (a running one ends with failed() instead).
    void relayLost(SettingsTransferError::Code code);

private:
    enum Operation { Idle, Reading, Sending };

    bool start(Operation operation, int slaveId);
    void readBlocks(const QList<DeviceData *> &list);
    void onBlockRead(DeviceData *block);
    // The reads of this operation that have not come back yet.
    QList<DeviceData *> awaitedReads() const;
    void finishRead();
    void onSendFinished(const WriteResult &result);
    // An end that wrote nothing: an operation refused, a read incomplete, a send never begun.
    void fail(SettingsTransferError::Code code, const QString &text);
    void abortRead(SettingsTransferError::Code code);
    QString stoppedText(SettingsTransferError::Code code) const;
    void onCurrentDeviceChanged(int deviceId);
    void onConnected(bool connected);
    void end();
    // The identity and the modules, then the settings blocks.
    QList<DeviceData *> allBlocks() const;

    DeviceMonitor *m_monitor;
    DeviceInfoData *m_deviceInfo;
    ModulesData *m_modules;
    SettingsBlocks m_settings;
    RegisterSequenceData *m_sequence;
    QTimer *m_stallTimer;

    Operation m_operation = Idle;
    int m_slaveId = 0;
    QSet<DeviceData *> m_pending;
    // The last operation ended by telling that the relay was lost: not to be told again.
    bool m_lossTold = false;
};

#endif // SETTINGSTRANSFER_H
