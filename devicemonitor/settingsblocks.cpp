// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/settingsblocks.h"

#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"

SettingsBlocks::SettingsBlocks(QObject *parent)
    : meterageConfiguration(new MeterageConfigurationData(parent)),
      protectionConfiguration(new ProtectionConfigurationData(parent)),
      setpoints(new SetpointsData(parent))
{
}

QList<DeviceData *> SettingsBlocks::list() const
{
    return { meterageConfiguration, protectionConfiguration, setpoints };
}

SettingsValues SettingsBlocks::valuesRead(QStringList *unread) const
{
    SettingsValues values;
    const auto collect
        = [&values, unread](bool read, const QString &name, auto fields, const auto &record) {
              SettingsValues blockValues;
              if (read && collectFieldValues(fields, record, blockValues))
                  values.insert(blockValues);
              else
                  unread->append(name);
          };
    collect(meterageConfiguration->isReadSuccessful(),
        QCoreApplication::translate("SettingsTransfer", "the measurement configuration"),
        meterageConfiguration->fields(), meterageConfiguration->configuration());
    collect(protectionConfiguration->isReadSuccessful(),
        QCoreApplication::translate("SettingsTransfer", "the protection configuration"),
        protectionConfiguration->fields(), protectionConfiguration->configuration());
    collect(setpoints->isReadSuccessful(),
        QCoreApplication::translate("SettingsTransfer", "the setpoints"), setpoints->fields(),
        setpoints->setpoints());
    return values;
}
