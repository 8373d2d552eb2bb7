// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/setpointswidget.h"
#include "ui_setpointswidget.h"

#include "devicedata/codeconversions.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/valueranges.h"
#include "ui/editorvalues.h"
#include "ui/editsession.h"

namespace {

struct NumberField
{
    NumberIndicatorEditor *Ui::SetpointsWidget::*editor;
    DataValue Setpoints::*field;
    ValueRange range;
    const char *suffix;
    // Pick-up currents are in steps of the range multiplier times the row's step.
    bool scaled;
};

const NumberField numberFields[] = {
    { &Ui::SetpointsWidget::mtzPickupCurrentIndicatorEditor, &Setpoints::mtzPickupCurrent,
        ValueRanges::mtzPickupCurrent, QT_TRANSLATE_NOOP("SetpointsWidget", " A"), true },
    { &Ui::SetpointsWidget::mtzReactionDelayIndicatorEditor, &Setpoints::mtzReactionDelay,
        ValueRanges::mtzReactionDelay, QT_TRANSLATE_NOOP("SetpointsWidget", " sec"), false },
    { &Ui::SetpointsWidget::toPickupCurrentIndicatorEditor, &Setpoints::toPickupCurrent,
        ValueRanges::toPickupCurrent, QT_TRANSLATE_NOOP("SetpointsWidget", " A"), true },
    { &Ui::SetpointsWidget::toReactionDelayIndicatorEditor, &Setpoints::toReactionDelay,
        ValueRanges::toReactionDelay, QT_TRANSLATE_NOOP("SetpointsWidget", " sec"), false },
    { &Ui::SetpointsWidget::mtzToResettingDelayIndicatorEditor, &Setpoints::mtzToResettingDelay,
        ValueRanges::mtzToResettingDelay, QT_TRANSLATE_NOOP("SetpointsWidget", " sec"), false },
    { &Ui::SetpointsWidget::znzPickupCurrentIndicatorEditor, &Setpoints::znzPickupCurrent,
        ValueRanges::znzPickupCurrent, QT_TRANSLATE_NOOP("SetpointsWidget", " A"), false },
    { &Ui::SetpointsWidget::znzPickupVoltageIndicatorEditor, &Setpoints::znzPickupVoltage,
        ValueRanges::znzPickupVoltage, QT_TRANSLATE_NOOP("SetpointsWidget", " V"), false },
    { &Ui::SetpointsWidget::znz3I03U0FirstAngleIndicatorEditor, &Setpoints::znz3I03U0FirstAngle,
        ValueRanges::znz3I03U0Angle, QT_TRANSLATE_NOOP("SetpointsWidget", " °"), false },
    { &Ui::SetpointsWidget::znz3I03U0LastAngleIndicatorEditor, &Setpoints::znz3I03U0LastAngle,
        ValueRanges::znz3I03U0Angle, QT_TRANSLATE_NOOP("SetpointsWidget", " °"), false },
    { &Ui::SetpointsWidget::znzReactionDelayIndicatorEditor, &Setpoints::znzReactionDelay,
        ValueRanges::znzReactionDelay, QT_TRANSLATE_NOOP("SetpointsWidget", " sec"), false },
    { &Ui::SetpointsWidget::apvReadinessDelayIndicatorEditor, &Setpoints::apvReadinessDelay,
        ValueRanges::apvReadinessDelay, QT_TRANSLATE_NOOP("SetpointsWidget", " sec"), false },
    { &Ui::SetpointsWidget::apvReactionDelay1stIndicatorEditor, &Setpoints::apvReactionDelay1st,
        ValueRanges::apvReactionDelay1st, QT_TRANSLATE_NOOP("SetpointsWidget", " sec"), false },
    { &Ui::SetpointsWidget::apvReactionDelay2ndIndicatorEditor, &Setpoints::apvReactionDelay2nd,
        ValueRanges::apvReactionDelay2nd, QT_TRANSLATE_NOOP("SetpointsWidget", " sec"), false },
};

struct EnumField
{
    EnumIndicatorEditor *Ui::SetpointsWidget::*editor;
    DataValue Setpoints::*field;
};

const EnumField enumFields[] = {
    { &Ui::SetpointsWidget::mtzModeEnumIndicatorEditor, &Setpoints::mtzMode },
    { &Ui::SetpointsWidget::mtzPickupCharacteristicEnumIndicatorEditor,
        &Setpoints::mtzPickupCharacteristic },
    { &Ui::SetpointsWidget::toModeEnumIndicatorEditor, &Setpoints::toMode },
    { &Ui::SetpointsWidget::znzModeEnumIndicatorEditor, &Setpoints::znzMode },
    { &Ui::SetpointsWidget::apvModeEnumIndicatorEditor, &Setpoints::apvMode },
};

struct CodeItem
{
    qint64 code;
    const char *text;
};

const CodeItem characteristicItems[] = {
    { 1, QT_TRANSLATE_NOOP("SetpointsWidget", "independent") },
    { 2, QT_TRANSLATE_NOOP("SetpointsWidget", "normally inverse") },
    { 3, QT_TRANSLATE_NOOP("SetpointsWidget", "strongly inverse") },
    { 4, QT_TRANSLATE_NOOP("SetpointsWidget", "sharp") },
    { 5, QT_TRANSLATE_NOOP("SetpointsWidget", "flat") },
};

const CodeItem znzModeItems[] = {
    { 0, QT_TRANSLATE_NOOP("SetpointsWidget", "3I0") },
    { 1, QT_TRANSLATE_NOOP("SetpointsWidget", "3I0 & 3U0") },
    { 2, QT_TRANSLATE_NOOP("SetpointsWidget", "3I0 & 3U0 -->") },
};

const CodeItem apvModeItems[] = {
    { 1, QT_TRANSLATE_NOOP("SetpointsWidget", "single") },
    { 2, QT_TRANSLATE_NOOP("SetpointsWidget", "double") },
};

// The mode codes the enabling rules look for.
constexpr qint64 ProtectionOn = 1;
constexpr qint64 ZnzWithVoltage = 1; // "3I0 & 3U0"
constexpr qint64 ZnzDirectional = 2; // "3I0 & 3U0 -->"
constexpr qint64 ApvDouble = 2;

template<size_t N>
void addItems(EnumIndicatorEditor *editor, const CodeItem (&items)[N])
{
    for (const CodeItem &item : items)
        editor->addItem(item.code, SetpointsWidget::tr(item.text));
}

bool isMode(const DataValue &mode, qint64 code)
{
    return mode.status != NoData && mode.value == code;
}

// The mode the rules go by: the user's choice while editing, the relay's otherwise.
DataValue shownMode(const EnumIndicatorEditor *editor)
{
    return editor->isEditMode() ? editor->selectedValue() : editor->value();
}

void setRowEnabled(QWidget *label, QWidget *editor, bool enabled)
{
    label->setEnabled(enabled);
    editor->setEnabled(enabled);
}

DoubleValue shownPickupCurrent(const DataValue &raw, const DataValue &multiplier, double step)
{
    const DataStatus status = combinedStatus({ raw.status, multiplier.status });
    if (status == NoData)
        return { 0.0, NoData };
    return { double(raw.value * multiplier.value) * step, status };
}

} // namespace

SetpointsWidget::SetpointsWidget(QWidget *parent) : QWidget(parent), ui(new Ui::SetpointsWidget)
{
    ui->setupUi(this);
    m_session = new EditSession(ui->editButton, ui->cancelButton, ui->setButton, this);
    connect(m_session, &EditSession::writeFinished, this, &SetpointsWidget::writeFinished);
    // Leaving edit mode, the rules go back to the modes the relay holds, and
    // the pick-up ranges follow a current range that changed meanwhile.
    connect(m_session, &EditSession::editModeChanged, this, &SetpointsWidget::applyModeRules);
    connect(m_session, &EditSession::editModeChanged, this, &SetpointsWidget::applyPickupRanges);

    addCodeItems(ui->mtzModeEnumIndicatorEditor, onOffCodes(), onOffText);
    addCodeItems(ui->toModeEnumIndicatorEditor, onOffCodes(), onOffText);
    addItems(ui->mtzPickupCharacteristicEnumIndicatorEditor, characteristicItems);
    addItems(ui->znzModeEnumIndicatorEditor, znzModeItems);
    addItems(ui->apvModeEnumIndicatorEditor, apvModeItems);
    for (const NumberField &field : numberFields) {
        (ui->*field.editor)->setRange(field.range);
        (ui->*field.editor)->setSuffix(tr(field.suffix));
    }

    m_session->addEditors({ ui->mtzModeEnumIndicatorEditor, ui->mtzPickupCurrentIndicatorEditor,
        ui->mtzPickupCharacteristicEnumIndicatorEditor, ui->mtzReactionDelayIndicatorEditor,
        ui->toModeEnumIndicatorEditor, ui->toPickupCurrentIndicatorEditor,
        ui->toReactionDelayIndicatorEditor, ui->mtzToResettingDelayIndicatorEditor,
        ui->znzModeEnumIndicatorEditor, ui->znzPickupCurrentIndicatorEditor,
        ui->znzPickupVoltageIndicatorEditor, ui->znz3I03U0FirstAngleIndicatorEditor,
        ui->znz3I03U0LastAngleIndicatorEditor, ui->znzReactionDelayIndicatorEditor,
        ui->apvModeEnumIndicatorEditor, ui->apvReadinessDelayIndicatorEditor,
        ui->apvReactionDelay1stIndicatorEditor, ui->apvReactionDelay2ndIndicatorEditor });
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
    if (m_meterageConfigurationData) {
        disconnect(m_meterageConfigurationData, &DeviceData::stateChanged, this,
            &SetpointsWidget::onMeterageConfigurationStateChanged);
    }
    m_meterageConfigurationData = data;
    if (data) {
        connect(data, &DeviceData::stateChanged, this,
            &SetpointsWidget::onMeterageConfigurationStateChanged);
        m_session->addSourceBlock(data);
        onMeterageConfigurationStateChanged(data->state());
    }
}

void SetpointsWidget::setSetpointsData(SetpointsData *data)
{
    if (m_setpointsData) {
        disconnect(m_setpointsData, &DeviceData::stateChanged, this,
            &SetpointsWidget::onSetpointsStateChanged);
    }
    m_setpointsData = data;
    if (data) {
        connect(data, &DeviceData::stateChanged, this, &SetpointsWidget::onSetpointsStateChanged);
        m_session->addSourceBlock(data);
    }
    showSetpoints();
}

void SetpointsWidget::setModulesData(ModulesData *data)
{
    if (m_modulesData) {
        disconnect(m_modulesData, &DeviceData::stateChanged, this,
            &SetpointsWidget::onModulesStateChanged);
    }
    m_modulesData = data;
    if (data) {
        connect(data, &DeviceData::stateChanged, this, &SetpointsWidget::onModulesStateChanged);
        m_session->addSourceBlock(data);
        onModulesStateChanged(data->state());
    }
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

void SetpointsWidget::on_setButton_clicked()
{
    if (!m_setpointsData || !m_session->acceptsSet())
        return;

    // What the relay reported last, with the editors' values on top. A
    // disabled field belongs to an absent module or to a protection that is
    // switched off: it keeps the value read, also when a failed write is
    // tried again.
    Setpoints setpoints = m_setpointsData->setpoints();
    for (const EnumField &field : enumFields) {
        const EnumIndicatorEditor *editor = ui->*field.editor;
        if (editor->isEnabledTo(this))
            takeSelectedCode(setpoints.*field.field, editor);
    }
    for (const NumberField &field : numberFields) {
        const NumberIndicatorEditor *editor = ui->*field.editor;
        if (!editor->isEnabledTo(this))
            continue;
        if (!field.scaled)
            takeSelectedSteps(setpoints.*field.field, editor, field.range.step);
        // Without a known current range a pick-up current cannot be converted.
        else if (m_rangeMultiplier > 0)
            takeSelectedSteps(setpoints.*field.field, editor, field.range.step * m_rangeMultiplier);
    }
    m_setpointsData->setNewSetpoints(setpoints);

    m_session->watchWrite({ m_setpointsData });
    emit write();
}

void SetpointsWidget::on_apvModeEnumIndicatorEditor_selectedValueChanged()
{
    applyApvRule();
}

void SetpointsWidget::on_mtzModeEnumIndicatorEditor_selectedValueChanged()
{
    applyMtzToRule();
}

void SetpointsWidget::on_toModeEnumIndicatorEditor_selectedValueChanged()
{
    applyMtzToRule();
}

void SetpointsWidget::on_znzModeEnumIndicatorEditor_selectedValueChanged()
{
    applyZnzRule();
}

void SetpointsWidget::onMeterageConfigurationStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive)
        return;
    applyPickupRanges();
    showSetpoints();
}

// Setting a range rewrites the spin box's text: done only when the current
// range changed, and never under the user's cursor. The spin boxes keep the
// range they were loaded with until edit mode ends, and Set converts with it.
void SetpointsWidget::applyPickupRanges()
{
    const qint64 multiplier = currentMultiplier().value;
    if (m_session->isEditMode() || multiplier == m_rangeMultiplier)
        return;
    m_rangeMultiplier = multiplier;
    ui->mtzPickupCurrentIndicatorEditor->setRange(ValueRanges::mtzPickupCurrent.scaled(multiplier));
    ui->toPickupCurrentIndicatorEditor->setRange(ValueRanges::toPickupCurrent.scaled(multiplier));
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
    const DataValue modules = m_modulesData ? m_modulesData->modules() : DataValue();
    const qint64 flags = modules.status == NoData ? 0 : modules.value;
    m_apvInstalled = flags & ModuleApv;
    m_znz3I0Installed = flags & ModuleZnz3I0;
    m_znz3U0Installed = flags & ModuleZnz3U0;

    // Drawn before editors may enter edit mode, which loads them from their indicators.
    showSetpoints();
    m_session->setEditorsAvailable(
        { ui->znzModeEnumIndicatorEditor, ui->znzPickupVoltageIndicatorEditor,
            ui->znz3I03U0FirstAngleIndicatorEditor, ui->znz3I03U0LastAngleIndicatorEditor },
        m_znz3U0Installed);
    m_session->setEditorsAvailable(
        { ui->znzPickupCurrentIndicatorEditor, ui->znzReactionDelayIndicatorEditor },
        m_znz3I0Installed || m_znz3U0Installed);
    m_session->setEditorsAvailable(
        { ui->apvModeEnumIndicatorEditor, ui->apvReadinessDelayIndicatorEditor,
            ui->apvReactionDelay1stIndicatorEditor, ui->apvReactionDelay2ndIndicatorEditor },
        m_apvInstalled);
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
    Setpoints setpoints = m_setpointsData ? m_setpointsData->setpoints() : Setpoints();
    // Values of a module the relay lacks mean nothing.
    if (!m_apvInstalled) {
        setpoints.apvMode = setpoints.apvReadinessDelay = setpoints.apvReactionDelay1st
            = setpoints.apvReactionDelay2nd = DataValue();
    }
    if (!m_znz3U0Installed) {
        setpoints.znzMode = setpoints.znzPickupVoltage = setpoints.znz3I03U0FirstAngle
            = setpoints.znz3I03U0LastAngle = DataValue();
    }
    if (!m_znz3I0Installed && !m_znz3U0Installed)
        setpoints.znzPickupCurrent = setpoints.znzReactionDelay = DataValue();

    for (const EnumField &field : enumFields)
        (ui->*field.editor)->setValue(setpoints.*field.field);
    const DataValue multiplier = currentMultiplier();
    for (const NumberField &field : numberFields) {
        const DataValue &raw = setpoints.*field.field;
        (ui->*field.editor)
            ->setValue(field.scaled ? shownPickupCurrent(raw, multiplier, field.range.step)
                                    : shownValue(raw, field.range.step));
    }
    applyModeRules();
}

void SetpointsWidget::applyModeRules()
{
    applyMtzToRule();
    applyZnzRule();
    applyApvRule();
}

void SetpointsWidget::applyMtzToRule()
{
    const bool mtzOn = isMode(shownMode(ui->mtzModeEnumIndicatorEditor), ProtectionOn);
    const bool toOn = isMode(shownMode(ui->toModeEnumIndicatorEditor), ProtectionOn);
    setRowEnabled(
        ui->mtzPickupCharacteristicLabel, ui->mtzPickupCharacteristicEnumIndicatorEditor, mtzOn);
    setRowEnabled(ui->mtzReactionDelayLabel, ui->mtzReactionDelayIndicatorEditor, mtzOn);
    setRowEnabled(ui->toPickupCurrentLabel, ui->toPickupCurrentIndicatorEditor, toOn);
    setRowEnabled(ui->toReactionDelayLabel, ui->toReactionDelayIndicatorEditor, toOn);
    setRowEnabled(
        ui->mtzToResettingDelayLabel, ui->mtzToResettingDelayIndicatorEditor, mtzOn || toOn);
}

void SetpointsWidget::applyZnzRule()
{
    const bool znzInstalled = m_znz3I0Installed || m_znz3U0Installed;
    setRowEnabled(ui->znzPickupCurrentLabel, ui->znzPickupCurrentIndicatorEditor, znzInstalled);
    setRowEnabled(ui->znzReactionDelayLabel, ui->znzReactionDelayIndicatorEditor, znzInstalled);
    setRowEnabled(ui->znzModeLabel, ui->znzModeEnumIndicatorEditor, m_znz3U0Installed);

    const DataValue mode = shownMode(ui->znzModeEnumIndicatorEditor);
    const bool directional = m_znz3U0Installed && isMode(mode, ZnzDirectional);
    const bool voltage = directional || (m_znz3U0Installed && isMode(mode, ZnzWithVoltage));
    setRowEnabled(ui->znzPickupVoltageLabel, ui->znzPickupVoltageIndicatorEditor, voltage);
    setRowEnabled(
        ui->znz3I03U0FirstAngleLabel, ui->znz3I03U0FirstAngleIndicatorEditor, directional);
    setRowEnabled(ui->znz3I03U0LastAngleLabel, ui->znz3I03U0LastAngleIndicatorEditor, directional);
}

void SetpointsWidget::applyApvRule()
{
    const bool doubleShot
        = m_apvInstalled && isMode(shownMode(ui->apvModeEnumIndicatorEditor), ApvDouble);
    setRowEnabled(ui->apvModeLabel, ui->apvModeEnumIndicatorEditor, m_apvInstalled);
    setRowEnabled(ui->apvReadinessDelayLabel, ui->apvReadinessDelayIndicatorEditor, m_apvInstalled);
    setRowEnabled(
        ui->apvReactionDelay1stLabel, ui->apvReactionDelay1stIndicatorEditor, m_apvInstalled);
    setRowEnabled(ui->apvReactionDelay2ndLabel, ui->apvReactionDelay2ndIndicatorEditor, doubleShot);
}
