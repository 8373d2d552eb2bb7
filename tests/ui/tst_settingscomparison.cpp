// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicedata/settingsfile.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/settingscomparisonmodel.h"
#include "devicemonitor/settingstransfer.h"
#include "mainwindowfixture.h"
#include "messageboxanswer.h"
#include "namedchild.h"
#include "referencecrc32.h"
#include "relaybus.h"
#include "settingsfolder.h"
#include "ui/mainwindow.h"
#include "ui/panels/setpointswidget.h"
#include "ui/settingsfiles/settingscomparisondialog.h"
#include "ui/settingsfiles/settingsfileactions.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <functional>

namespace {

constexpr int LineTimeoutMs = 10000;
constexpr int SlaveId = 2;
constexpr quint16 MtzReactionDelayRegister = 35;

} // namespace

// Settings files saved from, compared with and sent to relays 2 and 3 on a
// simulated line, through the window's File menu helpers.
class SettingsComparisonTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void roundTrip();
    void sendAllWritesEveryField();
    void valueTheRelayDidNotTakeIsShown();
    void refusalStopsTheSendAndEveryRowSaysWhy();
    void lostLineLeavesUnreadCellsEmpty();
    void rangeChangeSwitchesProtectionsOffFirst();
    void relayChangedSinceTheComparisonIsNotWritten();
    void questionNamesEveryIdentityDifference();
    void sendEndsPanelEdits();
    void pickupsCompareInAmperes();
    void panelWriteIsReadBack();
    void failedPanelWriteSaysWhatLanded();
    void stoppedRefreshKeepsTheReadBack();
    void stoppedRefreshKeepsTheSettingsRead();
    void badFileIsRefused();
    void otherDeviceTypeAndSerial();
    void anotherRelayEndsTheComparison();
    void lostRelayEndsSendingForGood();
    void failedReadBeforeSendingMayBeTriedAgain();
    void silentRelayIsNotSaved();
    void fingerprintsSideBySide();

private:
    MainWindow *openConnectedWindow();
    SettingsFileActions *actions(MainWindow *window) const;
    QString savedFile(MainWindow *window);
    // The file at `path` with `edit` applied to its document, under a new name.
    QString editedFile(const QString &path, const std::function<void(QJsonObject &)> &edit);
    SettingsComparisonDialog *openReady(
        MainWindow *window, const QString &path, SettingsComparisonDialog::Mode mode);
    QString stateText(SettingsComparisonDialog *dialog) const;
    // Puts relay 2's registers back as they are now when the guard goes.
    auto registersRestoredLater(const QList<int> &addresses)
    {
        QList<QPair<int, quint16>> saved;
        for (int address : addresses)
            saved.append({ address, m_bus->holdingRegister(SlaveId, address) });
        return qScopeGuard([this, saved] {
            for (const auto &value : saved)
                m_bus->setHoldingRegister(SlaveId, value.first, value.second);
        });
    }

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<SettingsFolder> m_dir;
    QList<ReceivedWrite> m_writesSeen;
};

void SettingsComparisonTest::initTestCase()
{
    useProgramInEnglish();
    m_bus.reset(new RelayBus({ 2, 3 }));
    QString error;
    QVERIFY2(startStillBus(*m_bus, &error), qPrintable(error));
}

void SettingsComparisonTest::init()
{
    m_dir.reset(new SettingsFolder);
    QVERIFY(m_dir->isEntered());
    m_bus->clearReceivedWrites();
    m_bus->setRelayOnline(SlaveId, true);
    m_bus->setHoldingRegister(SlaveId, MtzReactionDelayRegister, 20);
    saveConnectionTo(*m_bus);
}

void SettingsComparisonTest::cleanup()
{
    closeMainWindows();
    m_dir.reset();
}

MainWindow *SettingsComparisonTest::openConnectedWindow()
{
    MainWindow *window = openMainWindow();
    connectAndScan(window, QStringLiteral("1-3"));
    return window;
}

SettingsFileActions *SettingsComparisonTest::actions(MainWindow *window) const
{
    return settingsFileActions(window);
}

QString SettingsComparisonTest::savedFile(MainWindow *window)
{
    const QString path = m_dir->filePath(QStringLiteral("relay2.json"));
    auto *save = child<QAction>(window, "actionSaveSettings");
    [&] { QTRY_VERIFY_WITH_TIMEOUT(save->isEnabled(), LineTimeoutMs); }();
    actions(window)->save(path);
    [&] {
        QTRY_VERIFY_WITH_TIMEOUT(window->statusBar()->currentMessage().startsWith(
                                     QStringLiteral("Settings of Device 2 saved to")),
            LineTimeoutMs);
    }();
    return path;
}

QString SettingsComparisonTest::editedFile(
    const QString &path, const std::function<void(QJsonObject &)> &edit)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    edit(root);
    const QString editedPath = m_dir->filePath(QStringLiteral("edited.json"));
    QFile edited(editedPath);
    edited.open(QIODevice::WriteOnly | QIODevice::Truncate);
    edited.write(QJsonDocument(root).toJson());
    return editedPath;
}

SettingsComparisonDialog *SettingsComparisonTest::openReady(
    MainWindow *window, const QString &path, SettingsComparisonDialog::Mode mode)
{
    SettingsComparisonDialog *dialog = actions(window)->open(path, mode);
    if (!dialog)
        return nullptr;
    [&] { QTRY_VERIFY_WITH_TIMEOUT(dialog->isReady(), LineTimeoutMs); }();
    return dialog;
}

QString SettingsComparisonTest::stateText(SettingsComparisonDialog *dialog) const
{
    return child<QLabel>(dialog, "stateLabel")->text();
}

namespace {

void setFieldRaw(QJsonObject &root, const QString &name, qint64 raw)
{
    QJsonArray fields = root.value(QStringLiteral("fields")).toArray();
    for (int i = 0; i < fields.size(); ++i) {
        QJsonObject field = fields.at(i).toObject();
        if (field.value(QStringLiteral("name")).toString() == name) {
            field.insert(QStringLiteral("raw"), double(raw));
            fields.replace(i, field);
        }
    }
    root.insert(QStringLiteral("fields"), fields);
}

void setIdentity(QJsonObject &root, const QString &key, qint64 value)
{
    QJsonObject device = root.value(QStringLiteral("device")).toObject();
    device.insert(key, double(value));
    root.insert(QStringLiteral("device"), device);
}

QList<int> rowsThatDiffer(const QAbstractItemModel *model)
{
    QList<int> rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data(SettingsComparisonModel::DiffersRole).toBool())
            rows.append(row);
    }
    return rows;
}

int rowOf(quint16 address)
{
    const QVector<SettingsField> &fields = settingsFields();
    for (int row = 0; row < fields.size(); ++row) {
        if (fields.at(row).description.address == address)
            return row;
    }
    return -1;
}

} // namespace

// Save, open: no difference; one value changed in the file: that row alone;
// send it: the relay holds it and the row is verified.
void SettingsComparisonTest::roundTrip()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    QStringList problems;
    const SettingsFile saved = SettingsFile::read(path, &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QCOMPARE(saved.relay.identity.slaveId, SlaveId);
    QCOMPARE(saved.relay.identity.serialNumber, qint64(1402000 + 1373 * SlaveId));
    for (auto value = saved.relay.values.cbegin(); value != saved.relay.values.cend(); ++value)
        QCOMPARE(value.value(), qint64(m_bus->holdingRegister(SlaveId, value.key())));
    QCOMPARE(loadLastFolder(), m_dir->path());

    SettingsComparisonDialog *same
        = openReady(window, path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(same);
    auto *table = child<QTableView>(same, "comparisonTableView");
    QCOMPARE(table->model()->rowCount(), settingsFields().size());
    QVERIFY(rowsThatDiffer(table->model()).isEmpty());
    QVERIFY(!child<QAbstractButton>(same, "sendDifferencesButton")->isEnabled());
    const QModelIndex kt0 = table->model()->index(2, SettingsComparisonModel::FieldColumn);
    QCOMPARE(kt0.data().toString(), QStringLiteral("Kt0"));
    child<QAbstractButton>(same, "closeButton")->click();

    const QString edited = editedFile(
        path, [](QJsonObject &root) { setFieldRaw(root, QStringLiteral("mtzReactionDelay"), 55); });
    SettingsComparisonDialog *dialog
        = openReady(window, edited, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    const QAbstractItemModel *model = child<QTableView>(dialog, "comparisonTableView")->model();
    const int row = rowOf(MtzReactionDelayRegister);
    QCOMPARE(rowsThatDiffer(model), QList<int> { row });
    QCOMPARE(model->index(row, SettingsComparisonModel::RelayColumn).data().toString(),
        QStringLiteral("2.0"));
    QCOMPARE(model->index(row, SettingsComparisonModel::FileColumn).data().toString(),
        QStringLiteral("5.5"));
    QCOMPARE(model->index(row, SettingsComparisonModel::UnitColumn).data().toString(),
        QStringLiteral("sec"));

    m_bus->clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendDifferencesButton")->click();
        QVERIFY(answer.answered());
        QCOMPARE(answer.text(), QStringLiteral("Write 1 value to Device 2, serial 1404746?"));
    }
    // The dialog holds the blocks being written: it stays until the send ends.
    auto *close = child<QAbstractButton>(dialog, "closeButton");
    QVERIFY(!close->isEnabled());
    dialog->close();
    QVERIFY(dialog->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings written and verified (Device 2)"), LineTimeoutMs);
    QCOMPARE(window->statusBar()->currentMessage(),
        QStringLiteral("Settings written and verified (Device 2)"));
    QCOMPARE(m_bus->holdingRegister(SlaveId, MtzReactionDelayRegister), quint16(55));
    QVERIFY(close->isEnabled());
    QCOMPARE(model->index(row, 0).data(SettingsComparisonModel::VerificationRole).toInt(),
        int(SettingsComparisonModel::Verified));
    QVERIFY(rowsThatDiffer(model).isEmpty());
    // Only the setpoints held a difference: the configuration was left alone.
    for (const ReceivedWrite &write : m_bus->receivedWrites()) {
        QCOMPARE(write.slaveId, SlaveId);
        QVERIFY2(write.address >= 32, qPrintable(QString::number(write.address)));
    }
}

void SettingsComparisonTest::sendAllWritesEveryField()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    SettingsComparisonDialog *dialog
        = openReady(window, path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    m_bus->clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendAllButton")->click();
        QVERIFY(answer.answered());
        QCOMPARE(answer.text(),
            QStringLiteral("Write %1 values to Device 2, serial 1404746?")
                .arg(settingsFields().size()));
    }
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings written and verified (Device 2)"), LineTimeoutMs);
    // Configuration before setpoints, each register once, in table order.
    QList<int> addresses;
    for (const ReceivedWrite &write : m_bus->receivedWrites())
        addresses.append(write.address);
    QList<int> expected;
    for (const SettingsField &field : settingsFields())
        expected.append(field.description.address);
    QCOMPARE(addresses, expected);

    // Compare only: the same view without the send buttons.
    child<QAbstractButton>(dialog, "closeButton")->click();
    SettingsComparisonDialog *compare
        = openReady(window, path, SettingsComparisonDialog::CompareOnly);
    QVERIFY(compare);
    QVERIFY(child<QAbstractButton>(compare, "sendAllButton")->isHidden());
    QVERIFY(child<QAbstractButton>(compare, "sendDifferencesButton")->isHidden());
}

// A relay that clamps a value: the read-back shows it, the row says so.
void SettingsComparisonTest::valueTheRelayDidNotTakeIsShown()
{
    MainWindow *window = openConnectedWindow();
    const QString edited = editedFile(savedFile(window),
        [](QJsonObject &root) { setFieldRaw(root, QStringLiteral("mtzReactionDelay"), 77); });
    SettingsComparisonDialog *dialog
        = openReady(window, edited, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    // The read-back is queued only once the last write has ended, so the
    // relay changes its mind before it is asked.
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    connect(monitor, &DeviceMonitor::deviceDataWritten, this,
        [this] { m_bus->setHoldingRegister(SlaveId, MtzReactionDelayRegister, 300); });
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendDifferencesButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings partly written (Device 2): 0 of 1 verified, 1 changed by the "
                       "relay, 0 refused, 0 not sent, 0 unknown"),
        LineTimeoutMs);
    disconnect(monitor, nullptr, this, nullptr);
    const QAbstractItemModel *model = child<QTableView>(dialog, "comparisonTableView")->model();
    const int row = rowOf(MtzReactionDelayRegister);
    QCOMPARE(model->index(row, 0).data(SettingsComparisonModel::VerificationRole).toInt(),
        int(SettingsComparisonModel::NotTaken));
    QCOMPARE(model->index(row, SettingsComparisonModel::RelayColumn).data().toString(),
        QStringLiteral("30.0"));
    // Only the difference went out.
    QCOMPARE(model->index(rowOf(34), 0).data(SettingsComparisonModel::VerificationRole).toInt(),
        int(SettingsComparisonModel::NotSent));
}

namespace {

QString rowState(const QAbstractItemModel *model, quint16 address)
{
    return model->index(rowOf(address), SettingsComparisonModel::StateColumn).data().toString();
}

int verification(const QAbstractItemModel *model, quint16 address)
{
    return model->index(rowOf(address), 0).data(SettingsComparisonModel::VerificationRole).toInt();
}

} // namespace

// A refusal ends the send there: nothing after it reaches the relay, the refused row names the
// exception, the rows after it say they were not sent.
void SettingsComparisonTest::refusalStopsTheSendAndEveryRowSaysWhy()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    // The relay's MTZ time is shorter than the file's: lengthening it goes first, and the relay
    // refuses it.
    m_bus->setHoldingRegister(SlaveId, MtzReactionDelayRegister, 19);
    SettingsComparisonDialog *dialog
        = openReady(window, path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    m_bus->setRegisterRule(SlaveId, MtzReactionDelayRegister,
        *RegisterRule::parse(QStringLiteral("refuse"), QStringLiteral("3")));
    const auto lift = qScopeGuard([this] { m_bus->clearRegisterRules(); });
    m_bus->clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendAllButton")->click();
        QVERIFY(answer.answered());
    }
    const int total = settingsFields().size();
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings not written (Device 2): 0 of %1 verified, 0 changed by the "
                       "relay, 1 refused, %2 not sent, 0 unknown. The write to Device 2 stopped "
                       "at MTZ-TO, Reaction time (register 35): Exception 3: illegal data value.")
            .arg(total)
            .arg(total - 1),
        LineTimeoutMs);
    QVERIFY(m_bus->receivedWrites().isEmpty());

    const QAbstractItemModel *model = child<QTableView>(dialog, "comparisonTableView")->model();
    QCOMPARE(verification(model, 34), int(SettingsComparisonModel::Stopped));
    QCOMPARE(verification(model, MtzReactionDelayRegister), int(SettingsComparisonModel::Refused));
    QCOMPARE(rowState(model, MtzReactionDelayRegister),
        QStringLiteral("Refused by the relay: Exception 3: illegal data value"));
    QCOMPARE(verification(model, 49), int(SettingsComparisonModel::Stopped));
    QCOMPARE(rowState(model, 49), QStringLiteral("Not sent"));
    QCOMPARE(window->statusBar()->currentMessage(), stateText(dialog));
}

// The relay falls silent after the configuration went out: nothing is read back, so no relay
// value is shown and nothing the relay acknowledged passes for verified.
void SettingsComparisonTest::lostLineLeavesUnreadCellsEmpty()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    SettingsComparisonDialog *dialog
        = openReady(window, path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    int writes = 0;
    connect(monitor, &DeviceMonitor::transactionFinished, this,
        [this, &writes](const ModbusTransaction &transaction) {
            if (transaction.function == ModbusRequest::WriteSingleRegister && ++writes == 3)
                m_bus->setRelayOnline(SlaveId, false);
        });
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendAllButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        stateText(dialog).startsWith(QStringLiteral("Settings partly written (Device 2): 0 of")),
        LineTimeoutMs);
    disconnect(monitor, nullptr, this, nullptr);
    const QAbstractItemModel *model = child<QTableView>(dialog, "comparisonTableView")->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QCOMPARE(
            model->index(row, SettingsComparisonModel::RelayColumn).data().toString(), QString());
        const int state
            = model->index(row, 0).data(SettingsComparisonModel::VerificationRole).toInt();
        QVERIFY2(
            state == SettingsComparisonModel::Unknown || state == SettingsComparisonModel::Stopped,
            qPrintable(QString::number(row)));
    }
    QCOMPARE(verification(model, 25), int(SettingsComparisonModel::Unknown));
    QCOMPARE(rowState(model, 49), QStringLiteral("Not sent"));
}

// Range code 4 (x8) with MTZ and TO on, to a file at range code 1 (x1) with a new MTZ pick-up
// and TO off: TO goes off first, MTZ is off from before the range changes until its pick-up is
// written, and the question says so before anything is written.
void SettingsComparisonTest::rangeChangeSwitchesProtectionsOffFirst()
{
    MainWindow *window = openConnectedWindow();
    const auto restore = registersRestoredLater({ 25, 32, 34, 36 });
    m_bus->setHoldingRegister(SlaveId, 25, 4);
    m_bus->setHoldingRegister(SlaveId, 32, 1);
    m_bus->setHoldingRegister(SlaveId, 34, 100);
    m_bus->setHoldingRegister(SlaveId, 36, 1);
    const QString edited = editedFile(savedFile(window), [](QJsonObject &root) {
        setFieldRaw(root, QStringLiteral("currentRange"), 1);
        setFieldRaw(root, QStringLiteral("mtzPickupCurrent"), 450);
        setFieldRaw(root, QStringLiteral("toMode"), 0);
    });
    SettingsComparisonDialog *dialog
        = openReady(window, edited, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    m_bus->clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendDifferencesButton")->click();
        QVERIFY(answer.answered());
        QCOMPARE(answer.text(), QStringLiteral("Write 4 values to Device 2, serial 1404746?"));
        const QStringList lines = answer.informativeText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines.at(1), QStringLiteral("1. MTZ-TO, TO mode: off (switched off first)"));
        QCOMPARE(lines.at(2),
            QStringLiteral("2. MTZ-TO, MTZ mode: off (switched off while the current range "
                           "changes)"));
        QCOMPARE(lines.at(5), QStringLiteral("5. MTZ-TO, MTZ mode: on (switched on last)"));
        QVERIFY2(lines.at(6).startsWith(
                     QStringLiteral("The current range changes: MTZ stay off for 3 writes, about")),
            qPrintable(lines.at(6)));
        QVERIFY2(lines.at(6).endsWith(QStringLiteral("Meanwhile the relay protects with: ZNZ.")),
            qPrintable(lines.at(6)));
    }
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings written and verified (Device 2)"), LineTimeoutMs);
    QList<QPair<int, int>> order;
    for (const ReceivedWrite &write : m_bus->receivedWrites())
        order.append({ write.address, write.value });
    const QList<QPair<int, int>> expected
        = { { 36, 0 }, { 32, 0 }, { 25, 1 }, { 34, 450 }, { 32, 1 } };
    QCOMPARE(order, expected);
}

// A value changed at the relay after the comparison: the send stops before writing anything and
// the new comparison shows the value the relay holds now.
void SettingsComparisonTest::relayChangedSinceTheComparisonIsNotWritten()
{
    MainWindow *window = openConnectedWindow();
    const QString edited = editedFile(savedFile(window),
        [](QJsonObject &root) { setFieldRaw(root, QStringLiteral("mtzReactionDelay"), 55); });
    SettingsComparisonDialog *dialog
        = openReady(window, edited, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    m_bus->setHoldingRegister(SlaveId, 49, 77);
    m_bus->clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendDifferencesButton")->click();
        QVERIFY(answer.answered());
        QCOMPARE(answer.text(), QStringLiteral("Write 1 value to Device 2, serial 1404746?"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Device 2 changed since the comparison; nothing was written. Check the new "
                       "comparison and send again."),
        LineTimeoutMs);
    QVERIFY(m_bus->receivedWrites().isEmpty());
    QCOMPARE(m_bus->holdingRegister(SlaveId, MtzReactionDelayRegister), quint16(20));
    const QAbstractItemModel *model = child<QTableView>(dialog, "comparisonTableView")->model();
    QCOMPARE(rowsThatDiffer(model), (QList<int> { rowOf(MtzReactionDelayRegister), rowOf(49) }));
    QTRY_VERIFY(child<QAbstractButton>(dialog, "sendDifferencesButton")->isEnabled());

    // Sent again, it writes the two differences and nothing else.
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendDifferencesButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings written and verified (Device 2)"), LineTimeoutMs);
    QList<int> written;
    for (const ReceivedWrite &write : m_bus->receivedWrites())
        written.append(write.address);
    QCOMPARE(written, (QList<int> { MtzReactionDelayRegister, 49 }));
}

// A file from a relay with another serial, software and modules: the question names each
// difference, and the auto-reclose settings this relay has no module for are not written.
void SettingsComparisonTest::questionNamesEveryIdentityDifference()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    m_bus->setModules(SlaveId, 0x000E);
    const auto restore = qScopeGuard([this] { m_bus->setModules(SlaveId, 0x000F); });
    const QString edited = editedFile(path, [](QJsonObject &root) {
        setIdentity(root, QStringLiteral("serialNumber"), 65555);
        setIdentity(root, QStringLiteral("softwareVersion"), 104);
        setFieldRaw(root, QStringLiteral("apvReadinessDelay"), 33);
        setFieldRaw(root, QStringLiteral("mtzReactionDelay"), 55);
        // As a file saved before fingerprints were kept: no warning of an edit.
        root.remove(QStringLiteral("fingerprint"));
    });
    SettingsComparisonDialog *dialog
        = openReady(window, edited, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    const QStringList differences
        = { QStringLiteral("The file was saved from serial number 0065555, this relay is serial "
                           "number 1404746."),
              QStringLiteral(
                  "The file was saved from software version 1.04, this relay runs version 1.05."),
              QStringLiteral("The file was saved from a relay with the modules APV, IND, 3I0, "
                             "3U0, this relay has IND, 3I0, 3U0.") };
    QCOMPARE(child<QLabel>(dialog, "warningLabel")->text(), differences.join(QLatin1Char('\n')));
    m_bus->clearReceivedWrites();
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendDifferencesButton")->click();
        QVERIFY(answer.answered());
        QCOMPARE(answer.text(), QStringLiteral("Write 1 value to Device 2, serial 1404746?"));
        const QStringList lines = answer.informativeText().split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 3), differences);
        QCOMPARE(lines.last(),
            QStringLiteral("Not written, the relay lacks their modules: Readiness time."));
    }
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings written and verified (Device 2)"), LineTimeoutMs);
    QList<int> written;
    for (const ReceivedWrite &write : m_bus->receivedWrites())
        written.append(write.address);
    QCOMPARE(written, QList<int> { MtzReactionDelayRegister });
}

// An edit begun on the Setpoints tab before a send ends with it, and the tab shows what the
// relay holds after it.
void SettingsComparisonTest::sendEndsPanelEdits()
{
    MainWindow *window = openConnectedWindow();
    const QString edited = editedFile(savedFile(window),
        [](QJsonObject &root) { setFieldRaw(root, QStringLiteral("mtzReactionDelay"), 66); });
    auto *setpoints = child<SetpointsWidget>(window, "setpointsWidget");
    child<QTabWidget>(window, "tabWidget")->setCurrentWidget(setpoints);
    auto *editButton = child<QAbstractButton>(setpoints, "editButton");
    QTRY_VERIFY_WITH_TIMEOUT(editButton->isEnabled(), LineTimeoutMs);
    editButton->click();
    QVERIFY(setpoints->isEditMode());
    SettingsComparisonDialog *dialog
        = openReady(window, edited, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendDifferencesButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings written and verified (Device 2)"), LineTimeoutMs);
    QVERIFY(!setpoints->isEditMode());
    auto *block = window->findChild<SetpointsData *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(block);
    QTRY_COMPARE_WITH_TIMEOUT(block->setpoints().mtzReactionDelay.value, qint64(66), LineTimeoutMs);
}

// A pick-up compares as the current it protects with, each side at its own range: the same raw
// value at range codes 4 and 3 (8.00 A and 4.00 A) differs, TO at 160.0 A on both sides does not;
// the send still writes every register whose raw value differs.
void SettingsComparisonTest::pickupsCompareInAmperes()
{
    MainWindow *window = openConnectedWindow();
    const auto restore = registersRestoredLater({ 25, 34, 37 });
    m_bus->setHoldingRegister(SlaveId, 25, 4);
    m_bus->setHoldingRegister(SlaveId, 34, 100);
    m_bus->setHoldingRegister(SlaveId, 37, 200);
    const QString edited = editedFile(savedFile(window), [](QJsonObject &root) {
        setFieldRaw(root, QStringLiteral("currentRange"), 3);
        setFieldRaw(root, QStringLiteral("toPickupCurrent"), 400);
    });
    SettingsComparisonDialog *dialog
        = openReady(window, edited, SettingsComparisonDialog::CompareOnly);
    QVERIFY(dialog);
    const auto *model = dialog->comparisonModel();
    // Range x8 to x4: MTZ 8.00 A becomes 4.00 A; TO stays at 160.0 A.
    QCOMPARE(rowsThatDiffer(model), (QList<int> { rowOf(25), rowOf(34) }));
    QCOMPARE(model->differenceCount(), 2);
    QCOMPARE(stateText(dialog), QStringLiteral("Values that differ from the file: 2 (Device 2)."));
    QCOMPARE(model->differences().keys(), (QList<quint16> { 25, 37 }));
}

// A configuration Set from the panel's side: a clamped value is reported, and a value taken
// leaves the write's own message standing.
void SettingsComparisonTest::panelWriteIsReadBack()
{
    MainWindow *window = openConnectedWindow();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    const auto blocks
        = window->findChildren<MeterageConfigurationData *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(blocks.size(), 1);
    MeterageConfigurationData *meterage = blocks.first();
    QTRY_COMPARE_WITH_TIMEOUT(
        meterage->configuration().currentTransFactor.status, Valid, LineTimeoutMs);
    m_bus->setRegisterRule(
        SlaveId, 26, *RegisterRule::parse(QStringLiteral("clamp"), QStringLiteral("1-1000")));
    const auto lift = qScopeGuard([this] { m_bus->clearRegisterRules(); });

    MeterageConfiguration configuration = meterage->configuration();
    configuration.currentTransFactor = validValue(1500);
    meterage->setNewConfiguration(configuration);
    QMetaObject::invokeMethod(window, "on_configurationWidget_write");
    QTRY_COMPARE_WITH_TIMEOUT(window->statusBar()->currentMessage(),
        QStringLiteral("Device 2 did not take every value: Meterage configuration, Kt "
                       "(register 26): sent 1,500, holds 1,000"),
        LineTimeoutMs);
    m_bus->clearRegisterRules();
    // The tab reads what the relay holds after the Set: the next Set starts from it.
    QTRY_COMPARE_WITH_TIMEOUT(
        meterage->configuration().currentTransFactor.value, qint64(1000), LineTimeoutMs);

    child<QAction>(window, "actionAutoRefresh")->setChecked(false);
    QTRY_COMPARE_WITH_TIMEOUT(monitor->state(), DeviceMonitor::Idle, LineTimeoutMs);
    configuration = meterage->configuration();
    configuration.currentTransFactor = validValue(1600);
    meterage->setNewConfiguration(configuration);
    QMetaObject::invokeMethod(window, "on_configurationWidget_write");
    QTRY_COMPARE_WITH_TIMEOUT(window->statusBar()->currentMessage(),
        QStringLiteral("Written: configuration (Device 2)"), LineTimeoutMs);
    QCOMPARE(m_bus->holdingRegister(SlaveId, 26), quint16(1600));
    // The tab reads what the relay holds now.
    QTRY_COMPARE_WITH_TIMEOUT(
        meterage->configuration().currentTransFactor.value, qint64(1600), LineTimeoutMs);
}

// A Set refused at its first register writes nothing after it, and the status bar says where
// it stopped.
void SettingsComparisonTest::failedPanelWriteSaysWhatLanded()
{
    MainWindow *window = openConnectedWindow();
    MeterageConfigurationData *meterage
        = window->findChild<MeterageConfigurationData *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(meterage);
    QTRY_COMPARE_WITH_TIMEOUT(
        meterage->configuration().currentTransFactor.status, Valid, LineTimeoutMs);
    m_bus->setRegisterRule(
        SlaveId, 26, *RegisterRule::parse(QStringLiteral("refuse"), QStringLiteral("3")));
    const auto lift = qScopeGuard([this] { m_bus->clearRegisterRules(); });
    m_bus->clearReceivedWrites();

    MeterageConfiguration configuration = meterage->configuration();
    configuration.currentTransFactor = validValue(1500);
    configuration.zeroCurrentTransFactor
        = validValue(configuration.zeroCurrentTransFactor.value == 40 ? 41 : 40);
    const quint16 zeroBefore = m_bus->holdingRegister(SlaveId, 27);
    meterage->setNewConfiguration(configuration);
    QMetaObject::invokeMethod(window, "on_configurationWidget_write");
    QTRY_VERIFY_WITH_TIMEOUT(window->statusBar()->currentMessage().startsWith(
                                 QStringLiteral("Write failed: configuration (Device 2). ")),
        LineTimeoutMs);
    const QString message = window->statusBar()->currentMessage();
    QVERIFY2(message.contains(QStringLiteral("The write to Device 2 stopped at Meterage "
                                             "configuration, Kt (register 26): Exception 3")),
        qPrintable(message));
    // The relay took nothing: Kt was refused, Kt0 never sent.
    QVERIFY(m_bus->receivedWrites().isEmpty());
    QCOMPARE(m_bus->holdingRegister(SlaveId, 27), zeroBefore);
}

// Stopping the refresh drops the reads queued behind a Set, its read-back too: the read-back is
// asked for again and still reports a clamped value.
void SettingsComparisonTest::stoppedRefreshKeepsTheReadBack()
{
    MainWindow *window = openConnectedWindow();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    MeterageConfigurationData *meterage
        = window->findChild<MeterageConfigurationData *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(meterage);
    QTRY_COMPARE_WITH_TIMEOUT(
        meterage->configuration().currentTransFactor.status, Valid, LineTimeoutMs);
    m_bus->setRegisterRule(
        SlaveId, 26, *RegisterRule::parse(QStringLiteral("clamp"), QStringLiteral("1-1000")));
    const auto lift = qScopeGuard([this] { m_bus->clearRegisterRules(); });

    MeterageConfiguration configuration = meterage->configuration();
    configuration.currentTransFactor = validValue(1500);
    meterage->setNewConfiguration(configuration);
    bool stopped = false;
    connect(monitor, &DeviceMonitor::transactionFinished, this,
        [monitor, &stopped](const ModbusTransaction &transaction) {
            if (stopped || transaction.function != ModbusRequest::WriteSingleRegister)
                return;
            monitor->stopRefresh();
            stopped = true;
        });
    QMetaObject::invokeMethod(window, "on_configurationWidget_write");
    QTRY_VERIFY_WITH_TIMEOUT(stopped, LineTimeoutMs);
    disconnect(monitor, nullptr, this, nullptr);
    QCOMPARE(monitor->state(), DeviceMonitor::Idle);
    QTRY_COMPARE_WITH_TIMEOUT(window->statusBar()->currentMessage(),
        QStringLiteral("Device 2 did not take every value: Meterage configuration, Kt "
                       "(register 26): sent 1,500, holds 1,000"),
        LineTimeoutMs);
}

// Stopping the refresh drops the reads of a settings operation queued with
// it: they are asked for again, and the operation ends with the relay's
// settings instead of taking the relay for silent.
void SettingsComparisonTest::stoppedRefreshKeepsTheSettingsRead()
{
    MainWindow *window = openConnectedWindow();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    QTRY_VERIFY_WITH_TIMEOUT(monitor->isCurrentDeviceAvailable(), LineTimeoutMs);
    QCOMPARE(monitor->state(), DeviceMonitor::Refreshing);

    SettingsTransfer transfer(monitor);
    QList<RelaySettings> read;
    QStringList failures;
    connect(&transfer, &SettingsTransfer::relayRead, this,
        [&read](const RelaySettings &relay) { read.append(relay); });
    connect(&transfer, &SettingsTransfer::failed, this,
        [&failures](const SettingsTransferError &error) { failures.append(error.text); });
    QSignalSpy stopped(monitor, &DeviceMonitor::readsStopped);
    transfer.readCurrentDevice();
    monitor->stopRefresh();
    QCOMPARE(stopped.count(), 1);

    QTRY_VERIFY_WITH_TIMEOUT(!transfer.isBusy(), 6 * LineTimeoutMs);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(read.size(), 1);
    QCOMPARE(read.first().identity.slaveId, SlaveId);
    QCOMPARE(read.first().values.value(MtzReactionDelayRegister), qint64(20));
}

void SettingsComparisonTest::badFileIsRefused()
{
    MainWindow *window = openConnectedWindow();
    const QString edited = editedFile(savedFile(window), [](QJsonObject &root) {
        setFieldRaw(root, QStringLiteral("currentTransFactor"), 9000);
        setFieldRaw(root, QStringLiteral("toMode"), 5);
    });
    MessageBoxAnswer answer(QStringLiteral("OK"));
    QVERIFY(!actions(window)->open(edited, SettingsComparisonDialog::CompareAndSend));
    QVERIFY(answer.answered());
    QVERIFY2(answer.text().contains(QStringLiteral("nothing is sent from it")),
        qPrintable(answer.text()));
    QVERIFY2(answer.text().contains(QStringLiteral("\"currentTransFactor\"")),
        qPrintable(answer.text()));
    QVERIFY2(answer.text().contains(QStringLiteral("\"toMode\"")), qPrintable(answer.text()));
    QVERIFY(!window->findChild<SettingsComparisonDialog *>());
}

void SettingsComparisonTest::otherDeviceTypeAndSerial()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    const QString otherType = editedFile(
        path, [](QJsonObject &root) { setIdentity(root, QStringLiteral("deviceTypeCode"), 7); });
    SettingsComparisonDialog *dialog
        = openReady(window, otherType, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    auto *warning = child<QLabel>(dialog, "warningLabel");
    QVERIFY(warning->isVisible());
    QVERIFY2(
        warning->text().contains(QStringLiteral("cannot be sent")), qPrintable(warning->text()));
    QVERIFY(!child<QAbstractButton>(dialog, "sendAllButton")->isEnabled());
    child<QAbstractButton>(dialog, "closeButton")->click();

    const QString otherSerial = editedFile(
        path, [](QJsonObject &root) { setIdentity(root, QStringLiteral("serialNumber"), 65555); });
    dialog = openReady(window, otherSerial, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    warning = child<QLabel>(dialog, "warningLabel");
    QVERIFY(warning->isVisible());
    QCOMPARE(warning->text(),
        QStringLiteral(
            "The file was saved from serial number 0065555, this relay is serial number 1404746."));
    QVERIFY(child<QAbstractButton>(dialog, "sendAllButton")->isEnabled());
}

void SettingsComparisonTest::anotherRelayEndsTheComparison()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    SettingsComparisonDialog *dialog
        = openReady(window, path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    QVERIFY(child<QAbstractButton>(dialog, "sendAllButton")->isEnabled());
    child<DeviceMonitor>(window, "deviceMonitor")->setCurrentDeviceId(3);
    QVERIFY(!child<QAbstractButton>(dialog, "sendAllButton")->isEnabled());
    QVERIFY2(stateText(dialog).contains(QStringLiteral("Device 2 is no longer the current device")),
        qPrintable(stateText(dialog)));

    // Changing the relay while the file is being compared ends the read.
    SettingsComparisonDialog *reading
        = actions(window)->open(path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(reading);
    child<DeviceMonitor>(window, "deviceMonitor")->setCurrentDeviceId(2);
    QVERIFY2(
        stateText(reading).contains(QStringLiteral("Device 3 is no longer the current device")),
        qPrintable(stateText(reading)));
    QTest::qWait(500);
    QVERIFY(!reading->isReady());
    QVERIFY(!child<QAbstractButton>(reading, "sendAllButton")->isEnabled());
}

// Another relay chosen halfway through a send, or the port closed after the comparison: the
// dialog says what became of the send and what is left to do, and nothing can be sent from it
// any more.
void SettingsComparisonTest::lostRelayEndsSendingForGood()
{
    MainWindow *window = openConnectedWindow();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    const QString path = savedFile(window);
    SettingsComparisonDialog *dialog
        = openReady(window, path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    connect(monitor, &DeviceMonitor::transactionFinished, this,
        [monitor](const ModbusTransaction &transaction) {
            if (transaction.function == ModbusRequest::WriteSingleRegister)
                monitor->setCurrentDeviceId(3);
        });
    QSignalSpy written(dialog, &SettingsComparisonDialog::relaySettingsWritten);
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendAllButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_COMPARE_WITH_TIMEOUT(monitor->currentDeviceId(), 3, LineTimeoutMs);
    disconnect(monitor, nullptr, this, nullptr);
    // The send is addressed to Device 2 and goes on to its end there, read back: the table tells
    // what Device 2 holds, and the dialog that it is no longer the current device.
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 1, LineTimeoutMs);
    const QAbstractItemModel *model = child<QTableView>(dialog, "comparisonTableView")->model();
    QCOMPARE(verification(model, 49), int(SettingsComparisonModel::Verified));
    QVERIFY2(
        stateText(dialog).startsWith(QStringLiteral("Settings written and verified (Device 2)")),
        qPrintable(stateText(dialog)));
    QVERIFY2(stateText(dialog).endsWith(
                 QStringLiteral("Device 2 is no longer the current device; open the file again to "
                                "compare it with another.")),
        qPrintable(stateText(dialog)));
    QVERIFY(!dialog->isReady());
    QVERIFY(child<QAbstractButton>(dialog, "closeButton")->isEnabled());
    // Choosing the relay again does not make the old comparison stand again.
    monitor->setCurrentDeviceId(SlaveId);
    QVERIFY(!child<QAbstractButton>(dialog, "sendAllButton")->isEnabled());
    QVERIFY(!child<QAbstractButton>(dialog, "sendDifferencesButton")->isEnabled());
    child<QAbstractButton>(dialog, "closeButton")->click();

    dialog = openReady(window, path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    window->statusBar()->clearMessage();
    child<QAction>(window, "actionDisconnect")->trigger();
    QCOMPARE(
        stateText(dialog), QStringLiteral("The port was closed; connect and open the file again."));
    QVERIFY(!dialog->isReady());
    QVERIFY(!child<QAbstractButton>(dialog, "sendAllButton")->isEnabled());
    QVERIFY(child<QAbstractButton>(dialog, "closeButton")->isEnabled());
    // Nothing ran: nothing was stopped.
    QVERIFY(!window->statusBar()->currentMessage().contains(QStringLiteral("was stopped")));
}

// A relay that falls silent just before a send is not written to, and the comparison still
// stands: once it answers again, the send can be tried again.
void SettingsComparisonTest::failedReadBeforeSendingMayBeTriedAgain()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    SettingsComparisonDialog *dialog
        = openReady(window, path, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    m_bus->clearReceivedWrites();
    m_bus->setRelayOnline(SlaveId, false);
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendAllButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        stateText(dialog).startsWith(QStringLiteral("Could not read from Device 2: ")),
        6 * LineTimeoutMs);
    QCOMPARE(window->statusBar()->currentMessage(), stateText(dialog));
    QVERIFY(m_bus->receivedWrites().isEmpty());
    QVERIFY(dialog->isReady());
    QVERIFY(child<QAbstractButton>(dialog, "sendAllButton")->isEnabled());

    m_bus->setRelayOnline(SlaveId, true);
    {
        MessageBoxAnswer answer(QStringLiteral("Write"));
        child<QAbstractButton>(dialog, "sendAllButton")->click();
        QVERIFY(answer.answered());
    }
    QTRY_COMPARE_WITH_TIMEOUT(stateText(dialog),
        QStringLiteral("Settings written and verified (Device 2)"), LineTimeoutMs);
}

void SettingsComparisonTest::silentRelayIsNotSaved()
{
    MainWindow *window = openConnectedWindow();
    auto *save = child<QAction>(window, "actionSaveSettings");
    QTRY_VERIFY_WITH_TIMEOUT(save->isEnabled(), LineTimeoutMs);
    m_bus->setRelayOnline(SlaveId, false);
    const QString path = m_dir->filePath(QStringLiteral("silent.json"));
    MessageBoxAnswer answer(QStringLiteral("OK"));
    actions(window)->save(path);
    QVERIFY(!save->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), LineTimeoutMs);
    QVERIFY2(answer.text().startsWith(QStringLiteral("Could not read from Device 2: the identity, "
                                                     "the modules, the measurement configuration")),
        qPrintable(answer.text()));
    QVERIFY2(
        answer.text().contains(QStringLiteral("Nothing was written")), qPrintable(answer.text()));
    QVERIFY(!QFile::exists(path));
    QVERIFY(save->isEnabled());
}

// The saved file carries the relay's fingerprint, worked out here from the relay's registers; a
// file edited afterwards says so, and is compared all the same.
void SettingsComparisonTest::fingerprintsSideBySide()
{
    MainWindow *window = openConnectedWindow();
    const QString path = savedFile(window);
    const QString relayFingerprint = referenceFingerprintText(*m_bus, SlaveId);
    QStringList problems;
    const SettingsFile saved = SettingsFile::read(path, &problems);
    QCOMPARE(saved.savedFingerprint, relayFingerprint);
    QVERIFY(!saved.savedBy.isEmpty() || qEnvironmentVariableIsEmpty("USER"));

    SettingsComparisonDialog *same = openReady(window, path, SettingsComparisonDialog::CompareOnly);
    QVERIFY(same);
    QCOMPARE(child<QLabel>(same, "fingerprintLabel")->text(),
        QStringLiteral("Settings fingerprint: file %1, relay %1: identical").arg(relayFingerprint));
    QVERIFY(child<QLabel>(same, "warningLabel")->isHidden());
    child<QAbstractButton>(same, "closeButton")->click();

    const QString edited = editedFile(
        path, [](QJsonObject &root) { setFieldRaw(root, QStringLiteral("mtzReactionDelay"), 55); });
    SettingsComparisonDialog *dialog
        = openReady(window, edited, SettingsComparisonDialog::CompareAndSend);
    QVERIFY(dialog);
    const QString fileFingerprint
        = fingerprintText(*SettingsFile::read(edited, &problems).fingerprint());
    QVERIFY(fileFingerprint != relayFingerprint);
    QCOMPARE(child<QLabel>(dialog, "fingerprintLabel")->text(),
        QStringLiteral("Settings fingerprint: file %1, relay %2: different")
            .arg(fileFingerprint, relayFingerprint));
    const QLabel *warning = child<QLabel>(dialog, "warningLabel");
    QVERIFY(!warning->isHidden());
    QVERIFY2(warning->text().contains(QStringLiteral("changed after it was saved")),
        qPrintable(warning->text()));
    QVERIFY(child<QAbstractButton>(dialog, "sendDifferencesButton")->isEnabled());
}

QTEST_MAIN(SettingsComparisonTest)
#include "tst_settingscomparison.moc"
