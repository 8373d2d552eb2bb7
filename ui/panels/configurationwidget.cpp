// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/configurationwidget.h"
#include "ui_configurationwidget.h"

#include "devicedata/codeconversions.h"
#include "devicedata/modulesdata.h"
#include "devicedata/setpointsdata.h"
#include "devicedata/valueranges.h"
#include "ui/panels/editsession.h"
#include "ui/panels/settingsfingerprintview.h"

#include <QLocale>

ConfigurationWidget::ConfigurationWidget(QWidget *parent)
    : QWidget(parent), ui(new Ui::ConfigurationWidget)
{
    ui->setupUi(this);
    m_session = new EditSession(ui->editButton, ui->cancelButton, ui->setButton, this);
    m_fingerprint = new SettingsFingerprintView(this);
    ui->buttonsLayout->insertWidget(0, m_fingerprint);
    m_meterageEditors = std::make_unique<FieldEditors<MeterageConfiguration>>(
        this, meterageConfigurationFields());
    m_protectionEditors = std::make_unique<FieldEditors<ProtectionConfiguration>>(
        this, protectionConfigurationFields());
    connect(m_session, &EditSession::writeFinished, this, &ConfigurationWidget::writeFinished);
    connect(m_session, &EditSession::editModeChanged, this, &ConfigurationWidget::showRangeEffect);

    m_session->addEditors(m_meterageEditors->editors() + m_protectionEditors->editors());
    // Until the modules are known, no Kt0.
    m_meterageEditors->applyRules();
    m_meterageEditors->updateAvailability(m_session);
    m_session->setEditMode(false);
}

ConfigurationWidget::~ConfigurationWidget()
{
    delete ui;
}

void ConfigurationWidget::setMeterageConfigurationData(MeterageConfigurationData *data)
{
    m_session->attachSource(m_meterageConfigurationData, data, this,
        &ConfigurationWidget::onMeterageConfigurationStateChanged);
    m_fingerprint->setMeterageConfigurationData(data);
}

void ConfigurationWidget::setProtectionConfigurationData(ProtectionConfigurationData *data)
{
    m_session->attachSource(m_protectionConfigurationData, data, this,
        &ConfigurationWidget::onProtectionConfigurationStateChanged);
    m_fingerprint->setProtectionConfigurationData(data);
}

void ConfigurationWidget::setModulesData(ModulesData *data)
{
    m_session->attachSource(m_modulesData, data, this, &ConfigurationWidget::onModulesStateChanged);
}

void ConfigurationWidget::setSetpointsData(SetpointsData *data)
{
    attachBlock(m_setpointsData, data, this, &ConfigurationWidget::onSetpointsStateChanged);
    m_fingerprint->setSetpointsData(data);
}

void ConfigurationWidget::onSetpointsStateChanged(DeviceData::State state)
{
    if (state == DeviceData::Inactive)
        showRangeEffect();
}

void ConfigurationWidget::showSettingsRead(const SettingsValues &values)
{
    m_fingerprint->showRead(values);
}

bool ConfigurationWidget::isEditMode() const
{
    return m_session->isEditMode();
}

void ConfigurationWidget::ui_setCurrentDeviceAvailable(bool available)
{
    m_session->setDeviceAvailable(available);
}

void ConfigurationWidget::ui_cancelEditMode()
{
    m_session->setEditMode(false);
}

void ConfigurationWidget::on_editButton_clicked()
{
    m_session->setEditMode(true);
}

void ConfigurationWidget::on_cancelButton_clicked()
{
    m_session->setEditMode(false);
}

void ConfigurationWidget::endWrite(bool successful)
{
    m_session->endWrite(successful);
}

void ConfigurationWidget::on_setButton_clicked()
{
    if (!m_meterageConfigurationData || !m_protectionConfigurationData || !m_session->acceptsSet())
        return;
    if (!m_session->takeTypedValues(
            { m_meterageEditors.get(), m_protectionEditors.get() }, tr("Configuration")))
        return;
    // What the relay reported last, with the editors' values on top: a field
    // not in use (Kt0 without an earth-fault module) is written back as read,
    // also when a failed write is tried again.
    m_meterageConfigurationData->setNewConfiguration(
        m_meterageEditors->taken(m_meterageConfigurationData->configuration()));
    m_protectionConfigurationData->setNewConfiguration(
        m_protectionEditors->taken(m_protectionConfigurationData->configuration()));
    m_session->beginWrite();
    emit write();
}

// Every return to Inactive redraws: after a reset the values are gone and
// must show as missing, not as the previous relay's.
void ConfigurationWidget::onMeterageConfigurationStateChanged(
    DeviceData::State currentState, DeviceData::State)
{
    if (currentState == DeviceData::Inactive)
        showMeterageConfiguration();
}

void ConfigurationWidget::onProtectionConfigurationStateChanged(
    DeviceData::State currentState, DeviceData::State)
{
    if (currentState == DeviceData::Inactive)
        showProtectionConfiguration();
}

void ConfigurationWidget::onModulesStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive || !m_modulesData)
        return;
    m_meterageEditors->setModules(m_modulesData->modules());
    // Drawn before the editor may enter edit mode, which loads it from the indicator.
    showMeterageConfiguration();
    m_meterageEditors->updateAvailability(m_session);
}

void ConfigurationWidget::on_currentRangeEnumIndicatorEditor_selectedValueChanged()
{
    showRangeEffect();
}

// The pick-up registers count steps of the current range: a new range leaves
// them as they are and changes every pick-up current in amperes.
void ConfigurationWidget::showRangeEffect()
{
    const auto *editor = ui->currentRangeEnumIndicatorEditor;
    const DataValue held = m_meterageConfigurationData
        ? m_meterageConfigurationData->configuration().currentRange
        : DataValue();
    const DataValue chosen = editor->selectedValue();
    const DataValue heldMultiplier = rangeMultiplier(held);
    const DataValue chosenMultiplier = rangeMultiplier(chosen);
    if (!editor->isEditMode() || chosen.status == NoData || chosen.value == held.value
        || heldMultiplier.status == NoData || chosenMultiplier.status == NoData) {
        ui->rangeEffectLabel->clear();
        return;
    }
    const Setpoints setpoints = m_setpointsData ? m_setpointsData->setpoints() : Setpoints();
    if (setpoints.mtzPickupCurrent.status == NoData || setpoints.toPickupCurrent.status == NoData) {
        ui->rangeEffectLabel->setText(
            tr("At range %1 every pick-up current in amperes changes by a factor of %2.")
                .arg(CodeTables::currentRange.text(chosen),
                    QLocale().toString(double(chosenMultiplier.value) / heldMultiplier.value)));
        return;
    }
    const auto amperes = [](const DataValue &raw, const ValueRange &range, qint64 multiplier) {
        return QLocale().toString(double(raw.value * multiplier) * range.step, 'f', range.decimals);
    };
    ui->rangeEffectLabel->setText(tr(
        "At range %1 the MTZ pick-up becomes %2 A (now %3 A) and the TO pick-up %4 A (now %5 A).")
                                      .arg(CodeTables::currentRange.text(chosen),
                                          amperes(setpoints.mtzPickupCurrent,
                                              ValueRanges::mtzPickupCurrent,
                                              chosenMultiplier.value),
                                          amperes(setpoints.mtzPickupCurrent,
                                              ValueRanges::mtzPickupCurrent, heldMultiplier.value),
                                          amperes(setpoints.toPickupCurrent,
                                              ValueRanges::toPickupCurrent, chosenMultiplier.value),
                                          amperes(setpoints.toPickupCurrent,
                                              ValueRanges::toPickupCurrent, heldMultiplier.value)));
}

void ConfigurationWidget::showMeterageConfiguration()
{
    m_meterageEditors->show(m_meterageConfigurationData
            ? m_meterageConfigurationData->configuration()
            : MeterageConfiguration());
}

void ConfigurationWidget::showProtectionConfiguration()
{
    m_protectionEditors->show(m_protectionConfigurationData
            ? m_protectionConfigurationData->configuration()
            : ProtectionConfiguration());
}
