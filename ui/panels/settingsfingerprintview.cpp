// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/settingsfingerprintview.h"

#include "devicedata/settingsfingerprint.h"
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
    showFingerprint(DataValue());
}

// Blocks read before the new one came say nothing about it: the fingerprint starts over.
template<typename Block>
void SettingsFingerprintView::attach(QPointer<Block> &held, Block *block)
{
    if (held)
        disconnect(held, &DeviceData::stateChanged, this, nullptr);
    held = block;
    m_readTogether.clear();
    showFingerprint(DataValue());
    if (!block)
        return;
    connect(block, &DeviceData::stateChanged, this,
        [this, block](DeviceData::State state, DeviceData::State previousState) {
            onBlockStateChanged(block, state, previousState);
        });
}

void SettingsFingerprintView::setMeterageConfigurationData(MeterageConfigurationData *data)
{
    attach(m_meterageConfigurationData, data);
}

void SettingsFingerprintView::setProtectionConfigurationData(ProtectionConfigurationData *data)
{
    attach(m_protectionConfigurationData, data);
}

void SettingsFingerprintView::setSetpointsData(SetpointsData *data)
{
    attach(m_setpointsData, data);
}

void SettingsFingerprintView::showRead(const SettingsValues &values)
{
    const std::optional<quint32> fingerprint = settingsFingerprint(values);
    if (fingerprint)
        showFingerprint(validValue(qint64(*fingerprint)));
}

void SettingsFingerprintView::onBlockStateChanged(
    const DeviceData *block, DeviceData::State state, DeviceData::State previousState)
{
    // Another relay's blocks, or none read yet.
    if (state == DeviceData::Resetting) {
        m_readTogether.clear();
        showFingerprint(DataValue());
        return;
    }
    // A block's values change only at the end of a read.
    if (state != DeviceData::Inactive || previousState != DeviceData::Reading)
        return;
    // A stopped read may have changed some of the block's values and not the others.
    if (block->isReadStopped()) {
        m_readTogether.clear();
        return;
    }
    if (!block->isReadSuccessful()) {
        m_readTogether.clear();
        markOutdated(m_fingerprint);
        showFingerprint(m_fingerprint);
        return;
    }
    // Read again before the others were: the others' reads are of a state before this one.
    if (m_readTogether.contains(block))
        m_readTogether.clear();
    m_readTogether.insert(block);
    if (m_readTogether.size() == 3)
        takeFromBlocks();
}

void SettingsFingerprintView::takeFromBlocks()
{
    m_readTogether.clear();
    showFingerprint(heldSettingsFingerprint(m_meterageConfigurationData->configuration(),
        m_protectionConfigurationData->configuration(), m_setpointsData->setpoints()));
}

void SettingsFingerprintView::showFingerprint(const DataValue &fingerprint)
{
    m_fingerprint = fingerprint;
    setLabelValue(m_valueLabel, fingerprint.status, fingerprintText(quint32(fingerprint.value)));
}
