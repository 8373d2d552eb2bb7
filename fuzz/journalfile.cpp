// SPDX-License-Identifier: GPL-3.0-or-later
// journal.sqlite made of whatever bytes a crash, a disk or another program left, opened with
// JournalStore::open(). A file it cannot take is set aside, never deleted; a file it takes is
// read through and written to like any journal.
#include "devicemonitor/journalstore.h"
#include "filetargets.h"

#include <cstdint>
#include <cstdlib>

namespace {

JournalEntry oneWrite()
{
    JournalEntry entry;
    entry.when = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    entry.slaveId = 1;
    entry.kind = JournalEntry::SetpointsSet;
    JournalRegister written;
    written.address = 34;
    written.newRaw = 250;
    entry.registers.append(written);
    return entry;
}

void readThrough(const JournalStore &store)
{
    const QVector<JournalEntry> entries = store.entries(-1, QDate());
    for (const JournalEntry &entry : entries) {
        JournalEntry::kindText(entry.kind);
        journalOutcomeText(entry.outcome());
        for (const JournalRegister &written : entry.registers)
            journalOutcomeText(written.outcome);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FileTargets::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QDir folder = FileTargets::freshFolder();
    const QString path = folder.filePath(QStringLiteral("journal.sqlite"));
    FileTargets::writeInput(path, data, size);
    {
        JournalStore store(path);
        const bool opened = store.open();
        if (opened != store.isOpen() || (!opened && store.errorText().isEmpty()))
            abort();
        // A file set aside is kept under another name, never deleted.
        const bool setAside = !store.takeSetAsideNotice().isEmpty();
        const QStringList aside
            = folder.entryList({ QStringLiteral("journal.sqlite.*") }, QDir::Files);
        if (setAside != !aside.isEmpty())
            abort();
        if (opened) {
            readThrough(store);
            if (const std::optional<qint64> id = store.addEntry(oneWrite()))
                store.recordOutcomes(*id, oneWrite().registers, QString());
            readThrough(store);
        }
    }
    folder.removeRecursively();
    return 0;
}
