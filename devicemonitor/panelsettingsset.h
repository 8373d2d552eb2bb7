// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PANELSETTINGSSET_H
#define PANELSETTINGSSET_H

#include "devicedata/relaysettings.h"
#include "devicemonitor/journalentry.h"

#include <QObject>

#include <functional>

class DeviceData;
class DeviceMonitor;
class SendPlan;
class SettingsTransfer;
struct SettingsSendResult;
struct SettingsTransferError;

// A Set from the Configuration or the Setpoints tab, written as a send is: the relay is read
// afresh, it must still be the relay on screen and hold what the tab showed, and then only the
// fields the user changed are written, in the send plan's order, and read back.
class PanelSettingsSet : public QObject
{
    Q_OBJECT

public:
    enum Outcome {
        Written, // the relay acknowledged every write, or there was nothing to write
        Declined, // the user chose not to write
        Failed, // the Set stopped, before or after its first write
    };
    Q_ENUM(Outcome)

    // Asked before a plan that switches a protection off goes out; true: write.
    using Confirmation = std::function<bool(const SendPlan &plan)>;

    explicit PanelSettingsSet(DeviceMonitor *monitor, QObject *parent = nullptr);

    void setConfirmation(Confirmation confirmation) { m_confirmation = std::move(confirmation); }
    bool isBusy() const;
    // The block that carries the plan's frames: it is Writing while they go out.
    DeviceData *writingBlock() const;

    // shown: the values the tab showed, by register; wanted: the values its editors hold now.
    // Only those that differ from what was shown are written.
    void start(JournalEntry::Kind kind, const SettingsValues &shown, const SettingsValues &wanted);

signals:
    // text: what became of the values where not all is well, or why nothing was written;
    // empty when there is nothing more to say.
    void finished(PanelSettingsSet::Outcome outcome, const QString &text);

private:
    void onRelayRead(const RelaySettings &relay);
    void onSendFinished(const SettingsSendResult &result);
    void onFailed(const SettingsTransferError &error);
    // What stands in the way of writing to `relay`; empty when nothing does.
    QString obstacle(const RelaySettings &relay) const;

    DeviceMonitor *m_monitor;
    SettingsTransfer *m_transfer;
    Confirmation m_confirmation;
    JournalEntry::Kind m_kind = JournalEntry::OtherWrite;
    SettingsValues m_shown;
    SettingsValues m_edited;
    bool m_running = false;
};

#endif // PANELSETTINGSSET_H
