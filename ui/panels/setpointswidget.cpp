// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/setpointswidget.h"
#include "ui_setpointswidget.h"

#include "devicedata/codeconversions.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "ui/panels/editsession.h"
#include "ui/panels/settingsfingerprintview.h"

#include <QMessageBox>

SetpointsWidget::SetpointsWidget(QWidget *parent) : QWidget(parent), ui(new Ui::SetpointsWidget)
{
    ui->setupUi(this);
    m_session = new EditSession(ui->editButton, ui->cancelButton, ui->setButton, this);
    m_fingerprint = new SettingsFingerprintView(this);
    ui->buttonsLayout->insertWidget(0, m_fingerprint);
    m_editors = std::make_unique<FieldEditors<Setpoints>>(this, setpointFields());
    connect(m_session, &EditSession::writeFinished, this, &SetpointsWidget::writeFinished);
    // Leaving edit mode, the rules go back to the modes the relay holds, and
    // the pick-up ranges follow a current range that changed meanwhile.
    connect(m_session, &EditSession::editModeChanged, this, &SetpointsWidget::applyModeRules);
    connect(m_session, &EditSession::editModeChanged, this, &SetpointsWidget::applyPickupRanges);

    m_session->addEditors(m_editors->editors());
    m_session->setEditMode(false);
    // No modules are known yet.
    onModulesStateChanged(DeviceData::Inactive);
}

SetpointsWidget::~SetpointsWidget()
{
    delete ui;
}

void SetpointsWidget::setMeterageConfigurationData(MeterageConfigurationData *data)
{
    m_session->attachSource(m_meterageConfigurationData, data, this,
        &SetpointsWidget::onMeterageConfigurationStateChanged);
    m_fingerprint->setMeterageConfigurationData(data);
}

void SetpointsWidget::setSetpointsData(SetpointsData *data)
{
    m_session->attachSource(m_setpointsData, data, this, &SetpointsWidget::onSetpointsStateChanged);
    m_fingerprint->setSetpointsData(data);
}

void SetpointsWidget::setModulesData(ModulesData *data)
{
    m_session->attachSource(m_modulesData, data, this, &SetpointsWidget::onModulesStateChanged);
}

void SetpointsWidget::setProtectionConfigurationData(ProtectionConfigurationData *data)
{
    m_fingerprint->setProtectionConfigurationData(data);
}

void SetpointsWidget::showSettingsRead(const SettingsValues &values)
{
    m_fingerprint->showRead(values);
}

bool SetpointsWidget::isEditMode() const
{
    return m_session->isEditMode();
}

void SetpointsWidget::ui_setCurrentDeviceAvailable(bool available)
{
    m_session->setDeviceAvailable(available);
}

void SetpointsWidget::ui_cancelEditMode()
{
    m_session->setEditMode(false);
}

void SetpointsWidget::on_editButton_clicked()
{
    m_session->setEditMode(true);
}

void SetpointsWidget::on_cancelButton_clicked()
{
    m_session->setEditMode(false);
}

void SetpointsWidget::endWrite(bool successful)
{
    m_session->endWrite(successful);
}

void SetpointsWidget::on_setButton_clicked()
{
    if (!m_setpointsData || !m_session->acceptsSet())
        return;
    // The pick-up editors convert at the range they were loaded with.
    if (currentMultiplier().value != m_editors->rangeMultiplier()) {
        QMessageBox::warning(this, tr("Setpoints"),
            tr("The current range of the relay changed since Edit was pressed, and with it what "
               "the pick-up currents mean. Nothing was written: press Cancel and edit the "
               "setpoints again."));
        return;
    }
    if (!m_session->takeTypedValues({ m_editors.get() }, tr("Setpoints")))
        return;
    // What the relay reported last, with the editors' values on top. A field
    // not in use belongs to an absent module or to a protection that is
    // switched off: it keeps the value read, also when a failed write is
    // tried again.
    m_setpointsData->setNewSetpoints(m_editors->taken(m_setpointsData->setpoints()));
    m_session->beginWrite();
    emit write();
}

void SetpointsWidget::on_apvModeEnumIndicatorEditor_selectedValueChanged()
{
    applyModeRules();
}

void SetpointsWidget::on_mtzModeEnumIndicatorEditor_selectedValueChanged()
{
    applyModeRules();
}

void SetpointsWidget::on_toModeEnumIndicatorEditor_selectedValueChanged()
{
    applyModeRules();
}

void SetpointsWidget::on_znzModeEnumIndicatorEditor_selectedValueChanged()
{
    applyModeRules();
}

void SetpointsWidget::onMeterageConfigurationStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive)
        return;
    applyPickupRanges();
    showSetpoints();
}

// Never under the user's cursor: the spin boxes keep the range they were
// loaded with until edit mode ends, and Set converts with it.
void SetpointsWidget::applyPickupRanges()
{
    if (!m_session->isEditMode())
        m_editors->setRangeMultiplier(currentMultiplier().value);
}

// Every return to Inactive redraws: after a reset the values are gone and
// must show as missing, not as the previous relay's.
void SetpointsWidget::onSetpointsStateChanged(DeviceData::State currentState, DeviceData::State)
{
    if (currentState == DeviceData::Inactive)
        showSetpoints();
}

void SetpointsWidget::onModulesStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive)
        return;
    m_editors->setModules(m_modulesData ? m_modulesData->modules() : DataValue());
    // Drawn before editors may enter edit mode, which loads them from their indicators.
    showSetpoints();
    m_editors->updateAvailability(m_session);
    applyModeRules();
}

DataValue SetpointsWidget::currentMultiplier() const
{
    return m_meterageConfigurationData
        ? rangeMultiplier(m_meterageConfigurationData->configuration().currentRange)
        : DataValue();
}

void SetpointsWidget::showSetpoints()
{
    m_editors->show(
        m_setpointsData ? m_setpointsData->setpoints() : Setpoints(), currentMultiplier());
}

void SetpointsWidget::applyModeRules()
{
    // Offering the mode codes, while the editors are set up, selects one.
    if (m_editors)
        m_editors->applyRules();
}
