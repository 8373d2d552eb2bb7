#include "app/settings.h"

#include <QGuiApplication>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {

const QString fileName = QStringLiteral("settings.ini");

// The file may have been edited by hand or damaged. What is loaded is kept
// within what the program can run with: a value outside these bounds could
// stop the line for days, spin the event loop or open the port in a way
// nobody chose. Values the program itself saves always lie inside them.
constexpr int maxDeviceDelay = 10000; // ms, readiness delay and response timeout
constexpr int minAutoRefreshDelay = 50; // ms; 0 would fire the timer without pause
constexpr int maxAutoRefreshDelay = 60000; // ms

bool hasControlCharacters(const QString &text)
{
    for (const QChar character : text) {
        if (character.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

int withinOr(int value, int low, int high, int fallback)
{
    return value >= low && value <= high ? value : fallback;
}

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

QRegularExpression scanRangeExpression()
{
    return QRegularExpression(QStringLiteral("([1-9]|[1-5]\\d|6[0-3])(-([1-9]|[1-5]\\d|6[0-3]))?"));
}

void loadConnectionSettings(ConnectionSettings &settings)
{
    const SettingsFile file;
    SerialPortSettings &port = settings.serialPortSettings;
    settings.portName
        = file.readString(QStringLiteral("connection_settings/port_name"), QStringLiteral("COM1"));
    // No device name holds control characters; such a name is damage.
    if (hasControlCharacters(settings.portName))
        settings.portName = QStringLiteral("COM1");
    // A rate that is not positive loads as 0, like text: libmodbus refuses to
    // open with it, so the user is told and picks a rate in the dialog
    // instead of getting a line silently opened at some other speed.
    port.setBaudRate(qMax(0, file.readInt(QStringLiteral("connection_settings/baud_rate"), 19200)));
    // Character formats the connection dialog offers; libmodbus would quietly
    // take anything else as 8 data bits, 2 stop bits or no parity.
    port.setDataBits(
        withinOr(file.readInt(QStringLiteral("connection_settings/data_bits"), 8), 5, 8, 8));
    port.setParity(withinOr(file.readInt(QStringLiteral("connection_settings/parity"), 0),
        SerialPortSettings::NoParity, SerialPortSettings::EvenParity,
        SerialPortSettings::NoParity));
    port.setStopBits(
        withinOr(file.readInt(QStringLiteral("connection_settings/stop_bits"), 1), 1, 2, 1));
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
    // Negative delays mean none; longer than ten seconds would leave the line
    // looking dead. A response timeout of 0 is one libmodbus refuses, keeping
    // its own default.
    settings.readinessDelay = qBound(
        0, file.readInt(QStringLiteral("device_settings/readiness_delay"), 60), maxDeviceDelay);
    settings.responseTimeout = qBound(
        0, file.readInt(QStringLiteral("device_settings/response_timeout"), 150), maxDeviceDelay);
}

void saveDeviceSettings(const DeviceSettings &settings)
{
    SettingsFile file;
    file.settings().setValue(
        QStringLiteral("device_settings/readiness_delay"), settings.readinessDelay);
    file.settings().setValue(
        QStringLiteral("device_settings/response_timeout"), settings.responseTimeout);
}

void loadPreferences(Preferences &preferences)
{
    const SettingsFile file;
    preferences.scanRange
        = file.readString(QStringLiteral("preferences/scan_range"), QStringLiteral("1-3"));
    // Text the field could never hold gives way to the default; a range left
    // half-typed when the window closed (an empty field, "1-") is kept.
    int position = 0;
    if (QRegularExpressionValidator(scanRangeExpression()).validate(preferences.scanRange, position)
        == QValidator::Invalid)
        preferences.scanRange = QStringLiteral("1-3");
    preferences.autoRefreshDelay = qBound(minAutoRefreshDelay,
        file.readInt(QStringLiteral("preferences/auto_refresh_delay"), 500), maxAutoRefreshDelay);
    preferences.autoRefreshEnabled
        = file.readBool(QStringLiteral("preferences/auto_refresh_enabled"), true);
    preferences.toolbarVisible = file.readBool(QStringLiteral("preferences/toolbar_visible"), true);
    // The tool bar may only dock at the top or on the left.
    const int area = file.readInt(QStringLiteral("preferences/toolbar_area"), Qt::TopToolBarArea);
    preferences.toolbarArea = area == Qt::LeftToolBarArea ? area : int(Qt::TopToolBarArea);
}

void savePreferences(const Preferences &preferences)
{
    SettingsFile file;
    QSettings &settings = file.settings();
    settings.setValue(QStringLiteral("preferences/scan_range"), preferences.scanRange);
    settings.setValue(
        QStringLiteral("preferences/auto_refresh_delay"), preferences.autoRefreshDelay);
    settings.setValue(
        QStringLiteral("preferences/auto_refresh_enabled"), preferences.autoRefreshEnabled);
    settings.setValue(QStringLiteral("preferences/toolbar_visible"), preferences.toolbarVisible);
    settings.setValue(QStringLiteral("preferences/toolbar_area"), preferences.toolbarArea);
}

void restoreWindowGeometry(QWidget *window)
{
    SettingsFile file;
    QSettings &settings = file.settings();
    // A window placed where no screen shows it (a monitor unplugged since, or a
    // damaged file) would be lost to the user: the window system places it
    // instead. A size larger than the desktop is cut down to it.
    QRect desktop;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        desktop |= screen->availableGeometry();
    if (settings.contains(QStringLiteral("ui/window_position"))) {
        const QPoint position = settings.value(QStringLiteral("ui/window_position")).toPoint();
        // Some 100 x 50 pixels of the title bar must be on the desktop. Tested
        // on the desktop's side: a position near INT_MAX has no rectangle.
        if (desktop.isEmpty() || desktop.adjusted(-99, -49, 0, 0).contains(position))
            window->move(position);
    }
    if (settings.contains(QStringLiteral("ui/window_size"))) {
        const QSize size = settings.value(QStringLiteral("ui/window_size")).toSize();
        window->resize(desktop.isEmpty() ? size : size.boundedTo(desktop.size()));
    }
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
