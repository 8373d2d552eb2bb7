// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/turnaroundstats.h"
#include "namedchild.h"
#include "relaybus.h"
#include "ui/dialogs/connectionsettingsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

ConnectionSettings makeSettings(
    const QString &portName, int baudRate, int parity, int dataBits, int stopBits)
{
    ConnectionSettings settings;
    settings.portName = portName;
    settings.serialPortSettings.setBaudRate(baudRate);
    settings.serialPortSettings.setParity(parity);
    settings.serialPortSettings.setDataBits(dataBits);
    settings.serialPortSettings.setStopBits(stopBits);
    return settings;
}

bool operator==(const ConnectionSettings &a, const ConnectionSettings &b)
{
    const SerialPortSettings &x = a.serialPortSettings;
    const SerialPortSettings &y = b.serialPortSettings;
    return a.portName == b.portName && x.baudRate() == y.baudRate() && x.parity() == y.parity()
        && x.dataBits() == y.dataBits() && x.stopBits() == y.stopBits();
}

// What the user does when picking an item from the list.
void pick(QComboBox *box, const QVariant &data)
{
    const int index = box->findData(data);
    QVERIFY2(index >= 0, qPrintable(data.toString()));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// The port the system lists first, or an empty name on a machine without one.
QString listedPort()
{
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    return ports.isEmpty() ? QString() : ports.first().portName();
}

} // namespace

class ConnectionSettingsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void fieldsShowTheRecord_data();
    void fieldsShowTheRecord();
    void valuesOutsideTheListsSaveAsZero();
    void saveWritesTheEdits();
    void cancelLeavesTheRecord_data();
    void cancelLeavesTheRecord();
    void networkLinkSavesItsFields();
    void timingTakesTheProposal();

    void portItemText_data();
    void portItemText();
    void comPortsSortByNumber();

    void pseudoTerminalIsOffered();
    void symbolicLinkIsOffered();
    void missingPathIsNotOffered();
    void portPathAndBareNameMatch();
    void refreshKeepsTheChosenPort();
    void listFollowsPortsComingAndGoing();

private:
    RelayBus m_bus { { 1 } };
};

void ConnectionSettingsDialogTest::initTestCase()
{
    QString error;
    QVERIFY2(m_bus.start(&error), qPrintable(error));
}

void ConnectionSettingsDialogTest::fieldsShowTheRecord_data()
{
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<QString>("parityText");

    QTest::newRow("defaults") << 19200 << 0 << 8 << 1 << "None";
    QTest::newRow("even, 7 bits, 2 stop bits") << 9600 << 2 << 7 << 2 << "Even";
    QTest::newRow("odd, 5 bits") << 115200 << 1 << 5 << 1 << "Odd";
}

void ConnectionSettingsDialogTest::fieldsShowTheRecord()
{
    QFETCH(int, baudRate);
    QFETCH(int, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(QString, parityText);

    ConnectionSettings settings
        = makeSettings(m_bus.portPath(), baudRate, parity, dataBits, stopBits);
    ConnectionSettingsDialog dialog(settings);

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Connection settings"));
    QCOMPARE(
        child<QComboBox>(&dialog, "portNameComboBox")->currentData().toString(), m_bus.portPath());
    QCOMPARE(
        child<QComboBox>(&dialog, "baudRateComboBox")->currentText(), QString::number(baudRate));
    QCOMPARE(child<QComboBox>(&dialog, "parityComboBox")->currentText(), parityText);
    QCOMPARE(
        child<QComboBox>(&dialog, "dataBitsComboBox")->currentText(), QString::number(dataBits));
    QCOMPARE(
        child<QComboBox>(&dialog, "stopBitsComboBox")->currentText(), QString::number(stopBits));
}

void ConnectionSettingsDialogTest::valuesOutsideTheListsSaveAsZero()
{
    ConnectionSettings settings = makeSettings(m_bus.portPath(), 12345, 7, 9, 3);
    ConnectionSettingsDialog dialog(settings);
    for (const char *name :
        { "baudRateComboBox", "parityComboBox", "dataBitsComboBox", "stopBitsComboBox" })
        QCOMPARE(child<QComboBox>(&dialog, name)->currentIndex(), -1);

    child<QPushButton>(&dialog, "saveButton")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(settings == makeSettings(m_bus.portPath(), 0, 0, 0, 0));
}

void ConnectionSettingsDialogTest::saveWritesTheEdits()
{
    ConnectionSettings settings = makeSettings(m_bus.portPath(), 19200, 0, 8, 1);
    ConnectionSettingsDialog dialog(settings);
    pick(child<QComboBox>(&dialog, "baudRateComboBox"), 38400u);
    pick(child<QComboBox>(&dialog, "parityComboBox"), int(SerialPortSettings::OddParity));
    pick(child<QComboBox>(&dialog, "dataBitsComboBox"), 7);
    pick(child<QComboBox>(&dialog, "stopBitsComboBox"), 2);
    QVERIFY(settings == makeSettings(m_bus.portPath(), 19200, 0, 8, 1));

    child<QPushButton>(&dialog, "saveButton")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(settings == makeSettings(m_bus.portPath(), 38400, 1, 7, 2));
}

// Without the timing the dialog is about the connection alone; with it, the proposal goes into
// the timeout field on a click and into the record on Save.
void ConnectionSettingsDialogTest::timingTakesTheProposal()
{
    ConnectionSettings settings = makeSettings(m_bus.portPath(), 19200, 0, 8, 1);
    ConnectionSettingsDialog withoutTiming(settings);
    QVERIFY(child<QGroupBox>(&withoutTiming, "timingGroupBox")->isHidden());

    TurnaroundStats turnarounds;
    turnarounds.setLine(settings);
    ModbusTransaction answer;
    answer.slaveId = 1;
    answer.function = 3;
    answer.count = 10;
    // 17.2 ms on the wire and a 12 ms turnaround: 4.2 ms for the request and 3 x 12 ms.
    answer.durationUs = 29188;
    for (int i = 0; i < 60; ++i)
        turnarounds.count(answer);
    DeviceSettings timing { 60, 500, false };
    ConnectionSettingsDialog dialog(settings);
    dialog.setTiming(timing, turnarounds);
    QVERIFY(!child<QGroupBox>(&dialog, "timingGroupBox")->isHidden());
    auto *timeout = child<QSpinBox>(&dialog, "responseTimeoutSpinBox");
    QCOMPARE(timeout->value(), 500);
    QVERIFY(child<QLabel>(&dialog, "timingAdviceLabel")->text().contains("50 ms would do"));
    child<QPushButton>(&dialog, "takeProposalButton")->click();
    QCOMPARE(timeout->value(), 50);
    child<QCheckBox>(&dialog, "thoroughScanCheckBox")->setChecked(true);
    QCOMPARE(timing.responseTimeout, 500);

    child<QPushButton>(&dialog, "saveButton")->click();
    QCOMPARE(timing.responseTimeout, 50);
    QCOMPARE(timing.readinessDelay, 60);
    QVERIFY(timing.thoroughScan);
}

void ConnectionSettingsDialogTest::cancelLeavesTheRecord_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << "cancel";
    QTest::newRow("Escape key") << "escape";
    QTest::newRow("close button") << "close";
}

void ConnectionSettingsDialogTest::cancelLeavesTheRecord()
{
    QFETCH(QString, how);

    const ConnectionSettings before = makeSettings(m_bus.portPath(), 19200, 2, 8, 1);
    ConnectionSettings settings = before;
    ConnectionSettingsDialog dialog(settings);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    pick(child<QComboBox>(&dialog, "baudRateComboBox"), 9600u);
    pick(child<QComboBox>(&dialog, "stopBitsComboBox"), 2);
    child<QComboBox>(&dialog, "portNameComboBox")->setCurrentIndex(-1);

    if (how == "cancel")
        child<QPushButton>(&dialog, "cancelButton")->click();
    else if (how == "escape")
        QTest::keyClick(&dialog, Qt::Key_Escape);
    else
        dialog.close();

    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(settings == before);
}

void ConnectionSettingsDialogTest::portItemText_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("serialNumber");
    QTest::addColumn<QString>("text");

    QTest::newRow("short") << "COM1"
                           << "Communications Port" << QString() << "COM1 (Communications Port)";
    QTest::newRow("40 characters kept")
        << "COM3" << QString(33, 'x') << QString() << "COM3 (" + QString(33, 'x') + ")";
    QTest::newRow("41 characters cut")
        << "COM3" << QString(34, 'x') << QString() << "COM3 (" + QString(30, 'x') + " ...)";
    QTest::newRow("long USB adapter") << "ttyUSB0"
                                      << "USB-Serial Controller with a very long name" << QString()
                                      << "ttyUSB0 (USB-Serial Controller with  ...)";
    QTest::newRow("serial number") << "ttyUSB1"
                                   << "FT232R USB UART"
                                   << "A10K5Z3B"
                                   << "ttyUSB1 (FT232R USB UART), serial number A10K5Z3B";
    QTest::newRow("serial number kept whole after a long description")
        << "ttyUSB0"
        << "USB-Serial Controller with a very long name"
        << "0123456789ABCDEF"
        << "ttyUSB0 (USB-Serial Controller with  ...), serial number 0123456789ABCDEF";
}

void ConnectionSettingsDialogTest::portItemText()
{
    QFETCH(QString, portName);
    QFETCH(QString, description);
    QFETCH(QString, serialNumber);
    QFETCH(QString, text);

    QCOMPARE(ConnectionSettingsDialog::portItemText(portName, description, serialNumber), text);
}

void ConnectionSettingsDialogTest::comPortsSortByNumber()
{
    QStringList names = { "COM10", "COM2", "ttyS1", "COM1", "ttyS0" };
    std::sort(names.begin(), names.end(), &ConnectionSettingsDialog::portNameLessThan);
    QCOMPARE(names, QStringList({ "ttyS0", "ttyS1", "COM1", "COM2", "COM10" }));
}

// A simulator's pseudo-terminal is no port the system lists; the dialog must
// still offer it, or saving the dialog would lose it.
void ConnectionSettingsDialogTest::pseudoTerminalIsOffered()
{
    const QString path = m_bus.portPath();
    QVERIFY(path.startsWith("/dev/"));
    ConnectionSettings settings = makeSettings(path, 19200, 0, 8, 1);
    ConnectionSettingsDialog dialog(settings);

    QComboBox *ports = child<QComboBox>(&dialog, "portNameComboBox");
    QCOMPARE(ports->currentData().toString(), path);
    QCOMPARE(ports->currentText(), path);
    QCOMPARE(child<QLabel>(&dialog, "descritptionValueLabel")->text(), QString());

    child<QPushButton>(&dialog, "refreshPortNameListButton")->click();
    QCOMPARE(ports->currentData().toString(), path);

    child<QPushButton>(&dialog, "saveButton")->click();
    QCOMPARE(settings.portName, path);
}

void ConnectionSettingsDialogTest::symbolicLinkIsOffered()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath("ttyRelays");
    QVERIFY(m_bus.setLink(link));

    ConnectionSettings settings = makeSettings(link, 19200, 0, 8, 1);
    ConnectionSettingsDialog dialog(settings);
    QCOMPARE(child<QComboBox>(&dialog, "portNameComboBox")->currentData().toString(), link);
    child<QPushButton>(&dialog, "saveButton")->click();
    QCOMPARE(settings.portName, link);
}

void ConnectionSettingsDialogTest::missingPathIsNotOffered()
{
    ConnectionSettings settings = makeSettings("/dev/pts/no-such-terminal", 19200, 0, 8, 1);
    ConnectionSettingsDialog dialog(settings);
    QComboBox *ports = child<QComboBox>(&dialog, "portNameComboBox");
    QCOMPARE(ports->currentIndex(), -1);
    QCOMPARE(ports->findData(settings.portName), -1);

    child<QPushButton>(&dialog, "saveButton")->click();
    QCOMPARE(settings.portName, QString());
}

// "ttyS0" and "/dev/ttyS0" are one port: either selects the listed item.
void ConnectionSettingsDialogTest::portPathAndBareNameMatch()
{
    const QString port = listedPort();
    if (port.isEmpty())
        QSKIP("The system lists no serial port");

    for (const QString &configured : { port, "/dev/" + port }) {
        ConnectionSettings settings = makeSettings(configured, 19200, 0, 8, 1);
        ConnectionSettingsDialog dialog(settings);
        QComboBox *ports = child<QComboBox>(&dialog, "portNameComboBox");
        QCOMPARE(ports->currentData().toString(), port);
        QVERIFY(ports->currentText().startsWith(port + " ("));
        QCOMPARE(ports->findData("/dev/" + port), -1); // not offered twice
    }
}

void ConnectionSettingsDialogTest::refreshKeepsTheChosenPort()
{
    const QString port = listedPort();
    if (port.isEmpty())
        QSKIP("The system lists no serial port");

    ConnectionSettings settings = makeSettings(m_bus.portPath(), 19200, 0, 8, 1);
    ConnectionSettingsDialog dialog(settings);
    QComboBox *ports = child<QComboBox>(&dialog, "portNameComboBox");
    pick(ports, port);
    ports->setCurrentIndex(-1); // the list empties on refresh
    child<QPushButton>(&dialog, "refreshPortNameListButton")->click();
    QCOMPARE(ports->currentData().toString(), port);
    QVERIFY(ports->findData(m_bus.portPath()) >= 0);

    child<QPushButton>(&dialog, "saveButton")->click();
    QCOMPARE(settings.portName, port);
}

// The network fields replace the serial ones on screen; the serial port is
// kept for switching back, and a network link cannot be saved without a host.
void ConnectionSettingsDialogTest::networkLinkSavesItsFields()
{
    ConnectionSettings settings = makeSettings(m_bus.portPath(), 9600, 2, 8, 1);
    ConnectionSettingsDialog dialog(settings);
    dialog.show();
    QComboBox *link = child<QComboBox>(&dialog, "linkComboBox");
    QGroupBox *network = child<QGroupBox>(&dialog, "networkGroupBox");
    QPushButton *save = child<QPushButton>(&dialog, "saveButton");
    QLineEdit *host = child<QLineEdit>(&dialog, "hostLineEdit");
    QVERIFY(!network->isVisible());
    QVERIFY(child<QComboBox>(&dialog, "baudRateComboBox")->isVisible());

    pick(link, ConnectionSettings::NetworkLink);
    QVERIFY(network->isVisible());
    QVERIFY(!child<QComboBox>(&dialog, "portNameComboBox")->isVisible());
    QVERIFY(!child<QComboBox>(&dialog, "baudRateComboBox")->isVisible());
    QVERIFY(!save->isEnabled());
    QTest::keyClicks(host, QStringLiteral(" 10.0.0.7"));
    QCOMPARE(host->text(), QStringLiteral("10.0.0.7")); // no spaces in a host
    QVERIFY(save->isEnabled());
    child<QSpinBox>(&dialog, "tcpPortSpinBox")->setValue(4001);
    pick(child<QComboBox>(&dialog, "protocolComboBox"), ConnectionSettings::RtuOverTcp);
    QTest::mouseClick(save, Qt::LeftButton);

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings.link, ConnectionSettings::NetworkLink);
    QCOMPARE(settings.endpointName(), QStringLiteral("10.0.0.7:4001"));
    QCOMPARE(settings.protocol, ConnectionSettings::RtuOverTcp);
    QCOMPARE(settings.portName, m_bus.portPath());
    QCOMPARE(settings.serialPortSettings.baudRate(), 9600);

    // Opened again, it shows the network link as saved.
    ConnectionSettingsDialog again(settings);
    QCOMPARE(child<QComboBox>(&again, "linkComboBox")->currentData().toInt(),
        int(ConnectionSettings::NetworkLink));
    QCOMPARE(child<QLineEdit>(&again, "hostLineEdit")->text(), QStringLiteral("10.0.0.7"));
    QCOMPARE(child<QSpinBox>(&again, "tcpPortSpinBox")->value(), 4001);
}

// An adapter plugged in while the dialog is open shows up without a click,
// chosen again if it is the one configured, and goes when it is pulled out.
void ConnectionSettingsDialogTest::listFollowsPortsComingAndGoing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath("ttyPlugged");
    ConnectionSettings settings = makeSettings(link, 19200, 0, 8, 1);
    ConnectionSettingsDialog dialog(settings);
    QComboBox *ports = child<QComboBox>(&dialog, "portNameComboBox");
    QCOMPARE(ports->findData(link), -1);

    QVERIFY(m_bus.setLink(link));
    QTRY_VERIFY_WITH_TIMEOUT(ports->findData(link) >= 0, 5000);
    QCOMPARE(ports->currentData().toString(), link);

    QVERIFY(QFile::remove(link));
    QTRY_COMPARE_WITH_TIMEOUT(ports->findData(link), -1, 5000);
    QVERIFY(m_bus.setLink(link));
    QTRY_COMPARE_WITH_TIMEOUT(ports->currentData().toString(), link, 5000);
    child<QPushButton>(&dialog, "saveButton")->click();
    QCOMPARE(settings.portName, link);
}

QTEST_MAIN(ConnectionSettingsDialogTest)
#include "tst_connectionsettingsdialog.moc"
