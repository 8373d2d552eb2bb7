// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/diagnostics/journaldialog.h"

#include "devicedata/relaysettings.h"
#include "devicemonitor/journalcsv.h"
#include "devicemonitor/journalmodel.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalsync.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int ReloadDelayMs = 200;

} // namespace

JournalDialog::JournalDialog(const JournalStore *store, QWidget *parent)
    : QDialog(parent),
      m_model(new JournalModel(store, this)),
      m_serialEdit(new QLineEdit(this)),
      m_fromCheck(new QCheckBox(tr("From"), this)),
      m_fromEdit(new QDateEdit(QDate::currentDate(), this)),
      m_toCheck(new QCheckBox(tr("To"), this)),
      m_toEdit(new QDateEdit(QDate::currentDate(), this)),
      m_entriesView(new QTableView(this)),
      m_registersTable(new QTableWidget(0, 6, this)),
      m_exportButton(new QPushButton(tr("Export CSV…"), this)),
      m_teamJournalLabel(new QLabel(this)),
      m_reloadTimer(new QTimer(this))
{
    setWindowTitle(tr("Journal"));
    setObjectName(QStringLiteral("JournalDialog"));
    m_serialEdit->setObjectName(QStringLiteral("serialEdit"));
    m_serialEdit->setPlaceholderText(tr("every relay"));
    m_serialEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,10}")), m_serialEdit));
    for (QDateEdit *edit : { m_fromEdit, m_toEdit }) {
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
    }
    m_fromEdit->setObjectName(QStringLiteral("fromEdit"));
    m_toEdit->setObjectName(QStringLiteral("toEdit"));
    m_fromCheck->setObjectName(QStringLiteral("fromCheck"));
    m_toCheck->setObjectName(QStringLiteral("toCheck"));

    auto *filter = new QHBoxLayout;
    filter->addWidget(new QLabel(tr("Serial number:"), this));
    filter->addWidget(m_serialEdit);
    filter->addWidget(m_fromCheck);
    filter->addWidget(m_fromEdit);
    filter->addWidget(m_toCheck);
    filter->addWidget(m_toEdit);
    filter->addStretch();

    m_entriesView->setObjectName(QStringLiteral("entriesView"));
    m_entriesView->setModel(m_model);
    m_entriesView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_entriesView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_entriesView->verticalHeader()->hide();
    m_entriesView->horizontalHeader()->setStretchLastSection(true);
    m_registersTable->setObjectName(QStringLiteral("registersTable"));
    m_registersTable->setHorizontalHeaderLabels({ tr("Field"), tr("Register"), tr("Old value"),
        tr("New value"), tr("Outcome"), tr("Details") });
    m_registersTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_registersTable->verticalHeader()->hide();
    m_registersTable->horizontalHeader()->setStretchLastSection(true);
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_entriesView);
    splitter->addWidget(m_registersTable);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_exportButton->setObjectName(QStringLiteral("exportButton"));
    buttons->addButton(m_exportButton, QDialogButtonBox::ActionRole);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(splitter);
    m_teamJournalLabel->setObjectName(QStringLiteral("teamJournalLabel"));
    m_teamJournalLabel->setWordWrap(true);
    m_teamJournalLabel->hide();
    m_entriesView->setColumnHidden(JournalModel::CopiedColumn, true);
    m_entriesView->setColumnHidden(JournalModel::LaptopColumn, true);
    layout->addWidget(m_teamJournalLabel);
    layout->addWidget(buttons);
    resize(900, 600);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_exportButton, &QPushButton::clicked, this, &JournalDialog::askAndExport);
    connect(m_serialEdit, &QLineEdit::textChanged, this, &JournalDialog::applyFilter);
    for (QCheckBox *check : { m_fromCheck, m_toCheck })
        connect(check, &QCheckBox::toggled, this, &JournalDialog::applyFilter);
    for (QDateEdit *edit : { m_fromEdit, m_toEdit })
        connect(edit, &QDateEdit::dateChanged, this, &JournalDialog::applyFilter);
    connect(m_entriesView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        &JournalDialog::showRegisters);
    // A new query replaces the selection model's rows: the entry picked and the rows in sight
    // stay where they still are, and the details follow.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_place = place(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        restore(m_place);
        showRegisters();
    });
    m_reloadTimer->setSingleShot(true);
    m_reloadTimer->setInterval(ReloadDelayMs);
    connect(m_reloadTimer, &QTimer::timeout, this, &JournalDialog::reload);
}

void JournalDialog::journalChanged()
{
    // Hidden, it reads the journal when shown again.
    if (isVisible() && !m_reloadTimer->isActive())
        m_reloadTimer->start();
}

void JournalDialog::followTeamJournal(TeamJournalSync *sync)
{
    m_model->followTeamJournal(sync);
    showTeamJournalState(sync);
    // A copy marks entries copied.
    connect(sync, &TeamJournalSync::statusChanged, this, [this, sync] {
        showTeamJournalState(sync);
        journalChanged();
    });
    connect(m_model, &JournalModel::teamRowsChanged, this,
        [this, sync] { showTeamJournalState(sync); });
}

void JournalDialog::showTeamJournalState(const TeamJournalSync *sync)
{
    const bool shown = sync->isConfigured();
    m_teamJournalLabel->setVisible(shown);
    QStringList text = { sync->statusText() };
    if (!m_model->teamRowsText().isEmpty())
        text.append(m_model->teamRowsText());
    m_teamJournalLabel->setText(text.join(QLatin1Char('\n')));
    m_entriesView->setColumnHidden(JournalModel::CopiedColumn, !shown);
    m_entriesView->setColumnHidden(JournalModel::LaptopColumn, !shown);
}

JournalDialog::Place JournalDialog::place() const
{
    Place place;
    const QModelIndex current = m_entriesView->currentIndex();
    if (current.isValid()) {
        place.current = m_model->entryUuid(current.row());
        place.currentColumn = current.column();
    }
    // Scrolled to the top, the newest entries stay in sight; scrolled down, the same entries do.
    if (m_entriesView->verticalScrollBar()->value() > 0)
        place.top = m_model->entryUuid(m_entriesView->rowAt(0));
    place.horizontal = m_entriesView->horizontalScrollBar()->value();
    return place;
}

void JournalDialog::restore(const Place &place)
{
    const int currentRow = place.current.isEmpty() ? -1 : m_model->rowOfEntry(place.current);
    if (currentRow >= 0) {
        m_entriesView->selectionModel()->setCurrentIndex(
            m_model->index(currentRow, place.currentColumn),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    const int topRow = place.top.isEmpty() ? -1 : m_model->rowOfEntry(place.top);
    if (topRow >= 0)
        m_entriesView->scrollTo(m_model->index(topRow, 0), QAbstractItemView::PositionAtTop);
    else
        m_entriesView->scrollToTop();
    m_entriesView->horizontalScrollBar()->setValue(place.horizontal);
}

void JournalDialog::reload()
{
    const int fetched = m_model->rowCount();
    m_model->reload();
    // Fetched again as far as the user had scrolled, no further.
    while (m_model->rowCount() < fetched && m_model->canFetchMore())
        m_model->fetchMore();
    restore(m_place);
}

qint64 JournalDialog::serialFilter() const
{
    bool ok = false;
    const qint64 serial = m_serialEdit->text().toLongLong(&ok);
    return ok ? serial : -1;
}

void JournalDialog::applyFilter()
{
    m_fromEdit->setEnabled(m_fromCheck->isChecked());
    m_toEdit->setEnabled(m_toCheck->isChecked());
    m_model->setFilter(serialFilter(), m_fromCheck->isChecked() ? m_fromEdit->date() : QDate(),
        m_toCheck->isChecked() ? m_toEdit->date() : QDate());
}

void JournalDialog::showRegisters()
{
    const QModelIndex current = m_entriesView->currentIndex();
    const QVector<JournalRegister> registers
        = current.isValid() ? m_model->registers(current.row()) : QVector<JournalRegister>();
    m_registersTable->setRowCount(registers.size());
    for (int row = 0; row < registers.size(); ++row) {
        const JournalRegister &reg = registers.at(row);
        const QStringList cells = { reg.field, QString::number(reg.address),
            reg.hasOld ? tr("%1 (raw %2)").arg(reg.oldShown).arg(reg.oldRaw) : QString(),
            tr("%1 (raw %2)").arg(reg.newShown).arg(reg.newRaw), journalOutcomeText(reg.outcome),
            reg.detail };
        for (int column = 0; column < cells.size(); ++column)
            m_registersTable->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
}

bool JournalDialog::exportTo(const QString &path, QString *error) const
{
    return JournalCsv::save(path, m_model->entries(), error);
}

void JournalDialog::askAndExport()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export the journal"), QStringLiteral("journal.csv"), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!exportTo(path, &error))
        QMessageBox::warning(this, tr("Journal"),
            tr("The journal could not be exported to %1: %2").arg(path, error));
}
