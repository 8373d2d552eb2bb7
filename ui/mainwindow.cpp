// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/settings.h"
#include "common/logging.h"
#include "devicedata/checkbackdata.h"
#include "devicedata/clearcrashlogdata.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashdata.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/journalmodel.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/panelsettingsset.h"
#include "devicemonitor/teamjournalreportsource.h"
#include "devicemonitor/teamjournalsync.h"
#include "devicemonitor/writejournal.h"
#include "ui/contentscrollarea.h"
#include "ui/diagnostics/journaldialog.h"
#include "ui/diagnostics/teamjournaldialog.h"
#include "ui/diagnostics/trafficdockwidget.h"
#include "ui/dialogs/confirmation.h"
#include "ui/dialogs/connectionsettingsdialog.h"
#include "ui/dialogs/devicetimedialog.h"
#include "ui/dialogs/findrelaysdialog.h"
#include "ui/indicators/inputeventfilter.h"
#include "ui/line/linedockwidget.h"
#include "ui/settingsfiles/planquestion.h"
#include "ui/settingsfiles/reportactions.h"
#include "ui/settingsfiles/settingsfileactions.h"
#include "ui/windowgeometry.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace {

// Long enough to be read, short enough not to stand for the state of now.
constexpr int WriteMessageTimeout = 10000; // ms
constexpr quint16 CurrentRangeRegister = 25;

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent),
      ui(new Ui::MainWindow),
      inputEventFilter(new InputEventFilter(this)),
      deviceMonitor(new DeviceMonitor(this))
{
    deviceMonitor->setAutoRefreshEnabled(true);
    createBlocks();
    ui->setupUi(this);
    setUpForm();
    attachPanels();
    loadSettings();
    setUpTrafficView();
    setUpJournal();
    setUpFindRelays();
    setUpSettingsFiles();
    setUpLineView();
    updateDeviceDataList();
    ui_setStateConnected(false);
    connect(deviceMonitor, &DeviceMonitor::connected, this, &MainWindow::ui_setStateConnected);
    connect(deviceMonitor, &DeviceMonitor::connecting, this, &MainWindow::ui_setStateConnecting);
    connect(deviceMonitor, &DeviceMonitor::connectFailed, this, [this] {
        ui_setStateConnected(false);
        showConnectError();
    });
    on_deviceMonitor_stateChanged(deviceMonitor->state());
    // Nothing of a relay may stay on screen once it is no longer the one in view.
    // A lost line leaves them in view as outdated, for the user to see what was there.
    connect(deviceMonitor, &DeviceMonitor::connected, this, [this](bool connected) {
        if (connected)
            return;
        if (deviceMonitor->connectionLostReason().isEmpty())
            resetBlocks();
        else
            DeviceDataManager::markOutdated(blocks());
    });
    connect(deviceMonitor->deviceListModel(), &DeviceListModel::healthChanged, this,
        [this](int deviceId) {
            if (deviceId == deviceMonitor->currentDeviceId())
                showCurrentDeviceHealth();
        });
}

MainWindow::~MainWindow()
{
    // A write cut short by closing never reports its end.
    setInputBlocked(false);
    delete journalDialog;
    delete ui;
}

void MainWindow::createBlocks()
{
    checkbackData = new CheckbackData(this);
    clearCrashLogData = new ClearCrashLogData(this);
    crashCountData = new CrashCountData(this);
    crashData = new CrashData(this);
    crashLogData = new CrashLogData(this);
    deviceTimeData = new DeviceTimeData(this);
    discreteInputsData = new DiscreteInputsData(this);
    ledsData = new LedsData(this);
    meterageConfigurationData = new MeterageConfigurationData(this);
    meterageData = new MeterageData(this);
    modulesData = new ModulesData(this);
    protectionConfigurationData = new ProtectionConfigurationData(this);
    setpointsData = new SetpointsData(this);

    // Each of these writes starts and ends with its block; the panels' Set goes out through the
    // block of panelSettingsSet (setUpSettingsFiles()).
    const QList<DeviceData *> singleBlockWrites
        = { deviceTimeData, checkbackData, clearCrashLogData };
    for (DeviceData *data : singleBlockWrites)
        blockInputWhileWriting(data);

    const WriteMessages configuration = { tr("Written: configuration (Device %1)"),
        tr("Write failed: configuration (Device %1)"), {}, {} };
    writeMessages = { { checkbackData,
                          { tr("Written: checkback (Device %1)"),
                              tr("Write failed: checkback (Device %1)"), {}, {} } },
        { meterageConfigurationData, configuration },
        { protectionConfigurationData, configuration },
        { setpointsData,
            { tr("Written: setpoints (Device %1)"), tr("Write failed: setpoints (Device %1)"), {},
                {} } },
        { clearCrashLogData,
            { tr("Written: crash log clearing (Device %1)"),
                tr("Write failed: crash log clearing (Device %1)"), {}, {} } },
        { deviceTimeData,
            { tr("Written: device time (Device %1)"), tr("Write failed: device time (Device %1)"),
                tr("Sent to all devices: device time"),
                tr("Not sent to all devices: device time") } } };
}

QList<DeviceData *> MainWindow::blocks() const
{
    return { checkbackData, clearCrashLogData, crashCountData, crashData, crashLogData,
        deviceTimeData, discreteInputsData, ledsData, meterageConfigurationData, meterageData,
        modulesData, protectionConfigurationData, setpointsData };
}

// Every block, not only those of the tab in view: a tab shown later must not
// bring up the previous relay's values, nor offer them for writing.
void MainWindow::resetBlocks()
{
    const QList<DeviceData *> all = blocks();
    for (DeviceData *block : all)
        block->reset();
}

void MainWindow::setUpForm()
{
    auto *contentArea = new ContentScrollArea(takeCentralWidget(), this);
    contentArea->setObjectName(QStringLiteral("contentScrollArea"));
    setCentralWidget(contentArea);

    // The progress bar takes the range field's place during a scan.
    const int rowHeight = ui->scanRangeLineEdit->sizeHint().height();
    ui->scanProgressBar->setMinimumHeight(rowHeight);
    ui->scanProgressBar->setMaximumHeight(rowHeight);
    ui->scanRangeLineEdit->setValidator(
        new QRegularExpressionValidator(scanRangeExpression(), ui->scanRangeLineEdit));

    // The connection and whether the relay in view answers stay in view;
    // write results come and go beside them.
    deviceAnswerLabel = new QLabel(this);
    deviceAnswerLabel->setObjectName(QStringLiteral("deviceAnswerLabel"));
    deviceAnswerLabel->hide();
    ui->statusBar->addPermanentWidget(deviceAnswerLabel);
    answersAgainTimer = new QTimer(this);
    answersAgainTimer->setSingleShot(true);
    answersAgainTimer->setInterval(WriteMessageTimeout);
    connect(answersAgainTimer, &QTimer::timeout, deviceAnswerLabel, &QWidget::hide);
    connectionStateLabel = new QLabel(this);
    connectionStateLabel->setObjectName(QStringLiteral("connectionStateLabel"));
    ui->statusBar->addPermanentWidget(connectionStateLabel);

    QAction *toolBarToggle = ui->toolBar->toggleViewAction();
    ui->menuMenu->insertAction(ui->actionAbout, toolBarToggle);
    ui->menuMenu->insertSeparator(ui->actionAbout);

    ui->deviceListView->setModel(deviceMonitor->deviceListModel());
    connect(ui->deviceListView->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &MainWindow::onCurrentDeviceIndexChanged);
}

void MainWindow::attachPanels()
{
    ui->modulesWidget->setModulesData(modulesData);
    ui->deviceTimeWidget->setDeviceTimeData(deviceTimeData);

    MonitorWidget *monitor = ui->monitorWidget;
    monitor->setModulesData(modulesData);
    monitor->setMeterageConfigurationData(meterageConfigurationData);
    monitor->setMeterageData(meterageData);
    monitor->setDiscreteInputsData(discreteInputsData);
    monitor->setLedsData(ledsData);
    monitor->setLatestCrashData(crashData);
    monitor->setCrashCountData(crashCountData);

    ui->configurationWidget->setModulesData(modulesData);
    ui->configurationWidget->setMeterageConfigurationData(meterageConfigurationData);
    ui->configurationWidget->setProtectionConfigurationData(protectionConfigurationData);
    ui->configurationWidget->setSetpointsData(setpointsData);

    ui->setpointsWidget->setModulesData(modulesData);
    ui->setpointsWidget->setMeterageConfigurationData(meterageConfigurationData);
    ui->setpointsWidget->setSetpointsData(setpointsData);
    ui->setpointsWidget->setProtectionConfigurationData(protectionConfigurationData);

    ui->crashLogWidget->setClearCrashLogData(clearCrashLogData);
    ui->crashLogWidget->setCrashCountData(crashCountData);
    ui->crashLogWidget->setCrashLogData(crashLogData);

    connect(deviceMonitor, &DeviceMonitor::currentDeviceAvailable, ui->monitorWidget,
        &MonitorWidget::ui_setCurrentDeviceAvailable);
    connect(deviceMonitor, &DeviceMonitor::currentDeviceAvailable, ui->configurationWidget,
        &ConfigurationWidget::ui_setCurrentDeviceAvailable);
    connect(deviceMonitor, &DeviceMonitor::currentDeviceAvailable, ui->setpointsWidget,
        &SetpointsWidget::ui_setCurrentDeviceAvailable);
    connect(deviceMonitor, &DeviceMonitor::currentDeviceAvailable, ui->crashLogWidget,
        &CrashLogWidget::ui_setCurrentDeviceAvailable);
    // Edits made for one tab or one device must not be written to another.
    connect(ui->tabWidget, &QTabWidget::currentChanged, ui->configurationWidget,
        &ConfigurationWidget::ui_cancelEditMode);
    connect(ui->tabWidget, &QTabWidget::currentChanged, ui->setpointsWidget,
        &SetpointsWidget::ui_cancelEditMode);
    connect(deviceMonitor, &DeviceMonitor::currentDeviceIdChanged, ui->configurationWidget,
        &ConfigurationWidget::ui_cancelEditMode);
    connect(deviceMonitor, &DeviceMonitor::currentDeviceIdChanged, ui->setpointsWidget,
        &SetpointsWidget::ui_cancelEditMode);
}

void MainWindow::loadSettings()
{
    restoreWindowGeometry(this);
    loadConnectionSettings(connectionSettings);

    DeviceSettings deviceSettings;
    loadDeviceSettings(deviceSettings);
    deviceMonitor->setDeviceSettings(deviceSettings);

    Preferences preferences;
    loadPreferences(preferences);
    deviceMonitor->setAutoRefreshDelay(preferences.autoRefreshDelay);
    ui->scanRangeLineEdit->setText(preferences.scanRange);
    ui->actionAutoRefresh->setChecked(preferences.autoRefreshEnabled);
    ui->toolBar->setVisible(preferences.toolbarVisible);
    addToolBar(Qt::ToolBarArea(preferences.toolbarArea), ui->toolBar);
}

void MainWindow::setUpTrafficView()
{
    auto *traffic = new TrafficDockWidget(this);
    traffic->setDeviceMonitor(deviceMonitor);
    addDockWidget(Qt::BottomDockWidgetArea, traffic);
    traffic->setVisible(loadTrafficViewVisible());

    QAction *actionTraffic = traffic->toggleViewAction();
    actionTraffic->setObjectName(QStringLiteral("actionTraffic"));
    actionTraffic->setText(tr("Traffic"));
    QMenu *menuView = menuBar()->addMenu(tr("View"));
    menuView->setObjectName(QStringLiteral("menuView"));
    menuView->addAction(actionTraffic);
}

// Every write is journalled in journal.sqlite beside settings.ini before it goes out. A journal
// that cannot be written stops the next write until the user says whether to write without one.
void MainWindow::setUpJournal()
{
    auto store = std::make_unique<JournalStore>(JournalStore::defaultPath());
    const bool opened = store->open();
    const QString setAside = store->takeSetAsideNotice();
    writeJournal = new WriteJournal(std::move(store), this);
    writeJournal->setCurrentRangeSource(meterageConfigurationData);
    writeJournal->setUnwritableHandler(
        [this](const QString &reason) { return askToWriteWithoutJournal(reason); });
    deviceMonitor->setWriteJournal(writeJournal);
    connect(writeJournal, &WriteJournal::unwritable, this, [this](const QString &reason) {
        ui->statusBar->showMessage(
            tr("The journal cannot be written: %1").arg(reason), WriteMessageTimeout);
    });
    if (!opened)
        ui->statusBar->showMessage(
            tr("The journal cannot be written: %1").arg(writeJournal->store()->errorText()));
    if (!setAside.isEmpty())
        QTimer::singleShot(
            0, this, [this, setAside] { QMessageBox::warning(this, tr("Journal"), setAside); });

    auto *actionJournal = new QAction(tr("Journal…"), this);
    actionJournal->setObjectName(QStringLiteral("actionJournal"));
    if (QMenu *menuView = menuBar()->findChild<QMenu *>(QStringLiteral("menuView")))
        menuView->addAction(actionJournal);
    connect(actionJournal, &QAction::triggered, this, &MainWindow::showJournal);

    // Copied at start and after each entry or outcome, on a thread of its own.
    teamJournal = new TeamJournalSync(writeJournal->store()->path(), this);
    teamJournal->follow(writeJournal->store());
    teamJournal->setSettings(loadTeamJournalSettings());
    auto *actionTeamJournal = new QAction(tr("Team journal…"), this);
    actionTeamJournal->setObjectName(QStringLiteral("actionTeamJournal"));
    if (QMenu *menuView = menuBar()->findChild<QMenu *>(QStringLiteral("menuView")))
        menuView->addAction(actionTeamJournal);
    connect(actionTeamJournal, &QAction::triggered, this, &MainWindow::showTeamJournal);
}

bool MainWindow::askToWriteWithoutJournal(const QString &reason)
{
    const bool without = Confirmation::ask(this, QMessageBox::Warning, tr("Journal"),
        tr("The journal cannot record this write: %1\n\nWrite to the relay without a journal "
           "for the rest of this session?")
            .arg(reason),
        tr("Write without a journal"));
    if (without)
        ui->statusBar->showMessage(tr("Writing without a journal for the rest of this session"));
    return without;
}

void MainWindow::showJournal()
{
    if (!journalDialog) {
        journalDialog = new JournalDialog(writeJournal->store(), this);
        journalDialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(writeJournal, &WriteJournal::recorded, journalDialog.data(),
            &JournalDialog::journalChanged);
        journalDialog->followTeamJournal(teamJournal);
    } else {
        // What was written since it opened.
        journalDialog->model()->reload();
    }
    journalDialog->show();
    journalDialog->raise();
    journalDialog->activateWindow();
}

void MainWindow::showTeamJournal()
{
    if (!teamJournalDialog) {
        teamJournalDialog = new TeamJournalDialog(teamJournal, this);
        teamJournalDialog->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        teamJournalDialog->search();
    }
    teamJournalDialog->show();
    teamJournalDialog->raise();
    teamJournalDialog->activateWindow();
}

void MainWindow::setUpFindRelays()
{
    actionFindRelays = new QAction(tr("Find relays…"), this);
    actionFindRelays->setObjectName(QStringLiteral("actionFindRelays"));
    ui->menuMenu->insertAction(ui->actionConnectionSettings, actionFindRelays);
    connect(actionFindRelays, &QAction::triggered, this, &MainWindow::findRelays);
}

// The search needs the port to itself: it is offered while disconnected.
void MainWindow::findRelays()
{
    FindRelaysDialog dialog(connectionSettings, this);
    dialog.setTryWait(loadFinderWait());
    if (dialog.exec() == QDialog::Accepted)
        saveConnectionSettings(connectionSettings);
}

void MainWindow::setUpSettingsFiles()
{
    settingsFileActions = new SettingsFileActions(deviceMonitor, this);
    connect(settingsFileActions, &SettingsFileActions::statusMessage, this,
        [this](const QString &text) { ui->statusBar->showMessage(text, WriteMessageTimeout); });
    connect(settingsFileActions, &SettingsFileActions::busyChanged, this,
        &MainWindow::updateSettingsActions);
    connect(settingsFileActions, &SettingsFileActions::relaySettingsWritten, this,
        &MainWindow::followRelaySettings);
    connect(settingsFileActions, &SettingsFileActions::relayRead, this,
        [this](const RelaySettings &relay) {
            ui->configurationWidget->showSettingsRead(relay.values);
            ui->setpointsWidget->showSettingsRead(relay.values);
        });
    ReportSources windowSources;
    windowSources.deviceTime = deviceTimeData;
    windowSources.crashCount = crashCountData;
    windowSources.crashLog = crashLogData;
    // The report lists every write to the relay, from the team journal too when there is one.
    auto *journalSource = new TeamJournalReportSource(writeJournal->store(), teamJournal, this);
    windowSources.journal = journalSource;
    connect(deviceMonitor, &DeviceMonitor::currentDeviceIdChanged, journalSource,
        [this, journalSource](int deviceId) {
            const DeviceListModel *devices = deviceMonitor->deviceListModel();
            const DeviceInfo *info = devices->deviceInfoAt(devices->rowOfDevice(deviceId));
            journalSource->fetch(
                info && info->serialNumber.status != NoData ? info->serialNumber.value : -1);
        });
    reportActions = new ReportActions(deviceMonitor, windowSources, this);
    auto *actionJournalSince = new QAction(tr("Journal in the report since…"), this);
    actionJournalSince->setObjectName(QStringLiteral("actionJournalSince"));
    ui->menuFile->insertAction(ui->actionExportReport, actionJournalSince);
    connect(
        actionJournalSince, &QAction::triggered, reportActions, &ReportActions::askJournalSince);
    connect(reportActions, &ReportActions::statusMessage, this,
        [this](const QString &text) { ui->statusBar->showMessage(text, WriteMessageTimeout); });
    connect(reportActions, &ReportActions::busyChanged, this, &MainWindow::updateSettingsActions);
    connect(deviceMonitor, &DeviceMonitor::currentDeviceAvailable, this,
        &MainWindow::updateSettingsActions);
    // A scan leaves no device to work with until it ends.
    connect(deviceMonitor, &DeviceMonitor::stateChanged, this, &MainWindow::updateSettingsActions);

    panelSettingsSet = new PanelSettingsSet(deviceMonitor, this);
    panelSettingsSet->setConfirmation([this](const SendPlan &plan) {
        return askToWritePlan(
            this, tr("Set"), plan, {}, {}, deviceMonitor->deviceSettings().readinessDelay);
    });
    blockInputWhileWriting(panelSettingsSet->writingBlock());
    connect(panelSettingsSet, &PanelSettingsSet::finished, this, &MainWindow::onPanelSetFinished);
}

void MainWindow::blockInputWhileWriting(const DeviceData *block)
{
    connect(block, &DeviceData::stateChanged, this, &MainWindow::onDeviceDataStateChanged_Writing);
    connect(block, &DeviceData::stateChanged, this, &MainWindow::onDeviceDataStateChanged_Inactive);
}

// The relay's settings were sent, or its current range written, which scales every pick-up current:
// edits begun on the panels started from values (and a range) the relay may no longer hold, so they
// end, and the panels read anew.
void MainWindow::followRelaySettings()
{
    ui->configurationWidget->ui_cancelEditMode();
    ui->setpointsWidget->ui_cancelEditMode();
    deviceMonitor->readFromCurrentDevice(
        { meterageConfigurationData, protectionConfigurationData, setpointsData });
}

void MainWindow::updateSettingsActions()
{
    const bool enabled
        = deviceMonitor->isCurrentDeviceAvailable() && !settingsFileActions->isBusy();
    ui->actionSaveSettings->setEnabled(enabled);
    // Without a relay a file opens in an editor of its own.
    ui->actionOpenSettings->setEnabled(!settingsFileActions->isBusy());
    ui->actionCompareSettings->setEnabled(enabled);
    const bool reportEnabled
        = deviceMonitor->isCurrentDeviceAvailable() && !reportActions->isBusy();
    ui->actionPrintReport->setEnabled(reportEnabled);
    ui->actionExportReport->setEnabled(reportEnabled);
}

void MainWindow::updateDeviceDataList()
{
    QWidget *tab = ui->tabWidget->currentWidget();
    if (tab == ui->monitorWidget) {
        deviceMonitor->setDeviceDataList({ modulesData, deviceTimeData, meterageConfigurationData,
            meterageData, discreteInputsData, ledsData, crashCountData, crashData });
    } else if (tab == ui->configurationWidget || tab == ui->setpointsWidget) {
        // Both show the settings fingerprint, which takes all three settings blocks of one pass.
        deviceMonitor->setDeviceDataList({ modulesData, deviceTimeData, meterageConfigurationData,
            protectionConfigurationData, setpointsData });
    } else if (tab == ui->crashLogWidget) {
        deviceMonitor->setDeviceDataList({ modulesData, deviceTimeData, crashCountData });
    }
}

void MainWindow::ui_setStateConnected(bool connected)
{
    ui->actionConnect->setEnabled(!connected);
    ui->actionDisconnect->setEnabled(connected);
    ui->actionConnectionSettings->setEnabled(!connected);
    actionFindRelays->setEnabled(!connected);
    ui->actionAutoRefresh->setEnabled(connected);
    const QString lostReason = deviceMonitor->connectionLostReason();
    connectionStateLabel->setStyleSheet(
        lostReason.isEmpty() ? QString() : QStringLiteral("QLabel { color: red; }"));
    if (connected) {
        ui->actionRefresh->setEnabled(!ui->actionAutoRefresh->isChecked());
        ui->scanButton->setEnabled(ui->scanRangeLineEdit->hasAcceptableInput());
        connectionStateLabel->setText(tr("Connected (%1)").arg(connectionSettings.endpointName()));
    } else {
        ui->actionRefresh->setEnabled(false);
        ui->scanButton->setEnabled(false);
        connectionStateLabel->setText(lostReason.isEmpty() ? tr("Disconnected") : lostReason);
        showCurrentDeviceHealth();
    }
}

// While a network connection is being made, Disconnect gives it up.
void MainWindow::ui_setStateConnecting()
{
    ui_setStateConnected(false);
    ui->actionConnect->setEnabled(false);
    ui->actionDisconnect->setEnabled(true);
    ui->actionConnectionSettings->setEnabled(false);
    actionFindRelays->setEnabled(false);
    connectionStateLabel->setText(tr("Connecting to %1…").arg(connectionSettings.endpointName()));
}

void MainWindow::on_actionExit_triggered()
{
    close();
}

void MainWindow::on_actionAbout_triggered()
{
    QMessageBox::about(this, tr("About"),
        tr("<h2>%1</h2>Version: %2<hr><br><img src = ':/icons/logo.jpg'>"
           "<p><b>Korvel</b><br>Relay service software by the Korvel-client "
           "developers.</p>")
            .arg(windowTitle(), QCoreApplication::applicationVersion()));
}

void MainWindow::on_actionNewSettings_triggered()
{
    settingsFileActions->askAndPrepareNew();
}

void MainWindow::on_actionSaveSettings_triggered()
{
    settingsFileActions->askAndSave();
}

void MainWindow::on_actionOpenSettings_triggered()
{
    if (deviceMonitor->isCurrentDeviceAvailable())
        settingsFileActions->askAndOpen(SettingsComparisonDialog::CompareAndSend);
    else
        settingsFileActions->askAndOpenWithoutRelay();
}

void MainWindow::on_actionCompareSettings_triggered()
{
    settingsFileActions->askAndOpen(SettingsComparisonDialog::CompareOnly);
}

void MainWindow::on_actionPrintReport_triggered()
{
    reportActions->askAndPrint();
}

void MainWindow::on_actionExportReport_triggered()
{
    reportActions->askAndExport();
}

void MainWindow::on_actionConnectionSettings_triggered()
{
    ConnectionSettingsDialog dialog(connectionSettings, this);
    DeviceSettings timing = deviceMonitor->deviceSettings();
    dialog.setTiming(timing, deviceMonitor->turnarounds());
    if (dialog.exec() != QDialog::Accepted)
        return;
    saveConnectionSettings(connectionSettings);
    deviceMonitor->setDeviceSettings(timing);
    saveDeviceSettings(timing);
}

void MainWindow::on_actionConnect_triggered()
{
    if (!deviceMonitor->connectToPort(connectionSettings))
        showConnectError();
}

void MainWindow::showConnectError()
{
    // A network failure's reason names the address already.
    const QString message = connectionSettings.isNetwork()
        ? tr("Couldn`t connect to the relays\n%1").arg(deviceMonitor->connectionError())
        : tr("Couldn`t open port \"%1\"\n%2")
              .arg(connectionSettings.portName, deviceMonitor->connectionError());
    QMessageBox::critical(this, tr("Connection error"), message);
}

void MainWindow::on_actionDisconnect_triggered()
{
    if (deviceMonitor->disconnectFromPort())
        return;
    QMessageBox::critical(this, tr("Connection error"),
        tr("Couldn`t close port \"%1\"").arg(connectionSettings.endpointName()));
}

void MainWindow::on_actionRefresh_triggered()
{
    deviceMonitor->refresh();
}

void MainWindow::on_actionAutoRefresh_toggled(bool checked)
{
    ui->actionRefresh->setEnabled(!checked);
    deviceMonitor->setAutoRefreshEnabled(checked);
    if (checked)
        deviceMonitor->refresh();
    else
        deviceMonitor->stopRefresh();
}

void MainWindow::on_scanRangeLineEdit_textChanged()
{
    ui->scanButton->setEnabled(
        deviceMonitor->isConnected() && ui->scanRangeLineEdit->hasAcceptableInput());
}

std::optional<std::pair<int, int>> MainWindow::scanRange() const
{
    if (!ui->scanRangeLineEdit->hasAcceptableInput())
        return std::nullopt;
    const QStringList parts = ui->scanRangeLineEdit->text().split(QLatin1Char('-'));
    const int firstId = parts.at(0).toInt();
    return std::make_pair(firstId, qMax(parts.size() > 1 ? parts.at(1).toInt() : 0, firstId));
}

void MainWindow::on_scanButton_clicked()
{
    const auto [firstId, lastId] = scanRange().value_or(std::make_pair(1, 1));
    ui->scanProgressBar->setRange(firstId - 1, lastId);
    ui->scanProgressBar->setValue(firstId - 1);
    deviceMonitor->scan(firstId, lastId);
}

// The line view, hidden until a line folder is made or opened from the File menu.
void MainWindow::setUpLineView()
{
    auto *line = new LineDockWidget(
        deviceMonitor, writeJournal->store(), [this] { return scanRange(); }, this);
    addDockWidget(Qt::BottomDockWidgetArea, line);
    line->hide();
    ui->menuFile->insertActions(
        ui->actionPrintReport, { line->newFolderAction(), line->openFolderAction() });
    ui->menuFile->insertSeparator(ui->actionPrintReport);
    QAction *actionLine = line->toggleViewAction();
    actionLine->setObjectName(QStringLiteral("actionLineView"));
    menuBar()->findChild<QMenu *>(QStringLiteral("menuView"))->addAction(actionLine);
    connect(line, &LineDockWidget::statusMessage, this,
        [this](const QString &text) { ui->statusBar->showMessage(text, WriteMessageTimeout); });
    connect(
        line, &LineDockWidget::comparisonRequested, this, [this](int slaveId, const QString &path) {
            deviceMonitor->setCurrentDeviceId(slaveId);
            settingsFileActions->open(path, SettingsComparisonDialog::CompareOnly);
        });
}

void MainWindow::on_cancelScanButton_clicked()
{
    deviceMonitor->cancelScan();
}

void MainWindow::on_tabWidget_currentChanged(int index)
{
    qCDebug(lcUi) << "current tab [" << index << "]";
    updateDeviceDataList();
}

void MainWindow::onCurrentDeviceIndexChanged(const QModelIndex &current, const QModelIndex &)
{
    if (current.isValid())
        deviceMonitor->setCurrentDeviceId(
            deviceMonitor->deviceListModel()->deviceIdAt(current.row()));
}

void MainWindow::on_setTimeButton_clicked()
{
    if (deviceTimeDialog) {
        deviceTimeDialog->raise();
        deviceTimeDialog->activateWindow();
        return;
    }
    deviceTimeDialog = new DeviceTimeDialog(deviceTimeData, deviceMonitor, this);
    deviceTimeDialog->setAttribute(Qt::WA_DeleteOnClose);
    deviceTimeDialog->show();
}

void MainWindow::on_monitorWidget_checkback()
{
    deviceMonitor->writeToCurrentDevice({ checkbackData });
}

void MainWindow::on_configurationWidget_write()
{
    SettingsValues shown;
    collectFieldValues(
        meterageConfigurationData->fields(), meterageConfigurationData->configuration(), shown);
    collectFieldValues(
        protectionConfigurationData->fields(), protectionConfigurationData->configuration(), shown);
    SettingsValues wanted = registersToWrite(*meterageConfigurationData);
    wanted.insert(registersToWrite(*protectionConfigurationData));
    startPanelSet(meterageConfigurationData, JournalEntry::ConfigurationSet, shown, wanted);
}

void MainWindow::on_setpointsWidget_write()
{
    SettingsValues shown;
    collectFieldValues(setpointsData->fields(), setpointsData->setpoints(), shown);
    startPanelSet(
        setpointsData, JournalEntry::SetpointsSet, shown, registersToWrite(*setpointsData));
}

// One Set at a time: the other tab's Set waits for the relay to be read, and the line is not
// blocked meanwhile.
void MainWindow::startPanelSet(const DeviceData *block, JournalEntry::Kind kind,
    const SettingsValues &shown, const SettingsValues &wanted)
{
    if (panelSettingsSet->isBusy()) {
        ui->statusBar->showMessage(
            tr("Another Set is still running; press Set again once it has ended."),
            WriteMessageTimeout);
        endPanelWrite(block, false);
        return;
    }
    panelSetBlock = block;
    panelSetChangesRange = wanted.value(CurrentRangeRegister) != shown.value(CurrentRangeRegister);
    panelSettingsSet->start(kind, shown, wanted);
}

void MainWindow::endPanelWrite(const DeviceData *block, bool written)
{
    if (block == setpointsData)
        ui->setpointsWidget->endWrite(written);
    else
        ui->configurationWidget->endWrite(written);
}

// A panel's Set ended: the panel learns whether to leave edit mode, the status bar what came of
// it, and the tabs read what the relay holds now.
void MainWindow::onPanelSetFinished(PanelSettingsSet::Outcome outcome, const QString &text)
{
    const WriteMessages &messages = writeMessages[panelSetBlock];
    const int slaveId = deviceMonitor->currentDeviceId();
    QString message = text;
    if (outcome == PanelSettingsSet::Failed)
        message = text.isEmpty() ? messages.failed.arg(slaveId)
                                 : tr("%1. %2").arg(messages.failed.arg(slaveId), text);
    else if (outcome == PanelSettingsSet::Written && text.isEmpty())
        message = messages.written.arg(slaveId);
    ui->statusBar->showMessage(message, WriteMessageTimeout);
    endPanelWrite(panelSetBlock, outcome == PanelSettingsSet::Written);
    if (outcome == PanelSettingsSet::Declined)
        return;
    // Whatever else its outcome, the relay may hold the new range, and every pick-up current
    // in amperes with it.
    if (panelSetChangesRange)
        followRelaySettings();
    else if (deviceMonitor->isCurrentDeviceAvailable())
        deviceMonitor->readFromCurrentDevice(
            { meterageConfigurationData, protectionConfigurationData, setpointsData });
}

void MainWindow::on_crashLogWidget_clear()
{
    if (Confirmation::ask(this, QMessageBox::Question, tr("Log clearing"),
            tr("Are you sure to clear log?"), tr("Clear")))
        deviceMonitor->writeToCurrentDevice({ clearCrashLogData });
}

void MainWindow::on_crashLogWidget_refresh()
{
    crashLogData->reset();
    crashLogData->setCrashCount(int(crashCountData->crashCount().value));
    deviceMonitor->readFromCurrentDevice({ crashLogData });
}

void MainWindow::on_deviceMonitor_stateChanged(DeviceMonitor::State state)
{
    const bool scanning = state == DeviceMonitor::Scanning;
    ui->scanRangeLineEdit->setVisible(!scanning);
    ui->scanButton->setVisible(!scanning);
    ui->cancelScanButton->setVisible(scanning);
    ui->scanProgressBar->setVisible(scanning);
}

void MainWindow::on_deviceMonitor_currentDeviceIdChanged(int deviceId)
{
    resetBlocks();
    showCurrentDeviceHealth();
    const DeviceListModel *model = deviceMonitor->deviceListModel();
    const int row = model->rowOfDevice(deviceId);
    const DeviceInfo *info = model->deviceInfoAt(row);
    // A relay set without a scan, or after the list was cleared, has no identity to show.
    if (!info) {
        ui->deviceInfoWidget->setDeviceInfo(DeviceInfo());
        return;
    }
    ui->deviceListView->setCurrentIndex(model->index(row));
    ui->deviceInfoWidget->setDeviceInfo(*info);
}

void MainWindow::on_deviceMonitor_scanProgress(int deviceId)
{
    ui->scanProgressBar->setValue(deviceId);
}

// A write must either land or say plainly that it did not.
void MainWindow::on_deviceMonitor_deviceDataWritten(DeviceData *deviceData, int slaveId)
{
    const auto messages = writeMessages.constFind(deviceData);
    if (messages == writeMessages.cend())
        return;
    const bool written = deviceData->isWriteSuccessful();
    QString text;
    if (slaveId == 0) {
        text = written ? messages->sentToAll : messages->notSentToAll;
    } else if (!written) {
        writeFailureShown = true;
        text = messages->failed.arg(slaveId);
    } else if (!writeFailureShown) {
        text = messages->written.arg(slaveId);
    }
    if (!text.isEmpty())
        ui->statusBar->showMessage(text, WriteMessageTimeout);
}

// Why the write that just failed never went out.
void MainWindow::on_deviceMonitor_writeRefused(int, const QString &reason)
{
    ui->statusBar->showMessage(reason, WriteMessageTimeout);
}

// Beside the connection, not as a passing message: a write's result must not
// be pushed out of view by it, nor it by a write's result.
void MainWindow::showCurrentDeviceHealth()
{
    const int deviceId = deviceMonitor->currentDeviceId();
    const bool silent = deviceMonitor->isConnected() && deviceId > 0
        && deviceMonitor->deviceListModel()->health(deviceId).hasStoppedAnswering();
    if (silent) {
        answersAgainTimer->stop();
        deviceAnswerLabel->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
        deviceAnswerLabel->setText(tr("Device %1 does not answer").arg(deviceId));
        deviceAnswerLabel->show();
    } else if (silentDeviceId == deviceId && deviceId > 0 && deviceMonitor->isConnected()) {
        deviceAnswerLabel->setStyleSheet(QString());
        deviceAnswerLabel->setText(tr("Device %1 answers again").arg(deviceId));
        answersAgainTimer->start();
    } else {
        answersAgainTimer->stop();
        deviceAnswerLabel->hide();
    }
    silentDeviceId = silent ? deviceId : 0;
}

void MainWindow::onDeviceDataStateChanged_Writing(
    DeviceData::State currentState, DeviceData::State previousState)
{
    if (currentState != DeviceData::Writing || previousState != DeviceData::Inactive)
        return;
    writeFailureShown = false;
    setInputBlocked(true);
}

void MainWindow::onDeviceDataStateChanged_Inactive(
    DeviceData::State currentState, DeviceData::State previousState)
{
    if (currentState != DeviceData::Inactive || previousState != DeviceData::Writing)
        return;
    setInputBlocked(false);
}

// Nothing the user does may reach any window while a write is on the line.
void MainWindow::setInputBlocked(bool blocked)
{
    if (blocked == inputBlocked)
        return;
    inputBlocked = blocked;
    if (blocked) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        qApp->installEventFilter(inputEventFilter);
    } else {
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(inputEventFilter);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveWindowGeometry(this);
    saveDeviceSettings(deviceMonitor->deviceSettings());
    savePreferences({ ui->scanRangeLineEdit->text(), deviceMonitor->autoRefreshDelay(),
        ui->actionAutoRefresh->isChecked(), ui->toolBar->isVisible(),
        int(toolBarArea(ui->toolBar)) });
    // Ends a scan, a refresh or a write in flight before the window goes.
    if (deviceMonitor->isConnected())
        deviceMonitor->disconnectFromPort();
    QMainWindow::closeEvent(event);
}
