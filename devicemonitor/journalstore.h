// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef JOURNALSTORE_H
#define JOURNALSTORE_H

#include "devicemonitor/journalconnection.h"
#include "devicemonitor/journalentry.h"
#include "devicemonitor/journalsource.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QVector>

#include <memory>
#include <optional>

class JournalReader;
class QSqlError;

// The journal of writes on disk: an SQLite file (journal.sqlite beside
// settings.ini). A write's intent is committed on its own before the write
// goes out and its outcomes after, so that a program killed in between
// leaves the entry with outcomes Unknown, never no entry. A commit is on the
// disk when it returns (synchronous=FULL): a power cut takes back no intent
// whose frames went out.
//
// A file of a newer schema or one SQLite cannot read is renamed aside, never
// deleted, and a new journal started; takeSetAsideNotice() tells of it once.
// A second instance of the program may write the same file: each write waits
// for the other's to end.
//
// Each entry carries a UUID and the laptop's name, the same wherever it is
// copied, and a revision counted up by every outcome recorded; an entry is
// copied to the team journal when its copied revision is its revision.
// changed() tells whoever copies it, after the commit. Its writing connection never holds a read
// open: the store reads through a JournalReader, and a view through one of its own. Lives on one
// thread (Qt SQL's connections are per thread); every transaction is a handful of rows, so it never
// holds up the GUI.
class JournalStore : public QObject, public JournalSource
{
    Q_OBJECT

public:
    enum Error {
        NoError,
        CannotOpen, // the file cannot be created or opened
        CannotWrite, // a write failed: a read-only folder, a full disk, a lock
    };

    // 2 added the UUID, the laptop, the revision and the copied revision.
    static constexpr int SchemaVersion = 2;

    // journal.sqlite in the working folder, where settings.ini is.
    static QString defaultPath();

    explicit JournalStore(const QString &path);
    ~JournalStore() override;
    JournalStore(const JournalStore &) = delete;
    JournalStore &operator=(const JournalStore &) = delete;

    bool open();
    bool isOpen() const { return m_open; }
    QString path() const { return m_path; }
    // The writing connection's name, for a look into the file itself.
    QString connectionName() const { return m_connection.name(); }

    // Non-empty once, after open() set a file aside: what happened and where the old file is.
    QString takeSetAsideNotice();

    // The entry with every register's outcome as given (Unknown for an intent); its id. An
    // entry without a UUID or a laptop gets a new UUID and this computer's host name.
    std::optional<qint64> addEntry(const JournalEntry &entry);
    // Every register's outcome and detail by address, and a send's fingerprint after.
    bool recordOutcomes(
        qint64 id, const QVector<JournalRegister> &registers, const QString &fingerprintAfter);

    // Entries newest first, with their registers; serialNumber < 0 means every relay.
    QVector<JournalEntry> entries(qint64 serialNumber, const QDate &since) const override;

    Error error() const { return m_error; }
    QString errorText() const { return m_errorText; }

signals:
    // An entry or an outcome was committed.
    void changed();

private:
    bool openFile();
    // Sets the connection up for writing and reads the file's schema version; none when the
    // file cannot be read, and why in `failed`.
    std::optional<int> prepareFile(QSqlError *failed);
    bool createSchema();
    bool migrateFromVersion1();
    // Makes the tables given and brings them to this version, in one transaction.
    bool upgrade(const QStringList &tables);
    enum SetAsideReason { Damaged, Newer };
    bool setAside(SetAsideReason reason);
    bool fail(Error error, const QString &text);

    QString m_path;
    JournalConnection m_connection;
    std::unique_ptr<JournalReader> m_reader; // once open
    bool m_open = false;
    QString m_setAsideNotice;
    Error m_error = NoError;
    QString m_errorText;
};

#endif // JOURNALSTORE_H
