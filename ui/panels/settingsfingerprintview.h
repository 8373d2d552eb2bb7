// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFINGERPRINTVIEW_H
#define SETTINGSFINGERPRINTVIEW_H

#include "devicedata/devicedata.h"

#include <QPointer>
#include <QWidget>

class MeterageConfigurationData;
class ProtectionConfigurationData;
class QLabel;
class SetpointsData;

// The current relay's settings fingerprint as the Configuration and Setpoints
// tabs show it beside their values, from the blocks the panels show: missing
// until all three were read, outdated as soon as one of them is.
class SettingsFingerprintView : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsFingerprintView(QWidget *parent = nullptr);

    void setMeterageConfigurationData(MeterageConfigurationData *data);
    void setProtectionConfigurationData(ProtectionConfigurationData *data);
    void setSetpointsData(SetpointsData *data);

private:
    void onBlockStateChanged(DeviceData::State state);
    void showFingerprint();

    QLabel *m_valueLabel;
    QPointer<MeterageConfigurationData> m_meterageConfigurationData;
    QPointer<ProtectionConfigurationData> m_protectionConfigurationData;
    QPointer<SetpointsData> m_setpointsData;
};

#endif // SETTINGSFINGERPRINTVIEW_H
