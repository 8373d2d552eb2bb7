// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/crashlogwidget.h"

#include "common/csvfile.h"
#include "devicedata/clearcrashlogdata.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashlogdata.h"
#include "ui/lastfolder.h"
#include "ui/panels/attachblock.h"
#include "ui_crashlogwidget.h"

#include <QDate>
#include <QMessageBox>

CrashLogWidget::CrashLogWidget(QWidget *parent) : QWidget(parent), ui(new Ui::CrashLogWidget)
{
    ui->setupUi(this);
    QHeaderView *header = ui->crashLogTreeView->header();
    header->setSectionsMovable(false);
    // The resize modes apply to existing sections only, so they are set once
    // the model has brought its columns.
    connect(header, &QHeaderView::sectionCountChanged, this,
        &CrashLogWidget::onCrashLogTreeView_sectionCountChanged);
    ui->crashCountNumberIndicator->setValue({});
}

CrashLogWidget::~CrashLogWidget()
{
    delete ui;
}

void CrashLogWidget::setClearCrashLogData(ClearCrashLogData *clearCrashLogData)
{
    attachBlock(
        m_clearCrashLogData, clearCrashLogData, this, &CrashLogWidget::onClearCrashLogStateChanged);
}

void CrashLogWidget::setCrashCountData(CrashCountData *crashCountData)
{
    attachBlock(m_crashCountData, crashCountData, this, &CrashLogWidget::onCrashCountStateChanged);
}

void CrashLogWidget::setCrashLogData(CrashLogData *crashLogData)
{
    CrashListModel *model = crashLogData ? crashLogData->crashListModel() : nullptr;
    ui->crashLogTreeView->setModel(model);
    if (model) {
        connect(
            model, &QAbstractItemModel::rowsInserted, this, &CrashLogWidget::updateExportButton);
        connect(model, &QAbstractItemModel::modelReset, this, &CrashLogWidget::updateExportButton);
    }
    updateExportButton();
    attachBlock(m_crashLogData, crashLogData, this, &CrashLogWidget::onCrashLogStateChanged);
}

void CrashLogWidget::ui_setCurrentDeviceAvailable(bool available)
{
    ui->clearButton->setEnabled(available);
    ui->refreshButton->setEnabled(available && m_hasCrashes);
}

void CrashLogWidget::on_clearButton_clicked()
{
    emit clear();
}

void CrashLogWidget::on_refreshButton_clicked()
{
    emit refresh();
}

void CrashLogWidget::on_exportButton_clicked()
{
    const QString name
        = QStringLiteral("crash-log-%1.csv").arg(QDate::currentDate().toString(Qt::ISODate));
    const QString path
        = LastFolder::askSaveFileName(this, tr("Export crash log"), name, tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    LastFolder::keepFolderOf(path);
    QString error;
    if (!exportTo(path, &error)) {
        QMessageBox::warning(this, tr("Export crash log"),
            tr("The crash log could not be written to \"%1\".\n%2").arg(path, error));
    }
}

bool CrashLogWidget::exportTo(const QString &path, QString *error) const
{
    if (!m_crashLogData)
        return false;
    return saveCsv(path, ownFields(m_crashLogData->crashListModel()->exportTable()), error);
}

void CrashLogWidget::updateExportButton()
{
    ui->exportButton->setEnabled(
        m_crashLogData && m_crashLogData->crashListModel()->rowCount() > 0);
}

void CrashLogWidget::onCrashLogTreeView_sectionCountChanged(int, int newCount)
{
    if (newCount != CrashListModel::ColumnCount)
        return;
    QHeaderView *header = ui->crashLogTreeView->header();
    header->setSectionResizeMode(CrashListModel::NumberColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(CrashListModel::TimeColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(CrashListModel::TypeColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(CrashListModel::CurrentColumn, QHeaderView::Stretch);
}

void CrashLogWidget::onClearCrashLogStateChanged(DeviceData::State state)
{
    // The relay has emptied its log (or the command failed, and the next
    // refresh brings the records back): either way the list starts afresh.
    if (state == DeviceData::Inactive && m_crashLogData)
        m_crashLogData->reset();
}

void CrashLogWidget::onCrashCountStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive || !m_crashCountData)
        return;
    const DataValue count = m_crashCountData->crashCount();
    ui->crashCountNumberIndicator->setValue({ double(count.value), count.status });
    m_hasCrashes = count.status != NoData && count.value != 0;
    ui->refreshButton->setEnabled(m_hasCrashes);
}

void CrashLogWidget::onCrashLogStateChanged(DeviceData::State state)
{
    switch (state) {
    case DeviceData::Inactive:
        ui->refreshButton->setEnabled(m_hasCrashes);
        break;
    case DeviceData::Reading:
        ui->refreshButton->setEnabled(false);
        break;
    default:
        break;
    }
}
