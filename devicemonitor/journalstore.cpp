// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/journalstore.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <utility>

namespace {

// SQLite's result codes for a file that is not a database, or a damaged one.
const QString SqliteCorrupt = QStringLiteral("11");
const QString SqliteNotADatabase = QStringLiteral("26");

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("korvel-journal-%1").arg(counter.fetchAndAddRelaxed(1));
}

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

} // namespace

QString JournalStore::defaultPath()
{
    return QDir::current().filePath(QStringLiteral("journal.sqlite"));
}

JournalStore::JournalStore(const QString &path)
    : m_path(path), m_connectionName(uniqueConnectionName())
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
}

JournalStore::~JournalStore()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool JournalStore::open()
{
    m_error = NoError;
    m_errorText.clear();
    if (!openFile())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery version(db);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next()) {
        if (!isDamaged(version.lastError()))
            return fail(CannotOpen, version.lastError().text());
        version.finish();
        if (!setAside(Damaged) || !openFile())
            return false;
        return createSchema();
    }
    const int fileVersion = version.value(0).toInt();
    version.finish();
    if (fileVersion > SchemaVersion) {
        if (!setAside(Newer) || !openFile())
            return false;
    }
    return fileVersion == SchemaVersion ? (m_open = true) : createSchema();
}

bool JournalStore::openFile()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    db.setDatabaseName(m_path);
    if (!db.open())
        return fail(CannotOpen, db.lastError().text());
    return true;
}

bool JournalStore::createSchema()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlError failed;
    // WAL keeps a commit to one short append; NORMAL still survives the program being killed.
    if (!execAll(db,
            { QStringLiteral("PRAGMA journal_mode=WAL"),
                QStringLiteral("PRAGMA synchronous=NORMAL"), QStringLiteral("BEGIN"),
                QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS entries (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                    "at_ms INTEGER NOT NULL, user TEXT, port TEXT, slave_id INTEGER, "
                    "identity_known INTEGER, device_type INTEGER, serial_number INTEGER, "
                    "kind INTEGER, fingerprint_before TEXT, fingerprint_after TEXT, "
                    "outcome INTEGER, register_count INTEGER)"),
                QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS registers (entry_id INTEGER NOT NULL, "
                    "position INTEGER NOT NULL, address INTEGER, field TEXT, has_old INTEGER, "
                    "old_raw INTEGER, old_shown TEXT, new_raw INTEGER, new_shown TEXT, "
                    "outcome INTEGER, detail TEXT, PRIMARY KEY (entry_id, position))"),
                QStringLiteral("CREATE INDEX IF NOT EXISTS entries_by_relay "
                               "ON entries (serial_number, at_ms)"),
                QStringLiteral("CREATE INDEX IF NOT EXISTS entries_by_time ON entries (at_ms)"),
                QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion),
                QStringLiteral("COMMIT") },
            &failed)) {
        db.rollback();
        return fail(CannotOpen, failed.text());
    }
    m_open = true;
    return true;
}

bool JournalStore::setAside(SetAsideReason reason)
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
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
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    const auto failWith = [this, &db](const QSqlError &error) {
        db.rollback();
        fail(CannotWrite, error.text());
        return std::nullopt;
    };
    if (!db.transaction())
        return failWith(db.lastError());
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO entries (at_ms, user, port, slave_id, identity_known, device_type, "
        "serial_number, kind, fingerprint_before, fingerprint_after, outcome, register_count) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
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
    return id;
}

bool JournalStore::recordOutcomes(
    qint64 id, const QVector<JournalRegister> &registers, const QString &fingerprintAfter)
{
    if (!m_open)
        return fail(
            CannotWrite, m_errorText.isEmpty() ? tr("The journal is not open.") : m_errorText);
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
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
    entry.prepare(
        QStringLiteral("UPDATE entries SET outcome = ?, fingerprint_after = ? WHERE id = ?"));
    entry.addBindValue(int(summary.outcome()));
    entry.addBindValue(fingerprintAfter);
    entry.addBindValue(id);
    if (!entry.exec())
        return failWith(entry.lastError());
    if (!db.commit())
        return failWith(db.lastError());
    return true;
}

QVector<JournalEntry> JournalStore::entries(qint64 serialNumber, const QDate &since) const
{
    QVector<JournalEntry> entries;
    if (!m_open)
        return entries;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Ordered as the indexes are: no sort of the whole journal.
    query.prepare(QStringLiteral(
        "SELECT id, at_ms, user, port, slave_id, identity_known, device_type, serial_number, "
        "kind, fingerprint_before, fingerprint_after FROM entries WHERE at_ms >= ? %1 "
        "ORDER BY at_ms DESC, id DESC")
                      .arg(serialNumber < 0 ? QString() : QStringLiteral("AND serial_number = ?")));
    query.addBindValue(since.isValid() ? since.startOfDay().toMSecsSinceEpoch() : qint64(0));
    if (serialNumber >= 0)
        query.addBindValue(serialNumber);
    if (!query.exec())
        return entries;
    while (query.next()) {
        JournalEntry entry;
        entry.id = query.value(0).toLongLong();
        entry.when = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
        entry.user = query.value(2).toString();
        entry.port = query.value(3).toString();
        entry.slaveId = query.value(4).toInt();
        entry.identityKnown = query.value(5).toBool();
        entry.deviceType = query.value(6).toLongLong();
        entry.serialNumber = query.value(7).toLongLong();
        entry.kind = JournalEntry::Kind(query.value(8).toInt());
        entry.fingerprintBefore = query.value(9).toString();
        entry.fingerprintAfter = query.value(10).toString();
        entries.append(entry);
    }
    for (JournalEntry &entry : entries)
        entry.registers = registers(entry.id);
    return entries;
}

QVector<JournalRegister> JournalStore::registers(qint64 id) const
{
    QVector<JournalRegister> registers;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT address, field, has_old, old_raw, old_shown, new_raw, new_shown, outcome, detail "
        "FROM registers WHERE entry_id = ? ORDER BY position"));
    query.addBindValue(id);
    if (!m_open || !query.exec())
        return registers;
    while (query.next()) {
        JournalRegister r;
        r.address = quint16(query.value(0).toUInt());
        r.field = query.value(1).toString();
        r.hasOld = query.value(2).toBool();
        r.oldRaw = query.value(3).toLongLong();
        r.oldShown = query.value(4).toString();
        r.newRaw = query.value(5).toLongLong();
        r.newShown = query.value(6).toString();
        r.outcome = JournalOutcome(query.value(7).toInt());
        r.detail = query.value(8).toString();
        registers.append(r);
    }
    return registers;
}
