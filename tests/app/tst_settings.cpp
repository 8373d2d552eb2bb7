// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "damagedsettings.h"
#include "settingsfolder.h"

#include <QDir>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

// Every case runs in a fresh working directory, where the program looks for
// its settings.ini.
class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void defaultsWithoutFile();
    void savedValuesLoadBack();
    void networkConnectionLoadsBack();
    void serialFileOpensAsSerial();
    void unconvertibleValuesLoadAsZero();
    void hostileValuesLoadWithinBounds_data();
    void hostileValuesLoadWithinBounds();
    void damagedFileLoadsWithinBounds_data();
    void damagedFileLoadsWithinBounds();
    void eachWorkingDirectoryHasItsOwnFile();
    void lastFolderMustStillExist();
    void teamJournalLoadsBackWithoutPassword();

private:
    void writeRaw(const QString &key, const QString &text);

    std::optional<SettingsFolder> m_folder;
};

void SettingsTest::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isEntered());
}

void SettingsTest::cleanup()
{
    m_folder.reset();
}

void SettingsTest::writeRaw(const QString &key, const QString &text)
{
    QSettings settings(QStringLiteral("settings.ini"), QSettings::IniFormat);
    settings.setValue(key, text);
}

void SettingsTest::defaultsWithoutFile()
{
    ConnectionSettings connection;
    connection.portName = QStringLiteral("stale");
    connection.serialPortSettings.setBaudRate(1);
    loadConnectionSettings(connection);
    QCOMPARE(connection.portName, QStringLiteral("COM1"));
    QCOMPARE(connection.serialPortSettings.baudRate(), 19200);
    QCOMPARE(connection.serialPortSettings.parity(), 0);
    QCOMPARE(connection.serialPortSettings.dataBits(), 8);
    QCOMPARE(connection.serialPortSettings.stopBits(), 1);

    DeviceSettings device { 1, 2, true };
    loadDeviceSettings(device);
    QCOMPARE(device.readinessDelay, 60);
    QCOMPARE(device.responseTimeout, 150);
    QCOMPARE(device.thoroughScan, false);
    QCOMPARE(loadFinderWait(), 36);

    Preferences preferences { QStringLiteral("x"), 1, false, false, 1 };
    loadPreferences(preferences);
    QCOMPARE(preferences.scanRange, QStringLiteral("1-3"));
    QCOMPARE(preferences.autoRefreshDelay, 500);
    QCOMPARE(preferences.autoRefreshEnabled, true);
    QCOMPARE(preferences.toolbarVisible, true);
    QCOMPARE(preferences.toolbarArea, int(Qt::TopToolBarArea));

    QVERIFY2(!QFile::exists(QStringLiteral("settings.ini")), "loading must not create the file");
}

void SettingsTest::savedValuesLoadBack()
{
    ConnectionSettings connection;
    connection.portName = QStringLiteral("/dev/ttyUSB3");
    connection.serialPortSettings.setBaudRate(9600);
    connection.serialPortSettings.setParity(2);
    connection.serialPortSettings.setDataBits(7);
    connection.serialPortSettings.setStopBits(2);
    saveConnectionSettings(connection);
    saveDeviceSettings({ 25, 900, true });
    savePreferences({ QStringLiteral("5-17"), 1500, false, false, int(Qt::LeftToolBarArea) });

    ConnectionSettings loaded;
    loadConnectionSettings(loaded);
    QCOMPARE(loaded.portName, connection.portName);
    QCOMPARE(loaded.serialPortSettings.baudRate(), 9600);
    QCOMPARE(loaded.serialPortSettings.parity(), 2);
    QCOMPARE(loaded.serialPortSettings.dataBits(), 7);
    QCOMPARE(loaded.serialPortSettings.stopBits(), 2);

    DeviceSettings device;
    loadDeviceSettings(device);
    QCOMPARE(device.readinessDelay, 25);
    QCOMPARE(device.responseTimeout, 900);
    QCOMPARE(device.thoroughScan, true);

    Preferences preferences;
    loadPreferences(preferences);
    QCOMPARE(preferences.scanRange, QStringLiteral("5-17"));
    QCOMPARE(preferences.autoRefreshDelay, 1500);
    QCOMPARE(preferences.autoRefreshEnabled, false);
    QCOMPARE(preferences.toolbarVisible, false);
    QCOMPARE(preferences.toolbarArea, int(Qt::LeftToolBarArea));

    // The file is plain INI with the keys grouped in their sections.
    QFile file(QStringLiteral("settings.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    for (const char *section : { "[connection_settings]", "[device_settings]", "[preferences]" })
        QVERIFY2(text.contains(section), section);
    QVERIFY(text.contains("readiness_delay=25"));
}

void SettingsTest::networkConnectionLoadsBack()
{
    ConnectionSettings connection;
    connection.link = ConnectionSettings::NetworkLink;
    connection.portName = QStringLiteral("/dev/ttyUSB1");
    connection.host = QStringLiteral("gateway.substation");
    connection.tcpPort = 4001;
    connection.protocol = ConnectionSettings::RtuOverTcp;
    saveConnectionSettings(connection);

    ConnectionSettings loaded;
    loadConnectionSettings(loaded);
    QCOMPARE(loaded.link, ConnectionSettings::NetworkLink);
    QCOMPARE(loaded.portName, connection.portName); // kept for switching back
    QCOMPARE(loaded.host, connection.host);
    QCOMPARE(loaded.tcpPort, 4001);
    QCOMPARE(loaded.protocol, ConnectionSettings::RtuOverTcp);
    QCOMPARE(loaded.endpointName(), QStringLiteral("gateway.substation:4001"));

    // Damage falls back to what the program can connect with.
    writeRaw(QStringLiteral("connection_settings/link"), QStringLiteral("carrier pigeon"));
    writeRaw(QStringLiteral("connection_settings/tcp_port"), QStringLiteral("70000"));
    writeRaw(QStringLiteral("connection_settings/network_protocol"), QStringLiteral("x"));
    writeRaw(QStringLiteral("connection_settings/host"), QStringLiteral("a\tb"));
    loadConnectionSettings(loaded);
    QCOMPARE(loaded.link, ConnectionSettings::SerialLink);
    QCOMPARE(loaded.tcpPort, 502);
    QCOMPARE(loaded.protocol, ConnectionSettings::ModbusTcp);
    QCOMPARE(loaded.host, QString());
}

// A file written before network connections existed keeps its serial port.
void SettingsTest::serialFileOpensAsSerial()
{
    writeRaw(QStringLiteral("connection_settings/port_name"), QStringLiteral("ttyUSB0"));
    writeRaw(QStringLiteral("connection_settings/baud_rate"), QStringLiteral("9600"));
    ConnectionSettings loaded;
    loaded.link = ConnectionSettings::NetworkLink;
    loadConnectionSettings(loaded);
    QCOMPARE(loaded.link, ConnectionSettings::SerialLink);
    QCOMPARE(loaded.endpointName(), QStringLiteral("ttyUSB0"));
    QCOMPARE(loaded.serialPortSettings.baudRate(), 9600);
}

void SettingsTest::unconvertibleValuesLoadAsZero()
{
    writeRaw(QStringLiteral("connection_settings/baud_rate"), QStringLiteral("fast"));
    writeRaw(QStringLiteral("connection_settings/stop_bits"), QStringLiteral("99999999999999"));
    writeRaw(QStringLiteral("device_settings/readiness_delay"), QString());
    writeRaw(QStringLiteral("preferences/auto_refresh_enabled"), QStringLiteral("yes please"));
    writeRaw(QStringLiteral("preferences/toolbar_visible"), QStringLiteral("1"));

    ConnectionSettings connection;
    loadConnectionSettings(connection);
    QCOMPARE(connection.serialPortSettings.baudRate(), 0);
    // 0 stop bits is no line format: the default takes its place.
    QCOMPARE(connection.serialPortSettings.stopBits(), 1);
    QCOMPARE(connection.serialPortSettings.dataBits(), 8);

    DeviceSettings device;
    loadDeviceSettings(device);
    QCOMPARE(device.readinessDelay, 0);
    QCOMPARE(device.responseTimeout, 150);

    Preferences preferences;
    loadPreferences(preferences);
    QCOMPARE(preferences.autoRefreshEnabled, false);
    QCOMPARE(preferences.toolbarVisible, true);
}

namespace {

// Every loaded value by its key, as the loaders left it.
QVariantMap loadEverything()
{
    ConnectionSettings connection;
    loadConnectionSettings(connection);
    DeviceSettings device;
    loadDeviceSettings(device);
    Preferences preferences;
    loadPreferences(preferences);
    const TeamJournalSettings team = loadTeamJournalSettings();
    const SerialPortSettings &port = connection.serialPortSettings;
    return { { QStringLiteral("connection_settings/port_name"), connection.portName },
        { QStringLiteral("connection_settings/baud_rate"), port.baudRate() },
        { QStringLiteral("connection_settings/data_bits"), port.dataBits() },
        { QStringLiteral("connection_settings/parity"), port.parity() },
        { QStringLiteral("connection_settings/stop_bits"), port.stopBits() },
        { QStringLiteral("device_settings/readiness_delay"), device.readinessDelay },
        { QStringLiteral("device_settings/response_timeout"), device.responseTimeout },
        { QStringLiteral("device_settings/finder_wait"), loadFinderWait() },
        { QStringLiteral("preferences/scan_range"), preferences.scanRange },
        { QStringLiteral("preferences/auto_refresh_delay"), preferences.autoRefreshDelay },
        { QStringLiteral("preferences/auto_refresh_enabled"), preferences.autoRefreshEnabled },
        { QStringLiteral("preferences/toolbar_visible"), preferences.toolbarVisible },
        { QStringLiteral("preferences/toolbar_area"), preferences.toolbarArea },
        { QStringLiteral("team_journal/host"), team.host },
        { QStringLiteral("team_journal/port"), team.port },
        { QStringLiteral("team_journal/sslmode"), team.sslMode } };
}

} // namespace

// A hand-edited value the program cannot run with loads as the nearest bound
// or as the default; values inside the bounds, such as the program saves,
// load unchanged.
void SettingsTest::hostileValuesLoadWithinBounds_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QVariant>("expected");

    const auto row = [](const char *name, const char *key, const QByteArray &stored,
                         const QVariant &expected) {
        QTest::newRow(name) << QString::fromLatin1(key) << stored << expected;
    };
    row("port with a control character", "connection_settings/port_name", "COM\x1", "COM1");
    row("port with an escaped newline", "connection_settings/port_name", "tty\\nUSB0", "COM1");
    row("port path", "connection_settings/port_name", "/dev/ttyUSB0", "/dev/ttyUSB0");
    row("negative baud rate", "connection_settings/baud_rate", "-9600", 0);
    row("odd baud rate", "connection_settings/baud_rate", "250000", 250000);
    row("9 data bits", "connection_settings/data_bits", "9", 8);
    row("negative data bits", "connection_settings/data_bits", "-7", 8);
    row("5 data bits", "connection_settings/data_bits", "5", 5);
    row("parity 3", "connection_settings/parity", "3", 0);
    row("parity -1", "connection_settings/parity", "-1", 0);
    row("even parity", "connection_settings/parity", "2", 2);
    row("0 stop bits", "connection_settings/stop_bits", "0", 1);
    row("2 stop bits", "connection_settings/stop_bits", "2", 2);
    row("negative readiness delay", "device_settings/readiness_delay", "-5", 0);
    row("readiness delay of days", "device_settings/readiness_delay", "2147483647", 3600000);
    row("longest readiness delay", "device_settings/readiness_delay", "3600000", 3600000);
    row("readiness delay of a minute", "device_settings/readiness_delay", "60000", 60000);
    row("negative response timeout", "device_settings/response_timeout", "-150", 0);
    row("huge response timeout", "device_settings/response_timeout", "99999999", 3600000);
    row("response timeout of 30 s", "device_settings/response_timeout", "30000", 30000);
    row("response timeout in text", "device_settings/response_timeout", "1e9", 0);
    row("finder wait 0", "device_settings/finder_wait", "0", 1);
    row("negative finder wait", "device_settings/finder_wait", "-36", 1);
    row("finder wait in text", "device_settings/finder_wait", "slow", 1);
    row("finder wait of an hour", "device_settings/finder_wait", "3600000", 2000);
    row("finder wait for a slow adapter", "device_settings/finder_wait", "300", 300);
    row("longest finder wait", "device_settings/finder_wait", "2000", 2000);
    row("auto-refresh delay 0", "preferences/auto_refresh_delay", "0", 50);
    row("empty auto-refresh delay", "preferences/auto_refresh_delay", "", 50);
    row("negative auto-refresh delay", "preferences/auto_refresh_delay", "-100", 50);
    row("auto-refresh delay of weeks", "preferences/auto_refresh_delay", "2147483647", 3600000);
    row("auto-refresh every 2 minutes", "preferences/auto_refresh_delay", "120000", 120000);
    row("shortest auto-refresh delay", "preferences/auto_refresh_delay", "50", 50);
    row("scan ID 64", "preferences/scan_range", "64", "1-3");
    row("scan range of three", "preferences/scan_range", "1-3-5", "1-3");
    row("empty scan range", "preferences/scan_range", "", "");
    row("half-typed scan range", "preferences/scan_range", "1-", "1-");
    row("scan range with spaces", "preferences/scan_range", "1 - 3", "1-3");
    row("reversed scan range", "preferences/scan_range", "7-3", "7-3");
    row("single scan ID", "preferences/scan_range", "63", "63");
    row("bottom tool bar", "preferences/toolbar_area", "8", int(Qt::TopToolBarArea));
    row("right tool bar", "preferences/toolbar_area", "2", int(Qt::TopToolBarArea));
    row("tool bar area in text", "preferences/toolbar_area", "left", int(Qt::TopToolBarArea));
    row("left tool bar", "preferences/toolbar_area", "1", int(Qt::LeftToolBarArea));
    row("team journal host with an escaped newline", "team_journal/host", "db\\n.example", "");
    row("team journal host", "team_journal/host", " db.example ", "db.example");
    row("team journal port 0", "team_journal/port", "0", 5432);
    row("team journal port 70000", "team_journal/port", "70000", 5432);
    row("team journal port", "team_journal/port", "6432", 6432);
    row("unknown sslmode", "team_journal/sslmode", "verify", "prefer");
    row("sslmode verify-full", "team_journal/sslmode", "verify-full", "verify-full");
}

void SettingsTest::hostileValuesLoadWithinBounds()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, stored);
    QFETCH(QVariant, expected);

    const QStringList parts = key.split(QLatin1Char('/'));
    writeSettingsFile(
        "[" + parts.at(0).toLatin1() + "]\n" + parts.at(1).toLatin1() + "=" + stored + "\n");
    const QVariantMap loaded = loadEverything();
    QCOMPARE(loaded.value(key), expected);
}

// Whole files of damage: whatever it holds, every loaded value is one the
// program can run with.
void SettingsTest::damagedFileLoadsWithinBounds_data()
{
    addDamagedSettingsRows();
}

void SettingsTest::damagedFileLoadsWithinBounds()
{
    QFETCH(QByteArray, contents);
    writeSettingsFile(contents);

    ConnectionSettings connection;
    loadConnectionSettings(connection);
    for (const QChar character : connection.portName)
        QVERIFY(character.category() != QChar::Other_Control);
    const SerialPortSettings &port = connection.serialPortSettings;
    QVERIFY(port.baudRate() >= 0);
    QVERIFY(port.dataBits() >= 5 && port.dataBits() <= 8);
    QVERIFY(port.parity() >= 0 && port.parity() <= 2);
    QVERIFY(port.stopBits() == 1 || port.stopBits() == 2);

    DeviceSettings device;
    loadDeviceSettings(device);
    QVERIFY(device.readinessDelay >= 0 && device.readinessDelay <= 3600000);
    QVERIFY(device.responseTimeout >= 0 && device.responseTimeout <= 3600000);
    QVERIFY(loadFinderWait() >= 1 && loadFinderWait() <= 2000);

    Preferences preferences;
    loadPreferences(preferences);
    int position = 0;
    QVERIFY(
        QRegularExpressionValidator(scanRangeExpression()).validate(preferences.scanRange, position)
        != QValidator::Invalid);
    QVERIFY(preferences.autoRefreshDelay >= 50 && preferences.autoRefreshDelay <= 3600000);
    QVERIFY(preferences.toolbarArea == Qt::TopToolBarArea
        || preferences.toolbarArea == Qt::LeftToolBarArea);
}

void SettingsTest::lastFolderMustStillExist()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(loadLastFolder(), documents);
    QTemporaryDir folder;
    saveLastFolder(folder.path());
    QCOMPARE(loadLastFolder(), folder.path());
    saveLastFolder(folder.filePath(QStringLiteral("removed")));
    QCOMPARE(loadLastFolder(), documents);
}

void SettingsTest::eachWorkingDirectoryHasItsOwnFile()
{
    saveDeviceSettings({ 11, 111 });

    QTemporaryDir other;
    QVERIFY(QDir::setCurrent(other.path()));
    DeviceSettings device;
    loadDeviceSettings(device);
    QCOMPARE(device.readinessDelay, 60);
    saveDeviceSettings({ 22, 222 });

    QVERIFY(QDir::setCurrent(m_folder->path()));
    loadDeviceSettings(device);
    QCOMPARE(device.readinessDelay, 11);
    QCOMPARE(device.responseTimeout, 111);
    QVERIFY(QFile::exists(other.filePath(QStringLiteral("settings.ini"))));
}

// The password is libpq's business, or the session's: the file never holds one.
void SettingsTest::teamJournalLoadsBackWithoutPassword()
{
    TeamJournalSettings saved;
    saved.host = QStringLiteral("journal.utility.example");
    saved.port = 6432;
    saved.database = QStringLiteral("korvel_journal");
    saved.user = QStringLiteral("ivanov");
    saved.sslMode = QStringLiteral("verify-ca");
    saveTeamJournalSettings(saved);
    QVERIFY(loadTeamJournalSettings() == saved);
    QFile file(QStringLiteral("settings.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().toLower().contains("pass"));
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
