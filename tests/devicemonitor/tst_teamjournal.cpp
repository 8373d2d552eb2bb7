// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalmodel.h"
#include "devicemonitor/journalreader.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalconnection.h"
#include "devicemonitor/teamjournalcopier.h"
#include "devicemonitor/teamjournalreader.h"
#include "devicemonitor/teamjournalreportsource.h"
#include "devicemonitor/teamjournalsync.h"
#include "teamjournalserver.h"
#include "testtimeouts.h"
#include "unansweredport.h"

#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

constexpr qint64 Serial = 7654321;

// A laptop name no other test, nor another run of this one, writes under: each test reads back
// only its own entries from the shared server.
QString newLaptop()
{
    return QStringLiteral("laptop-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

JournalEntry sampleEntry(const QString &laptop)
{
    JournalEntry entry;
    entry.laptop = laptop;
    entry.when = QDateTime::currentDateTimeUtc();
    entry.user = QStringLiteral("engineer");
    entry.port = QStringLiteral("/dev/ttyUSB0");
    entry.slaveId = 2;
    entry.identityKnown = true;
    entry.deviceType = 0x8D90;
    entry.serialNumber = Serial;
    entry.kind = JournalEntry::SettingsSend;
    for (quint16 address : { 34, 35 }) {
        JournalRegister reg;
        reg.address = address;
        reg.field = QStringLiteral("field %1").arg(address);
        reg.newRaw = 450;
        reg.newShown = QStringLiteral("4.50 A");
        entry.registers.append(reg);
    }
    return entry;
}

// Every register's outcome set to `outcome`.
QVector<JournalRegister> withOutcome(QVector<JournalRegister> registers, JournalOutcome outcome)
{
    for (JournalRegister &reg : registers)
        reg.outcome = outcome;
    return registers;
}

// The team journal's entries of one laptop, read as the program reads them.
QVector<JournalEntry> teamEntries(const TeamJournalSettings &settings, const QString &laptop)
{
    TeamJournalConnection server(settings, QString());
    TeamJournalFilter filter;
    filter.laptop = laptop;
    QVector<JournalEntry> entries;
    QString error;
    if (!readTeamJournal(server, filter, &entries, &error))
        qWarning("%s", qPrintable(error));
    return entries;
}

// One number the server answers, as the team's role.
qint64 serverNumber(const TeamJournalSettings &settings, const QString &sql, const QString &laptop)
{
    TeamJournalConnection server(settings, QString());
    QString error;
    if (!server.open(&error))
        return -1;
    QSqlQuery query(server.database());
    query.prepare(sql);
    query.addBindValue(laptop);
    return query.exec() && query.next() ? query.value(0).toLongLong() : -1;
}

int uncopied(const QString &journalPath)
{
    return JournalReader(journalPath).toCopy(JournalStore::SchemaVersion * 1000).size();
}

} // namespace

// The local journal copied to a PostgreSQL team journal: the server scripts/test starts.
class TeamJournalTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void copiesEveryEntryOnce();
    void unreachableServerIsCopiedToLater();
    void outcomesAfterTheCopyArriveAsRows();
    void twoLaptopsCopyIntoOneJournal();
    void connectsAsSslModeSays_data();
    void connectsAsSslModeSays();
    void teamRoleCannotChangeOrDelete_data();
    void teamRoleCannotChangeOrDelete();
    void filtersByUserLaptopAndOutcome();
    void reportListsEveryLaptopsWritesOnce();
    void journalViewListsTeamEntriesAmongLocalOnesOnce();
    void journalViewWithoutServerShowsLocalRows();

private:
    QString journalPath() const { return m_folder->filePath(QStringLiteral("journal.sqlite")); }

    std::unique_ptr<QTemporaryDir> m_folder;
};

void TeamJournalTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TeamJournalTest::copiesEveryEntryOnce()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    const QString laptop = newLaptop();
    JournalStore store(journalPath());
    QVERIFY(store.open());
    for (int i = 0; i < 3; ++i)
        QVERIFY(store.addEntry(sampleEntry(laptop)));
    TeamJournalConnection server(*settings, QString());
    TeamJournalCopier copier(journalPath());
    QString error;
    QCOMPARE(copier.copyPending(server, &error), 3);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(uncopied(journalPath()), 0);
    QCOMPARE(copier.copyPending(server, &error), 0);

    // A copy whose marks were lost (the program stopped before it wrote them) is made again.
    QSqlQuery forget(QSqlDatabase::database(store.connectionName()));
    QVERIFY(forget.exec(QStringLiteral("UPDATE entries SET copied_revision = NULL")));
    QCOMPARE(copier.copyPending(server, &error), 3);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const QVector<JournalEntry> team = teamEntries(*settings, laptop);
    QCOMPARE(team.size(), 3);
    const QVector<JournalEntry> local = store.entries(-1, QDate());
    for (const JournalEntry &entry : local) {
        const auto there = std::find_if(team.cbegin(), team.cend(),
            [&entry](const JournalEntry &copy) { return copy.uuid == entry.uuid; });
        QVERIFY(there != team.cend());
        QCOMPARE(there->registers.size(), 2);
        QCOMPARE(there->when, entry.when);
        QCOMPARE(there->serialNumber, Serial);
        QCOMPARE(there->registers.at(1).address, quint16(35));
    }
    QCOMPARE(serverNumber(*settings,
                 QStringLiteral("SELECT count(*) FROM registers r JOIN entries e ON "
                                "e.uuid = r.entry_uuid WHERE e.laptop = ?"),
                 laptop),
        6);
}

void TeamJournalTest::unreachableServerIsCopiedToLater()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    const QString laptop = newLaptop();
    JournalStore store(journalPath());
    QVERIFY(store.open());
    TeamJournalSync sync(journalPath());
    sync.follow(&store);
    QSignalSpy answered(&sync, &TeamJournalSync::statusChanged);

    // As a server behind a link that is down: the connection is never answered, and libpq
    // gives up after its connect_timeout.
    UnansweredPort silent;
    TeamJournalSettings unreachable = *settings;
    unreachable.port = silent.port();
    sync.setSettings(unreachable);
    answered.clear();
    QVERIFY(store.addEntry(sampleEntry(laptop)));
    QVERIFY(store.addEntry(sampleEntry(laptop)));
    QTRY_VERIFY_WITH_TIMEOUT(!sync.lastError().isEmpty(), PassWaitMs);
    QVERIFY(!sync.lastReached().isValid());
    QCOMPARE(uncopied(journalPath()), 2);
    QCOMPARE(store.entries(-1, QDate()).size(), 2);
    QVERIFY(!store.entries(-1, QDate()).first().copied);

    sync.setSettings(*settings);
    QTRY_COMPARE_WITH_TIMEOUT(uncopied(journalPath()), 0, PassWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(sync.lastReached().isValid(), PassWaitMs);
    QVERIFY(sync.lastError().isEmpty());
    QCOMPARE(sync.copiedCount(), 2);
    QVERIFY(store.entries(-1, QDate()).first().copied);
    QCOMPARE(teamEntries(*settings, laptop).size(), 2);
}

void TeamJournalTest::outcomesAfterTheCopyArriveAsRows()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    const QString laptop = newLaptop();
    JournalStore store(journalPath());
    QVERIFY(store.open());
    TeamJournalSync sync(journalPath());
    sync.follow(&store);
    sync.setSettings(*settings);
    const JournalEntry entry = sampleEntry(laptop);
    const std::optional<qint64> id = store.addEntry(entry);
    QVERIFY(id);
    QTRY_COMPARE_WITH_TIMEOUT(uncopied(journalPath()), 0, PassWaitMs);
    QCOMPARE(teamEntries(*settings, laptop).value(0).outcome(), JournalOutcome::Unknown);

    QVector<JournalRegister> outcomes = withOutcome(entry.registers, JournalOutcome::Verified);
    QVERIFY(store.recordOutcomes(*id, outcomes, QStringLiteral("1A2B3C4D")));
    QVERIFY(!store.entries(-1, QDate()).first().copied);
    QTRY_COMPARE_WITH_TIMEOUT(uncopied(journalPath()), 0, PassWaitMs);
    JournalEntry team = teamEntries(*settings, laptop).value(0);
    QCOMPARE(team.outcome(), JournalOutcome::Verified);
    QCOMPARE(team.fingerprintAfter, QStringLiteral("1A2B3C4D"));

    // The latest wins; the entry's own row stays as first copied.
    outcomes[1].outcome = JournalOutcome::Changed;
    outcomes[1].detail = QStringLiteral("the relay holds 4.00 A");
    QVERIFY(store.recordOutcomes(*id, outcomes, QStringLiteral("5E6F7A8B")));
    QTRY_COMPARE_WITH_TIMEOUT(uncopied(journalPath()), 0, PassWaitMs);
    team = teamEntries(*settings, laptop).value(0);
    QCOMPARE(team.registers.at(0).outcome, JournalOutcome::Verified);
    QCOMPARE(team.registers.at(1).outcome, JournalOutcome::Changed);
    QCOMPARE(team.registers.at(1).detail, outcomes[1].detail);
    QCOMPARE(team.fingerprintAfter, QStringLiteral("5E6F7A8B"));
    QCOMPARE(serverNumber(*settings,
                 QStringLiteral("SELECT count(*) FROM entries WHERE laptop = ? AND outcome = 0"),
                 laptop),
        1);
    QCOMPARE(serverNumber(*settings,
                 QStringLiteral("SELECT count(*) FROM outcomes o JOIN entries e ON "
                                "e.uuid = o.entry_uuid WHERE e.laptop = ?"),
                 laptop),
        4);
}

void TeamJournalTest::twoLaptopsCopyIntoOneJournal()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    constexpr int Writes = 40;
    const QStringList laptops = { newLaptop(), newLaptop() };
    QProcess helpers[2];
    for (int i = 0; i < 2; ++i) {
        helpers[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helpers[i].start(QStringLiteral(TEAM_JOURNAL_WRITE_HELPER),
            { m_folder->filePath(QStringLiteral("journal-%1.sqlite").arg(i)), laptops.at(i),
                QString::number(Writes) });
        QVERIFY2(helpers[i].waitForStarted(), qPrintable(helpers[i].errorString()));
    }
    for (QProcess &helper : helpers) {
        QVERIFY(helper.waitForFinished(60000));
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), 0);
    }
    for (const QString &laptop : laptops) {
        const QVector<JournalEntry> team = teamEntries(*settings, laptop);
        QCOMPARE(team.size(), Writes);
        QSet<qint64> values;
        for (const JournalEntry &entry : team) {
            QCOMPARE(entry.outcome(), JournalOutcome::Verified);
            values.insert(entry.registers.value(0).newRaw);
        }
        QCOMPARE(values.size(), Writes);
    }
}

void TeamJournalTest::connectsAsSslModeSays_data()
{
    QTest::addColumn<QString>("sslMode");
    QTest::addColumn<bool>("encrypted");
    // The server's certificate is its own root: PGSSLROOTCERT names it.
    QTest::newRow("verify-ca") << QStringLiteral("verify-ca") << true;
    QTest::newRow("disable") << QStringLiteral("disable") << false;
}

void TeamJournalTest::connectsAsSslModeSays()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    QFETCH(QString, sslMode);
    QFETCH(bool, encrypted);
    TeamJournalSettings chosen = *settings;
    chosen.sslMode = sslMode;
    TeamJournalConnection server(chosen, QString());
    QString error;
    QVERIFY2(server.open(&error), qPrintable(error));
    QSqlQuery query(server.database());
    QVERIFY(query.exec(QStringLiteral("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()")));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toBool(), encrypted);
}

void TeamJournalTest::teamRoleCannotChangeOrDelete_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("update") << QStringLiteral("UPDATE entries SET outcome = 1");
    QTest::newRow("delete") << QStringLiteral("DELETE FROM outcomes");
    QTest::newRow("truncate") << QStringLiteral("TRUNCATE registers CASCADE");
    QTest::newRow("schema") << QStringLiteral("UPDATE journal_schema SET version = 3");
}

void TeamJournalTest::teamRoleCannotChangeOrDelete()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    QFETCH(QString, statement);
    TeamJournalConnection server(*settings, QString());
    QString error;
    QVERIFY2(server.open(&error), qPrintable(error));
    QSqlQuery query(server.database());
    QVERIFY(!query.exec(statement));
    QVERIFY2(query.lastError().text().contains(QStringLiteral("permission denied")),
        qPrintable(query.lastError().text()));
}

void TeamJournalTest::filtersByUserLaptopAndOutcome()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    const QString laptop = newLaptop();
    JournalStore store(journalPath());
    QVERIFY(store.open());
    JournalEntry entry = sampleEntry(laptop);
    entry.user = QStringLiteral("Ivanov_A");
    const std::optional<qint64> refused = store.addEntry(entry);
    QVERIFY(refused);
    QVERIFY(store.recordOutcomes(
        *refused, withOutcome(entry.registers, JournalOutcome::Refused), QString()));
    entry.user = QStringLiteral("petrov");
    entry.serialNumber = Serial + 1;
    entry.when = entry.when.addDays(-3);
    QVERIFY(store.addEntry(entry));
    TeamJournalConnection server(*settings, QString());
    QString error;
    TeamJournalCopier(journalPath()).copyPending(server, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const auto users = [&](TeamJournalFilter filter) {
        filter.laptop = laptop.toUpper().mid(3);
        QVector<JournalEntry> entries;
        QString failed;
        if (!readTeamJournal(server, filter, &entries, &failed))
            return QStringList { failed };
        QStringList found;
        for (const JournalEntry &kept : entries)
            found.append(kept.user);
        return found;
    };
    QCOMPARE(users({}), QStringList({ QStringLiteral("Ivanov_A"), QStringLiteral("petrov") }));
    TeamJournalFilter filter;
    filter.user = QStringLiteral("ov_a");
    QCOMPARE(users(filter), QStringList({ QStringLiteral("Ivanov_A") }));
    filter = {};
    filter.user = QStringLiteral("%");
    QCOMPARE(users(filter), QStringList());
    filter = {};
    filter.serialNumber = Serial + 1;
    QCOMPARE(users(filter), QStringList({ QStringLiteral("petrov") }));
    filter = {};
    filter.to = QDate::currentDate().addDays(-1);
    QCOMPARE(users(filter), QStringList({ QStringLiteral("petrov") }));
    filter = {};
    filter.outcome = JournalOutcome::Refused;
    QCOMPARE(users(filter), QStringList({ QStringLiteral("Ivanov_A") }));
    filter.outcome = JournalOutcome::Unknown;
    QCOMPARE(users(filter), QStringList({ QStringLiteral("petrov") }));
}

// The report draws on both journals: another laptop's write through the team journal, this
// one's from its own journal whether copied or not, none twice.
void TeamJournalTest::reportListsEveryLaptopsWritesOnce()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    const qint64 serial = QDateTime::currentMSecsSinceEpoch() % 1000000000;
    const QString otherLaptop = newLaptop();
    {
        JournalStore other(m_folder->filePath(QStringLiteral("other.sqlite")));
        QVERIFY(other.open());
        JournalEntry entry = sampleEntry(otherLaptop);
        entry.serialNumber = serial;
        entry.user = QStringLiteral("petrov");
        entry.when = entry.when.addSecs(-60);
        QVERIFY(other.addEntry(entry));
        TeamJournalConnection server(*settings, QString());
        QString error;
        QCOMPARE(TeamJournalCopier(other.path()).copyPending(server, &error), 1);
    }
    const QString laptop = newLaptop();
    JournalStore store(journalPath());
    QVERIFY(store.open());
    JournalEntry entry = sampleEntry(laptop);
    entry.serialNumber = serial;
    entry.user = QStringLiteral("ivanov");
    QVERIFY(store.addEntry(entry));
    TeamJournalSync sync(journalPath());
    sync.follow(&store);
    TeamJournalReportSource source(&store, &sync);
    QVERIFY(!source.isTeamWide());
    QCOMPARE(source.entries(serial, QDate()).size(), 1);

    // The copy asked for first is made first: the team journal read has this laptop's entry too.
    sync.setSettings(*settings);
    source.fetch(serial);
    // Given again before the read answers: that answer is dropped, and the relay read anew.
    sync.setSettings(*settings);
    QTRY_VERIFY_WITH_TIMEOUT(
        source.note(serial).contains(QStringLiteral("as read at")), PassWaitMs);
    QCOMPARE(uncopied(journalPath()), 0);
    const QVector<JournalEntry> entries = source.entries(serial, QDate::currentDate());
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).laptop, laptop);
    QCOMPARE(entries.at(1).laptop, otherLaptop);
    QVERIFY(source.entries(serial, QDate::currentDate().addDays(1)).isEmpty());

    QVERIFY(source.isTeamWide());
}

void TeamJournalTest::journalViewListsTeamEntriesAmongLocalOnesOnce()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    const qint64 serial = QDateTime::currentMSecsSinceEpoch() % 1000000000;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // More than a page of this laptop's, one a second back from now; the other laptop's two
    // fall between them, one in the first page and one in the second.
    constexpr int LocalEntries = JournalModel::PageSize + 10;
    constexpr int OtherNewerAgoS = 10;
    constexpr int OtherOlderAgoS = LocalEntries - 5;
    const QString otherLaptop = newLaptop();
    {
        JournalStore other(m_folder->filePath(QStringLiteral("other.sqlite")));
        QVERIFY(other.open());
        for (int ago : { OtherNewerAgoS, OtherOlderAgoS }) {
            JournalEntry entry = sampleEntry(otherLaptop);
            entry.serialNumber = serial;
            entry.when = now.addMSecs(-ago * 1000 - 500);
            QVERIFY(other.addEntry(entry));
        }
        TeamJournalConnection server(*settings, QString());
        QString error;
        QCOMPARE(TeamJournalCopier(other.path()).copyPending(server, &error), 2);
    }
    const QString laptop = newLaptop();
    JournalStore store(journalPath());
    QVERIFY(store.open());
    std::optional<qint64> newest;
    for (int ago = 0; ago < LocalEntries; ++ago) {
        JournalEntry entry = sampleEntry(laptop);
        entry.serialNumber = serial;
        entry.when = now.addSecs(-ago);
        const std::optional<qint64> id = store.addEntry(entry);
        QVERIFY(id);
        if (ago == 0)
            newest = id;
    }
    TeamJournalSync sync(journalPath());
    sync.setSettings(*settings);
    QTRY_COMPARE_WITH_TIMEOUT(uncopied(journalPath()), 0, PassWaitMs);
    // An outcome learnt after the copy: the sync does not follow the store, so it stays here.
    QVERIFY(store.recordOutcomes(
        *newest, withOutcome(sampleEntry(laptop).registers, JournalOutcome::Verified), QString()));

    JournalModel model(&store);
    model.setFilter(serial, QDate(), QDate());
    model.followTeamJournal(&sync);
    QCOMPARE(model.teamRows(), JournalModel::TeamRows::Reading);
    QCOMPARE(model.rowCount(), int(JournalModel::PageSize));
    QTRY_COMPARE_WITH_TIMEOUT(model.teamRows(), JournalModel::TeamRows::Shown, PassWaitMs);
    QVERIFY2(model.teamRowsText().contains(QStringLiteral("as read at")),
        qPrintable(model.teamRowsText()));
    // This laptop's entries the server has too show once, as this laptop knows them.
    QCOMPARE(model.rowCount(), JournalModel::PageSize + 1);
    const auto text = [&model](int row, JournalModel::Column column) {
        return model.index(row, column).data().toString();
    };
    QCOMPARE(text(0, JournalModel::LaptopColumn), laptop);
    QCOMPARE(text(0, JournalModel::OutcomeColumn), journalOutcomeText(JournalOutcome::Verified));
    QCOMPARE(text(0, JournalModel::CopiedColumn), QStringLiteral("not copied yet"));
    QCOMPARE(text(1, JournalModel::CopiedColumn), QStringLiteral("copied"));
    const int otherNewerRow = OtherNewerAgoS + 1;
    QCOMPARE(text(otherNewerRow, JournalModel::LaptopColumn), otherLaptop);
    QCOMPARE(
        text(otherNewerRow, JournalModel::CopiedColumn), QStringLiteral("from the team journal"));
    QCOMPARE(model.entryId(otherNewerRow), qint64(-1));
    QCOMPARE(model.registers(otherNewerRow).size(), 2);
    QCOMPARE(model.registers(0).first().outcome, JournalOutcome::Verified);

    // The older one comes with the page it falls in, in its place.
    while (model.canFetchMore())
        model.fetchMore();
    QCOMPARE(model.rowCount(), LocalEntries + 2);
    QCOMPARE(text(OtherOlderAgoS + 2, JournalModel::LaptopColumn), otherLaptop);
    QSet<QString> uuids;
    for (int row = 0; row < model.rowCount(); ++row)
        uuids.insert(model.entryUuid(row));
    QCOMPARE(uuids.size(), model.rowCount());

    // An entry written and copied after the local rows were read is still this laptop's: the
    // team's rows read after the copy leave it to the next read of the local journal.
    QSignalSpy teamRowsRead(&model, &JournalModel::teamRowsChanged);
    JournalEntry written = sampleEntry(laptop);
    written.serialNumber = serial;
    QVERIFY(store.addEntry(written));
    sync.copyNow();
    QTRY_VERIFY_WITH_TIMEOUT(!teamRowsRead.isEmpty(), PassWaitMs);
    QCOMPARE(model.teamRows(), JournalModel::TeamRows::Shown);
    QCOMPARE(model.rowCount(), LocalEntries + 2);
    model.reload();
    while (model.canFetchMore())
        model.fetchMore();
    QCOMPARE(model.rowCount(), LocalEntries + 3);
    QCOMPARE(text(0, JournalModel::CopiedColumn), QStringLiteral("copied"));
}

void TeamJournalTest::journalViewWithoutServerShowsLocalRows()
{
    TEAM_JOURNAL_OR_SKIP(settings)
    JournalStore store(journalPath());
    QVERIFY(store.open());
    for (int i = 0; i < 2; ++i)
        QVERIFY(store.addEntry(sampleEntry(newLaptop())));
    TeamJournalSync sync(journalPath());
    JournalModel model(&store);
    model.followTeamJournal(&sync);
    QCOMPARE(model.teamRows(), JournalModel::TeamRows::NotFollowed);
    QVERIFY(model.teamRowsText().isEmpty());

    UnansweredPort silent;
    TeamJournalSettings unreachable = *settings;
    unreachable.port = silent.port();
    sync.setSettings(unreachable);
    QCOMPARE(model.teamRows(), JournalModel::TeamRows::Reading);
    QVERIFY(model.teamRowsText().contains(QStringLiteral("shown meanwhile")));
    QCOMPARE(model.rowCount(), 2);
    // The copy and then the read each wait for libpq's connect_timeout.
    QTRY_COMPARE_WITH_TIMEOUT(model.teamRows(), JournalModel::TeamRows::Unreadable,
        2 * TeamJournalConnection::ConnectTimeoutSeconds * 1000 + PassWaitMs);
    QCOMPARE(model.rowCount(), 2);
    QVERIFY2(model.teamRowsText().contains(QStringLiteral("only this computer's are shown")),
        qPrintable(model.teamRowsText()));

    sync.setSettings(TeamJournalSettings());
    QCOMPARE(model.teamRows(), JournalModel::TeamRows::NotFollowed);
    QCOMPARE(model.rowCount(), 2);

    // Given twice before the first read answers, which is then dropped: the rows are read anew.
    sync.setSettings(*settings);
    sync.setSettings(*settings);
    QTRY_COMPARE_WITH_TIMEOUT(model.teamRows(), JournalModel::TeamRows::Shown, PassWaitMs);
}

QTEST_GUILESS_MAIN(TeamJournalTest)
#include "tst_teamjournal.moc"
