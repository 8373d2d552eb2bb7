// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/settingsfingerprintview.h"

#include "devicedata/settingsfingerprint.h"
#include "ui/panels/attachblock.h"
#include "ui/statusstyle.h"

#include <QHBoxLayout>
#include <QLabel>

SettingsFingerprintView::SettingsFingerprintView(QWidget *parent)
    : QWidget(parent), m_valueLabel(new QLabel(this))
{
    auto *caption = new QLabel(tr("Settings fingerprint:"), this);
    caption->setToolTip(tr("CRC-32 of every settings register: equal fingerprints, equal "
                           "settings."));
    m_valueLabel->setObjectName(QStringLiteral("settingsFingerprintValueLabel"));
    m_valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption);
    layout->addWidget(m_valueLabel);
    showFingerprint();
}

void SettingsFingerprintView::setMeterageConfigurationData(MeterageConfigurationData *data)
{
    attachBlock(
        m_meterageConfigurationData, data, this, &SettingsFingerprintView::onBlockStateChanged);
}

void SettingsFingerprintView::setProtectionConfigurationData(ProtectionConfigurationData *data)
{
    attachBlock(
        m_protectionConfigurationData, data, this, &SettingsFingerprintView::onBlockStateChanged);
}

void SettingsFingerprintView::setSetpointsData(SetpointsData *data)
{
    attachBlock(m_setpointsData, data, this, &SettingsFingerprintView::onBlockStateChanged);
}

void SettingsFingerprintView::onBlockStateChanged(DeviceData::State state)
{
    // A block's values change only on its way back to Inactive.
    if (state == DeviceData::Inactive)
        showFingerprint();
}

void SettingsFingerprintView::showFingerprint()
{
    const DataValue fingerprint = heldSettingsFingerprint(m_meterageConfigurationData
            ? m_meterageConfigurationData->configuration()
            : MeterageConfiguration(),
        m_protectionConfigurationData ? m_protectionConfigurationData->configuration()
                                      : ProtectionConfiguration(),
        m_setpointsData ? m_setpointsData->setpoints() : Setpoints());
    setLabelValue(m_valueLabel, fingerprint.status, fingerprintText(quint32(fingerprint.value)));
}
