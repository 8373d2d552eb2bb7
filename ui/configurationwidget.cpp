// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/configurationwidget.h"
#include "ui_configurationwidget.h"

#include "devicedata/codeconversions.h"
#include "devicedata/modulesdata.h"
#include "devicedata/valueranges.h"
#include "ui/editorvalues.h"
#include "ui/editsession.h"

ConfigurationWidget::ConfigurationWidget(QWidget *parent)
    : QWidget(parent), ui(new Ui::ConfigurationWidget)
{
    ui->setupUi(this);
    m_session = new EditSession(ui->editButton, ui->cancelButton, ui->setButton, this);
    connect(m_session, &EditSession::writeFinished, this, &ConfigurationWidget::writeFinished);

    addCodeItems(ui->currentRangeEnumIndicatorEditor, currentRangeCodes(), currentRangeText);
    addCodeItems(ui->diBlockToModeEnumIndicatorEditor, diBlockToModeCodes(), diBlockToModeText);
    addCodeItems(ui->mtzInstantResetModeEnumIndicatorEditor, onOffCodes(), onOffText);
    ui->currentTransFactorIndicatorEditor->setRange(ValueRanges::currentTransFactor);
    ui->zeroCurrentTransFactorIndicatorEditor->setRange(ValueRanges::zeroCurrentTransFactor);
    ui->mtzInstantResettingTimeIndicatorEditor->setRange(ValueRanges::mtzInstantResettingTime);
    ui->mtzInstantResettingTimeIndicatorEditor->setSuffix(tr(" sec"));

    m_session->addEditors({ ui->currentRangeEnumIndicatorEditor,
        ui->currentTransFactorIndicatorEditor, ui->zeroCurrentTransFactorIndicatorEditor,
        ui->diBlockToModeEnumIndicatorEditor, ui->mtzInstantResetModeEnumIndicatorEditor,
        ui->mtzInstantResettingTimeIndicatorEditor });
    // Until the modules are known, no Kt0.
    ui->zeroCurrentTransFactorLabel->setEnabled(false);
    ui->zeroCurrentTransFactorIndicatorEditor->setEnabled(false);
    m_session->setEditorsAvailable({ ui->zeroCurrentTransFactorIndicatorEditor }, false);
    m_session->setEditMode(false);
}

ConfigurationWidget::~ConfigurationWidget()
{
    delete ui;
}

void ConfigurationWidget::setMeterageConfigurationData(MeterageConfigurationData *data)
{
    if (m_meterageConfigurationData) {
        disconnect(m_meterageConfigurationData, &DeviceData::stateChanged, this,
            &ConfigurationWidget::onMeterageConfigurationStateChanged);
    }
    m_meterageConfigurationData = data;
    if (data) {
        connect(data, &DeviceData::stateChanged, this,
            &ConfigurationWidget::onMeterageConfigurationStateChanged);
        m_session->addSourceBlock(data);
    }
    showMeterageConfiguration();
}

void ConfigurationWidget::setProtectionConfigurationData(ProtectionConfigurationData *data)
{
    if (m_protectionConfigurationData) {
        disconnect(m_protectionConfigurationData, &DeviceData::stateChanged, this,
            &ConfigurationWidget::onProtectionConfigurationStateChanged);
    }
    m_protectionConfigurationData = data;
    if (data) {
        connect(data, &DeviceData::stateChanged, this,
            &ConfigurationWidget::onProtectionConfigurationStateChanged);
        m_session->addSourceBlock(data);
    }
    showProtectionConfiguration();
}

void ConfigurationWidget::setModulesData(ModulesData *data)
{
    if (m_modulesData) {
        disconnect(m_modulesData, &DeviceData::stateChanged, this,
            &ConfigurationWidget::onModulesStateChanged);
    }
    m_modulesData = data;
    if (data) {
        connect(data, &DeviceData::stateChanged, this, &ConfigurationWidget::onModulesStateChanged);
        m_session->addSourceBlock(data);
        onModulesStateChanged(data->state());
    }
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

void ConfigurationWidget::on_setButton_clicked()
{
    if (!m_meterageConfigurationData || !m_protectionConfigurationData || !m_session->acceptsSet())
        return;

    // What the relay reported last, with the editors' values on top: a field
    // without an editor in use (Kt0 without an earth-fault module) is written
    // back as read, also when a failed write is tried again.
    MeterageConfiguration meterage = m_meterageConfigurationData->configuration();
    takeSelectedCode(meterage.currentRange, ui->currentRangeEnumIndicatorEditor);
    takeSelectedSteps(meterage.currentTransFactor, ui->currentTransFactorIndicatorEditor,
        ValueRanges::currentTransFactor.step);
    if (m_znzInstalled) {
        takeSelectedSteps(meterage.zeroCurrentTransFactor,
            ui->zeroCurrentTransFactorIndicatorEditor, ValueRanges::zeroCurrentTransFactor.step);
    }
    m_meterageConfigurationData->setNewConfiguration(meterage);

    ProtectionConfiguration protection = m_protectionConfigurationData->configuration();
    takeSelectedCode(protection.diBlockToMode, ui->diBlockToModeEnumIndicatorEditor);
    takeSelectedCode(protection.mtzInstantResetMode, ui->mtzInstantResetModeEnumIndicatorEditor);
    takeSelectedSteps(protection.mtzInstantResettingTime,
        ui->mtzInstantResettingTimeIndicatorEditor, ValueRanges::mtzInstantResettingTime.step);
    m_protectionConfigurationData->setNewConfiguration(protection);

    m_session->watchWrite({ m_meterageConfigurationData, m_protectionConfigurationData });
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
    const DataValue modules = m_modulesData->modules();
    m_znzInstalled = modules.status != NoData && (modules.value & (ModuleZnz3I0 | ModuleZnz3U0));

    ui->zeroCurrentTransFactorLabel->setEnabled(m_znzInstalled);
    ui->zeroCurrentTransFactorIndicatorEditor->setEnabled(m_znzInstalled);
    // Drawn before the editor may enter edit mode, which loads it from the indicator.
    showMeterageConfiguration();
    m_session->setEditorsAvailable({ ui->zeroCurrentTransFactorIndicatorEditor }, m_znzInstalled);
}

void ConfigurationWidget::showMeterageConfiguration()
{
    MeterageConfiguration configuration = m_meterageConfigurationData
        ? m_meterageConfigurationData->configuration()
        : MeterageConfiguration();
    if (!m_znzInstalled)
        configuration.zeroCurrentTransFactor = DataValue();

    ui->currentRangeEnumIndicatorEditor->setValue(configuration.currentRange);
    ui->currentTransFactorIndicatorEditor->setValue(
        shownValue(configuration.currentTransFactor, ValueRanges::currentTransFactor.step));
    ui->zeroCurrentTransFactorIndicatorEditor->setValue(
        shownValue(configuration.zeroCurrentTransFactor, ValueRanges::zeroCurrentTransFactor.step));
}

void ConfigurationWidget::showProtectionConfiguration()
{
    const ProtectionConfiguration configuration = m_protectionConfigurationData
        ? m_protectionConfigurationData->configuration()
        : ProtectionConfiguration();

    ui->diBlockToModeEnumIndicatorEditor->setValue(configuration.diBlockToMode);
    ui->mtzInstantResetModeEnumIndicatorEditor->setValue(configuration.mtzInstantResetMode);
    ui->mtzInstantResettingTimeIndicatorEditor->setValue(shownValue(
        configuration.mtzInstantResettingTime, ValueRanges::mtzInstantResettingTime.step));
}
