// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CONFIGURATIONWIDGET_H
#define CONFIGURATIONWIDGET_H

#include "devicedata/devicedata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/relaysettings.h"
#include "ui/panels/fieldeditors.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class EditSession;
class ModulesData;
class SettingsFingerprintView;
class SetpointsData;

namespace Ui {
class ConfigurationWidget;
}

// The measurement and protection configuration of the current relay: shown
// as read, edited together and written as two blocks, the measurement
// configuration first. Kt0 exists only with an earth-fault module.
class ConfigurationWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ConfigurationWidget(QWidget *parent = nullptr);
    ~ConfigurationWidget() override;

    void setMeterageConfigurationData(MeterageConfigurationData *data);
    void setProtectionConfigurationData(ProtectionConfigurationData *data);
    void setModulesData(ModulesData *data);
    // The pick-up currents, to show what a new current range makes of them.
    void setSetpointsData(SetpointsData *data);

    bool isEditMode() const;
    // The settings a reader of its own read from the relay at once, for the fingerprint.
    void showSettingsRead(const SettingsValues &values);

signals:
    // The pending values are set in both configuration blocks; endWrite() is to report the
    // write's end.
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
    void onMeterageConfigurationStateChanged(
        DeviceData::State currentState, DeviceData::State previousState);
    void onProtectionConfigurationStateChanged(
        DeviceData::State currentState, DeviceData::State previousState);
    void onModulesStateChanged(DeviceData::State state);
    void on_currentRangeEnumIndicatorEditor_selectedValueChanged();
    void onSetpointsStateChanged(DeviceData::State state);

private:
    void showMeterageConfiguration();
    void showProtectionConfiguration();
    void showRangeEffect();

    Ui::ConfigurationWidget *ui;
    EditSession *m_session;
    SettingsFingerprintView *m_fingerprint;
    std::unique_ptr<FieldEditors<MeterageConfiguration>> m_meterageEditors;
    std::unique_ptr<FieldEditors<ProtectionConfiguration>> m_protectionEditors;
    QPointer<MeterageConfigurationData> m_meterageConfigurationData;
    QPointer<ProtectionConfigurationData> m_protectionConfigurationData;
    QPointer<ModulesData> m_modulesData;
    QPointer<SetpointsData> m_setpointsData;
};

#endif // CONFIGURATIONWIDGET_H
