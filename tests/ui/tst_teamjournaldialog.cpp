// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "devicemonitor/journalmodel.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalconnection.h"
#include "devicemonitor/teamjournalcopier.h"
#include "devicemonitor/teamjournalsync.h"
#include "namedchild.h"
#include "settingsfolder.h"
#include "teamjournalserver.h"
#include "testtimeouts.h"
#include "ui/diagnostics/journaldialog.h"
#include "ui/diagnostics/teamjournaldialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QUuid>
#include <QtTest>

#include <optional>

namespace {

// An entry of a laptop no other test writes under, on relay `serial`.
JournalEntry entryOf(const QString &laptop, const QString &user, qint64 serial)
{
    JournalEntry entry;
    entry.laptop = laptop;
    entry.user = user;
    entry.when = QDateTime::currentDateTimeUtc();
    entry.port = QStringLiteral("COM3");
    entry.slaveId = 4;
    entry.identityKnown = true;
    entry.serialNumber = serial;
    entry.kind = JournalEntry::SetpointsSet;
    JournalRegister reg;
    reg.address = 34;
    reg.field = QStringLiteral("MTZ pick-up");
    reg.newShown = QStringLiteral("4.50 A");
    entry.registers.append(reg);
    return entry;
}

} // namespace

// The team journal as the user sets it up and looks into it, and the local view's marks.
class TeamJournalDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setUpServerAndFilterTheTeamsEntries();
    void journalViewShowsTeamEntriesAndMarksWhatIsNotCopiedYet();

private:
    std::optional<SettingsFolder> m_folder;
    QString m_laptop;
};

void TeamJournalDialogTest::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isEntered());
    m_laptop = QStringLiteral("laptop-%1").arg(QUuid::createUuid().toString(QUuid::Id128));
}

void TeamJournalDialogTest::cleanup()
{
    m_folder.reset();
}

void TeamJournalDialogTest::setUpServerAndFilterTheTeamsEntries()
{
    TEAM_JOURNAL_OR_SKIP(server)
    JournalStore store(JournalStore::defaultPath());
    QVERIFY(store.open());
    const std::optional<qint64> refused
        = store.addEntry(entryOf(m_laptop, QStringLiteral("ivanov"), 1111111));
    QVERIFY(refused);
    QVector<JournalRegister> outcome = entryOf(m_laptop, {}, 0).registers;
    outcome[0].outcome = JournalOutcome::Refused;
    outcome[0].detail = QStringLiteral("=illegal data value");
    QVERIFY(store.recordOutcomes(*refused, outcome, QString()));
    QVERIFY(store.addEntry(entryOf(m_laptop, QStringLiteral("petrov"), 2222222)));
    TeamJournalSync sync(store.path());
    sync.follow(&store);

    TeamJournalDialog dialog(&sync);
    QVERIFY(child<QLabel>(&dialog, "statusLabel")->text().contains(QStringLiteral("No team")));
    child<QLineEdit>(&dialog, "hostEdit")->setText(server->host);
    child<QSpinBox>(&dialog, "portSpin")->setValue(server->port);
    child<QLineEdit>(&dialog, "databaseEdit")->setText(server->database);
    child<QLineEdit>(&dialog, "userEdit")->setText(server->user);
    child<QComboBox>(&dialog, "sslModeCombo")->setCurrentText(QStringLiteral("verify-ca"));
    child<QLineEdit>(&dialog, "laptopFilterEdit")->setText(m_laptop);
    child<QPushButton>(&dialog, "useButton")->click();

    // Saved for the next start; the password file gave the password.
    const TeamJournalSettings saved = loadTeamJournalSettings();
    QCOMPARE(saved.port, server->port);
    QCOMPARE(saved.sslMode, QStringLiteral("verify-ca"));
    QTRY_VERIFY_WITH_TIMEOUT(sync.lastReached().isValid() && sync.copiedCount() == 2, PassWaitMs);
    QVERIFY2(child<QLabel>(&dialog, "statusLabel")->text().contains(QStringLiteral("last reached")),
        qPrintable(child<QLabel>(&dialog, "statusLabel")->text()));
    // The search made along with the copy may have run before it: ask again.
    child<QPushButton>(&dialog, "searchButton")->click();
    auto *entries = child<QTableWidget>(&dialog, "entriesTable");
    QTRY_COMPARE_WITH_TIMEOUT(entries->rowCount(), 2, PassWaitMs);

    child<QComboBox>(&dialog, "outcomeCombo")
        ->setCurrentText(journalOutcomeText(JournalOutcome::Refused));
    QTRY_COMPARE_WITH_TIMEOUT(entries->rowCount(), 1, PassWaitMs);
    QCOMPARE(dialog.entries().first().user, QStringLiteral("ivanov"));
    entries->setCurrentCell(0, 0);
    QCOMPARE(child<QTableWidget>(&dialog, "registersTable")->item(0, 5)->text(), outcome[0].detail);

    const QString csv = m_folder->filePath(QStringLiteral("team.csv"));
    QString error;
    QVERIFY2(dialog.exportTo(csv, &error), qPrintable(error));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3); // the header, the register, the end of the last line
    QVERIFY2(lines.at(1).contains(QStringLiteral("\"=\"\"1111111\"\"\"")), qPrintable(lines.at(1)));
    QVERIFY2(lines.at(1).endsWith(QStringLiteral("'=illegal data value,") + m_laptop),
        qPrintable(lines.at(1)));
}

void TeamJournalDialogTest::journalViewShowsTeamEntriesAndMarksWhatIsNotCopiedYet()
{
    TEAM_JOURNAL_OR_SKIP(server)
    // A relay of its own: the server holds the entries of every other test too.
    const qint64 serial = QDateTime::currentMSecsSinceEpoch() % 1000000000;
    const QString otherLaptop = m_laptop + QStringLiteral("-other");
    {
        JournalStore other(m_folder->filePath(QStringLiteral("other.sqlite")));
        QVERIFY(other.open());
        JournalEntry entry = entryOf(otherLaptop, QStringLiteral("petrov"), serial);
        entry.when = entry.when.addSecs(-60);
        QVERIFY(other.addEntry(entry));
        TeamJournalConnection connection(*server, QString());
        QString error;
        QCOMPARE(TeamJournalCopier(other.path()).copyPending(connection, &error), 1);
    }
    JournalStore store(JournalStore::defaultPath());
    QVERIFY(store.open());
    QVERIFY(store.addEntry(entryOf(m_laptop, QStringLiteral("ivanov"), serial)));
    TeamJournalSync sync(store.path());
    sync.follow(&store);
    JournalDialog view(&store);
    view.followTeamJournal(&sync);
    child<QLineEdit>(&view, "serialEdit")->setText(QString::number(serial));
    view.show();
    auto *entriesView = child<QTableView>(&view, "entriesView");
    auto *label = child<QLabel>(&view, "teamJournalLabel");
    QVERIFY(entriesView->isColumnHidden(JournalModel::CopiedColumn));
    QVERIFY(entriesView->isColumnHidden(JournalModel::LaptopColumn));
    QVERIFY(label->isHidden());
    QCOMPARE(view.model()->rowCount(), 1);

    sync.setSettings(*server);
    QVERIFY(!entriesView->isColumnHidden(JournalModel::CopiedColumn));
    QVERIFY(!entriesView->isColumnHidden(JournalModel::LaptopColumn));
    QVERIFY2(label->text().contains(QStringLiteral("being read")), qPrintable(label->text()));
    const QModelIndex copied = view.model()->index(0, JournalModel::CopiedColumn);
    QCOMPARE(copied.data().toString(), QStringLiteral("not copied yet"));
    QTRY_COMPARE_WITH_TIMEOUT(view.model()->index(0, JournalModel::CopiedColumn).data().toString(),
        QStringLiteral("copied"), PassWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(view.model()->rowCount(), 2, PassWaitMs);
    QCOMPARE(view.model()->index(1, JournalModel::LaptopColumn).data().toString(), otherLaptop);
    QTRY_VERIFY_WITH_TIMEOUT(label->text().contains(QStringLiteral("session: 1.")), PassWaitMs);
    QVERIFY2(label->text().contains(QStringLiteral("as read at")), qPrintable(label->text()));

    // What is exported is what is shown, the team's entry with its registers.
    const QString csv = m_folder->filePath(QStringLiteral("journal.csv"));
    QString error;
    QVERIFY2(view.exportTo(csv, &error), qPrintable(error));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4); // the header, a register of each entry, the end of the last line
    QVERIFY2(lines.at(1).endsWith(m_laptop), qPrintable(lines.at(1)));
    QVERIFY2(lines.at(2).endsWith(otherLaptop), qPrintable(lines.at(2)));
}

QTEST_MAIN(TeamJournalDialogTest)
#include "tst_teamjournaldialog.moc"
