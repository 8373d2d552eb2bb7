// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFINGERPRINTVIEW_H
#define SETTINGSFINGERPRINTVIEW_H

#include "devicedata/devicedata.h"
#include "devicedata/relaysettings.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

class MeterageConfigurationData;
class ProtectionConfigurationData;
class QLabel;
class SetpointsData;

// The current relay's settings fingerprint as the Configuration and Setpoints
// tabs show it beside their values.
//
// Only from one read of each of the three blocks, with no other read of any of
// them in between, as a refresh pass reads them: values of one block read a pass
// later than another's may match no state the relay ever held. Until such reads
// complete, the last fingerprint taken stays; a read that fails makes it
// outdated. Missing until the first such reads.
class SettingsFingerprintView : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsFingerprintView(QWidget *parent = nullptr);

    void setMeterageConfigurationData(MeterageConfigurationData *data);
    void setProtectionConfigurationData(ProtectionConfigurationData *data);
    void setSetpointsData(SetpointsData *data);

    // Settings the relay was read for by a reader of its own, every block at once (Save
    // settings): their fingerprint is shown as the relay's latest.
    void showRead(const SettingsValues &values);

private:
    template<typename Block>
    void attach(QPointer<Block> &held, Block *block);
    void onBlockStateChanged(
        const DeviceData *block, DeviceData::State state, DeviceData::State previousState);
    void takeFromBlocks();
    void showFingerprint(const DataValue &fingerprint);

    QLabel *m_valueLabel;
    QPointer<MeterageConfigurationData> m_meterageConfigurationData;
    QPointer<ProtectionConfigurationData> m_protectionConfigurationData;
    QPointer<SetpointsData> m_setpointsData;
    // The blocks read since the last fingerprint was taken, each once.
    QSet<const DeviceData *> m_readTogether;
    DataValue m_fingerprint;
};

#endif // SETTINGSFINGERPRINTVIEW_H
