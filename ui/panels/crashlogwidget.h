// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CRASHLOGWIDGET_H
#define CRASHLOGWIDGET_H

#include "devicedata/devicedata.h"

#include <QPointer>
#include <QWidget>

class ClearCrashLogData;
class CrashCountData;
class CrashLogData;

namespace Ui {
class CrashLogWidget;
}

// The crash records stored by the relay, with its total crash count. Reading
// and clearing the log are left to the main window; the panel only asks.
class CrashLogWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CrashLogWidget(QWidget *parent = nullptr);
    ~CrashLogWidget() override;

    void setClearCrashLogData(ClearCrashLogData *clearCrashLogData);
    void setCrashCountData(CrashCountData *crashCountData);
    void setCrashLogData(CrashLogData *crashLogData);

    // Writes the list as a CSV file; false, with the reason, if it could not.
    bool exportTo(const QString &path, QString *error) const;

signals:
    void clear();
    void refresh();

public slots:
    void ui_setCurrentDeviceAvailable(bool available);

private slots:
    void on_clearButton_clicked();
    void on_refreshButton_clicked();
    void on_exportButton_clicked();
    void onCrashLogTreeView_sectionCountChanged(int oldCount, int newCount);
    void onClearCrashLogStateChanged(DeviceData::State state);
    void onCrashCountStateChanged(DeviceData::State state);
    void onCrashLogStateChanged(DeviceData::State state);

private:
    void updateExportButton();

    Ui::CrashLogWidget *ui;
    QPointer<ClearCrashLogData> m_clearCrashLogData;
    QPointer<CrashCountData> m_crashCountData;
    QPointer<CrashLogData> m_crashLogData;
    bool m_hasCrashes = false;
};

#endif // CRASHLOGWIDGET_H
