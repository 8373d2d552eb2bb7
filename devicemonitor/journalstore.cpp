// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalstore.h"

#include "devicemonitor/journalreader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUuid>
#include <QVariant>

#include <utility>

namespace {

// SQLite's result codes for a file that is not a database, or a damaged one.
const QString SqliteCorrupt = QStringLiteral("11");
const QString SqliteNotADatabase = QStringLiteral("26");

bool isDamaged(const QSqlError &error)
{
    return error.nativeErrorCode() == SqliteCorrupt
        || error.nativeErrorCode() == SqliteNotADatabase;
}

// Runs statements in order; the first that fails is left in `failed`.
bool execAll(QSqlDatabase &db, const QStringList &statements, QSqlError *failed)
{
    for (const QString &statement : statements) {
        QSqlQuery query(db);
        if (!query.exec(statement)) {
            *failed = query.lastError();
            return false;
        }
    }
    return true;
}

// The journal as version 1 made it.
QStringList version1Tables()
{
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS entries (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "at_ms INTEGER NOT NULL, user TEXT, port TEXT, slave_id INTEGER, "
                       "identity_known INTEGER, device_type INTEGER, serial_number INTEGER, "
                       "kind INTEGER, fingerprint_before TEXT, fingerprint_after TEXT, "
                       "outcome INTEGER, register_count INTEGER)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS registers (entry_id INTEGER NOT NULL, "
                       "position INTEGER NOT NULL, address INTEGER, field TEXT, has_old INTEGER, "
                       "old_raw INTEGER, old_shown TEXT, new_raw INTEGER, new_shown TEXT, "
                       "outcome INTEGER, detail TEXT, PRIMARY KEY (entry_id, position))"),
        QStringLiteral(
            "CREATE INDEX IF NOT EXISTS entries_by_relay ON entries (serial_number, at_ms)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS entries_by_time ON entries (at_ms)"),
    };
}

// Version 2 over version 1: what copying to the team journal needs.
QStringList version2Columns()
{
    return {
        QStringLiteral("ALTER TABLE entries ADD COLUMN uuid TEXT"),
        QStringLiteral("ALTER TABLE entries ADD COLUMN laptop TEXT"),
        QStringLiteral("ALTER TABLE entries ADD COLUMN revision INTEGER NOT NULL DEFAULT 0"),
        QStringLiteral("ALTER TABLE entries ADD COLUMN copied_revision INTEGER"),
        QStringLiteral("ALTER TABLE entries ADD COLUMN outcome_at_ms INTEGER"),
        QStringLiteral("CREATE INDEX entries_to_copy ON entries (id) "
                       "WHERE copied_revision IS NULL OR copied_revision < revision"),
    };
}

// Every entry of a version 1 file was made on this computer: it gets this computer's name (the
// value bound) and a random (version 4) UUID of its own.
QString version2Stamp()
{
    return QStringLiteral(
        "UPDATE entries SET laptop = ?, uuid = lower(hex(randomblob(4))) || '-' || "
        "lower(hex(randomblob(2))) || '-4' || substr(lower(hex(randomblob(2))), 2) || '-' || "
        "substr('89ab', 1 + abs(random() % 4), 1) || substr(lower(hex(randomblob(2))), 2) || "
        "'-' || lower(hex(randomblob(6)))");
}

QString uuidText(const QUuid &uuid)
{
    return uuid.toString(QUuid::WithoutBraces);
}

} // namespace

QString JournalStore::defaultPath()
{
    return QDir::current().filePath(QStringLiteral("journal.sqlite"));
}

JournalStore::JournalStore(const QString &path) : m_path(path)
{
}

JournalStore::~JournalStore() = default;

bool JournalStore::open()
{
    m_error = NoError;
    m_errorText.clear();
    if (!openFile())
        return false;
    QSqlError failed;
    std::optional<int> fileVersion = prepareFile(&failed);
    if (!fileVersion && !isDamaged(failed))
        return fail(CannotOpen, failed.text());
    if (!fileVersion || *fileVersion > SchemaVersion) {
        if (!setAside(fileVersion ? Newer : Damaged) || !openFile())
            return false;
        fileVersion = prepareFile(&failed);
        if (!fileVersion)
            return fail(CannotOpen, failed.text());
    }
    if (*fileVersion == 1 ? !migrateFromVersion1()
                          : *fileVersion != SchemaVersion && !createSchema())
        return false;
    m_reader = std::make_unique<JournalReader>(m_path);
    m_open = true;
    return true;
}

std::optional<int> JournalStore::prepareFile(QSqlError *failed)
{
    QSqlQuery query(m_connection.database());
    // At every open, since a connection starts with SQLite's default. FULL syncs the log at
    // every commit: NORMAL's commits survive a killed program, not a power cut. It reads the
    // schema, so a file damaged past its header fails here.
    if (!query.exec(QStringLiteral("PRAGMA synchronous=FULL"))
        || !query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *failed = query.lastError();
        return std::nullopt;
    }
    return query.value(0).toInt();
}

bool JournalStore::openFile()
{
    // Another program writing the same file holds its lock for a handful of rows: Qt's busy
    // timeout of five seconds waits for it.
    QSqlDatabase db = m_connection.database();
    db.setDatabaseName(m_path);
    if (!db.open())
        return fail(CannotOpen, db.lastError().text());
    return true;
}

bool JournalStore::createSchema()
{
    QSqlDatabase db = m_connection.database();
    QSqlError failed;
    // WAL keeps a commit to one short append, and lets readers read while it is made.
    if (!execAll(db, { QStringLiteral("PRAGMA journal_mode=WAL") }, &failed))
        return fail(CannotOpen, failed.text());
    return upgrade(version1Tables());
}

bool JournalStore::migrateFromVersion1()
{
    return upgrade({});
}

bool JournalStore::upgrade(const QStringList &tables)
{
    QSqlDatabase db = m_connection.database();
    QSqlError failed;
    // One transaction: a program stopped in the middle leaves the file as it was. It takes the
    // write lock at once, so that a second instance starting meanwhile waits and then finds the
    // file upgraded already.
    if (!execAll(db, { QStringLiteral("BEGIN IMMEDIATE") }, &failed))
        return fail(CannotOpen, failed.text());
    QSqlQuery version(db);
    if (version.exec(QStringLiteral("PRAGMA user_version")) && version.next()
        && version.value(0).toInt() == SchemaVersion) {
        version.finish();
        return execAll(db, { QStringLiteral("COMMIT") }, &failed)
            || fail(CannotOpen, failed.text());
    }
    version.finish();
    bool done = execAll(db, tables + version2Columns(), &failed);
    if (done) {
        QSqlQuery stamp(db);
        stamp.prepare(version2Stamp());
        stamp.addBindValue(QSysInfo::machineHostName());
        done = stamp.exec();
        if (!done)
            failed = stamp.lastError();
    }
    if (!done
        || !execAll(db,
            { QStringLiteral("CREATE UNIQUE INDEX entries_by_uuid ON entries (uuid)"),
                QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion),
                QStringLiteral("COMMIT") },
            &failed)) {
        db.rollback();
        return fail(CannotOpen, failed.text());
    }
    return true;
}

bool JournalStore::setAside(SetAsideReason reason)
{
    m_connection.database().close();
    const QString stamp
        = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base
        = QStringLiteral("%1.%2-%3")
              .arg(m_path, reason == Damaged ? QStringLiteral("damaged") : QStringLiteral("newer"),
                  stamp);
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = QStringLiteral("%1-%2").arg(base).arg(n);
    if (!QFile::rename(m_path, aside))
        return fail(CannotOpen,
            reason == Damaged
                ? tr("The journal %1 could not be read, and it could not be renamed aside.")
                      .arg(m_path)
                : tr("The journal %1 was written by a newer version of the program, and it "
                     "could not be renamed aside.")
                      .arg(m_path));
    // Its write-ahead log belongs to it, not to the journal started in its place.
    for (const QString &suffix : { QStringLiteral("-wal"), QStringLiteral("-shm") }) {
        if (QFileInfo::exists(m_path + suffix))
            QFile::rename(m_path + suffix, aside + suffix);
    }
    m_setAsideNotice = reason == Damaged
        ? tr("The journal %1 could not be read. It was kept as %2 and a new journal was "
             "started.")
              .arg(m_path, aside)
        : tr("The journal %1 was written by a newer version of the program. It was kept as %2 "
             "and a new journal was started.")
              .arg(m_path, aside);
    return true;
}

QString JournalStore::takeSetAsideNotice()
{
    return std::exchange(m_setAsideNotice, QString());
}

bool JournalStore::fail(Error error, const QString &text)
{
    m_error = error;
    m_errorText = text;
    return false;
}

std::optional<qint64> JournalStore::addEntry(const JournalEntry &entry)
{
    if (!m_open) {
        fail(CannotWrite, m_errorText.isEmpty() ? tr("The journal is not open.") : m_errorText);
        return std::nullopt;
    }
    QSqlDatabase db = m_connection.database();
    const auto failWith = [this, &db](const QSqlError &error) {
        db.rollback();
        fail(CannotWrite, error.text());
        return std::nullopt;
    };
    if (!db.transaction())
        return failWith(db.lastError());
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO entries (uuid, laptop, at_ms, user, port, slave_id, identity_known, "
        "device_type, serial_number, kind, fingerprint_before, fingerprint_after, outcome, "
        "register_count) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    insert.addBindValue(entry.uuid.isEmpty() ? uuidText(QUuid::createUuid()) : entry.uuid);
    insert.addBindValue(entry.laptop.isEmpty() ? QSysInfo::machineHostName() : entry.laptop);
    insert.addBindValue(entry.when.toMSecsSinceEpoch());
    insert.addBindValue(entry.user);
    insert.addBindValue(entry.port);
    insert.addBindValue(entry.slaveId);
    insert.addBindValue(int(entry.identityKnown));
    insert.addBindValue(entry.deviceType);
    insert.addBindValue(entry.serialNumber);
    insert.addBindValue(int(entry.kind));
    insert.addBindValue(entry.fingerprintBefore);
    insert.addBindValue(entry.fingerprintAfter);
    insert.addBindValue(int(entry.outcome()));
    insert.addBindValue(entry.registers.size());
    if (!insert.exec())
        return failWith(insert.lastError());
    const qint64 id = insert.lastInsertId().toLongLong();

    QSqlQuery reg(db);
    reg.prepare(QStringLiteral(
        "INSERT INTO registers (entry_id, position, address, field, has_old, old_raw, "
        "old_shown, new_raw, new_shown, outcome, detail) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?)"));
    for (int i = 0; i < entry.registers.size(); ++i) {
        const JournalRegister &r = entry.registers.at(i);
        reg.addBindValue(id);
        reg.addBindValue(i);
        reg.addBindValue(r.address);
        reg.addBindValue(r.field);
        reg.addBindValue(int(r.hasOld));
        reg.addBindValue(r.oldRaw);
        reg.addBindValue(r.oldShown);
        reg.addBindValue(r.newRaw);
        reg.addBindValue(r.newShown);
        reg.addBindValue(int(r.outcome));
        reg.addBindValue(r.detail);
        if (!reg.exec())
            return failWith(reg.lastError());
    }
    if (!db.commit())
        return failWith(db.lastError());
    emit changed();
    return id;
}

bool JournalStore::recordOutcomes(
    qint64 id, const QVector<JournalRegister> &registers, const QString &fingerprintAfter)
{
    if (!m_open)
        return fail(
            CannotWrite, m_errorText.isEmpty() ? tr("The journal is not open.") : m_errorText);
    QSqlDatabase db = m_connection.database();
    const auto failWith = [this, &db](const QSqlError &error) {
        db.rollback();
        return fail(CannotWrite, error.text());
    };
    if (!db.transaction())
        return failWith(db.lastError());
    QSqlQuery reg(db);
    reg.prepare(QStringLiteral(
        "UPDATE registers SET outcome = ?, detail = ? WHERE entry_id = ? AND position = ?"));
    JournalEntry summary;
    summary.registers = registers;
    // By position: a register written twice (switched off, then on again) has a row per frame.
    for (int i = 0; i < registers.size(); ++i) {
        const JournalRegister &r = registers.at(i);
        reg.addBindValue(int(r.outcome));
        reg.addBindValue(r.detail);
        reg.addBindValue(id);
        reg.addBindValue(i);
        if (!reg.exec())
            return failWith(reg.lastError());
    }
    QSqlQuery entry(db);
    entry.prepare(QStringLiteral("UPDATE entries SET outcome = ?, fingerprint_after = ?, "
                                 "outcome_at_ms = ?, revision = revision + 1 WHERE id = ?"));
    entry.addBindValue(int(summary.outcome()));
    entry.addBindValue(fingerprintAfter);
    entry.addBindValue(QDateTime::currentMSecsSinceEpoch());
    entry.addBindValue(id);
    if (!entry.exec())
        return failWith(entry.lastError());
    if (!db.commit())
        return failWith(db.lastError());
    emit changed();
    return true;
}

QVector<JournalEntry> JournalStore::entries(qint64 serialNumber, const QDate &since) const
{
    return m_open ? m_reader->entries({ serialNumber, since, QDate() }) : QVector<JournalEntry>();
}
