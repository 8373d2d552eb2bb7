// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSBLOCKS_H
#define SETTINGSBLOCKS_H

#include "devicedata/relaysettings.h"

#include <QList>
#include <QStringList>

class DeviceData;
class MeterageConfigurationData;
class ProtectionConfigurationData;
class QObject;
class SetpointsData;

// The three blocks that hold a relay's settings, read together: the measurement configuration,
// the protection configuration and the setpoints.
struct SettingsBlocks
{
    explicit SettingsBlocks(QObject *parent);

    QList<DeviceData *> list() const;
    // The values of the blocks read whole: a value never read must not pass for one the relay
    // holds. The others are named in `unread`.
    SettingsValues valuesRead(QStringList *unread) const;

    MeterageConfigurationData *const meterageConfiguration;
    ProtectionConfigurationData *const protectionConfiguration;
    SetpointsData *const setpoints;
};

#endif // SETTINGSBLOCKS_H
