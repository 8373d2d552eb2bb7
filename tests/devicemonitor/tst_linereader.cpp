// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/settingsfile.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/linebackup.h"
#include "devicemonitor/linefolder.h"
#include "devicemonitor/linereader.h"
#include "devicemonitor/linereport.h"
#include "devicemonitor/relaysession.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int ForeignId = 9;
constexpr quint16 ForeignDeviceType = 0x8D91;
constexpr quint16 MtzReactionDelay = 35;

} // namespace

// A whole line read relay by relay over the simulator and judged against its folder.
class LineReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void backupThenCompare();
    void expectedRelaysThatDoNotAnswer();
    void fileForAnotherRelay_data();
    void fileForAnotherRelay();
    void cancelStopsBeforeTheNextRelay();
    void reportHasSummaryAndSectionPerRelay();

private:
    // Reads the scan range 1-20 and waits for the end.
    bool readLine();
    LineRow row(int slaveId) const;
    void backUp();

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<DeviceMonitor> m_monitor;
    QScopedPointer<LineReader> m_reader;
    QScopedPointer<QTemporaryDir> m_dir;
    std::optional<LineFolder> m_folder;
    quint16 m_pristineDelay = 0;
};

void LineReaderTest::initTestCase()
{
    m_bus.reset(new RelayBus({ 2, 5, ForeignId, 17 }));
    serveTestLink(*m_bus);
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    m_bus->setDeviceTypeCode(ForeignId, ForeignDeviceType);
    m_pristineDelay = m_bus->holdingRegister(5, MtzReactionDelay);
}

void LineReaderTest::init()
{
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ 0, 60 });
    QVERIFY(connectAndWait(*m_monitor, testLinkSettings(*m_bus)));
    m_reader.reset(new LineReader(m_monitor.data()));
    m_dir.reset(new QTemporaryDir);
    QString error;
    m_folder = LineFolder::create(m_dir->filePath(QStringLiteral("line")), &error);
    QVERIFY2(m_folder, qPrintable(error));
    m_reader->setFolder(m_folder);
}

void LineReaderTest::cleanup()
{
    m_reader.reset();
    m_monitor.reset();
    for (int id : { 2, 5, 17 })
        m_bus->setRelayOnline(id, true);
    m_bus->setHoldingRegister(5, MtzReactionDelay, m_pristineDelay);
}

bool LineReaderTest::readLine()
{
    QSignalSpy finished(m_reader.data(), &LineReader::finished);
    m_reader->read(1, 20);
    return finished.wait(PassWaitMs) || finished.count() == 1;
}

LineRow LineReaderTest::row(int slaveId) const
{
    for (const LineRow &each : m_reader->rows()) {
        if (each.slaveId == slaveId)
            return each;
    }
    return {};
}

void LineReaderTest::backUp()
{
    QVERIFY(readLine());
    const LineBackupResult result = LineBackup::write(*m_folder, m_reader->rows(), false);
    QVERIFY2(result.isComplete(), qPrintable(result.error));
    QCOMPARE(result.written.size(), 3);
    m_reader->setFolder(m_folder);
}

void LineReaderTest::backupThenCompare()
{
    QSignalSpy progress(m_reader.data(), &LineReader::progress);
    backUp();
    // 20 IDs probed, then four relays read.
    QCOMPARE(progress.last(), QVariantList({ 24, 24 }));

    // Before the backup every relay of ours had no file; the foreign one never has.
    QCOMPARE(row(2).state, LineRow::NoFile);
    QCOMPARE(row(ForeignId).state, LineRow::AnotherType);
    QVERIFY(!row(ForeignId).settings);

    QString error;
    const std::optional<LineFolder> reopened = LineFolder::open(m_folder->path(), &error);
    QVERIFY2(reopened, qPrintable(error));
    QCOMPARE(reopened->relays().size(), 3);
    const qint64 serial5 = row(5).settings->identity.serialNumber;
    QCOMPARE(
        *reopened->relay(5), (LineRelay { 5, LineFolder::backupFileName(5, serial5), serial5 }));
    QVERIFY(!reopened->relay(ForeignId));

    QVERIFY(readLine());
    for (int id : { 2, 5, 17 }) {
        QCOMPARE(row(id).state, LineRow::Identical);
        QVERIFY(row(id).relayFingerprint);
        QCOMPARE(row(id).relayFingerprint, row(id).fileFingerprint);
        QVERIFY(!row(id).isOff());
        QCOMPARE(row(id).health.answers, row(id).health.requests);
        QVERIFY(row(id).clockOffsetSeconds);
    }

    // One value changed on the relay: that row alone differs, by that field alone.
    m_bus->setHoldingRegister(5, MtzReactionDelay, m_pristineDelay + 10);
    QVERIFY(readLine());
    QCOMPARE(row(2).state, LineRow::Identical);
    QCOMPARE(row(17).state, LineRow::Identical);
    QCOMPARE(row(ForeignId).state, LineRow::AnotherType);
    const LineRow changed = row(5);
    QCOMPARE(changed.state, LineRow::Differs);
    QCOMPARE(changed.differences.size(), 1);
    QCOMPARE(changed.differences.constFirst().name, QStringLiteral("mtzReactionDelay"));
    QCOMPARE(changed.differences.constFirst().address, MtzReactionDelay);
    QVERIFY(changed.relayFingerprint != changed.fileFingerprint);
    QCOMPARE(changed.stateText(), QStringLiteral("values differ: 1"));
}

void LineReaderTest::expectedRelaysThatDoNotAnswer()
{
    backUp();
    // Expected outside the scan range, and on the line but switched off.
    m_folder->setRelay({ 40, QStringLiteral("40-0000001.json"), qint64(1) });
    m_reader->setFolder(m_folder);
    m_bus->setRelayOnline(17, false);
    QVERIFY(readLine());
    QCOMPARE(row(17).state, LineRow::NotAnswering);
    QCOMPARE(row(17).file, m_folder->relay(17)->file);
    QCOMPARE(row(40).state, LineRow::NotAnswering);
    QVERIFY(row(40).isOff());
    QCOMPARE(row(2).state, LineRow::Identical);
    QCOMPARE(m_reader->rows().size(), 5);
    const LineBackupResult result = LineBackup::write(*m_folder, m_reader->rows(), true);
    QCOMPARE(result.notSaved, QList<int>({ 17, 40 }));
}

void LineReaderTest::fileForAnotherRelay_data()
{
    QTest::addColumn<bool>("inManifest");
    QTest::addColumn<QString>("reason");
    QTest::newRow("manifest") << true << "the folder expects serial number 0000077";
    QTest::newRow("file") << false << "the file is of serial number 0000077";
}

void LineReaderTest::fileForAnotherRelay()
{
    QFETCH(bool, inManifest);
    QFETCH(QString, reason);
    backUp();
    LineRelay relay = *m_folder->relay(2);
    if (inManifest) {
        relay.serialNumber = 77;
        m_folder->setRelay(relay);
    } else {
        QStringList problems;
        SettingsFile file = SettingsFile::read(m_folder->filePath(relay), &problems);
        file.relay.identity.serialNumber = 77;
        QString error;
        QVERIFY(file.write(m_folder->filePath(relay), &error));
        relay.serialNumber.reset();
        m_folder->setRelay(relay);
    }
    m_reader->setFolder(m_folder);
    QVERIFY(readLine());
    QCOMPARE(row(2).state, LineRow::OtherRelayFile);
    QVERIFY2(row(2).fileProblem.contains(reason), qPrintable(row(2).fileProblem));
    QVERIFY(row(2).differences.isEmpty());
    QCOMPARE(row(5).state, LineRow::Identical);
}

void LineReaderTest::cancelStopsBeforeTheNextRelay()
{
    QSignalSpy finished(m_reader.data(), &LineReader::finished);
    // Canceled as soon as the first relay is judged: the others are left unread.
    connect(m_reader.data(), &LineReader::rowChanged, m_reader.data(), &LineReader::cancel);
    m_reader->read(1, 20);
    QVERIFY(finished.wait(PassWaitMs));
    QVERIFY(m_reader->wasCanceled());
    QVERIFY(!m_reader->isReading());
    QCOMPARE(row(2).state, LineRow::NoFile);
    QCOMPARE(row(5).state, LineRow::NotRead);
    QCOMPARE(row(17).state, LineRow::NotRead);
    QCOMPARE(m_monitor->state(), DeviceMonitor::Idle);
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
}

void LineReaderTest::reportHasSummaryAndSectionPerRelay()
{
    backUp();
    m_bus->setHoldingRegister(5, MtzReactionDelay, m_pristineDelay + 10);
    m_reader->setReadsCrashLogs(true);
    QVERIFY(readLine());
    QCOMPARE(m_reader->session(2)->outcome(), RelaySession::Complete);
    const QString html = LineReport(*m_reader, QStringLiteral("line"), nullptr).html();
    // The summary, then one page per relay: three reports of ours and the foreign relay's line.
    QCOMPARE(html.count(QStringLiteral("page-break-before")), 4);
    QCOMPARE(html.count(QStringLiteral("<h1>Commissioning report</h1>")), 3);
    QVERIFY(html.contains(QStringLiteral("Relays not at their file: 1.")));
    QVERIFY(html.contains(QStringLiteral("another device type")));
    QVERIFY(html.contains(QStringLiteral("Differences from the file")));
}

QTEST_GUILESS_MAIN(LineReaderTest)
#include "tst_linereader.moc"
