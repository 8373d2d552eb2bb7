// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/checkbackdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/sendplan.h"
#include "devicedata/setpointsdata.h"
#include "devicedata/settingsfingerprint.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalmodel.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/panelsettingsset.h"
#include "devicemonitor/settingstransfer.h"
#include "devicemonitor/writejournal.h"
#include "identityread.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr int SlaveId = 2;
constexpr quint16 MtzPickup = 34;
constexpr quint16 MtzReactionDelay = 35;
constexpr quint16 ToReactionDelay = 38;
// The clock's first register written: the flag of the automatic daylight saving time.
constexpr quint16 AutoDstRegister = 15;

JournalEntry sampleEntry()
{
    JournalEntry entry;
    entry.when = QDateTime::currentDateTimeUtc();
    entry.user = QStringLiteral("engineer");
    entry.port = QStringLiteral("/dev/ttyUSB0");
    entry.slaveId = SlaveId;
    entry.identityKnown = true;
    entry.deviceType = 0x8D90;
    entry.serialNumber = 1234567;
    entry.kind = JournalEntry::SettingsSend;
    for (quint16 address : { MtzPickup, MtzReactionDelay }) {
        JournalRegister reg;
        reg.address = address;
        reg.field = QStringLiteral("field %1").arg(address);
        reg.hasOld = true;
        reg.oldRaw = 100;
        reg.oldShown = QStringLiteral("1.00 A");
        reg.newRaw = 450;
        reg.newShown = QStringLiteral("4.50 A");
        entry.registers.append(reg);
    }
    return entry;
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the store's connection sets PRAGMA synchronous to; -1 when it cannot be read.
int synchronousMode(const JournalStore &store)
{
    QSqlQuery query(QSqlDatabase::database(store.connectionName()));
    return query.exec(QStringLiteral("PRAGMA synchronous")) && query.next() ? query.value(0).toInt()
                                                                            : -1;
}

// The one file beside `path` whose name starts with its name and the reason it was set aside.
QString setAsidePath(const QString &path, const QString &reason)
{
    const QFileInfo info(path);
    const QStringList aside = info.dir().entryList(
        { QStringLiteral("%1.%2-*").arg(info.fileName(), reason) }, QDir::Files);
    return aside.size() == 1 ? info.dir().filePath(aside.first()) : QString();
}

} // namespace

// The journal of writes: its file, and an entry for every write the program makes over the line.
class JournalTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void intentReadsUnknownUntilTheOutcomeIsRecorded();
    void codesNoVersionWroteReadAsUnknown();
    void everySessionSyncsEachCommit_data();
    void everySessionSyncsEachCommit();
    void modelFetchesNewestFirstAsScrolled();
    void twoInstancesKeepEveryEntry();
    void unreadableFileIsSetAsideAndToldOnce_data();
    void unreadableFileIsSetAsideAndToldOnce();
    void unwritableJournalAsksBeforeWriting_data();
    void unwritableJournalAsksBeforeWriting();

    void commandsAndClockRecordTheLinesAnswer();
    void refusedCommandsAndClockRecordTheRelaysAnswer();
    void relayOutsideTheListIsJournalledAsItSaidItWas();
    void swappedRelayIsNotWritten();
    void panelSetRecordsTheReadBack_data();
    void panelSetRecordsTheReadBack();
    void settingsSendIsOneEntryWithFingerprints();
    void programKilledDuringASendLeavesUnknown();

private:
    std::optional<JournalEntry> latestEntry() const;
    void journalInto(std::unique_ptr<JournalStore> store);
    bool journalInFolder();
    bool scanned();

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<QTemporaryDir> m_folder;
    QScopedPointer<DeviceMonitor> m_monitor;
    WriteJournal *m_journal = nullptr;
    QMap<quint16, quint16> m_pristine;
};

void JournalTest::initTestCase()
{
    m_bus.reset(new RelayBus({ SlaveId }));
    serveTestLink(*m_bus);
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    for (quint16 address = 24; address <= 51; ++address)
        m_pristine.insert(address, m_bus->holdingRegister(SlaveId, address));
}

void JournalTest::init()
{
    m_folder.reset(new QTemporaryDir);
    QVERIFY(m_folder->isValid());
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ 0, 60 });
    m_monitor->setAutoRefreshEnabled(false);
}

void JournalTest::cleanup()
{
    m_monitor.reset();
    m_journal = nullptr;
    m_folder.reset();
    m_bus->clearRegisterRules();
    m_bus->setFaults({});
    m_bus->clearReceivedWrites();
    for (auto value = m_pristine.cbegin(); value != m_pristine.cend(); ++value)
        m_bus->setHoldingRegister(SlaveId, value.key(), value.value());
}

std::optional<JournalEntry> JournalTest::latestEntry() const
{
    const QVector<JournalEntry> entries = m_journal->store()->entries(-1, QDate());
    if (entries.isEmpty())
        return std::nullopt;
    return entries.first();
}

// The monitor journals into `store` from now on, opened or not.
void JournalTest::journalInto(std::unique_ptr<JournalStore> store)
{
    m_journal = new WriteJournal(std::move(store), m_monitor.data());
    m_monitor->setWriteJournal(m_journal);
}

// The monitor journals into a file in the test's folder; false when the file does not open.
bool JournalTest::journalInFolder()
{
    auto store
        = std::make_unique<JournalStore>(m_folder->filePath(QStringLiteral("journal.sqlite")));
    if (!store->open())
        return false;
    journalInto(std::move(store));
    return true;
}

// Connected to the simulated line, relay 2 found by a scan and the monitor idle again.
bool JournalTest::scanned()
{
    if (!m_monitor->connectToPort(testLinkSettings(*m_bus)))
        return false;
    m_monitor->scan(SlaveId, SlaveId);
    return QTest::qWaitFor(
        [this] {
            return m_monitor->isCurrentDeviceAvailable()
                && m_monitor->state() == DeviceMonitor::Idle;
        },
        PassWaitMs);
}

void JournalTest::intentReadsUnknownUntilTheOutcomeIsRecorded()
{
    const QString path = m_folder->filePath(QStringLiteral("journal.sqlite"));
    qint64 id = 0;
    {
        JournalStore store(path);
        QVERIFY2(store.open(), qPrintable(store.errorText()));
        const std::optional<qint64> added = store.addEntry(sampleEntry());
        QVERIFY2(added, qPrintable(store.errorText()));
        id = *added;
    }
    // As a program killed after the intent leaves it, read by the next one.
    JournalStore reopened(path);
    QVERIFY(reopened.open());
    QVERIFY(reopened.takeSetAsideNotice().isEmpty());
    QVector<JournalEntry> entries = reopened.entries(1234567, QDate::currentDate());
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().user, QStringLiteral("engineer"));
    QCOMPARE(entries.first().registers.size(), 2);
    QCOMPARE(entries.first().registers.at(0).oldShown, QStringLiteral("1.00 A"));
    QCOMPARE(entries.first().registers.at(1).newRaw, qint64(450));
    QCOMPARE(entries.first().outcome(), JournalOutcome::Unknown);
    QVERIFY(reopened.entries(7654321, QDate()).isEmpty());
    QVERIFY(reopened.entries(-1, QDate::currentDate().addDays(1)).isEmpty());

    QVector<JournalRegister> outcomes = entries.first().registers;
    outcomes[0].outcome = JournalOutcome::Verified;
    outcomes[1].outcome = JournalOutcome::Changed;
    outcomes[1].detail = QStringLiteral("holds 2.00 A");
    QVERIFY(reopened.recordOutcomes(id, outcomes, QStringLiteral("0A1B2C3D")));
    entries = reopened.entries(-1, QDate());
    QCOMPARE(entries.first().registers.at(0).outcome, JournalOutcome::Verified);
    QCOMPARE(entries.first().registers.at(1).detail, QStringLiteral("holds 2.00 A"));
    QCOMPARE(entries.first().outcome(), JournalOutcome::Changed);
    QCOMPARE(entries.first().fingerprintAfter, QStringLiteral("0A1B2C3D"));
}

// A file written by hand, or by a later version, may hold any number where a kind or an outcome
// belongs: it reads as a write of no known kind with an unknown outcome, never as a value the
// program has no name for.
void JournalTest::codesNoVersionWroteReadAsUnknown()
{
    JournalStore store(m_folder->filePath(QStringLiteral("journal.sqlite")));
    QVERIFY2(store.open(), qPrintable(store.errorText()));
    QVERIFY(store.addEntry(sampleEntry()));
    QSqlQuery query(QSqlDatabase::database(store.connectionName()));
    QVERIFY(query.exec(QStringLiteral("UPDATE entries SET kind = 65, outcome = -3")));
    QVERIFY(query.exec(QStringLiteral("UPDATE registers SET outcome = 48")));

    const QVector<JournalEntry> entries = store.entries(-1, QDate());
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().kind, JournalEntry::OtherWrite);
    for (const JournalRegister &reg : entries.first().registers)
        QCOMPARE(reg.outcome, JournalOutcome::Unknown);
    JournalModel model(&store);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(
        model.index(0, JournalModel::OutcomeColumn).data().toString(), QStringLiteral("unknown"));
}

// Only a commit synced whole survives a power cut, whichever session made the file.
void JournalTest::everySessionSyncsEachCommit_data()
{
    QTest::addColumn<QString>("found");
    QTest::newRow("creates the file") << QString();
    QTest::newRow("a later session") << QStringLiteral("journal");
    QTest::newRow("sets a damaged file aside") << QStringLiteral("damaged");
}

void JournalTest::everySessionSyncsEachCommit()
{
    constexpr int Full = 2;
    QFETCH(QString, found);
    const QString path = m_folder->filePath(QStringLiteral("journal.sqlite"));
    if (found == QLatin1String("journal")) {
        JournalStore earlier(path);
        QVERIFY(earlier.open());
        QVERIFY(earlier.addEntry(sampleEntry()));
    } else if (found == QLatin1String("damaged")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
    }
    JournalStore store(path);
    QVERIFY2(store.open(), qPrintable(store.errorText()));
    QCOMPARE(store.takeSetAsideNotice().isEmpty(), found != QLatin1String("damaged"));
    QCOMPARE(synchronousMode(store), Full);
}

void JournalTest::modelFetchesNewestFirstAsScrolled()
{
    JournalStore store(m_folder->filePath(QStringLiteral("journal.sqlite")));
    QVERIFY(store.open());
    constexpr int Entries = 700;
    JournalEntry entry = sampleEntry();
    for (int i = 0; i < Entries; ++i) {
        entry.serialNumber = i % 2 ? 1111111 : 2222222;
        entry.slaveId = i % 60 + 1;
        QVERIFY(store.addEntry(entry));
    }
    JournalModel model(&store);
    // Not all at once: a long journal opens as fast as a short one.
    QVERIFY(model.rowCount() < Entries);
    QVERIFY(model.canFetchMore());
    // Between pages nothing is held open: a checkpoint that waits for every reader ends at once.
    QSqlQuery checkpoint(QSqlDatabase::database(store.connectionName()));
    QVERIFY(checkpoint.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
    QVERIFY(checkpoint.next());
    QCOMPARE(checkpoint.value(0).toInt(), 0);
    checkpoint.finish();
    // Entries written in between come before the rows fetched: the next pages neither repeat
    // nor skip a row.
    constexpr int WrittenMeanwhile = 3;
    entry.serialNumber = 3333333;
    for (int i = 0; i < WrittenMeanwhile; ++i)
        QVERIFY(store.addEntry(entry));
    while (model.canFetchMore())
        model.fetchMore();
    QCOMPARE(model.rowCount(), Entries);
    QCOMPARE(model.index(0, JournalModel::SlaveIdColumn).data().toInt(), (Entries - 1) % 60 + 1);
    QCOMPARE(model.index(0, JournalModel::SerialNumberColumn).data().toString(),
        QStringLiteral("1111111"));
    for (int row = 1; row < model.rowCount(); ++row)
        QVERIFY(model.entryId(row) < model.entryId(row - 1));
    model.reload();
    while (model.canFetchMore())
        model.fetchMore();
    QCOMPARE(model.rowCount(), Entries + WrittenMeanwhile);
    QCOMPARE(model.index(0, JournalModel::SerialNumberColumn).data().toString(),
        QStringLiteral("3333333"));

    model.setFilter(2222222, QDate(), QDate());
    while (model.canFetchMore())
        model.fetchMore();
    QCOMPARE(model.rowCount(), Entries / 2);
    model.setFilter(-1, QDate::currentDate().addDays(-1), QDate::currentDate().addDays(-1));
    QCOMPARE(model.rowCount(), 0);
}

// Another instance of the program writes the same journal while this one shows a view of it
// on more rows than a page: both keep every entry, whether this one writes after the other
// or at the same time, reading the view again after each write as the open view does.
void JournalTest::twoInstancesKeepEveryEntry()
{
    const QString path = m_folder->filePath(QStringLiteral("journal.sqlite"));
    JournalStore store(path);
    QVERIFY(store.open());
    const JournalEntry entry = sampleEntry();
    int written = 0;
    for (; written < JournalModel::PageSize + 44; ++written)
        QVERIFY(store.addEntry(entry));
    JournalModel view(&store);
    QVERIFY(view.canFetchMore());

    constexpr int OtherWrites = 100;
    const auto startOther = [&path](QProcess &other) {
        other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        other.start(QStringLiteral(JOURNAL_WRITE_HELPER), { path, QString::number(OtherWrites) });
        return other.waitForStarted();
    };
    const auto finishedWell = [](QProcess &other) {
        return other.state() == QProcess::NotRunning && other.exitStatus() == QProcess::NormalExit
            && other.exitCode() == 0;
    };
    {
        QProcess other;
        QVERIFY2(startOther(other), qPrintable(other.errorString()));
        QVERIFY(other.waitForFinished(PassWaitMs));
        QVERIFY(finishedWell(other));
    }
    QVERIFY2(store.addEntry(entry), qPrintable(store.errorText()));
    ++written;
    view.reload();

    QProcess other;
    QVERIFY2(startOther(other), qPrintable(other.errorString()));
    QDeadlineTimer deadline(PassWaitMs);
    while (other.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QVERIFY2(store.addEntry(entry), qPrintable(store.errorText()));
        ++written;
        view.reload();
        other.waitForFinished(5);
    }
    QVERIFY(finishedWell(other));

    const QVector<JournalEntry> entries = store.entries(-1, QDate());
    const auto byUser = [&entries](const QString &user) {
        return int(std::count_if(entries.cbegin(), entries.cend(),
            [&user](const JournalEntry &kept) { return kept.user == user; }));
    };
    QCOMPARE(byUser(entry.user), written);
    QCOMPARE(byUser(QStringLiteral("second instance")), 2 * OtherWrites);
    view.reload();
    while (view.canFetchMore())
        view.fetchMore();
    QCOMPARE(view.rowCount(), written + 2 * OtherWrites);
}

void JournalTest::unreadableFileIsSetAsideAndToldOnce_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("not a database") << QStringLiteral("garbage");
    // A sound header, with the version, before a schema that cannot be read.
    QTest::newRow("a damaged schema") << QStringLiteral("damaged schema");
    QTest::newRow("a newer schema") << QStringLiteral("newer");
}

void JournalTest::unreadableFileIsSetAsideAndToldOnce()
{
    QFETCH(QString, file);
    const bool newer = file == QLatin1String("newer");
    const QString path = m_folder->filePath(QStringLiteral("journal.sqlite"));
    if (file == QLatin1String("garbage")) {
        QFile garbage(path);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, 'x'));
    } else {
        JournalStore store(path);
        QVERIFY(store.open());
        QVERIFY(store.addEntry(sampleEntry()));
        QSqlQuery query(QSqlDatabase::database(store.connectionName()));
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version=%1")
                               .arg(JournalStore::SchemaVersion + (newer ? 1 : 0))));
    }
    if (file == QLatin1String("damaged schema")) {
        constexpr int HeaderSize = 100;
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        QVERIFY(damaged.seek(HeaderSize));
        damaged.write(QByteArray(1000, '\xff'));
    }
    const QByteArray before = fileContents(path);

    JournalStore store(path);
    QVERIFY2(store.open(), qPrintable(store.errorText()));
    const QString aside
        = setAsidePath(path, newer ? QStringLiteral("newer") : QStringLiteral("damaged"));
    QVERIFY2(!aside.isEmpty(), "the old journal was not kept beside the new one");
    QCOMPARE(fileContents(aside), before);
    const QString notice = store.takeSetAsideNotice();
    QVERIFY2(notice.contains(aside), qPrintable(notice));
    QVERIFY(store.takeSetAsideNotice().isEmpty());
    QVERIFY(store.entries(-1, QDate()).isEmpty());
    QVERIFY(store.addEntry(sampleEntry()));
    QCOMPARE(store.entries(-1, QDate()).size(), 1);
}

void JournalTest::unwritableJournalAsksBeforeWriting_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<bool>("withoutJournal");
    // Root writes through file permissions; these stop it too.
    QTest::newRow("folder is a file, cancel") << QStringLiteral("file") << false;
    QTest::newRow("folder is a file, go on") << QStringLiteral("file") << true;
    QTest::newRow("journal is a folder, cancel") << QStringLiteral("folder") << false;
}

void JournalTest::unwritableJournalAsksBeforeWriting()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, withoutJournal);
    QString path;
    if (obstacle == QLatin1String("file")) {
        QFile file(m_folder->filePath(QStringLiteral("folder")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        path = m_folder->filePath(QStringLiteral("folder/journal.sqlite"));
    } else {
        path = m_folder->filePath(QStringLiteral("journal.sqlite"));
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("journal.sqlite")));
    }
    auto store = std::make_unique<JournalStore>(path);
    QVERIFY(!store->open());
    QCOMPARE(store->error(), JournalStore::CannotOpen);
    journalInto(std::move(store));
    int asked = 0;
    m_journal->setUnwritableHandler([&asked, withoutJournal](const QString &) {
        ++asked;
        return withoutJournal;
    });
    QSignalSpy told(m_journal, &WriteJournal::unwritable);
    QVERIFY(scanned());

    CheckbackData checkback;
    const int checkbacksBefore = m_bus->checkbackCount(SlaveId);
    QSignalSpy written(m_monitor.data(), &DeviceMonitor::deviceDataWritten);
    QSignalSpy refused(m_monitor.data(), &DeviceMonitor::writeRefused);
    QVERIFY(m_monitor->writeToCurrentDevice({ &checkback }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 1, PassWaitMs);
    QCOMPARE(asked, 1);
    QCOMPARE(told.count(), 1);
    if (!withoutJournal) {
        // Nothing may reach the relay that the journal did not take.
        QCOMPARE(refused.count(), 1);
        QVERIFY(!checkback.isWriteSuccessful());
        QTest::qWait(PassWaitMs / 10);
        QCOMPARE(m_bus->checkbackCount(SlaveId), checkbacksBefore);
        return;
    }
    QVERIFY(checkback.isWriteSuccessful());
    QCOMPARE(refused.count(), 0);
    QVERIFY(m_journal->isSuspended());
    // The rest of the session writes without asking again.
    QVERIFY(m_monitor->writeToCurrentDevice({ &checkback }));
    QCOMPARE(asked, 1);
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 2, PassWaitMs);
}

void JournalTest::commandsAndClockRecordTheLinesAnswer()
{
    QVERIFY(journalInFolder());
    QVERIFY(scanned());
    QSignalSpy written(m_monitor.data(), &DeviceMonitor::deviceDataWritten);

    CheckbackData checkback;
    // The intent is there by the time the relay answers the command.
    std::optional<JournalEntry> entry;
    QMetaObject::Connection answered
        = connect(m_monitor.data(), &DeviceMonitor::transactionFinished, this,
            [this, &entry](const ModbusTransaction &transaction) {
                if (transaction.function >= ModbusRequest::WriteSingleCoil && !entry)
                    entry = latestEntry();
            });
    QVERIFY(m_monitor->writeToCurrentDevice({ &checkback }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 1, PassWaitMs);
    disconnect(answered);
    QVERIFY(entry);
    QCOMPARE(entry->kind, JournalEntry::Checkback);
    QCOMPARE(entry->outcome(), JournalOutcome::Unknown);
    entry = latestEntry();
    QCOMPARE(entry->outcome(), JournalOutcome::Acknowledged);
    QCOMPARE(entry->slaveId, SlaveId);
    QVERIFY(entry->identityKnown);
    QCOMPARE(entry->port, testLinkSettings(*m_bus).endpointName());
    QCOMPARE(entry->registers.size(), 1);
    QVERIFY2(entry->registers.first().field.startsWith(QLatin1String("coil")),
        qPrintable(entry->registers.first().field));

    DeviceTimeData clock;
    DeviceTime time;
    time.dateTime = validValue(QDateTime::currentDateTime());
    time.autoDst = validValue(0);
    clock.setNewDeviceTime(time);
    QVERIFY(m_monitor->writeToAllDevices({ &clock }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 2, PassWaitMs);
    entry = latestEntry();
    QCOMPARE(entry->kind, JournalEntry::ClockSetToAll);
    QCOMPARE(entry->slaveId, 0);
    QVERIFY(!entry->identityKnown);
    // A broadcast has no answer: it went out, and that is all that is known.
    QCOMPARE(entry->outcome(), JournalOutcome::Unconfirmed);

    afterIdentityRead(*m_monitor, this, [this] { m_bus->setRelayOnline(SlaveId, false); });
    QVERIFY(m_monitor->writeToCurrentDevice({ &clock }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 3, PassWaitMs);
    m_bus->setRelayOnline(SlaveId, true);
    entry = latestEntry();
    QCOMPARE(entry->kind, JournalEntry::ClockSet);
    // Unanswered, it may have landed all the same.
    QCOMPARE(entry->outcome(), JournalOutcome::Unknown);
}

void JournalTest::refusedCommandsAndClockRecordTheRelaysAnswer()
{
    QVERIFY(journalInFolder());
    QVERIFY(scanned());
    QSignalSpy written(m_monitor.data(), &DeviceMonitor::deviceDataWritten);

    // The relay refuses the clock's first register: the rest is never sent.
    m_bus->setRegisterRule(SlaveId, AutoDstRegister,
        *RegisterRule::parse(QStringLiteral("refuse"), QStringLiteral("3")));
    DeviceTimeData clock;
    DeviceTime time;
    time.dateTime = validValue(QDateTime::currentDateTime());
    time.autoDst = validValue(0);
    clock.setNewDeviceTime(time);
    QVERIFY(m_monitor->writeToCurrentDevice({ &clock }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 1, PassWaitMs);
    std::optional<JournalEntry> entry = latestEntry();
    QVERIFY(entry);
    QCOMPARE(entry->kind, JournalEntry::ClockSet);
    QCOMPARE(entry->outcome(), JournalOutcome::Refused);
    QCOMPARE(entry->registers.size(), 4);
    for (const JournalRegister &reg : std::as_const(entry->registers)) {
        if (reg.address == AutoDstRegister) {
            QCOMPARE(reg.outcome, JournalOutcome::Refused);
            QCOMPARE(reg.detail, QStringLiteral("Exception 3: illegal data value"));
        } else {
            QCOMPARE(reg.outcome, JournalOutcome::NotSent);
        }
    }
    m_bus->clearRegisterRules();

    // Every answer an exception, its code drawn by the simulator.
    FaultSettings faults;
    faults.exceptionProbability = 1;
    afterIdentityRead(*m_monitor, this, [this, faults] { m_bus->setFaults(faults); });
    CheckbackData checkback;
    QVERIFY(m_monitor->writeToCurrentDevice({ &checkback }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 2, PassWaitMs);
    entry = latestEntry();
    QCOMPARE(entry->kind, JournalEntry::Checkback);
    QCOMPARE(entry->outcome(), JournalOutcome::Refused);
    QVERIFY2(entry->registers.first().detail.startsWith(QLatin1String("Exception ")),
        qPrintable(entry->registers.first().detail));

    // An answer spoilt on the line is no refusal: the relay may have acted on the command.
    faults = {};
    faults.badCrcProbability = 1;
    m_bus->setFaults({});
    afterIdentityRead(*m_monitor, this, [this, faults] { m_bus->setFaults(faults); });
    QVERIFY(m_monitor->writeToCurrentDevice({ &checkback }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 3, PassWaitMs);
    entry = latestEntry();
    QCOMPARE(entry->outcome(), JournalOutcome::Unknown);
    QCOMPARE(entry->registers.first().detail, QStringLiteral("Invalid CRC"));
}

// Chosen by its ID without a scan, as the benchmarks and a gateway's fixed ID do: the entry names
// the relay as it said it was just before the write.
void JournalTest::relayOutsideTheListIsJournalledAsItSaidItWas()
{
    QVERIFY(journalInFolder());
    QVERIFY(m_monitor->connectToPort(testLinkSettings(*m_bus)));
    m_monitor->setCurrentDeviceId(SlaveId);
    QSignalSpy written(m_monitor.data(), &DeviceMonitor::deviceDataWritten);
    CheckbackData checkback;
    QVERIFY(m_monitor->writeToCurrentDevice({ &checkback }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 1, PassWaitMs);
    const std::optional<JournalEntry> entry = latestEntry();
    QVERIFY(entry);
    QCOMPARE(entry->slaveId, SlaveId);
    QVERIFY(entry->identityKnown);
    QCOMPARE(entry->serialNumber,
        qint64(m_bus->holdingRegister(SlaveId, 2)) << 16 | m_bus->holdingRegister(SlaveId, 3));
    QCOMPARE(entry->outcome(), JournalOutcome::Acknowledged);
}

// The relay behind the ID was swapped after the scan: the command does not go out, the reason
// names both serial numbers, and the journal records no write.
void JournalTest::swappedRelayIsNotWritten()
{
    QVERIFY(journalInFolder());
    QVERIFY(scanned());
    constexpr int SerialLowRegister = 3;
    const quint16 low = m_bus->holdingRegister(SlaveId, SerialLowRegister);
    const qint64 shown = qint64(m_bus->holdingRegister(SlaveId, SerialLowRegister - 1)) << 16 | low;
    QVERIFY(m_bus->setHoldingRegister(SlaveId, SerialLowRegister, quint16(low + 1)));
    const auto restore
        = qScopeGuard([this, low] { m_bus->setHoldingRegister(SlaveId, SerialLowRegister, low); });
    const int checkbacks = m_bus->checkbackCount(SlaveId);
    QSignalSpy written(m_monitor.data(), &DeviceMonitor::deviceDataWritten);
    QSignalSpy refused(m_monitor.data(), &DeviceMonitor::writeRefused);

    CheckbackData checkback;
    QVERIFY(m_monitor->writeToCurrentDevice({ &checkback }));
    QVERIFY(refused.wait(PassWaitMs));
    QCOMPARE(written.count(), 1);
    QCOMPARE(refused.at(0).at(1).toString(),
        QStringLiteral("Nothing was written: Device %1 is now serial number %2, not serial number "
                       "%3 as shown. Scan the line again.")
            .arg(SlaveId)
            .arg(shown + 1, 7, 10, QLatin1Char('0'))
            .arg(shown, 7, 10, QLatin1Char('0')));
    QVERIFY(!checkback.isWriteSuccessful());
    QCOMPARE(m_bus->checkbackCount(SlaveId), checkbacks);
    // Nothing went out, so there is no write to record.
    QVERIFY(!latestEntry());

    // Once the list shows the relay now there, the write goes out, recorded under that relay.
    m_monitor->scan(SlaveId, SlaveId);
    QVERIFY(QTest::qWaitFor(
        [this] {
            return m_monitor->isCurrentDeviceAvailable()
                && m_monitor->state() == DeviceMonitor::Idle;
        },
        PassWaitMs));
    QVERIFY(m_monitor->writeToCurrentDevice({ &checkback }));
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 2, PassWaitMs);
    QVERIFY(checkback.isWriteSuccessful());
    const std::optional<JournalEntry> entry = latestEntry();
    QVERIFY(entry);
    QCOMPARE(entry->serialNumber, shown + 1);
    QCOMPARE(entry->outcome(), JournalOutcome::Acknowledged);
}

void JournalTest::panelSetRecordsTheReadBack_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("detail");
    QTest::newRow("taken") << QString() << int(JournalOutcome::Verified) << QString();
    QTest::newRow("clamped") << QStringLiteral("clamp 10-200") << int(JournalOutcome::Changed)
                             << QStringLiteral("holds 4.00 A");
    QTest::newRow("refused") << QStringLiteral("refuse 4") << int(JournalOutcome::Refused)
                             << QStringLiteral("Exception 4: slave device failure");
}

void JournalTest::panelSetRecordsTheReadBack()
{
    QFETCH(QString, rule);
    QFETCH(int, outcome);
    QFETCH(QString, detail);
    QVERIFY(journalInFolder());
    MeterageConfigurationData meterage;
    SetpointsData setpoints;
    m_journal->setCurrentRangeSource(&meterage);
    PanelSettingsSet set(m_monitor.data());
    QVERIFY(scanned());
    m_monitor->readFromCurrentDevice({ &meterage, &setpoints });
    QTRY_VERIFY_WITH_TIMEOUT(
        meterage.hasData() && setpoints.hasData() && setpoints.state() == DeviceData::Inactive,
        PassWaitMs);
    const qint64 oldPickup = setpoints.setpoints().mtzPickupCurrent.value;
    QVERIFY(oldPickup != 450);

    if (!rule.isEmpty())
        m_bus->setRegisterRule(SlaveId, MtzPickup,
            *RegisterRule::parse(
                rule.section(QLatin1Char(' '), 0, 0), rule.section(QLatin1Char(' '), 1, 1)));
    SettingsValues shown;
    collectFieldValues(setpoints.fields(), setpoints.setpoints(), shown);
    SettingsValues wanted = shown;
    wanted.insert(MtzPickup, 450);
    QSignalSpy finished(&set, &PanelSettingsSet::finished);
    set.start(JournalEntry::SetpointsSet, shown, wanted);
    QVERIFY(finished.wait(PassWaitMs));
    const auto pickup = [this]() -> std::optional<JournalRegister> {
        const std::optional<JournalEntry> entry = latestEntry();
        for (const JournalRegister &reg : entry ? entry->registers : QVector<JournalRegister>()) {
            if (reg.address == MtzPickup)
                return reg;
        }
        return std::nullopt;
    };
    QTRY_VERIFY_WITH_TIMEOUT(pickup() && pickup()->outcome != JournalOutcome::Unknown, PassWaitMs);
    const JournalRegister reg = *pickup();
    QCOMPARE(latestEntry()->kind, JournalEntry::SetpointsSet);
    QCOMPARE(int(reg.outcome), outcome);
    QVERIFY(reg.hasOld);
    QCOMPARE(reg.oldRaw, oldPickup);
    QCOMPARE(reg.newRaw, qint64(450));
    QVERIFY2(reg.newShown.contains(QLatin1String(" A")), qPrintable(reg.newShown));
    // What the relay answered or holds, not a word about the line in general.
    QCOMPARE(reg.detail, detail);
}

void JournalTest::settingsSendIsOneEntryWithFingerprints()
{
    QVERIFY(journalInFolder());
    QVERIFY(scanned());
    SettingsTransfer transfer(m_monitor.data());
    std::optional<RelaySettings> relay;
    connect(&transfer, &SettingsTransfer::relayRead, this,
        [&relay](const RelaySettings &read) { relay = read; });
    transfer.readCurrentDevice();
    QTRY_VERIFY_WITH_TIMEOUT(relay.has_value(), PassWaitMs);
    QVERIFY(!latestEntry());

    m_bus->setRegisterRule(SlaveId, MtzReactionDelay,
        *RegisterRule::parse(QStringLiteral("refuse"), QStringLiteral("4")));
    std::optional<SettingsSendResult> finished;
    connect(&transfer, &SettingsTransfer::sendFinished, this,
        [&finished](const SettingsSendResult &result) { finished = result; });
    transfer.send(SendPlan(
        *relay, { { MtzPickup, 450 }, { MtzReactionDelay, 55 }, { ToReactionDelay, 12 } }));
    QTRY_VERIFY_WITH_TIMEOUT(finished.has_value(), PassWaitMs);

    const QVector<JournalEntry> entries = m_journal->store()->entries(-1, QDate());
    QCOMPARE(entries.size(), 1);
    const JournalEntry &entry = entries.first();
    QCOMPARE(entry.kind, JournalEntry::SettingsSend);
    QCOMPARE(entry.serialNumber, relay->identity.serialNumber);
    QCOMPARE(entry.fingerprintBefore, fingerprintText(*settingsFingerprint(relay->values)));
    QCOMPARE(entry.fingerprintAfter, fingerprintText(*settingsFingerprint(finished->relay.values)));
    QMap<quint16, JournalOutcome> outcomes;
    for (const JournalRegister &reg : entry.registers)
        outcomes.insert(reg.address, reg.outcome);
    QCOMPARE(outcomes.value(MtzPickup), JournalOutcome::Verified);
    QCOMPARE(outcomes.value(MtzReactionDelay), JournalOutcome::Refused);
    QCOMPARE(outcomes.value(ToReactionDelay), JournalOutcome::NotSent);
}

void JournalTest::programKilledDuringASendLeavesUnknown()
{
    if (qEnvironmentVariableIsSet("KORVEL_TEST_LINK"))
        QSKIP("The helper speaks to the simulator's serial line only");
    const QString path = m_folder->filePath(QStringLiteral("journal.sqlite"));
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QStringLiteral(JOURNAL_SEND_HELPER), { m_bus->portPath(), path });
    QVERIFY2(helper.waitForStarted(), qPrintable(helper.errorString()));
    const auto writeSeen = [this] {
        const QList<ReceivedWrite> writes = m_bus->receivedWrites();
        return std::any_of(writes.cbegin(), writes.cend(),
            [](const ReceivedWrite &write) { return write.slaveId == SlaveId; });
    };
    QTRY_VERIFY_WITH_TIMEOUT(writeSeen() || helper.state() == QProcess::NotRunning, PassWaitMs);
    QCOMPARE(helper.state(), QProcess::Running);
    helper.kill();
    QVERIFY(helper.waitForFinished());
    QCOMPARE(helper.exitStatus(), QProcess::CrashExit);

    JournalStore store(path);
    QVERIFY2(store.open(), qPrintable(store.errorText()));
    QVERIFY(store.takeSetAsideNotice().isEmpty());
    const QVector<JournalEntry> entries = store.entries(-1, QDate());
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().kind, JournalEntry::SettingsSend);
    QCOMPARE(entries.first().registers.size(), 3);
    for (const JournalRegister &reg : entries.first().registers)
        QCOMPARE(reg.outcome, JournalOutcome::Unknown);
}

QTEST_GUILESS_MAIN(JournalTest)
#include "tst_journal.moc"
