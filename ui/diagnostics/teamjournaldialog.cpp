// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/diagnostics/teamjournaldialog.h"

#include "app/settings.h"
#include "devicedata/identitytext.h"
#include "devicemonitor/journalcsv.h"
#include "devicemonitor/teamjournalsync.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr JournalOutcome Outcomes[] = { JournalOutcome::Verified, JournalOutcome::Changed,
    JournalOutcome::Refused, JournalOutcome::NotSent, JournalOutcome::Acknowledged,
    JournalOutcome::Unconfirmed, JournalOutcome::Unknown };

QTableWidget *newTable(const QStringList &headers, QWidget *parent)
{
    auto *table = new QTableWidget(0, headers.size(), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void fillRow(QTableWidget *table, int row, const QStringList &cells)
{
    for (int column = 0; column < cells.size(); ++column)
        table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
}

} // namespace

TeamJournalDialog::TeamJournalDialog(TeamJournalSync *sync, QWidget *parent)
    : QDialog(parent),
      m_sync(sync),
      m_hostEdit(new QLineEdit(this)),
      m_portSpin(new QSpinBox(this)),
      m_databaseEdit(new QLineEdit(this)),
      m_userEdit(new QLineEdit(this)),
      m_passwordEdit(new QLineEdit(this)),
      m_sslModeCombo(new QComboBox(this)),
      m_statusLabel(new QLabel(this)),
      m_serialEdit(new QLineEdit(this)),
      m_userFilterEdit(new QLineEdit(this)),
      m_laptopFilterEdit(new QLineEdit(this)),
      m_fromCheck(new QCheckBox(tr("From"), this)),
      m_fromEdit(new QDateEdit(QDate::currentDate(), this)),
      m_toCheck(new QCheckBox(tr("To"), this)),
      m_toEdit(new QDateEdit(QDate::currentDate(), this)),
      m_outcomeCombo(new QComboBox(this)),
      m_entriesTable(
          newTable({ tr("When"), tr("Laptop"), tr("User"), tr("Port"), tr("ID"),
                       tr("Serial number"), tr("Write"), tr("Registers"), tr("Outcome") },
              this)),
      m_registersTable(newTable({ tr("Field"), tr("Register"), tr("Old value"), tr("New value"),
                                    tr("Outcome"), tr("Details") },
          this)),
      m_exportButton(new QPushButton(tr("Export CSV…"), this))
{
    setWindowTitle(tr("Team journal"));
    setObjectName(QStringLiteral("TeamJournalDialog"));
    const TeamJournalSettings &settings = sync->settings();
    m_hostEdit->setObjectName(QStringLiteral("hostEdit"));
    m_hostEdit->setText(settings.host);
    m_portSpin->setObjectName(QStringLiteral("portSpin"));
    m_portSpin->setRange(1, 65535);
    m_portSpin->setValue(settings.port);
    m_databaseEdit->setObjectName(QStringLiteral("databaseEdit"));
    m_databaseEdit->setText(settings.database);
    m_userEdit->setObjectName(QStringLiteral("userEdit"));
    m_userEdit->setText(settings.user);
    m_passwordEdit->setObjectName(QStringLiteral("passwordEdit"));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passwordEdit->setPlaceholderText(tr("from ~/.pgpass unless typed here"));
    m_passwordEdit->setToolTip(
        tr("Kept until the program ends, never saved. Without it PostgreSQL's password file "
           "(~/.pgpass, or the file PGPASSFILE names) gives the password."));
    m_sslModeCombo->setObjectName(QStringLiteral("sslModeCombo"));
    m_sslModeCombo->addItems(teamJournalSslModes());
    m_sslModeCombo->setCurrentText(settings.sslMode);
    m_sslModeCombo->setToolTip(
        tr("libpq's sslmode. verify-ca and verify-full check the server's certificate against "
           "~/.postgresql/root.crt, or the file PGSSLROOTCERT names."));
    auto *useButton = new QPushButton(tr("Use this server"), this);
    useButton->setObjectName(QStringLiteral("useButton"));
    auto *copyButton = new QPushButton(tr("Copy now"), this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setWordWrap(true);

    auto *server = new QGroupBox(tr("Server"), this);
    auto *serverForm = new QFormLayout(server);
    serverForm->addRow(tr("Host:"), m_hostEdit);
    serverForm->addRow(tr("Port:"), m_portSpin);
    serverForm->addRow(tr("Database:"), m_databaseEdit);
    serverForm->addRow(tr("User:"), m_userEdit);
    serverForm->addRow(tr("Password:"), m_passwordEdit);
    serverForm->addRow(tr("TLS (sslmode):"), m_sslModeCombo);
    auto *serverButtons = new QHBoxLayout;
    serverButtons->addWidget(useButton);
    serverButtons->addWidget(copyButton);
    serverButtons->addStretch();
    serverForm->addRow(serverButtons);
    serverForm->addRow(m_statusLabel);

    m_serialEdit->setObjectName(QStringLiteral("serialEdit"));
    m_serialEdit->setPlaceholderText(tr("every relay"));
    m_serialEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,10}")), m_serialEdit));
    m_userFilterEdit->setObjectName(QStringLiteral("userFilterEdit"));
    m_userFilterEdit->setPlaceholderText(tr("every user"));
    m_laptopFilterEdit->setObjectName(QStringLiteral("laptopFilterEdit"));
    m_laptopFilterEdit->setPlaceholderText(tr("every laptop"));
    for (QDateEdit *edit : { m_fromEdit, m_toEdit }) {
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        connect(edit, &QDateEdit::dateChanged, this, &TeamJournalDialog::search);
    }
    for (QCheckBox *check : { m_fromCheck, m_toCheck }) {
        connect(check, &QCheckBox::toggled, this, [this] {
            m_fromEdit->setEnabled(m_fromCheck->isChecked());
            m_toEdit->setEnabled(m_toCheck->isChecked());
            search();
        });
    }
    m_outcomeCombo->setObjectName(QStringLiteral("outcomeCombo"));
    m_outcomeCombo->addItem(tr("any outcome"), -1);
    for (JournalOutcome outcome : Outcomes)
        m_outcomeCombo->addItem(journalOutcomeText(outcome), int(outcome));
    auto *searchButton = new QPushButton(tr("Show"), this);
    searchButton->setObjectName(QStringLiteral("searchButton"));
    searchButton->setDefault(true);

    // Who and which relay on one line, when and how it ended on the next.
    auto *who = new QHBoxLayout;
    who->addWidget(new QLabel(tr("Serial number:"), this));
    who->addWidget(m_serialEdit);
    who->addWidget(new QLabel(tr("User:"), this));
    who->addWidget(m_userFilterEdit);
    who->addWidget(new QLabel(tr("Laptop:"), this));
    who->addWidget(m_laptopFilterEdit);
    auto *when = new QHBoxLayout;
    when->addWidget(m_fromCheck);
    when->addWidget(m_fromEdit);
    when->addWidget(m_toCheck);
    when->addWidget(m_toEdit);
    when->addWidget(m_outcomeCombo);
    when->addStretch();
    when->addWidget(searchButton);

    m_entriesTable->setObjectName(QStringLiteral("entriesTable"));
    m_registersTable->setObjectName(QStringLiteral("registersTable"));
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_entriesTable);
    splitter->addWidget(m_registersTable);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_exportButton->setObjectName(QStringLiteral("exportButton"));
    buttons->addButton(m_exportButton, QDialogButtonBox::ActionRole);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(server);
    layout->addLayout(who);
    layout->addLayout(when);
    layout->addWidget(splitter);
    layout->addWidget(buttons);
    resize(1000, 700);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(useButton, &QPushButton::clicked, this, &TeamJournalDialog::useServer);
    connect(copyButton, &QPushButton::clicked, sync, &TeamJournalSync::copyNow);
    connect(searchButton, &QPushButton::clicked, this, &TeamJournalDialog::search);
    connect(m_outcomeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &TeamJournalDialog::search);
    connect(m_exportButton, &QPushButton::clicked, this, &TeamJournalDialog::askAndExport);
    connect(
        m_entriesTable, &QTableWidget::currentCellChanged, this, &TeamJournalDialog::showRegisters);
    connect(sync, &TeamJournalSync::statusChanged, this, &TeamJournalDialog::showStatus);
    connect(sync, &TeamJournalSync::entriesRead, this, &TeamJournalDialog::showEntries);
    showStatus();
    if (sync->isConfigured())
        search();
}

void TeamJournalDialog::useServer()
{
    TeamJournalSettings settings;
    settings.host = m_hostEdit->text().trimmed();
    settings.port = m_portSpin->value();
    settings.database = m_databaseEdit->text().trimmed();
    settings.user = m_userEdit->text().trimmed();
    settings.sslMode = m_sslModeCombo->currentText();
    saveTeamJournalSettings(settings);
    m_sync->setSettings(settings, m_passwordEdit->text());
    search();
}

void TeamJournalDialog::showStatus()
{
    m_statusLabel->setText(m_sync->statusText());
}

TeamJournalFilter TeamJournalDialog::filter() const
{
    TeamJournalFilter filter;
    bool ok = false;
    const qint64 serial = m_serialEdit->text().toLongLong(&ok);
    filter.serialNumber = ok ? serial : -1;
    filter.user = m_userFilterEdit->text().trimmed();
    filter.laptop = m_laptopFilterEdit->text().trimmed();
    filter.from = m_fromCheck->isChecked() ? m_fromEdit->date() : QDate();
    filter.to = m_toCheck->isChecked() ? m_toEdit->date() : QDate();
    const int outcome = m_outcomeCombo->currentData().toInt();
    if (outcome >= 0)
        filter.outcome = journalOutcomeFromCode(outcome);
    return filter;
}

void TeamJournalDialog::search()
{
    if (m_sync->isConfigured())
        m_request = m_sync->readEntries(filter());
}

void TeamJournalDialog::showEntries(
    int request, const QVector<JournalEntry> &entries, const QString &error)
{
    // An answer to a search since replaced by another is of no use; a failed one leaves the
    // entries shown before, and the status says why.
    if (request != m_request || !error.isEmpty())
        return;
    m_entries = entries;
    m_entriesTable->setRowCount(entries.size());
    for (int row = 0; row < entries.size(); ++row) {
        const JournalEntry &entry = entries.at(row);
        fillRow(m_entriesTable, row,
            { QLocale().toString(entry.when.toLocalTime(), QLocale::ShortFormat), entry.laptop,
                entry.user, entry.port,
                entry.slaveId == 0 ? tr("all") : QString::number(entry.slaveId),
                entry.identityKnown ? serialNumberText(entry.serialNumber) : QString(),
                JournalEntry::kindText(entry.kind), QString::number(entry.registers.size()),
                journalOutcomeText(entry.outcome()) });
    }
    m_entriesTable->resizeColumnsToContents();
    m_exportButton->setEnabled(!entries.isEmpty());
    showRegisters();
}

void TeamJournalDialog::showRegisters()
{
    const int row = m_entriesTable->currentRow();
    const QVector<JournalRegister> registers = row >= 0 && row < m_entries.size()
        ? m_entries.at(row).registers
        : QVector<JournalRegister>();
    m_registersTable->setRowCount(registers.size());
    for (int i = 0; i < registers.size(); ++i) {
        const JournalRegister &reg = registers.at(i);
        fillRow(m_registersTable, i,
            { reg.field, QString::number(reg.address),
                reg.hasOld ? tr("%1 (raw %2)").arg(reg.oldShown).arg(reg.oldRaw) : QString(),
                tr("%1 (raw %2)").arg(reg.newShown).arg(reg.newRaw),
                journalOutcomeText(reg.outcome), reg.detail });
    }
    m_registersTable->resizeColumnsToContents();
}

bool TeamJournalDialog::exportTo(const QString &path, QString *error) const
{
    return JournalCsv::save(path, m_entries, error);
}

void TeamJournalDialog::askAndExport()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Export the team journal"),
        QStringLiteral("team-journal.csv"), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!exportTo(path, &error))
        QMessageBox::warning(this, tr("Team journal"),
            tr("The team journal could not be exported to %1: %2").arg(path, error));
}
