// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/diagnostics/trafficdockwidget.h"
#include "ui_trafficdockwidget.h"

#include "app/settings.h"
#include "common/csvfile.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/relayhealthtext.h"
#include "devicemonitor/trafficmodel.h"
#include "ui/lastfolder.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSortFilterProxyModel>

namespace {

constexpr int HealthUpdateMs = 1000;
// Lines of relay health shown without scrolling.
constexpr int HealthLinesShown = 4;

} // namespace

TrafficDockWidget::TrafficDockWidget(QWidget *parent)
    : QDockWidget(parent),
      ui(new Ui::TrafficDockWidget),
      m_model(new TrafficModel(this)),
      m_filter(new QSortFilterProxyModel(this))
{
    ui->setupUi(this);

    m_filter->setFilterRole(TrafficModel::SlaveIdRole);
    // Unfiltered, the view shows the model itself and the filter is left
    // out: it would remap ten thousand rows on every batch.

    // Ten thousand rows: every row as high as the font, no measuring of
    // contents when rows come and go.
    QHeaderView *rows = ui->trafficTableView->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    showModel(m_model);

    ui->slaveFilterComboBox->addItem(tr("All"), QVariant());

    // Follow the newest row unless the user scrolled up to read.
    QScrollBar *scrollBar = ui->trafficTableView->verticalScrollBar();
    for (QAbstractItemModel *model : { static_cast<QAbstractItemModel *>(m_model),
             static_cast<QAbstractItemModel *>(m_filter) }) {
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this, model, scrollBar] {
            if (model == shownModel())
                m_followNewest = scrollBar->value() == scrollBar->maximum();
        });
        connect(model, &QAbstractItemModel::rowsInserted, this, [this, model] {
            if (model != shownModel())
                return;
            if (m_followNewest && ui->trafficTableView->model())
                ui->trafficTableView->scrollToBottom();
            updateStatus();
        });
        connect(model, &QAbstractItemModel::rowsRemoved, this, &TrafficDockWidget::updateStatus);
        connect(model, &QAbstractItemModel::modelReset, this, &TrafficDockWidget::updateStatus);
    }
    // The status text changes all the time; at a fixed size it never makes
    // the window lay itself out again.
    ui->trafficStatusLabel->setFixedSize(
        fontMetrics().horizontalAdvance(tr("Shown: %1; paused, waiting: %2").arg(88888).arg(88888))
            + 8,
        fontMetrics().height() + 4);
    connect(m_model, &TrafficModel::slaveIdSeen, this, &TrafficDockWidget::addSlaveId);
    connect(m_model, &TrafficModel::pendingCountChanged, this, &TrafficDockWidget::updateStatus);

    m_healthTimer.setSingleShot(true);
    m_healthTimer.setInterval(HealthUpdateMs);
    connect(&m_healthTimer, &QTimer::timeout, this, &TrafficDockWidget::updateHealth);

    updateHealth();
    updateStatus();

    connect(toggleViewAction(), &QAction::triggered, this, &saveTrafficViewVisible);
}

TrafficDockWidget::~TrafficDockWidget()
{
    delete ui;
}

void TrafficDockWidget::showEvent(QShowEvent *event)
{
    QDockWidget::showEvent(event);
    showModel(m_shown);
    if (m_healthStale) {
        m_healthStale = false;
        updateHealth();
    }
}

void TrafficDockWidget::hideEvent(QHideEvent *event)
{
    QDockWidget::hideEvent(event);
    showModel(m_shown);
}

void TrafficDockWidget::closeEvent(QCloseEvent *event)
{
    saveTrafficViewVisible(false);
    QDockWidget::closeEvent(event);
}

void TrafficDockWidget::setDeviceMonitor(DeviceMonitor *monitor)
{
    connect(monitor, &DeviceMonitor::transactionFinished, m_model, &TrafficModel::addTransaction,
        Qt::QueuedConnection);
    m_devices = monitor->deviceListModel();
    m_monitor = monitor;
    // Hidden, the view only notes that its health lines are stale.
    const auto scheduleHealth = [this] {
        if (!isVisible())
            m_healthStale = true;
        else if (!m_healthTimer.isActive())
            m_healthTimer.start();
    };
    connect(m_devices, &DeviceListModel::healthChanged, this, scheduleHealth);
    connect(m_devices, &QAbstractItemModel::modelReset, this, scheduleHealth);
    connect(m_devices, &QAbstractItemModel::rowsInserted, this, scheduleHealth);
    updateHealth();
}

bool TrafficDockWidget::saveCsv(const QString &path, QString *error) const
{
    QVector<QStringList> rows { m_model->csvHeader() };
    const QAbstractItemModel *shown = shownModel();
    for (int row = 0; row < shown->rowCount(); ++row) {
        const int modelRow
            = shown == m_model ? row : m_filter->mapToSource(m_filter->index(row, 0)).row();
        rows.append(m_model->csvRow(modelRow));
    }
    return ::saveCsv(path, ownFields(rows), error);
}

void TrafficDockWidget::on_pauseTrafficButton_toggled(bool checked)
{
    m_model->setPaused(checked);
    updateStatus();
}

void TrafficDockWidget::on_clearTrafficButton_clicked()
{
    m_model->clear();
}

void TrafficDockWidget::on_saveTrafficButton_clicked()
{
    const QString path = LastFolder::askSaveFileName(
        this, tr("Save traffic"), QStringLiteral("traffic.csv"), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    LastFolder::keepFolderOf(path);
    QString error;
    if (!saveCsv(path, &error))
        QMessageBox::warning(
            this, tr("Save traffic"), tr("Couldn't save the traffic to %1: %2").arg(path, error));
}

void TrafficDockWidget::on_slaveFilterComboBox_currentIndexChanged(int index)
{
    const QVariant slaveId = ui->slaveFilterComboBox->itemData(index);
    if (slaveId.isValid()) {
        m_filter->setFilterRegularExpression(
            QRegularExpression(QStringLiteral("^%1$").arg(slaveId.toUInt())));
        if (!m_filter->sourceModel())
            m_filter->setSourceModel(m_model);
        showModel(m_filter);
    } else {
        showModel(m_model);
        m_filter->setSourceModel(nullptr);
    }
    if (m_followNewest)
        ui->trafficTableView->scrollToBottom();
    updateStatus();
}

void TrafficDockWidget::addSlaveId(uint slaveId)
{
    // Kept in ascending order after "All"; a clear does not drop them, the
    // choice made stays valid.
    QComboBox *box = ui->slaveFilterComboBox;
    if (box->findData(slaveId) >= 0)
        return;
    int at = 1;
    while (at < box->count() && box->itemData(at).toUInt() < slaveId)
        ++at;
    const QString text = slaveId == 0 ? tr("0 (all relays)") : QString::number(slaveId);
    box->insertItem(at, text, slaveId);
}

void TrafficDockWidget::updateHealth()
{
    QStringList lines;
    if (m_monitor)
        lines << RelayHealthText::lineTurnaroundText(m_monitor->turnarounds().line());
    if (m_devices) {
        for (int row = 0; row < m_devices->rowCount(); ++row) {
            const int deviceId = m_devices->deviceIdAt(row);
            lines << RelayHealthText::text(deviceId, m_devices->health(deviceId),
                RelayHealthText::OneLine, m_monitor->turnarounds().relay(deviceId));
        }
    }
    if (!m_devices || m_devices->rowCount() == 0)
        lines << tr("No relays found by the last scan.");
    const QString text = lines.join(QLatin1Char('\n'));
    if (text == ui->healthTextEdit->toPlainText())
        return;
    // A text view rather than a label: new text never makes the window lay
    // itself out again; only a new number of lines changes its height.
    const int shownLines = qMin(lines.size(), HealthLinesShown);
    const int height = shownLines * fontMetrics().lineSpacing()
        + 2 * int(ui->healthTextEdit->document()->documentMargin()) + 2;
    if (ui->healthTextEdit->minimumHeight() != height)
        ui->healthTextEdit->setFixedHeight(height);
    ui->healthTextEdit->setPlainText(text);
}

void TrafficDockWidget::showModel(QAbstractItemModel *model)
{
    m_shown = model;
    // A hidden view is given no model: it would follow every batch for
    // nothing. It gets one when shown.
    QAbstractItemModel *attached = isVisible() ? model : nullptr;
    if (ui->trafficTableView->model() == attached)
        return;
    ui->trafficTableView->setModel(attached);
    if (!attached)
        return;
    // A new model brings new columns: their widths are set again.
    QHeaderView *columns = ui->trafficTableView->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionResizeMode(TrafficModel::ResultColumn, QHeaderView::Stretch);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    columns->resizeSection(TrafficModel::TimeColumn, 14 * digit);
    columns->resizeSection(TrafficModel::SlaveColumn, 8 * digit);
    columns->resizeSection(TrafficModel::FunctionColumn, 26 * digit);
    columns->resizeSection(TrafficModel::AddressColumn, 8 * digit);
    columns->resizeSection(TrafficModel::CountColumn, 7 * digit);
    ui->trafficTableView->scrollToBottom();
    m_followNewest = true;
}

QAbstractItemModel *TrafficDockWidget::shownModel() const
{
    return m_shown;
}

void TrafficDockWidget::updateStatus()
{
    const int shown = shownModel()->rowCount();
    if (m_model->isPaused())
        ui->trafficStatusLabel->setText(
            tr("Shown: %1; paused, waiting: %2")
                .arg(shown)
                .arg(qMin(m_model->pendingCount(), m_model->capacity())));
    else
        ui->trafficStatusLabel->setText(tr("Shown: %1").arg(shown));
}
