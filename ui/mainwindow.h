// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "devicedata/devicedata.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/panelsettingsset.h"
#include "modbus/serialportsettings.h"

#include <QHash>
#include <QMainWindow>
#include <QModelIndex>
#include <QPointer>

#include <optional>
#include <utility>

namespace Ui {
class MainWindow;
}

class CheckbackData;
class ClearCrashLogData;
class CrashCountData;
class CrashData;
class CrashLogData;
class DeviceTimeData;
class DeviceTimeDialog;
class DiscreteInputsData;
class InputEventFilter;
class JournalDialog;
class TeamJournalDialog;
class TeamJournalSync;
class LedsData;
class QLabel;
class QTimer;
class MeterageConfigurationData;
class MeterageData;
class ModulesData;
class ProtectionConfigurationData;
class SetpointsData;
class ReportActions;
class SettingsFileActions;
class WriteJournal;

// The program's one window. It owns the device monitor and every data block
// the panels show, hands each panel its blocks, picks the blocks a refresh
// reads for the tab in view and turns actions and panel requests into monitor
// calls. While a block is being written it blocks all input.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_actionExit_triggered();
    void on_actionAbout_triggered();
    void on_actionNewSettings_triggered();
    void on_actionSaveSettings_triggered();
    void on_actionOpenSettings_triggered();
    void on_actionCompareSettings_triggered();
    void on_actionPrintReport_triggered();
    void on_actionExportReport_triggered();
    void on_actionConnectionSettings_triggered();
    void on_actionConnect_triggered();
    void on_actionDisconnect_triggered();
    void on_actionRefresh_triggered();
    void on_actionAutoRefresh_toggled(bool checked);
    void on_scanRangeLineEdit_textChanged();
    void on_scanButton_clicked();
    void on_cancelScanButton_clicked();
    void on_tabWidget_currentChanged(int index);
    void onCurrentDeviceIndexChanged(const QModelIndex &current, const QModelIndex &previous);
    void on_setTimeButton_clicked();
    void on_monitorWidget_checkback();
    void on_configurationWidget_write();
    void on_setpointsWidget_write();
    void onPanelSetFinished(PanelSettingsSet::Outcome outcome, const QString &text);
    void on_crashLogWidget_clear();
    void on_crashLogWidget_refresh();
    void on_deviceMonitor_stateChanged(DeviceMonitor::State state);
    void on_deviceMonitor_currentDeviceIdChanged(int deviceId);
    void on_deviceMonitor_scanProgress(int deviceId);
    void on_deviceMonitor_deviceDataWritten(DeviceData *deviceData, int slaveId);
    void on_deviceMonitor_writeRefused(int slaveId, const QString &reason);
    void onDeviceDataStateChanged_Inactive(
        DeviceData::State currentState, DeviceData::State previousState);
    void onDeviceDataStateChanged_Writing(
        DeviceData::State currentState, DeviceData::State previousState);
    void ui_setStateConnected(bool connected);

private:
    void ui_setStateConnecting();
    void showConnectError();
    void createBlocks();
    void setUpForm();
    void attachPanels();
    void loadSettings();
    void setUpTrafficView();
    void setUpFindRelays();
    void setUpJournal();
    bool askToWriteWithoutJournal(const QString &reason);
    void startPanelSet(const DeviceData *block, JournalEntry::Kind kind,
        const SettingsValues &shown, const SettingsValues &wanted);
    // Tells the tab of `block` that its Set ended.
    void endPanelWrite(const DeviceData *block, bool written);
    // Nothing the user does reaches any window while `block` is Writing.
    void blockInputWhileWriting(const DeviceData *block);
    void showJournal();
    void showTeamJournal();
    void findRelays();
    void updateDeviceDataList();
    void setInputBlocked(bool blocked);
    void resetBlocks();
    void showCurrentDeviceHealth();
    void setUpSettingsFiles();
    void setUpLineView();
    // The range of IDs typed in for a scan; none while it is not a valid one.
    std::optional<std::pair<int, int>> scanRange() const;
    void updateSettingsActions();
    void followRelaySettings();
    QList<DeviceData *> blocks() const;

    Ui::MainWindow *ui;
    InputEventFilter *inputEventFilter;
    QPointer<DeviceTimeDialog> deviceTimeDialog;
    DeviceMonitor *deviceMonitor;
    ConnectionSettings connectionSettings;

    CheckbackData *checkbackData;
    ClearCrashLogData *clearCrashLogData;
    CrashCountData *crashCountData;
    CrashData *crashData;
    CrashLogData *crashLogData;
    DeviceTimeData *deviceTimeData;
    DiscreteInputsData *discreteInputsData;
    LedsData *ledsData;
    MeterageConfigurationData *meterageConfigurationData;
    MeterageData *meterageData;
    ModulesData *modulesData;
    ProtectionConfigurationData *protectionConfigurationData;
    SetpointsData *setpointsData;
    SettingsFileActions *settingsFileActions = nullptr;
    ReportActions *reportActions = nullptr;
    QAction *actionFindRelays = nullptr;
    WriteJournal *writeJournal = nullptr;
    PanelSettingsSet *panelSettingsSet = nullptr;
    // The block of the tab whose Set runs: it names the write in the status bar.
    const DeviceData *panelSetBlock = nullptr;
    bool panelSetChangesRange = false;
    // Reads the journal's file: it goes before the journal does.
    QPointer<JournalDialog> journalDialog;
    // Copies the journal to the team journal, when one is set up.
    TeamJournalSync *teamJournal = nullptr;
    QPointer<TeamJournalDialog> teamJournalDialog;

    // What the status bar says when a block's write ends: whole sentences,
    // for translations that order their words otherwise.
    struct WriteMessages
    {
        QString written; // %1: the device ID
        QString failed; // %1: the device ID
        QString sentToAll;
        QString notSentToAll;
    };
    QHash<const DeviceData *, WriteMessages> writeMessages;
    QLabel *connectionStateLabel;
    QLabel *deviceAnswerLabel;
    QTimer *answersAgainTimer;
    // The current device while it is shown as not answering, else 0.
    int silentDeviceId = 0;
    // A write that spans two blocks must not have its failure overwritten by
    // the success of the second.
    bool writeFailureShown = false;
    bool inputBlocked = false;
};

#endif // MAINWINDOW_H
