// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETPOINTSWIDGET_H
#define SETPOINTSWIDGET_H

#include "devicedata/devicedata.h"
#include "devicedata/relaysettings.h"
#include "devicedata/setpointsdata.h"
#include "ui/panels/fieldeditors.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class EditSession;
class MeterageConfigurationData;
class ModulesData;
class ProtectionConfigurationData;
class SettingsFingerprintView;

namespace Ui {
class SetpointsWidget;
}

// The protection setpoints of the current relay on three pages: MTZ and TO,
// ZNZ, APV. Register values are shown in engineering units, the pick-up
// currents scaled by the phase current range. Fields of absent modules show
// "-" and stay disabled; fields of a protection switched off by its mode are
// disabled too, and Set keeps the values read for every disabled field.
class SetpointsWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SetpointsWidget(QWidget *parent = nullptr);
    ~SetpointsWidget() override;

    void setMeterageConfigurationData(MeterageConfigurationData *data);
    void setSetpointsData(SetpointsData *data);
    void setModulesData(ModulesData *data);
    // For the settings fingerprint only.
    void setProtectionConfigurationData(ProtectionConfigurationData *data);

    bool isEditMode() const;
    // The settings a reader of its own read from the relay at once, for the fingerprint.
    void showSettingsRead(const SettingsValues &values);

signals:
    // The pending setpoints are set in the block; endWrite() is to report the write's end.
    void write();
    // The end of that write; a failed one leaves the panel in edit mode.
    void writeFinished(bool successful);

public slots:
    void ui_setCurrentDeviceAvailable(bool available);
    void ui_cancelEditMode();
    // The write asked for by write() ended: only a successful one ends edit mode.
    void endWrite(bool successful);

private slots:
    void on_editButton_clicked();
    void on_cancelButton_clicked();
    void on_setButton_clicked();
    void on_apvModeEnumIndicatorEditor_selectedValueChanged();
    void on_mtzModeEnumIndicatorEditor_selectedValueChanged();
    void on_toModeEnumIndicatorEditor_selectedValueChanged();
    void on_znzModeEnumIndicatorEditor_selectedValueChanged();
    void onMeterageConfigurationStateChanged(DeviceData::State state);
    void onSetpointsStateChanged(DeviceData::State currentState, DeviceData::State previousState);
    void onModulesStateChanged(DeviceData::State state);

private:
    DataValue currentMultiplier() const;
    void applyPickupRanges();
    void showSetpoints();
    void applyModeRules();

    Ui::SetpointsWidget *ui;
    EditSession *m_session;
    SettingsFingerprintView *m_fingerprint;
    std::unique_ptr<FieldEditors<Setpoints>> m_editors;
    QPointer<MeterageConfigurationData> m_meterageConfigurationData;
    QPointer<SetpointsData> m_setpointsData;
    QPointer<ModulesData> m_modulesData;
};

#endif // SETPOINTSWIDGET_H
