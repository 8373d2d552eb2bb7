// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>

namespace {

const QString fileName = QStringLiteral("settings.ini");

// The file may have been edited by hand or damaged. What is loaded is kept
// within what the program can run with: a value outside these bounds could
// spin the event loop, overflow a timer or open the port in a way nobody
// chose. Long pauses are a real choice on a slow line; the upper bound only
// keeps the arithmetic sane. Values the program itself saves lie inside them.
constexpr int maxTimingValue = 3600000; // ms: an hour, for every timing key
constexpr int minAutoRefreshDelay = 50; // ms; 0 would fire the timer without pause

bool hasControlCharacters(const QString &text)
{
    for (const QChar character : text) {
        if (character.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// The start of the title bar, enough to grab and move the window by, must
// lie within one screen's available area: the bounding box of several
// screens of different sizes has corners no screen shows. A frame may stick
// out a little past a screen's edge.
bool isTitleBarReachable(const QPoint &position)
{
    // The middle of the first 100 x 30 pixels, in 64 bits: a damaged file may
    // hold a position near INT_MAX.
    const qint64 x = qint64(position.x()) + 50;
    const qint64 y = qint64(position.y()) + 15;
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(), [x, y](const QScreen *screen) {
        const QRect area = screen->availableGeometry();
        return area.left() <= x && x <= area.right() && area.top() <= y && y <= area.bottom();
    });
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
    // Negative delays mean none; the endpoint waits at least 1 ms for an answer.
    settings.readinessDelay = qBound(
        0, file.readInt(QStringLiteral("device_settings/readiness_delay"), 60), maxTimingValue);
    settings.responseTimeout = qBound(
        0, file.readInt(QStringLiteral("device_settings/response_timeout"), 150), maxTimingValue);
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
        file.readInt(QStringLiteral("preferences/auto_refresh_delay"), 500), maxTimingValue);
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

QString loadLastFolder()
{
    const SettingsFile file;
    QString folder = file.readString(QStringLiteral("ui/last_folder"), QString());
    // A folder removed since, or a damaged key, gives way to the documents folder.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void saveLastFolder(const QString &folder)
{
    SettingsFile file;
    file.settings().setValue(QStringLiteral("ui/last_folder"), folder);
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
        if (desktop.isEmpty() || isTitleBarReachable(position))
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

bool loadTrafficViewVisible()
{
    return SettingsFile().readBool(QStringLiteral("ui/traffic_visible"), false);
}

void saveTrafficViewVisible(bool visible)
{
    SettingsFile file;
    file.settings().setValue(QStringLiteral("ui/traffic_visible"), visible);
}
