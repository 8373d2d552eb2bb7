// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalconnection.h"
#include "devicemonitor/teamjournalreader.h"
#include "relaybus.h"
#include "settingsfolder.h"
#include "teamjournalserver.h"
#include "testtimeouts.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

constexpr int ForeignId = 9;
constexpr quint16 ForeignDeviceType = 0x8D91;
const QString Folder = QStringLiteral("line");

struct Run
{
    int exitStatus = -1;
    QByteArray out;
    QByteArray err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
    // The relays of the JSON output by slave ID.
    QJsonObject relay(int slaveId) const
    {
        const QJsonArray relays = json().value(QStringLiteral("relays")).toArray();
        for (const QJsonValue &relay : relays) {
            if (relay.toObject().value(QStringLiteral("slaveId")).toInt() == slaveId)
                return relay.toObject();
        }
        return {};
    }
    QString state(int slaveId) const
    {
        return relay(slaveId).value(QStringLiteral("state")).toString();
    }
};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// korvel-line as a script runs it, over the simulator: relays 2, 5 and 17 of ours and one of
// another type. The connection comes from settings.ini in the working folder.
class KorvelLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void backupEditCompareReport();
    void sendWritesOnlyTheRelayThatDiffers();
    void sendIsCopiedToTheTeamJournal();
    void backupNeverOverwritesSilently();
    void silentExpectedRelayFailsCompare();
    void connectionFromTheCommandLine();
    void journalExport();

private:
    Run run(const QStringList &arguments);
    void backUp();
    // Adds `step` to the raw value of `field` in the relay's file, as a person editing it would.
    void editFile(const QString &file, const QString &field, int step);

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<SettingsFolder> m_folder;
    QMap<int, QString> m_files; // by slave ID, after backUp()
};

void KorvelLineTest::initTestCase()
{
    m_bus.reset(new RelayBus({ 2, 5, ForeignId, 17 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    m_bus->setDeviceTypeCode(ForeignId, ForeignDeviceType);
}

void KorvelLineTest::init()
{
    m_folder.reset(new SettingsFolder);
    QVERIFY(m_folder->isEntered());
    QFile ini(m_folder->filePath(QStringLiteral("settings.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[connection_settings]\nport_name=%1\n"
                             "[device_settings]\nreadiness_delay=0\nresponse_timeout=60\n")
                  .arg(m_bus->portPath())
                  .toUtf8());
}

void KorvelLineTest::cleanup()
{
    m_bus->setRelayOnline(17, true);
    m_files.clear();
    m_folder.reset();
}

Run KorvelLineTest::run(const QStringList &arguments)
{
    QProcess program;
    program.start(QStringLiteral(KORVEL_LINE_PROGRAM),
        QStringList { QStringLiteral("--ids"), QStringLiteral("1-17") } + arguments);
    Run result;
    if (!program.waitForFinished(PassWaitMs * 4) || program.exitStatus() != QProcess::NormalExit) {
        qWarning("korvel-line %s did not end", qPrintable(arguments.join(QLatin1Char(' '))));
        program.kill();
        program.waitForFinished();
        return result;
    }
    result.exitStatus = program.exitCode();
    result.out = program.readAllStandardOutput();
    result.err = program.readAllStandardError();
    return result;
}

void KorvelLineTest::backUp()
{
    const Run backup = run({ QStringLiteral("backup"), Folder, QStringLiteral("--json") });
    QVERIFY2(backup.exitStatus == 0, backup.err.constData());
    const QJsonArray written = backup.json().value(QStringLiteral("written")).toArray();
    QCOMPARE(written.size(), 3);
    for (int id : { 2, 5, 17 }) {
        const QString name
            = QStringLiteral("%1-%2.json")
                  .arg(id, 2, 10, QLatin1Char('0'))
                  .arg(backup.relay(id).value(QStringLiteral("serialNumber")).toString());
        QVERIFY2(written.contains(name), qPrintable(name));
        QVERIFY(QFile::exists(QDir(Folder).filePath(name)));
        m_files.insert(id, QDir(Folder).filePath(name));
    }
    QCOMPARE(backup.state(ForeignId), QStringLiteral("another-type"));
    const QJsonObject manifest
        = QJsonDocument::fromJson(contents(QDir(Folder).filePath(QStringLiteral("line.json"))))
              .object();
    QCOMPARE(manifest.value(QStringLiteral("relays")).toArray().size(), 3);
}

void KorvelLineTest::editFile(const QString &file, const QString &field, int step)
{
    QJsonObject settings = QJsonDocument::fromJson(contents(file)).object();
    QJsonArray fields = settings.value(QStringLiteral("fields")).toArray();
    bool edited = false;
    for (QJsonValueRef value : fields) {
        QJsonObject entry = value.toObject();
        if (entry.value(QStringLiteral("name")).toString() == field) {
            entry.insert(QStringLiteral("raw"), entry.value(QStringLiteral("raw")).toInt() + step);
            value = entry;
            edited = true;
        }
    }
    QVERIFY(edited);
    settings.insert(QStringLiteral("fields"), fields);
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(QJsonDocument(settings).toJson());
}

void KorvelLineTest::backupEditCompareReport()
{
    backUp();
    const Run same = run({ QStringLiteral("compare"), Folder });
    QVERIFY2(same.exitStatus == 0, same.out.constData());

    editFile(m_files.value(5), QStringLiteral("mtzReactionDelay"), 10);
    const Run differs = run({ QStringLiteral("compare"), Folder, QStringLiteral("--json") });
    QCOMPARE(differs.exitStatus, 1);
    QCOMPARE(differs.json().value(QStringLiteral("exitStatus")).toInt(), 1);
    QCOMPARE(differs.state(2), QStringLiteral("identical"));
    QCOMPARE(differs.state(17), QStringLiteral("identical"));
    QCOMPARE(differs.state(ForeignId), QStringLiteral("another-type"));
    const QJsonObject relay5 = differs.relay(5);
    QCOMPARE(relay5.value(QStringLiteral("state")).toString(), QStringLiteral("differs"));
    const QJsonArray differences = relay5.value(QStringLiteral("differences")).toArray();
    QCOMPARE(differences.size(), 1);
    QCOMPARE(differences.at(0).toObject().value(QStringLiteral("field")).toString(),
        QStringLiteral("mtzReactionDelay"));
    QCOMPARE(differences.at(0).toObject().value(QStringLiteral("register")).toInt(), 35);
    QVERIFY(relay5.value(QStringLiteral("relayFingerprint"))
        != relay5.value(QStringLiteral("fileFingerprint")));

    // For a person: one line names the relay and the field, and no other relay has one.
    const Run text = run({ QStringLiteral("compare"), Folder });
    QCOMPARE(text.exitStatus, 1);
    const QRegularExpression named(
        QStringLiteral("^\\S+ (\\d+): .*\\((\\w+)\\)"), QRegularExpression::MultilineOption);
    QStringList found;
    for (auto match = named.globalMatch(QString::fromUtf8(text.out)); match.hasNext();) {
        const QRegularExpressionMatch each = match.next();
        found.append(each.captured(1) + QLatin1Char(' ') + each.captured(2));
    }
    QCOMPARE(found, QStringList { QStringLiteral("5 mtzReactionDelay") });

    const Run report = run({ QStringLiteral("report"), Folder, QStringLiteral("line.pdf") });
    QVERIFY2(report.exitStatus == 0, report.err.constData());
    const QByteArray pdf = contents(QStringLiteral("line.pdf"));
    QVERIFY(pdf.startsWith("%PDF"));
    // The summary, then a page at least for each of the four relays.
    const int pages = pdf.count("/Type /Page\n");
    QVERIFY2(pages >= 5, qPrintable(QString::number(pages)));
}

// The plans first, with nothing written; then the send itself, journalled for that relay alone;
// then the line is at its files. A relay that cannot be sent its file is refused before any write.
void KorvelLineTest::sendWritesOnlyTheRelayThatDiffers()
{
    constexpr quint16 MtzReactionDelay = 35;
    const quint16 before = m_bus->holdingRegister(5, MtzReactionDelay);
    const auto restore
        = qScopeGuard([this, before] { m_bus->setHoldingRegister(5, MtzReactionDelay, before); });
    backUp();
    editFile(m_files.value(5), QStringLiteral("mtzReactionDelay"), 10);

    const Run plans = run({ QStringLiteral("send"), Folder, QStringLiteral("--json") });
    QCOMPARE(plans.exitStatus, 1);
    const QJsonArray planned = plans.json().value(QStringLiteral("plans")).toArray();
    QCOMPARE(planned.size(), 1);
    QCOMPARE(planned.at(0).toObject().value(QStringLiteral("id")).toInt(), 5);
    QCOMPARE(planned.at(0).toObject().value(QStringLiteral("values")).toInt(), 1);
    QCOMPARE(m_bus->holdingRegister(5, MtzReactionDelay), before);

    const Run foreign = run({ QStringLiteral("send"), Folder, QStringLiteral("--only"),
        QStringLiteral("%1").arg(ForeignId), QStringLiteral("--yes") });
    QCOMPARE(foreign.exitStatus, 2);
    QCOMPARE(m_bus->holdingRegister(5, MtzReactionDelay), before);

    const Run sent = run(
        { QStringLiteral("send"), Folder, QStringLiteral("--yes"), QStringLiteral("--json") });
    QVERIFY2(sent.exitStatus == 0, sent.out.constData());
    const QJsonArray relays = sent.json().value(QStringLiteral("sent")).toArray();
    QCOMPARE(relays.size(), 1);
    QCOMPARE(relays.at(0).toObject().value(QStringLiteral("id")).toInt(), 5);
    QVERIFY(relays.at(0).toObject().value(QStringLiteral("verified")).toBool());
    QCOMPARE(m_bus->holdingRegister(5, MtzReactionDelay), quint16(before + 10));

    QCOMPARE(run({ QStringLiteral("compare"), Folder }).exitStatus, 0);
    QCOMPARE(run({ QStringLiteral("send"), Folder }).exitStatus, 0);
    JournalStore journal(JournalStore::defaultPath());
    QVERIFY(journal.open());
    const QVector<JournalEntry> entries = journal.entries(-1, QDate());
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().slaveId, 5);
    QCOMPARE(entries.first().kind, JournalEntry::SettingsSend);
    QCOMPARE(entries.first().outcome(), JournalOutcome::Verified);
}

// The command line's send reaches the team journal as the window's does, before the program ends.
void KorvelLineTest::sendIsCopiedToTheTeamJournal()
{
    TEAM_JOURNAL_OR_SKIP(team);
    constexpr quint16 MtzReactionDelay = 35;
    const quint16 before = m_bus->holdingRegister(17, MtzReactionDelay);
    const auto restore
        = qScopeGuard([this, before] { m_bus->setHoldingRegister(17, MtzReactionDelay, before); });
    QFile ini(m_folder->filePath(QStringLiteral("settings.ini")));
    QVERIFY(ini.open(QIODevice::Append));
    ini.write(QStringLiteral("[team_journal]\nhost=%1\nport=%2\ndatabase=%3\nuser=%4\n")
                  .arg(team->host)
                  .arg(team->port)
                  .arg(team->database, team->user)
                  .toUtf8());
    ini.close();
    backUp();
    editFile(m_files.value(17), QStringLiteral("mtzReactionDelay"), 5);

    const Run sent = run({ QStringLiteral("send"), Folder, QStringLiteral("--yes") });
    QVERIFY2(sent.exitStatus == 0, sent.err.constData());
    QVERIFY2(!sent.err.contains("team journal"), sent.err.constData());
    JournalStore journal(JournalStore::defaultPath());
    QVERIFY(journal.open());
    const QVector<JournalEntry> local = journal.entries(-1, QDate());
    QCOMPARE(local.size(), 1);

    TeamJournalConnection server(*team, QString());
    QString error;
    QVERIFY2(server.open(&error), qPrintable(error));
    TeamJournalFilter filter;
    filter.serialNumber = local.first().serialNumber;
    QVector<JournalEntry> copied;
    QVERIFY2(readTeamJournal(server, filter, &copied, &error), qPrintable(error));
    const auto entry = std::find_if(copied.cbegin(), copied.cend(),
        [&local](const JournalEntry &each) { return each.uuid == local.first().uuid; });
    QVERIFY(entry != copied.cend());
    QCOMPARE(entry->outcome(), JournalOutcome::Verified);
}

void KorvelLineTest::backupNeverOverwritesSilently()
{
    backUp();
    editFile(m_files.value(2), QStringLiteral("mtzReactionDelay"), 10);
    const QByteArray edited = contents(m_files.value(2));

    const Run refused = run({ QStringLiteral("backup"), Folder, QStringLiteral("--json") });
    QCOMPARE(refused.exitStatus, 2);
    QCOMPARE(refused.json().value(QStringLiteral("existing")).toArray().size(), 3);
    QVERIFY(refused.json().value(QStringLiteral("written")).toArray().isEmpty());
    QCOMPARE(contents(m_files.value(2)), edited);

    const Run overwritten
        = run({ QStringLiteral("backup"), Folder, QStringLiteral("--overwrite") });
    QVERIFY2(overwritten.exitStatus == 0, overwritten.err.constData());
    QVERIFY(contents(m_files.value(2)) != edited);
    QCOMPARE(run({ QStringLiteral("compare"), Folder }).exitStatus, 0);
}

void KorvelLineTest::silentExpectedRelayFailsCompare()
{
    backUp();
    m_bus->setRelayOnline(17, false);
    const Run compare = run({ QStringLiteral("compare"), Folder, QStringLiteral("--json") });
    QCOMPARE(compare.exitStatus, 1);
    QCOMPARE(compare.state(17), QStringLiteral("not-answering"));
    QCOMPARE(compare.state(2), QStringLiteral("identical"));
    QCOMPARE(compare.state(5), QStringLiteral("identical"));

    // A relay that does not answer is not backed up: the backup says so.
    const Run backup = run({ QStringLiteral("backup"), Folder, QStringLiteral("--overwrite"),
        QStringLiteral("--json") });
    QCOMPARE(backup.exitStatus, 2);
    QCOMPARE(backup.json().value(QStringLiteral("notSaved")).toArray(), QJsonArray { 17 });
}

void KorvelLineTest::connectionFromTheCommandLine()
{
    const QString missing = m_folder->filePath(QStringLiteral("no-such-port"));
    const Run refused = run(
        { QStringLiteral("--port"), missing, QStringLiteral("scan"), QStringLiteral("--json") });
    QCOMPARE(refused.exitStatus, 2);
    QVERIFY(!refused.json().value(QStringLiteral("error")).toString().isEmpty());

    // The port given wins over settings.ini; the JSON stays whole with the frame trace on.
    QFile::remove(m_folder->filePath(QStringLiteral("settings.ini")));
    const Run scan = run({ QStringLiteral("--port"), m_bus->portPath(), QStringLiteral("scan"),
        QStringLiteral("--json") });
    QVERIFY2(scan.exitStatus == 0, scan.err.constData());
    QCOMPARE(scan.json().value(QStringLiteral("relays")).toArray().size(), 4);
    QCOMPARE(scan.relay(ForeignId).value(QStringLiteral("deviceType")).toString(),
        QStringLiteral("8D91"));
    QVERIFY(scan.relay(2).value(QStringLiteral("answered")).toInt() > 0);

    const Run usage = run({ QStringLiteral("scan"), QStringLiteral("extra") });
    QCOMPARE(usage.exitStatus, 2);
    QVERIFY(usage.out.isEmpty());
}

void KorvelLineTest::journalExport()
{
    const Run none = run({ QStringLiteral("journal-export"), QStringLiteral("writes.csv") });
    QCOMPARE(none.exitStatus, 2);
    QVERIFY(!QFile::exists(QStringLiteral("writes.csv")));

    {
        JournalStore store(JournalStore::defaultPath());
        QVERIFY(store.open());
        JournalEntry entry;
        entry.when = QDateTime::currentDateTimeUtc();
        entry.slaveId = 5;
        entry.kind = JournalEntry::Checkback;
        JournalRegister reg;
        reg.address = 2;
        reg.field = QStringLiteral("=cmd");
        entry.registers = { reg, reg };
        QVERIFY(store.addEntry(entry));
    }
    const Run exported = run({ QStringLiteral("journal-export"), QStringLiteral("writes.csv"),
        QStringLiteral("--json") });
    QVERIFY2(exported.exitStatus == 0, exported.err.constData());
    QCOMPARE(exported.json().value(QStringLiteral("entries")).toInt(), 1);
    const QStringList lines
        = QString::fromUtf8(contents(QStringLiteral("writes.csv"))).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4); // the header, two registers, the end of the last line
    // Text the program did not make stays no formula.
    QVERIFY2(lines.at(1).contains(QStringLiteral(",'=cmd,")), qPrintable(lines.at(1)));
}

QTEST_GUILESS_MAIN(KorvelLineTest)
#include "tst_korvelline.moc"
