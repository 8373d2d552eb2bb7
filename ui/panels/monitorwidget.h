// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MONITORWIDGET_H
#define MONITORWIDGET_H

#include "devicedata/devicedata.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class NumberIndicator;
class CrashCountData;
class CrashData;
class DiscreteInputsData;
class LedsData;
class MeterageConfigurationData;
class MeterageData;
class ModulesData;
struct CrashRecord;

namespace Ui {
class MonitorWidget;
}

// The live state of the current relay: measurements, discrete inputs, LEDs,
// the crash count and the latest crash. Each group is redrawn when the block
// behind it has been read; the relay's modules decide which groups apply.
class MonitorWidget : public QWidget
{
    Q_OBJECT

public:
    explicit MonitorWidget(QWidget *parent = nullptr);
    ~MonitorWidget() override;

    void setDiscreteInputsData(DiscreteInputsData *discreteInputsData);
    void setCrashCountData(CrashCountData *crashCountData);
    void setLatestCrashData(CrashData *latestCrashData);
    void setLedsData(LedsData *ledsData);
    void setMeterageConfigurationData(MeterageConfigurationData *meterageConfigurationData);
    void setMeterageData(MeterageData *meterageData);
    void setModulesData(ModulesData *modulesData);

signals:
    void checkback();

public slots:
    void ui_setCurrentDeviceAvailable(bool available);

private slots:
    void on_checkbackButton_clicked();
    void onDiscreteInputsStateChanged(DeviceData::State state);
    void onCrashCountStateChanged(DeviceData::State state);
    void onLatestCrashStateChanged(DeviceData::State state);
    void onLedsStateChanged(DeviceData::State state);
    void onMeterageConfigurationStateChanged(DeviceData::State state);
    void onMeterageStateChanged(DeviceData::State state);
    void onModulesStateChanged(DeviceData::State state);

private:
    // A check box that mirrors one flag of a register.
    struct FlagCheckBox
    {
        QCheckBox *checkBox;
        qint64 flag;
    };

    void drawMeterage();
    void drawLatestCrash(const CrashRecord &crash);
    static void showFlags(const DataValue &flags, const QVector<FlagCheckBox> &checkBoxes);
    void uncheckDisabledIndications();
    QVector<FlagCheckBox> discreteInputCheckBoxes() const;
    QVector<FlagCheckBox> ledCheckBoxes() const;
    QList<QCheckBox *> indicationCheckBoxes() const;
    // In the order of the measurement table.
    QVector<NumberIndicator *> meterageIndicators() const;

    Ui::MonitorWidget *ui;
    QPointer<DiscreteInputsData> m_discreteInputsData;
    QPointer<CrashCountData> m_crashCountData;
    QPointer<CrashData> m_latestCrashData;
    QPointer<LedsData> m_ledsData;
    QPointer<MeterageConfigurationData> m_meterageConfigurationData;
    QPointer<MeterageData> m_meterageData;
    QPointer<ModulesData> m_modulesData;
    DataValue m_modules;
    bool m_hasCrashes = false;
};

#endif // MONITORWIDGET_H
