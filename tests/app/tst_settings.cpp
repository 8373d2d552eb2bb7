#include "app/settings.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

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
    void unconvertibleValuesLoadAsZero();
    void maximizedWindowKeepsNormalGeometry();
    void eachWorkingDirectoryHasItsOwnFile();

private:
    void writeRaw(const QString &key, const QString &text);

    QScopedPointer<QTemporaryDir> m_dir;
    QString m_previousDir;
};

void SettingsTest::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void SettingsTest::cleanup()
{
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
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

    DeviceSettings device { 1, 2 };
    loadDeviceSettings(device);
    QCOMPARE(device.readinessDelay, 60);
    QCOMPARE(device.responseTimeout, 150);

    Preferences preferences { QStringLiteral("x"), 1, false, false, 1 };
    loadPreferences(preferences);
    QCOMPARE(preferences.scanRange, QStringLiteral("1-3"));
    QCOMPARE(preferences.autoRefreshDelay, 500);
    QCOMPARE(preferences.autoRefreshEnabled, true);
    QCOMPARE(preferences.toolbarVisible, true);
    QCOMPARE(preferences.toolbarArea, int(Qt::TopToolBarArea));

    QWidget window;
    window.resize(321, 123);
    window.move(11, 22);
    restoreWindowGeometry(&window);
    QCOMPARE(window.size(), QSize(321, 123));
    QCOMPARE(window.pos(), QPoint(11, 22));
    QVERIFY(!(window.windowState() & Qt::WindowMaximized));

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
    saveDeviceSettings({ 25, 900 });
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

void SettingsTest::unconvertibleValuesLoadAsZero()
{
    writeRaw(QStringLiteral("connection_settings/baud_rate"), QStringLiteral("fast"));
    writeRaw(QStringLiteral("connection_settings/data_bits"), QStringLiteral("99999999999999"));
    writeRaw(QStringLiteral("device_settings/readiness_delay"), QString());
    writeRaw(QStringLiteral("preferences/auto_refresh_enabled"), QStringLiteral("yes please"));
    writeRaw(QStringLiteral("preferences/toolbar_visible"), QStringLiteral("1"));

    ConnectionSettings connection;
    loadConnectionSettings(connection);
    QCOMPARE(connection.serialPortSettings.baudRate(), 0);
    QCOMPARE(connection.serialPortSettings.dataBits(), 0);
    QCOMPARE(connection.serialPortSettings.stopBits(), 1);

    DeviceSettings device;
    loadDeviceSettings(device);
    QCOMPARE(device.readinessDelay, 0);
    QCOMPARE(device.responseTimeout, 150);

    Preferences preferences;
    loadPreferences(preferences);
    QCOMPARE(preferences.autoRefreshEnabled, false);
    QCOMPARE(preferences.toolbarVisible, true);
}

void SettingsTest::maximizedWindowKeepsNormalGeometry()
{
    {
        QWidget window;
        window.setGeometry(40, 50, 300, 200);
        saveWindowGeometry(&window);
    }
    QSettings before(QStringLiteral("settings.ini"), QSettings::IniFormat);
    const QVariant position = before.value(QStringLiteral("ui/window_position"));
    const QVariant size = before.value(QStringLiteral("ui/window_size"));
    QCOMPARE(size.toSize(), QSize(300, 200));
    QCOMPARE(before.value(QStringLiteral("ui/window_maximized")).toBool(), false);

    {
        QWidget window;
        window.setGeometry(0, 0, 1000, 900);
        window.setWindowState(Qt::WindowMaximized);
        window.show();
        QVERIFY(window.isMaximized());
        saveWindowGeometry(&window);
    }
    QSettings after(QStringLiteral("settings.ini"), QSettings::IniFormat);
    QCOMPARE(after.value(QStringLiteral("ui/window_maximized")).toBool(), true);
    QCOMPARE(after.value(QStringLiteral("ui/window_position")), position);
    QCOMPARE(after.value(QStringLiteral("ui/window_size")), size);

    QWidget restored;
    restoreWindowGeometry(&restored);
    QCOMPARE(restored.size(), QSize(300, 200));
    QCOMPARE(restored.pos(), position.toPoint());
    QVERIFY(restored.windowState() & Qt::WindowMaximized);
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

    QVERIFY(QDir::setCurrent(m_dir->path()));
    loadDeviceSettings(device);
    QCOMPARE(device.readinessDelay, 11);
    QCOMPARE(device.responseTimeout, 111);
    QVERIFY(QFile::exists(other.filePath(QStringLiteral("settings.ini"))));
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
