// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TRAFFICDOCKWIDGET_H
#define TRAFFICDOCKWIDGET_H

#include <QDockWidget>
#include <QTimer>

class DeviceListModel;
class DeviceMonitor;
class QAbstractItemModel;
class QSortFilterProxyModel;
class TrafficModel;

namespace Ui {
class TrafficDockWidget;
}

// The traffic view: the latest transactions on the line, newest at the
// bottom, with the line's turnaround and the health of each listed relay
// above them. The table follows
// the newest row unless the user has scrolled away from the bottom. Whether
// the user shows it (its toggle action) or closes it is remembered for the
// next start; closing the main window, which hides it too, is not a choice.
class TrafficDockWidget : public QDockWidget
{
    Q_OBJECT

public:
    explicit TrafficDockWidget(QWidget *parent = nullptr);
    ~TrafficDockWidget() override;

    // Feeds the view from the monitor's transactions and its device list.
    void setDeviceMonitor(DeviceMonitor *monitor);
    TrafficModel *trafficModel() const { return m_model; }

    // The rows the filter lets through, as CSV; false with a reason on failure.
    bool saveCsv(const QString &path, QString *error = nullptr) const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_pauseTrafficButton_toggled(bool checked);
    void on_clearTrafficButton_clicked();
    void on_saveTrafficButton_clicked();
    void on_slaveFilterComboBox_currentIndexChanged(int index);

private:
    void showModel(QAbstractItemModel *model);
    QAbstractItemModel *shownModel() const;
    void addSlaveId(uint slaveId);
    void updateHealth();
    void updateStatus();

    Ui::TrafficDockWidget *ui;
    TrafficModel *m_model;
    QSortFilterProxyModel *m_filter;
    DeviceListModel *m_devices = nullptr;
    const DeviceMonitor *m_monitor = nullptr;
    // The health lines change with every transaction; they are redrawn at
    // most this often.
    QTimer m_healthTimer;
    // What the table shows while the view is visible: the model, or the
    // filter over it.
    QAbstractItemModel *m_shown = nullptr;
    bool m_healthStale = false;
    bool m_followNewest = true;
};

#endif // TRAFFICDOCKWIDGET_H
