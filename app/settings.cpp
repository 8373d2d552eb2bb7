// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "app/settingsinifile.h"

#include <QFileInfo>
#include <QRegularExpressionValidator>
#include <QStandardPaths>

namespace {

// The file may have been edited by hand or damaged. What is loaded is kept
// within what the program can run with: a value outside these bounds could
// spin the event loop, overflow a timer or open the port in a way nobody
// chose. Long pauses are a real choice on a slow line; the upper bound only
// keeps the arithmetic sane. Values the program itself saves lie inside them.
constexpr int MaxTimingValue = 3600000; // ms: an hour, for every timing key
constexpr int MinAutoRefreshDelay = 50; // ms; 0 would fire the timer without pause
// ms: a wait of 0 would hear no relay; two seconds per try already make a
// search over every ID and setting last two hours.
constexpr int MinFinderWait = 1;
constexpr int MaxFinderWait = 2000;

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

} // namespace

QRegularExpression scanRangeExpression()
{
    return QRegularExpression(QStringLiteral("([1-9]|[1-5]\\d|6[0-3])(-([1-9]|[1-5]\\d|6[0-3]))?"));
}

void loadConnectionSettings(ConnectionSettings &settings)
{
    const SettingsIniFile file;
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

    // A file from before network connections, or with a link this program
    // does not know, opens the serial port.
    settings.link = file.readString(QStringLiteral("connection_settings/link"), QString())
            == QLatin1String("network")
        ? ConnectionSettings::NetworkLink
        : ConnectionSettings::SerialLink;
    settings.host
        = file.readString(QStringLiteral("connection_settings/host"), QString()).trimmed();
    if (hasControlCharacters(settings.host))
        settings.host.clear();
    settings.tcpPort = withinOr(
        file.readInt(QStringLiteral("connection_settings/tcp_port"), 502), 1, 65535, 502);
    settings.protocol
        = file.readString(QStringLiteral("connection_settings/network_protocol"), QString())
            == QLatin1String("rtu_over_tcp")
        ? ConnectionSettings::RtuOverTcp
        : ConnectionSettings::ModbusTcp;
}

void saveConnectionSettings(const ConnectionSettings &settings)
{
    SettingsIniFile file;
    const SerialPortSettings &port = settings.serialPortSettings;
    file.settings().setValue(QStringLiteral("connection_settings/port_name"), settings.portName);
    file.settings().setValue(QStringLiteral("connection_settings/baud_rate"), port.baudRate());
    file.settings().setValue(QStringLiteral("connection_settings/data_bits"), port.dataBits());
    file.settings().setValue(QStringLiteral("connection_settings/parity"), port.parity());
    file.settings().setValue(QStringLiteral("connection_settings/stop_bits"), port.stopBits());
    file.settings().setValue(QStringLiteral("connection_settings/link"),
        settings.isNetwork() ? QStringLiteral("network") : QStringLiteral("serial"));
    file.settings().setValue(QStringLiteral("connection_settings/host"), settings.host);
    file.settings().setValue(QStringLiteral("connection_settings/tcp_port"), settings.tcpPort);
    file.settings().setValue(QStringLiteral("connection_settings/network_protocol"),
        settings.protocol == ConnectionSettings::RtuOverTcp ? QStringLiteral("rtu_over_tcp")
                                                            : QStringLiteral("modbus_tcp"));
}

void loadDeviceSettings(DeviceSettings &settings)
{
    const SettingsIniFile file;
    // Negative delays mean none; the endpoint waits at least 1 ms for an answer.
    settings.readinessDelay = qBound(
        0, file.readInt(QStringLiteral("device_settings/readiness_delay"), 60), MaxTimingValue);
    settings.responseTimeout = qBound(
        0, file.readInt(QStringLiteral("device_settings/response_timeout"), 150), MaxTimingValue);
    settings.thoroughScan = file.readBool(QStringLiteral("device_settings/thorough_scan"), false);
}

void saveDeviceSettings(const DeviceSettings &settings)
{
    SettingsIniFile file;
    file.settings().setValue(
        QStringLiteral("device_settings/readiness_delay"), settings.readinessDelay);
    file.settings().setValue(
        QStringLiteral("device_settings/response_timeout"), settings.responseTimeout);
    file.settings().setValue(
        QStringLiteral("device_settings/thorough_scan"), settings.thoroughScan);
}

int loadFinderWait()
{
    return qBound(MinFinderWait,
        SettingsIniFile().readInt(
            QStringLiteral("device_settings/finder_wait"), DefaultFinderWaitMs),
        MaxFinderWait);
}

void loadPreferences(Preferences &preferences)
{
    const SettingsIniFile file;
    preferences.scanRange
        = file.readString(QStringLiteral("preferences/scan_range"), QStringLiteral("1-3"));
    // Text the field could never hold gives way to the default; a range left
    // half-typed when the window closed (an empty field, "1-") is kept.
    int position = 0;
    if (QRegularExpressionValidator(scanRangeExpression()).validate(preferences.scanRange, position)
        == QValidator::Invalid)
        preferences.scanRange = QStringLiteral("1-3");
    preferences.autoRefreshDelay = qBound(MinAutoRefreshDelay,
        file.readInt(QStringLiteral("preferences/auto_refresh_delay"), 500), MaxTimingValue);
    preferences.autoRefreshEnabled
        = file.readBool(QStringLiteral("preferences/auto_refresh_enabled"), true);
    preferences.toolbarVisible = file.readBool(QStringLiteral("preferences/toolbar_visible"), true);
    // The tool bar may only dock at the top or on the left.
    const int area = file.readInt(QStringLiteral("preferences/toolbar_area"), Qt::TopToolBarArea);
    preferences.toolbarArea = area == Qt::LeftToolBarArea ? area : int(Qt::TopToolBarArea);
}

void savePreferences(const Preferences &preferences)
{
    SettingsIniFile file;
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
    const SettingsIniFile file;
    QString folder = file.readString(QStringLiteral("ui/last_folder"), QString());
    // A folder removed since, or a damaged key, gives way to the documents folder.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void saveLastFolder(const QString &folder)
{
    SettingsIniFile file;
    file.settings().setValue(QStringLiteral("ui/last_folder"), folder);
}

bool loadTrafficViewVisible()
{
    return SettingsIniFile().readBool(QStringLiteral("ui/traffic_visible"), false);
}

void saveTrafficViewVisible(bool visible)
{
    SettingsIniFile file;
    file.settings().setValue(QStringLiteral("ui/traffic_visible"), visible);
}

TeamJournalSettings loadTeamJournalSettings()
{
    const SettingsIniFile file;
    TeamJournalSettings settings;
    const auto text = [&file](const QString &key) {
        const QString value = file.readString(key, QString()).trimmed();
        return hasControlCharacters(value) ? QString() : value;
    };
    settings.host = text(QStringLiteral("team_journal/host"));
    settings.port = withinOr(
        file.readInt(QStringLiteral("team_journal/port"), settings.port), 1, 65535, settings.port);
    settings.database = text(QStringLiteral("team_journal/database"));
    settings.user = text(QStringLiteral("team_journal/user"));
    // A mode libpq does not know would fail every connection: the default instead.
    const QString sslMode = text(QStringLiteral("team_journal/sslmode"));
    if (teamJournalSslModes().contains(sslMode))
        settings.sslMode = sslMode;
    return settings;
}

void saveTeamJournalSettings(const TeamJournalSettings &settings)
{
    SettingsIniFile file;
    file.settings().setValue(QStringLiteral("team_journal/host"), settings.host);
    file.settings().setValue(QStringLiteral("team_journal/port"), settings.port);
    file.settings().setValue(QStringLiteral("team_journal/database"), settings.database);
    file.settings().setValue(QStringLiteral("team_journal/user"), settings.user);
    file.settings().setValue(QStringLiteral("team_journal/sslmode"), settings.sslMode);
}
