// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/registersequencedata.h"
#include "devicedata/sendplan.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/writeendpoint.h"
#include "devicemonitor/writejournal.h"
#include "devicemonitor/writeoperation.h"
#include "relaystate.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr int SlaveId = 2;
constexpr quint16 CurrentRange = 25;
constexpr quint16 MtzMode = 32;
constexpr quint16 MtzPickup = 34;
constexpr quint16 MtzReactionDelay = 35;
constexpr quint16 ZnzPickup = 43;
constexpr quint16 ZnzReactionDelay = 45;

// One relay behind an endpoint with no line: each request is served from the simulator's
// register model in an event of its own, so that a test can step in between two frames.
class FakeEndpoint : public WriteEndpoint
{
public:
    struct Refusal
    {
        int exceptionCode = 4;
        bool taken = false; // the relay applies the value all the same
    };

    RelayState relay { SlaveId };
    std::optional<qint64> shownSerial;
    QHash<quint16, Refusal> refusals;
    bool silent = false; // nothing answers
    int readsToDrop = 0; // reads dropped unanswered, as a stopped refresh drops them
    // Runs before each write frame goes out, with the frames gone out before it.
    std::function<void(int framesSent)> beforeFrame;
    QStringList frames; // every write frame served, as "register=value"

    void read(int slaveId, DeviceData *block) override
    {
        if (readsToDrop > 0) {
            --readsToDrop;
            QMetaObject::invokeMethod(this, &WriteEndpoint::readsStopped, Qt::QueuedConnection);
            return;
        }
        m_jobs.append({ slaveId, block, false, 0 });
        serveLater();
    }
    void write(int slaveId, DeviceData *block) override
    {
        m_jobs.append({ slaveId, block, true, 0 });
        serveLater();
    }
    void cancelWrites() override
    {
        const QList<Job> jobs = std::exchange(m_jobs, {});
        for (const Job &job : jobs) {
            if (!job.write) {
                m_jobs.append(job);
                continue;
            }
            QVector<ModbusRequest> &requests = job.block->writeRequests();
            for (int i = job.index; i < requests.size(); ++i)
                requests[i].forgetResult();
            job.block->setState(DeviceData::Inactive);
            emit written(job.block);
        }
    }
    std::optional<qint64> shownSerialNumber(int) const override { return shownSerial; }
    QString name() const override { return QStringLiteral("fake"); }

private:
    struct Job
    {
        int slaveId;
        DeviceData *block;
        bool write;
        int index;
    };

    void serveLater()
    {
        QMetaObject::invokeMethod(
            this, [this] { serve(); }, Qt::QueuedConnection);
    }

    void serve()
    {
        if (m_jobs.isEmpty())
            return;
        Job &job = m_jobs.first();
        QVector<ModbusRequest> &requests
            = job.write ? job.block->writeRequests() : job.block->readRequests();
        job.block->setState(job.write ? DeviceData::Writing : DeviceData::Reading);
        bool failed = false;
        if (job.index < requests.size()) {
            if (job.write && beforeFrame) {
                beforeFrame(frames.size());
                // The hook may have cancelled this very job.
                if (m_jobs.isEmpty() || &m_jobs.first() != &job
                    || job.block->state() != DeviceData::Writing)
                    return;
            }
            failed = !serveRequest(job.slaveId, requests[job.index], job.write);
            ++job.index;
        }
        if (!failed && job.index < requests.size()) {
            serveLater();
            return;
        }
        const Job done = m_jobs.takeFirst();
        done.block->setState(DeviceData::Inactive);
        if (done.write)
            emit written(done.block);
        if (!m_jobs.isEmpty())
            serveLater();
    }

    bool serveRequest(int slaveId, ModbusRequest &request, bool write)
    {
        ModbusTransaction record;
        record.slaveId = uint(slaveId);
        record.function = request.function();
        record.startAddress = request.startAddress();
        record.count = request.count();
        if (silent) {
            record.outcome = ModbusTransaction::Timeout;
            request.setTransaction(record);
            request.setFailed(ModbusRequest::Timeout);
            return false;
        }
        ModbusRegisters registers(request.startAddress(), request.count());
        if (write) {
            request.fillRegisters(registers);
            const quint16 address = request.startAddress();
            frames.append(QStringLiteral("%1=%2").arg(address).arg(registers.value(address)));
            const auto refusal = refusals.constFind(address);
            if (refusal == refusals.cend() || refusal->taken)
                relay.setHoldingRegister(address, registers.value(address));
            if (refusal != refusals.cend()) {
                record.outcome = ModbusTransaction::Exception;
                record.exceptionCode = refusal->exceptionCode;
                request.setTransaction(record);
                request.setFailed(ModbusRequest::Error);
                return false;
            }
        } else {
            for (int i = 0; i < request.count(); ++i) {
                const quint16 address = quint16(request.startAddress() + i);
                registers.setValue(address, relay.holdingRegister(address));
            }
        }
        request.setTransaction(record);
        request.setRegistersReply(registers);
        return true;
    }

    QList<Job> m_jobs;
};

qint64 serialOf(const RelayState &relay)
{
    return qint64(relay.holdingRegister(2)) << 16 | relay.holdingRegister(3);
}

// The relay's settings as a plan starts from them.
RelaySettings relaySettings(const RelayState &relay)
{
    RelaySettings settings;
    settings.identity.slaveId = SlaveId;
    settings.identity.serialNumber = serialOf(relay);
    settings.identity.modules = 0x000F;
    for (quint16 address = 25; address <= 51; ++address) {
        if (settingsFieldAt(address))
            settings.values.insert(address, relay.holdingRegister(address));
    }
    return settings;
}

} // namespace

class WriteOperationTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void identityDecidesWhetherAnythingIsWritten_data();
    void identityDecidesWhetherAnythingIsWritten();
    void intentIsOnDiskBeforeTheFirstFrame();
    void verdictsComeFromTheReadBack_data();
    void verdictsComeFromTheReadBack();
    void stopAfterSwitchingOffTellsWhatWentOut();
    void blockThatFailsStopsTheRest();
    void droppedReadsAreAskedAgain();

private:
    // The operation's result, or none when it never finished.
    std::optional<WriteResult> run(WriteOperation &operation);
    std::unique_ptr<WriteOperation> planWrite(const SettingsValues &target);

    std::unique_ptr<FakeEndpoint> m_endpoint;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<WriteJournal> m_journal;
    std::unique_ptr<RegisterSequenceData> m_sequence;
};

void WriteOperationTest::init()
{
    m_endpoint = std::make_unique<FakeEndpoint>();
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    auto store
        = std::make_unique<JournalStore>(m_folder->filePath(QStringLiteral("journal.sqlite")));
    QVERIFY(store->open());
    m_journal = std::make_unique<WriteJournal>(std::move(store));
    m_sequence = std::make_unique<RegisterSequenceData>();
}

std::optional<WriteResult> WriteOperationTest::run(WriteOperation &operation)
{
    std::optional<WriteResult> result;
    connect(&operation, &WriteOperation::finished, this,
        [&result](const WriteResult &end) { result = end; });
    operation.start();
    static_cast<void>(QTest::qWaitFor([&result] { return result.has_value(); }));
    return result;
}

std::unique_ptr<WriteOperation> WriteOperationTest::planWrite(const SettingsValues &target)
{
    WriteOrder order;
    order.slaveId = SlaveId;
    order.plan = SendPlan(relaySettings(m_endpoint->relay), target);
    order.sequence = m_sequence.get();
    return std::make_unique<WriteOperation>(m_endpoint.get(), m_journal.get(), order);
}

void WriteOperationTest::identityDecidesWhetherAnythingIsWritten_data()
{
    QTest::addColumn<int>("slaveId");
    QTest::addColumn<int>(
        "shown"); // the serial the list shows: -1 none, 0 the relay's own, else another
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("refusal");

    QTest::newRow("the relay shown")
        << SlaveId << 0 << false << int(WriteResult::Finished) << int(WriteResult::NoRefusal);
    QTest::newRow("none shown") << SlaveId << -1 << false << int(WriteResult::Finished)
                                << int(WriteResult::NoRefusal);
    QTest::newRow("another relay") << SlaveId << 7654321 << false << int(WriteResult::Refused)
                                   << int(WriteResult::AnotherRelay);
    QTest::newRow("silent relay") << SlaveId << 0 << true << int(WriteResult::Refused)
                                  << int(WriteResult::NoIdentity);
    QTest::newRow("broadcast asks none")
        << 0 << 7654321 << false << int(WriteResult::Finished) << int(WriteResult::NoRefusal);
}

// A write goes out only to the relay on screen; one that cannot tell, or is another, gets nothing
// and the reason names both serial numbers. A broadcast asks no relay.
void WriteOperationTest::identityDecidesWhetherAnythingIsWritten()
{
    QFETCH(int, slaveId);
    QFETCH(int, shown);
    QFETCH(bool, silent);
    QFETCH(int, end);
    QFETCH(int, refusal);

    const qint64 serial = serialOf(m_endpoint->relay);
    if (shown >= 0)
        m_endpoint->shownSerial = shown == 0 ? serial : shown;
    m_endpoint->silent = silent;
    m_sequence->setWrites({ { MtzReactionDelay, 20 } });
    WriteOrder order;
    order.slaveId = slaveId;
    order.blocks = { m_sequence.get() };
    WriteOperation operation(m_endpoint.get(), m_journal.get(), order);
    QList<DeviceData *> told;
    connect(&operation, &WriteOperation::blockWritten, this,
        [&told](DeviceData *block) { told.append(block); });

    const std::optional<WriteResult> ran = run(operation);
    QVERIFY(ran);
    const WriteResult &result = *ran;
    QCOMPARE(int(result.end), end);
    QCOMPARE(int(result.refusal), refusal);
    QCOMPARE(told, QList<DeviceData *> { m_sequence.get() });
    QCOMPARE(m_endpoint->frames.isEmpty(), end == WriteResult::Refused);
    if (refusal == WriteResult::AnotherRelay) {
        QVERIFY2(result.reason.contains(QString::number(serial))
                && result.reason.contains(QStringLiteral("7654321")),
            qPrintable(result.reason));
    }
    // A refused write was never made, so the journal holds nothing of it.
    QCOMPARE(m_journal->store()->entries(-1, QDate()).isEmpty(), end == WriteResult::Refused);
}

// The journal holds the intent, identity read from the relay, before the first frame, and the
// outcome after the last.
void WriteOperationTest::intentIsOnDiskBeforeTheFirstFrame()
{
    QVector<JournalEntry> atFirstFrame;
    m_endpoint->beforeFrame = [this, &atFirstFrame](int framesSent) {
        if (framesSent == 0)
            atFirstFrame = m_journal->store()->entries(-1, QDate());
    };
    auto operation = planWrite({ { MtzReactionDelay, 20 } });
    const std::optional<WriteResult> ran = run(*operation);
    QVERIFY(ran);
    const WriteResult &result = *ran;

    QCOMPARE(atFirstFrame.size(), 1);
    QCOMPARE(atFirstFrame.first().serialNumber, serialOf(m_endpoint->relay));
    QCOMPARE(atFirstFrame.first().registers.first().outcome, JournalOutcome::Unknown);
    const QVector<JournalEntry> after = m_journal->store()->entries(-1, QDate());
    QCOMPARE(after.size(), 1);
    QCOMPARE(after.first().registers.first().outcome, JournalOutcome::Verified);
    QCOMPARE(result.send.verdictOf(MtzReactionDelay), SendVerdict::Verified);
}

void WriteOperationTest::verdictsComeFromTheReadBack_data()
{
    QTest::addColumn<bool>("taken");
    QTest::addColumn<int>("verdict");

    QTest::newRow("refused and not taken") << false << int(SendVerdict::Refused);
    QTest::newRow("taken despite the exception") << true << int(SendVerdict::Verified);
}

// What the relay holds outweighs what it answered.
void WriteOperationTest::verdictsComeFromTheReadBack()
{
    QFETCH(bool, taken);
    QFETCH(int, verdict);

    m_endpoint->refusals.insert(MtzReactionDelay, { 4, taken });
    auto operation = planWrite({ { MtzReactionDelay, 20 } });
    const std::optional<WriteResult> ran = run(*operation);
    QVERIFY(ran);
    const WriteResult &result = *ran;

    QCOMPARE(int(result.end), int(WriteResult::Finished));
    QVERIFY(result.send.readBack);
    QCOMPARE(int(result.send.verdictOf(MtzReactionDelay)), verdict);
    QVERIFY2(result.send.writes.value(MtzReactionDelay)
                 .failure.startsWith(QStringLiteral("Exception 4")),
        qPrintable(result.send.writes.value(MtzReactionDelay).failure));
}

// The line lost after a range change switched MTZ off: the switch-off is told as gone out, the
// values after it as not sent, and nothing passes for read back.
void WriteOperationTest::stopAfterSwitchingOffTellsWhatWentOut()
{
    std::unique_ptr<WriteOperation> operation
        = planWrite({ { CurrentRange, 1 }, { MtzPickup, 200 }, { ZnzPickup, 40 } });
    const QVector<SendPlan::Step> steps = operation->order().plan->steps();
    QVERIFY(steps.size() >= 3);
    QCOMPARE(steps.first().address, MtzMode);
    m_endpoint->beforeFrame = [&operation](int framesSent) {
        if (framesSent == 2)
            operation->stop(WriteResult::LineClosed, QStringLiteral("gone"));
    };
    const std::optional<WriteResult> ran = run(*operation);
    QVERIFY(ran);
    const WriteResult &result = *ran;

    QCOMPARE(int(result.end), int(WriteResult::Stopped));
    QCOMPARE(m_endpoint->frames.size(), 2);
    QVERIFY(!result.send.readBack);
    QCOMPARE(result.send.steps.at(0).write.state, RegisterWrite::Acknowledged);
    QCOMPARE(result.send.steps.at(2).write.state, RegisterWrite::NotSent);
    QCOMPARE(result.send.verdictOf(MtzMode), SendVerdict::SwitchedOff);
    QVERIFY(!result.send.interim.isEmpty());
    const JournalEntry entry = m_journal->store()->entries(-1, QDate()).first();
    // Acknowledged, but nothing read back tells whether the relay holds it.
    QCOMPARE(entry.registers.at(0).outcome, JournalOutcome::Unknown);
    QCOMPARE(entry.registers.at(0).detail, QStringLiteral("switched off, not switched back on"));
    QCOMPARE(entry.registers.at(2).outcome, JournalOutcome::NotSent);
    QCOMPARE(entry.registers.last().outcome, JournalOutcome::NotSent);
}

// Of a write made of several blocks, the first that fails stops the rest: they are told as not
// sent, and the journal says so of each.
void WriteOperationTest::blockThatFailsStopsTheRest()
{
    RegisterSequenceData second;
    m_sequence->setWrites({ { MtzReactionDelay, 20 } });
    second.setWrites({ { ZnzReactionDelay, 30 } });
    m_endpoint->refusals.insert(MtzReactionDelay, { 3, false });
    WriteOrder order;
    order.slaveId = SlaveId;
    order.blocks = { m_sequence.get(), &second };
    WriteOperation operation(m_endpoint.get(), m_journal.get(), order);
    QList<DeviceData *> told;
    connect(&operation, &WriteOperation::blockWritten, this,
        [&told](DeviceData *block) { told.append(block); });

    QVERIFY(run(operation));
    QCOMPARE(m_endpoint->frames, QStringList { QStringLiteral("35=20") });
    QCOMPARE(told, (QList<DeviceData *> { m_sequence.get(), &second }));
    QCOMPARE(second.writeRequests().first().result(), ModbusRequest::NoResult);
    const QVector<JournalEntry> entries = m_journal->store()->entries(-1, QDate());
    QCOMPARE(entries.size(), 2);
    QList<JournalOutcome> outcomes;
    for (const JournalEntry &entry : entries)
        outcomes.append(entry.registers.first().outcome);
    std::sort(outcomes.begin(), outcomes.end());
    QList<JournalOutcome> expected { JournalOutcome::Refused, JournalOutcome::NotSent };
    std::sort(expected.begin(), expected.end());
    QCOMPARE(outcomes, expected);
}

// A refresh stopped meanwhile drops the operation's reads: it asks for them again rather than
// wait for good or judge from nothing.
void WriteOperationTest::droppedReadsAreAskedAgain()
{
    m_endpoint->readsToDrop = 2;
    auto operation = planWrite({ { MtzReactionDelay, 20 } });
    const std::optional<WriteResult> ran = run(*operation);
    QVERIFY(ran);
    const WriteResult &result = *ran;
    QCOMPARE(int(result.end), int(WriteResult::Finished));
    QVERIFY(result.send.readBack);
    QCOMPARE(result.send.verdictOf(MtzReactionDelay), SendVerdict::Verified);
}

QTEST_GUILESS_MAIN(WriteOperationTest)
#include "tst_writeoperation.moc"
