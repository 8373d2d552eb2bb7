#include "app/settings.h"

#include <QSettings>
#include <QWidget>

namespace {

const QString fileName = QStringLiteral("settings.ini");

class SettingsFile
{
public:
    SettingsFile() : m_settings(fileName, QSettings::IniFormat) { }

    QString readString(const QString &key, const QString &defaultValue) const
    {
        return m_settings.value(key, defaultValue).toString();
    }

    int readInt(const QString &key, int defaultValue) const
    {
        const QVariant stored = m_settings.value(key);
        if (!stored.isValid())
            return defaultValue;
        // Through QString: QVariant would truncate a number too large for int.
        bool ok = false;
        const int value = stored.toString().toInt(&ok);
        return ok ? value : 0;
    }

    // QVariant takes any non-empty text as true; only the spellings QSettings
    // writes count here, anything else is false.
    bool readBool(const QString &key, bool defaultValue) const
    {
        const QVariant value = m_settings.value(key, defaultValue);
        if (value.type() == QVariant::Bool)
            return value.toBool();
        const QString text = value.toString().trimmed().toLower();
        return text == QLatin1String("true") || text == QLatin1String("1");
    }

    QSettings &settings() { return m_settings; }

private:
    QSettings m_settings;
};

} // namespace

void loadConnectionSettings(ConnectionSettings &settings)
{
    const SettingsFile file;
    SerialPortSettings &port = settings.serialPortSettings;
    settings.portName = file.readString(QStringLiteral("connection_settings/port_name"),
                                        QStringLiteral("COM1"));
    port.setBaudRate(file.readInt(QStringLiteral("connection_settings/baud_rate"), 19200));
    port.setDataBits(file.readInt(QStringLiteral("connection_settings/data_bits"), 8));
    port.setParity(file.readInt(QStringLiteral("connection_settings/parity"), 0));
    port.setStopBits(file.readInt(QStringLiteral("connection_settings/stop_bits"), 1));
}

void saveConnectionSettings(const ConnectionSettings &settings)
{
    SettingsFile file;
    const SerialPortSettings &port = settings.serialPortSettings;
    file.settings().setValue(QStringLiteral("connection_settings/port_name"), settings.portName);
    file.settings().setValue(QStringLiteral("connection_settings/baud_rate"), port.baudRate());
    file.settings().setValue(QStringLiteral("connection_settings/data_bits"), port.dataBits());
    file.settings().setValue(QStringLiteral("connection_settings/parity"), port.parity());
    file.settings().setValue(QStringLiteral("connection_settings/stop_bits"), port.stopBits());
}

void loadDeviceSettings(DeviceSettings &settings)
{
    const SettingsFile file;
    settings.readinessDelay = file.readInt(QStringLiteral("device_settings/readiness_delay"), 60);
    settings.responseTimeout = file.readInt(QStringLiteral("device_settings/response_timeout"), 150);
}

void saveDeviceSettings(const DeviceSettings &settings)
{
    SettingsFile file;
    file.settings().setValue(QStringLiteral("device_settings/readiness_delay"),
                             settings.readinessDelay);
    file.settings().setValue(QStringLiteral("device_settings/response_timeout"),
                             settings.responseTimeout);
}

void loadPreferences(Preferences &preferences)
{
    const SettingsFile file;
    preferences.scanRange = file.readString(QStringLiteral("preferences/scan_range"),
                                            QStringLiteral("1-3"));
    preferences.autoRefreshDelay = file.readInt(QStringLiteral("preferences/auto_refresh_delay"), 500);
    preferences.autoRefreshEnabled =
            file.readBool(QStringLiteral("preferences/auto_refresh_enabled"), true);
    preferences.toolbarVisible = file.readBool(QStringLiteral("preferences/toolbar_visible"), true);
    preferences.toolbarArea = file.readInt(QStringLiteral("preferences/toolbar_area"), 4);
}

void savePreferences(const Preferences &preferences)
{
    SettingsFile file;
    QSettings &settings = file.settings();
    settings.setValue(QStringLiteral("preferences/scan_range"), preferences.scanRange);
    settings.setValue(QStringLiteral("preferences/auto_refresh_delay"), preferences.autoRefreshDelay);
    settings.setValue(QStringLiteral("preferences/auto_refresh_enabled"),
                      preferences.autoRefreshEnabled);
    settings.setValue(QStringLiteral("preferences/toolbar_visible"), preferences.toolbarVisible);
    settings.setValue(QStringLiteral("preferences/toolbar_area"), preferences.toolbarArea);
}

void restoreWindowGeometry(QWidget *window)
{
    SettingsFile file;
    QSettings &settings = file.settings();
    if (settings.contains(QStringLiteral("ui/window_position")))
        window->move(settings.value(QStringLiteral("ui/window_position")).toPoint());
    if (settings.contains(QStringLiteral("ui/window_size")))
        window->resize(settings.value(QStringLiteral("ui/window_size")).toSize());
    if (file.readBool(QStringLiteral("ui/window_maximized"), false))
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void saveWindowGeometry(QWidget *window)
{
    SettingsFile file;
    QSettings &settings = file.settings();
    if (window->isMaximized()) {
        // Position and size keep the normal geometry written last time.
        settings.setValue(QStringLiteral("ui/window_maximized"), true);
        return;
    }
    settings.setValue(QStringLiteral("ui/window_maximized"), false);
    settings.setValue(QStringLiteral("ui/window_position"), window->pos());
    settings.setValue(QStringLiteral("ui/window_size"), window->size());
}
