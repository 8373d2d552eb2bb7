// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/monitorwidget.h"

#include "devicedata/codeconversions.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashdata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meterageconversions.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "ui/indicators/inputeventfilter.h"
#include "ui/panels/attachblock.h"
#include "ui/panels/meteragetrendwidget.h"
#include "ui/statusstyle.h"
#include "ui_monitorwidget.h"

#include <QDateTime>
#include <QLocale>
#include <QScrollArea>
#include <QVBoxLayout>

MonitorWidget::MonitorWidget(QWidget *parent) : QWidget(parent), ui(new Ui::MonitorWidget)
{
    // The panel is taller than a 1366 x 768 laptop leaves it: its form
    // scrolls, and the window's device info, modules and clock stay in view.
    auto *form = new QWidget;
    ui->setupUi(form);
    form->setObjectName(QStringLiteral("monitorForm"));
    auto *formArea = new QScrollArea(this);
    formArea->setFrameShape(QFrame::NoFrame);
    formArea->setWidgetResizable(true);
    formArea->setWidget(form);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(formArea);
    QMetaObject::connectSlotsByName(this);

    // The check boxes mirror the relay; the form also undoes any click that
    // slips through.
    auto *inputEventFilter = new InputEventFilter(this);
    const QList<QCheckBox *> checkBoxes = indicationCheckBoxes();
    for (QCheckBox *checkBox : checkBoxes)
        checkBox->installEventFilter(inputEventFilter);

    const QVector<qint64> crashTypes = CodeTables::crashType.codes();
    for (qint64 code : crashTypes)
        ui->latestCrashTypeEnumIndicator->setItemText(code, crashTypeText(validValue(code)));

    for (CurrentIndicator *indicator : { ui->phaseACurrentIndicator, ui->phaseCCurrentIndicator }) {
        indicator->setUnitRange(CurrentIndicator::Amperes, UnitRanges::livePhaseCurrentAmperes);
        indicator->setUnitRange(
            CurrentIndicator::Kiloamperes, UnitRanges::livePhaseCurrentKiloamperes);
    }
    ui->zeroCurrentIndicator->setUnitRange(
        CurrentIndicator::Amperes, UnitRanges::liveZeroCurrentAmperes);
    ui->zeroCurrentIndicator->setUnitRange(
        CurrentIndicator::Kiloamperes, UnitRanges::liveZeroCurrentKiloamperes);
    // Decimals and units from the measurement table; the currents' units are
    // the current indicators' own.
    const QVector<NumberIndicator *> indicators = meterageIndicators();
    int index = 0;
    for (const Field<Meterage> &field : meterageFields()) {
        NumberIndicator *indicator = indicators.at(index++);
        indicator->setDecimals(field.description.range.decimals);
        if (!field.description.unit.isNull())
            indicator->setSuffix(field.description.unit.translated());
    }
    // Nothing is known before the first read.
    for (NumberIndicator *indicator : indicators)
        indicator->setValue({});
    ui->crashCountNumberIndicator->setValue({});
    drawLatestCrash(CrashRecord());
}

MonitorWidget::~MonitorWidget()
{
    delete ui;
}

void MonitorWidget::setDiscreteInputsData(DiscreteInputsData *discreteInputsData)
{
    attachBlock(m_discreteInputsData, discreteInputsData, this,
        &MonitorWidget::onDiscreteInputsStateChanged);
}

void MonitorWidget::setCrashCountData(CrashCountData *crashCountData)
{
    attachBlock(m_crashCountData, crashCountData, this, &MonitorWidget::onCrashCountStateChanged);
}

void MonitorWidget::setLatestCrashData(CrashData *latestCrashData)
{
    attachBlock(
        m_latestCrashData, latestCrashData, this, &MonitorWidget::onLatestCrashStateChanged);
}

void MonitorWidget::setLedsData(LedsData *ledsData)
{
    attachBlock(m_ledsData, ledsData, this, &MonitorWidget::onLedsStateChanged);
}

void MonitorWidget::setMeterageConfigurationData(
    MeterageConfigurationData *meterageConfigurationData)
{
    attachBlock(m_meterageConfigurationData, meterageConfigurationData, this,
        &MonitorWidget::onMeterageConfigurationStateChanged);
}

void MonitorWidget::setMeterageData(MeterageData *meterageData)
{
    attachBlock(m_meterageData, meterageData, this, &MonitorWidget::onMeterageStateChanged);
}

void MonitorWidget::setModulesData(ModulesData *modulesData)
{
    attachBlock(m_modulesData, modulesData, this, &MonitorWidget::onModulesStateChanged);
}

void MonitorWidget::ui_setCurrentDeviceAvailable(bool available)
{
    ui->checkbackButton->setEnabled(available);
}

void MonitorWidget::on_checkbackButton_clicked()
{
    emit checkback();
}

void MonitorWidget::onDiscreteInputsStateChanged(DeviceData::State state)
{
    if (state == DeviceData::Inactive && m_discreteInputsData)
        showFlags(m_discreteInputsData->discreteInputs(), discreteInputCheckBoxes());
}

void MonitorWidget::onCrashCountStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive || !m_crashCountData)
        return;
    const DataValue count = m_crashCountData->crashCount();
    ui->crashCountNumberIndicator->setValue({ double(count.value), count.status });
    // A relay that counts crashes keeps its latest one; that is drawn when its
    // own block has been read.
    m_hasCrashes = count.value != 0;
    if (!m_hasCrashes)
        drawLatestCrash(CrashRecord());
}

void MonitorWidget::onLatestCrashStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive || !m_latestCrashData)
        return;
    // Without crashes the relay's crash registers hold leftovers, not a crash.
    drawLatestCrash(m_hasCrashes ? m_latestCrashData->crash() : CrashRecord());
}

void MonitorWidget::onLedsStateChanged(DeviceData::State state)
{
    if (state == DeviceData::Inactive && m_ledsData)
        showFlags(m_ledsData->leds(), ledCheckBoxes());
}

void MonitorWidget::onMeterageConfigurationStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive || !m_meterageData
        || m_meterageData->state() != DeviceData::Inactive)
        return;
    drawMeterage();
}

void MonitorWidget::onMeterageStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive)
        return;
    drawMeterage();
    // One trend sample per read of the block, as the indicators show it; a
    // failed read is a gap.
    if (m_meterageData && m_meterageConfigurationData)
        ui->meterageTrendWidget->addSample(QDateTime::currentMSecsSinceEpoch(),
            { ui->phaseACurrentIndicator->value(), ui->phaseCCurrentIndicator->value(),
                ui->zeroCurrentIndicator->value(), ui->zeroVoltageNumberIndicator->value() });
}

void MonitorWidget::onModulesStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive || !m_modulesData)
        return;
    m_modules = m_modulesData->modules();
    const qint64 flags = m_modules.status == NoData ? 0 : m_modules.value;
    const bool apv = flags & ModuleApv;
    ui->discreteInputAChR->setEnabled(apv);
    ui->discreteInputRpv->setEnabled(apv);
    ui->ledApvReady->setEnabled(apv);
    const bool ind = flags & ModuleInd;
    ui->discreteInputSis->setEnabled(ind);
    ui->ledsGroupBox->setEnabled(ind);
    uncheckDisabledIndications();
    // Registers of a module the relay lacks carry no measurement.
    const QVector<NumberIndicator *> indicators = meterageIndicators();
    int index = 0;
    for (const Field<Meterage> &field : meterageFields()) {
        NumberIndicator *indicator = indicators.at(index++);
        const bool installed = field.description.isInstalled(m_modules);
        findChild<QWidget *>(QLatin1String(field.description.name) + QLatin1String("Label"))
            ->setEnabled(installed);
        indicator->setEnabled(installed);
        if (!installed)
            indicator->setValue({});
    }
}

void MonitorWidget::drawMeterage()
{
    if (!m_meterageData || !m_meterageConfigurationData)
        return;
    Meterage meterage = m_meterageData->meterage();
    for (const Field<Meterage> &field : meterageFields()) {
        if (!field.description.isInstalled(m_modules))
            meterage.*field.member = {};
    }
    const MeterageConfiguration &configuration = m_meterageConfigurationData->configuration();
    ui->phaseACurrentIndicator->setValue(phaseCurrent(
        meterage.phaseACurrent, configuration.currentRange, configuration.currentTransFactor));
    ui->phaseCCurrentIndicator->setValue(phaseCurrent(
        meterage.phaseCCurrent, configuration.currentRange, configuration.currentTransFactor));
    ui->zeroCurrentIndicator->setValue(
        zeroCurrent(meterage.zeroCurrent, configuration.zeroCurrentTransFactor));
    ui->zeroVoltageNumberIndicator->setValue(zeroVoltage(meterage.zeroVoltage));
    ui->zeroCurrentZeroVoltageAngleNumberIndicator->setValue(
        zeroCurrentZeroVoltageAngle(meterage.zeroCurrentZeroVoltageAngle));
}

void MonitorWidget::drawLatestCrash(const CrashRecord &crash)
{
    // A crash without a recorded current keeps the format of the last one that had one.
    const CrashCurrent current = crashCurrent(crash);
    if (current.recorded) {
        ui->latestCrashCurrentIndicator->setDecimals(current.decimals);
        ui->latestCrashCurrentIndicator->setUnitRange(
            CurrentIndicator::Amperes, current.amperesUnit);
        ui->latestCrashCurrentIndicator->setUnitRange(
            CurrentIndicator::Kiloamperes, current.kiloamperesUnit);
    }
    ui->latestCrashTypeEnumIndicator->setValue(crash.crashType);
    setLabelValue(ui->latestCrashTimeValue, crash.crashTime.status,
        QLocale::system().toString(crash.crashTime.value, QLocale::ShortFormat));
    ui->latestCrashCurrentIndicator->setValue(current.amperes);
}

void MonitorWidget::uncheckDisabledIndications()
{
    const QList<QCheckBox *> checkBoxes = indicationCheckBoxes();
    for (QCheckBox *checkBox : checkBoxes) {
        if (!checkBox->isEnabled())
            checkBox->setChecked(false);
    }
}

QVector<NumberIndicator *> MonitorWidget::meterageIndicators() const
{
    return { ui->phaseACurrentIndicator, ui->phaseCCurrentIndicator, ui->zeroCurrentIndicator,
        ui->zeroVoltageNumberIndicator, ui->zeroCurrentZeroVoltageAngleNumberIndicator };
}

void MonitorWidget::showFlags(const DataValue &flags, const QVector<FlagCheckBox> &checkBoxes)
{
    for (const FlagCheckBox &entry : checkBoxes)
        setCheckValue(entry.checkBox, flags.status, flags.value & entry.flag);
}

QVector<MonitorWidget::FlagCheckBox> MonitorWidget::discreteInputCheckBoxes() const
{
    return { { ui->discreteInputBlockTo, DiBlockTo }, { ui->discreteInputRpv, DiRpv },
        { ui->discreteInputAChR, DiAChR }, { ui->discreteInputSis, DiSis } };
}

QVector<MonitorWidget::FlagCheckBox> MonitorWidget::ledCheckBoxes() const
{
    return { { ui->ledAChR, LedAChR }, { ui->ledApv, LedApv }, { ui->ledApvReady, LedApvReady },
        { ui->ledMtz, LedMtz }, { ui->ledTo, LedTo }, { ui->ledZnz, LedZnz } };
}

QList<QCheckBox *> MonitorWidget::indicationCheckBoxes() const
{
    const QVector<FlagCheckBox> all = discreteInputCheckBoxes() + ledCheckBoxes();
    QList<QCheckBox *> checkBoxes;
    for (const FlagCheckBox &entry : all)
        checkBoxes.append(entry.checkBox);
    return checkBoxes;
}
