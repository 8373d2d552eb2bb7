// SPDX-License-Identifier: GPL-3.0-or-later
// settings.ini as a hand edit or damage may leave it, read by every loader in app/settings.h.
// What they load must lie within the bounds the program runs with. QSettings keeps a file it has
// read by its path, so every input gets a folder of its own.
#include "app/settings.h"
#include "filetargets.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int MaxTimingValue = 3600000;

bool hasControlCharacters(const QString &text)
{
    for (const QChar character : text) {
        if (character.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

void checkConnection()
{
    ConnectionSettings settings;
    loadConnectionSettings(settings);
    const SerialPortSettings &port = settings.serialPortSettings;
    if (port.baudRate() < 0 || port.dataBits() < 5 || port.dataBits() > 8
        || port.parity() < SerialPortSettings::NoParity
        || port.parity() > SerialPortSettings::EvenParity || port.stopBits() < 1
        || port.stopBits() > 2 || settings.tcpPort < 1 || settings.tcpPort > 65535
        || hasControlCharacters(settings.portName) || hasControlCharacters(settings.host))
        abort();
}

void checkDevice()
{
    DeviceSettings settings;
    loadDeviceSettings(settings);
    for (int value : { settings.readinessDelay, settings.responseTimeout }) {
        if (value < 0 || value > MaxTimingValue)
            abort();
    }
    const int finderWait = loadFinderWait();
    if (finderWait < 1 || finderWait > 2000)
        abort();
}

void checkPreferences()
{
    Preferences preferences;
    loadPreferences(preferences);
    if (preferences.autoRefreshDelay < 50 || preferences.autoRefreshDelay > MaxTimingValue
        || (preferences.toolbarArea != Qt::TopToolBarArea
            && preferences.toolbarArea != Qt::LeftToolBarArea))
        abort();
    loadLastFolder();
    loadTrafficViewVisible();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FileTargets::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QDir folder = FileTargets::freshFolder();
    FileTargets::writeInput(folder.filePath(QStringLiteral("settings.ini")), data, size);
    const QString previous = QDir::currentPath();
    if (!QDir::setCurrent(folder.path()))
        abort();

    checkConnection();
    checkDevice();
    checkPreferences();

    QDir::setCurrent(previous);
    folder.removeRecursively();
    return 0;
}
