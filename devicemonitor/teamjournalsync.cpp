// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/teamjournalsync.h"

#include "common/threadhandover.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/teamjournalconnection.h"
#include "devicemonitor/teamjournalcopier.h"

#include <QLocale>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>

namespace {

// Runs `call` on `receiver`'s thread, a hand-over ThreadSanitizer is told of (it does not see
// Qt's event queue).
void post(QObject *receiver, std::function<void()> call)
{
    ThreadHandOver::release(receiver);
    {
        const ThreadHandOver::PostingScope posting;
        QMetaObject::invokeMethod(
            receiver,
            [receiver, call = std::move(call)] {
                ThreadHandOver::acquire(receiver);
                call();
                ThreadHandOver::release(receiver);
            },
            Qt::QueuedConnection);
    }
    // Whichever thread lets go of the call last frees what it captured.
    ThreadHandOver::acquire(receiver);
}

} // namespace

// Lives on the sync's thread, where its connections were made.
class TeamJournalSync::Worker : public QObject
{
public:
    Worker(TeamJournalSync *sync, const QString &journalPath)
        : m_sync(sync), m_journalPath(journalPath)
    {
    }
    ~Worker() override
    {
        ThreadHandOver::acquire(this);
        m_server.reset();
        ThreadHandOver::release(m_sync);
    }

    void configure(const TeamJournalSettings &settings, const QString &password, int generation)
    {
        m_generation = generation;
        m_server.reset();
        if (settings.isConfigured())
            m_server = std::make_unique<TeamJournalConnection>(settings, password);
    }

    // Thread-safe: at most one copy waits to be made.
    void requestCopy()
    {
        if (!m_copyPosted.exchange(true))
            post(this, [this] { copy(); });
    }

    void copy()
    {
        m_copyPosted = false;
        if (!m_server)
            return;
        QString error;
        const int copied = TeamJournalCopier(m_journalPath).copyPending(*m_server, &error);
        // A connection the server dropped since the last copy fails at its first query.
        if (!error.isEmpty())
            m_server->close();
        tell([copied, error, reached = reachedAt(error)](TeamJournalSync *sync) {
            sync->m_copied += copied;
            sync->noteAnswer(reached, error);
        });
    }

    void read(int request, const TeamJournalFilter &filter)
    {
        QVector<JournalEntry> entries;
        QString error;
        if (!m_server)
            error = TeamJournalSync::tr("No team journal is set up.");
        else if (!readTeamJournal(*m_server, filter, &entries, &error))
            m_server->close();
        tell([request, entries, error, reached = reachedAt(error)](TeamJournalSync *sync) {
            sync->noteAnswer(reached, error);
            emit sync->entriesRead(request, entries, error);
        });
    }

private:
    static QDateTime reachedAt(const QString &error)
    {
        return error.isEmpty() ? QDateTime::currentDateTimeUtc() : QDateTime();
    }

    // Runs `report` on the GUI thread, unless the sync is gone by then or was given other
    // settings since: what the old server said is not news of the new one.
    template<typename Report>
    void tell(Report report)
    {
        QPointer<TeamJournalSync> sync = m_sync;
        post(m_sync, [sync, report, generation = m_generation] {
            if (sync && sync->m_generation == generation)
                report(sync.data());
        });
    }

    TeamJournalSync *m_sync;
    QString m_journalPath;
    std::unique_ptr<TeamJournalConnection> m_server;
    std::atomic<bool> m_copyPosted { false };
    int m_generation = 0; // of the settings in use
};

TeamJournalSync::TeamJournalSync(const QString &journalPath, QObject *parent)
    : QObject(parent), m_worker(new Worker(this, journalPath))
{
    m_thread.setObjectName(QStringLiteral("team journal"));
    m_worker->moveToThread(&m_thread);
    // Its connections go on the thread that made them, once its event loop has stopped.
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

TeamJournalSync::~TeamJournalSync()
{
    // A copy under way is waited for; what was asked for after it is dropped.
    ThreadHandOver::release(m_worker);
    m_thread.quit();
    m_thread.wait();
    ThreadHandOver::acquire(this);
}

void TeamJournalSync::setSettings(const TeamJournalSettings &settings, const QString &password)
{
    m_settings = settings;
    ++m_generation;
    m_lastReached = QDateTime();
    m_lastError.clear();
    m_copied = 0;
    post(m_worker, [worker = m_worker, settings, password, generation = m_generation] {
        worker->configure(settings, password, generation);
    });
    copyNow();
    emit settingsChanged();
    emit statusChanged();
}

void TeamJournalSync::follow(const JournalStore *store)
{
    connect(store, &JournalStore::changed, this, &TeamJournalSync::copyNow);
}

void TeamJournalSync::copyNow()
{
    if (m_settings.isConfigured())
        m_worker->requestCopy();
}

int TeamJournalSync::readEntries(const TeamJournalFilter &filter)
{
    const int request = ++m_lastRequest;
    post(m_worker, [worker = m_worker, request, filter] { worker->read(request, filter); });
    return request;
}

void TeamJournalSync::noteAnswer(const QDateTime &reached, const QString &error)
{
    if (reached.isValid())
        m_lastReached = reached;
    m_lastError = error;
    emit statusChanged();
}

QString TeamJournalSync::statusText() const
{
    if (!m_settings.isConfigured())
        return tr("No team journal is set up: the journal stays on this computer.");
    const QString reached = m_lastReached.isValid()
        ? tr("The team journal was last reached at %1.")
              .arg(QLocale().toString(m_lastReached.toLocalTime(), QLocale::ShortFormat))
        : tr("The team journal has not been reached yet.");
    if (!m_lastError.isEmpty())
        return tr("The team journal on %1 cannot be reached: %2 %3")
            .arg(m_settings.host, m_lastError, reached);
    return tr("%1 Entries copied to it in this session: %2.").arg(reached).arg(m_copied);
}
