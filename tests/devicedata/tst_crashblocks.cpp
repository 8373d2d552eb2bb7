// SPDX-License-Identifier: GPL-3.0-or-later
#include "blocktesting.h"
#include "devicedata/clearcrashlogdata.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashdata.h"
#include "devicedata/crashlogdata.h"
#include "simulatedline.h"

#include <QtTest>

#include <thread>

namespace {

constexpr quint16 FirstRecordRegister = 0x4010;

// Words of one crash record, offsets +0 to +7.
using RecordWords = std::array<quint16, 8>;

// A trip on 31.12.2013 at 23:59:58.
RecordWords recordWords(quint16 number, quint16 type, quint16 raw, quint16 scale, quint16 range)
{
    return { number, 0x0D0C, 0x1F17, 0x3B3A, type, raw, scale, range };
}

CrashRecord validRecord(const RecordWords &words)
{
    ModbusRegisters registers(FirstRecordRegister, 8);
    for (int i = 0; i < 8; ++i)
        registers.setValue(quint16(FirstRecordRegister + i), words[size_t(i)]);
    return decodeCrashRecord(registers, FirstRecordRegister);
}

// Log pages filled with records whose number tells where they came from.
quint16 numberAt(quint16 address)
{
    return (address - FirstRecordRegister) % 8 == 0 ? 1000 + (address - FirstRecordRegister) / 8
                                                    : 1;
}

QString cell(const CrashListModel *model, int row, int column)
{
    return model->data(model->index(row, column)).toString();
}

bool isEmptyRecord(const CrashRecord &record)
{
    return record.crashNumber == DataValue() && record.crashTime == DateTimeValue()
        && record.crashType == DataValue() && record.currentRaw == DataValue()
        && record.currentScale == DataValue() && record.crashCurrentRange == DataValue();
}

struct PageShape
{
    bool enabled;
    int count;
};

// A QList, so that QCOMPARE compares page by page with Qt 5 as with Qt 6.
using PageShapes = QList<PageShape>;

bool operator==(const PageShape &a, const PageShape &b)
{
    return a.enabled == b.enabled && a.count == b.count;
}

PageShapes pageShapes(CrashLogData &log)
{
    PageShapes shapes;
    for (const ModbusRequest &request : log.readRequests())
        shapes.append({ request.isEnabled(), request.count() });
    return shapes;
}

} // namespace

Q_DECLARE_METATYPE(PageShapes)
Q_DECLARE_METATYPE(DataStatus)

namespace {

// QCOMPARE on lists names the first page that differs, found by argument-dependent lookup.
char *toString(const PageShape &shape)
{
    return qstrdup(
        qPrintable(QStringLiteral("%1%2").arg(shape.enabled ? "on " : "off ").arg(shape.count)));
}

} // namespace

class CrashBlocksTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // Records and their currents.
    void recordDecoding();
    void crashCurrent_data();
    void crashCurrent();
    void currentStatus_data();
    void currentStatus();

    // The count and the latest crash.
    void countAndLatestCrashFollowTheReplyRule();

    // The list model.
    void modelShape();
    void modelCells();
    void modelChangesAreSignalled();

    // Paging of the log.
    void pagesFollowTheCount_data();
    void pagesFollowTheCount();
    void pageRowsLandInRecordOrder();
    void failedPageEmptiesOnlyItsRows();
    void resetEmptiesTheTableAtOnce();
    void pageDecodedBeforeResetIsDropped();

    // Over the simulated line.
    void countAndLatestCrashFromTheRelay();
    void logWithoutCrashesStaysOffTheLine();
    void logFromTheRelay_data();
    void logFromTheRelay();
    void logFromASilentRelay_data();
    void logFromASilentRelay();
    void clearWritesTheCoil();

private:
    // Reads the crash count and, as the main window does, the log sized to it.
    void readLog(int slaveId, CrashLogData &log, int expectedCount);

    QScopedPointer<SimulatedLine> m_line;
};

void CrashBlocksTest::initTestCase()
{
    // Plain digits: no group separators in the expected current texts.
    QLocale::setDefault(QLocale::c());
    m_line.reset(new SimulatedLine({ 1, 2 }));
    QVERIFY(m_line->start());
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
}

void CrashBlocksTest::recordDecoding()
{
    const CrashRecord record = validRecord(recordWords(42, 2, 500, 40, 3));
    QCOMPARE(record.crashNumber, validValue(42));
    QCOMPARE(record.crashTime, validValue(QDateTime({ 2013, 12, 31 }, { 23, 59, 58 })));
    QCOMPARE(record.crashType, validValue(2));
    QCOMPARE(record.currentRaw, validValue(500));
    QCOMPARE(record.currentScale, validValue(40));
    QCOMPARE(record.crashCurrentRange, validValue(3));

    // An impossible time is kept as an invalid date-time, still Valid.
    const CrashRecord badTime = validRecord({ 1, 0x0D00, 0x1F17, 0x3B3A, 1, 1, 1, 1 });
    QVERIFY(!badTime.crashTime.value.isValid());
    QCOMPARE(badTime.crashTime.status, Valid);
}

void CrashBlocksTest::crashCurrent_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("listText");
    QTest::addColumn<double>("amperes");
    QTest::addColumn<DataStatus>("status");

    QTest::newRow("MTZ, range 2") << 1 << 500 << 40 << 2 << "400.00 A" << 400.0 << Valid;
    QTest::newRow("MTZ, larger scale") << 1 << 500 << 600 << 2 << "6000.00 A" << 6000.0 << Valid;
    QTest::newRow("MTZ at 10000 A") << 1 << 500 << 1000 << 2 << "10.00 kA" << 10000.0 << Valid;
    QTest::newRow("TO just below 10000 A")
        << 2 << 37037 << 27 << 1 << "9999.99 A" << 9999.99 << Valid;
    QTest::newRow("TO, range 4") << 2 << 100 << 60 << 4 << "480.00 A" << 480.0 << Valid;
    QTest::newRow("ZNZ") << 3 << 1200 << 1 << 0 << "1.200 A" << 1.2 << Valid;
    QTest::newRow("ZNZ at 1000 A") << 3 << 1000 << 1000 << 2 << "1.000 kA" << 1000.0 << Valid;
    QTest::newRow("ZNZ just below 1000 A")
        << 3 << 999 << 1000 << 2 << "999.000 A" << 999.0 << Valid;
    QTest::newRow("MTZ, range code 0") << 1 << 500 << 40 << 0 << "0.00 A" << 0.0 << NoData;
    QTest::newRow("TO, range code 5") << 2 << 500 << 40 << 5 << "0.00 A" << 0.0 << NoData;
    QTest::newRow("APV 1") << 4 << 500 << 40 << 2 << "-" << 0.0 << NoData;
    QTest::newRow("APV 2") << 5 << 500 << 40 << 2 << "-" << 0.0 << NoData;
    QTest::newRow("AChR") << 6 << 500 << 40 << 2 << "-" << 0.0 << NoData;
    QTest::newRow("type 0") << 0 << 500 << 40 << 2 << "-" << 0.0 << NoData;
}

void CrashBlocksTest::crashCurrent()
{
    QFETCH(int, type);
    QFETCH(int, raw);
    QFETCH(int, scale);
    QFETCH(int, range);
    QFETCH(QString, listText);
    QFETCH(double, amperes);
    QFETCH(DataStatus, status);

    const CrashRecord record
        = validRecord(recordWords(7, quint16(type), quint16(raw), quint16(scale), quint16(range)));
    CrashListModel model;
    model.appendRecord(record);
    QCOMPARE(cell(&model, 0, CrashListModel::CurrentColumn), listText);

    const StatusValue<double> shown = ::crashCurrent(record).amperes;
    QCOMPARE(shown.status, status);
    QVERIFY(qFuzzyCompare(1 + shown.value, 1 + amperes));
}

void CrashBlocksTest::currentStatus_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<DataStatus>("rawStatus");
    QTest::addColumn<DataStatus>("scaleStatus");
    QTest::addColumn<DataStatus>("rangeStatus");
    QTest::addColumn<DataStatus>("expected");

    QTest::newRow("MTZ, all valid") << 1 << Valid << Valid << Valid << Valid;
    QTest::newRow("MTZ, range outdated") << 1 << Valid << Valid << Outdated << Outdated;
    QTest::newRow("TO, scale outdated") << 2 << Valid << Outdated << Valid << Outdated;
    QTest::newRow("TO, range missing") << 2 << Outdated << Valid << NoData << NoData;
    QTest::newRow("MTZ, raw missing") << 1 << NoData << Outdated << Valid << NoData;
    QTest::newRow("ZNZ ignores the range") << 3 << Valid << Valid << NoData << Valid;
    QTest::newRow("ZNZ, raw outdated") << 3 << Outdated << Valid << Valid << Outdated;
    QTest::newRow("ZNZ, scale missing") << 3 << Valid << NoData << Valid << NoData;
}

void CrashBlocksTest::currentStatus()
{
    QFETCH(int, type);
    QFETCH(DataStatus, rawStatus);
    QFETCH(DataStatus, scaleStatus);
    QFETCH(DataStatus, rangeStatus);
    QFETCH(DataStatus, expected);

    CrashRecord record = validRecord(recordWords(1, quint16(type), 500, 40, 2));
    record.currentRaw.status = rawStatus;
    record.currentScale.status = scaleStatus;
    record.crashCurrentRange.status = rangeStatus;

    const StatusValue<double> shown = ::crashCurrent(record).amperes;
    QCOMPARE(shown.status, expected);
    if (expected == NoData)
        QCOMPARE(shown.value, 0.0);
    else
        QVERIFY(shown.value > 0);

    // The list shows the number whatever the statuses say.
    CrashListModel model;
    model.appendRecord(record);
    QVERIFY(cell(&model, 0, CrashListModel::CurrentColumn).endsWith(" A"));
}

void CrashBlocksTest::countAndLatestCrashFollowTheReplyRule()
{
    CrashCountData count;
    CrashData latest;
    ModbusRequest &countRead = count.readRequests()[0];
    ModbusRequest &latestRead = latest.readRequests()[0];
    QCOMPARE(countRead.startAddress(), quint16(0x4000));
    QCOMPARE(countRead.count(), quint16(1));
    QCOMPARE(latestRead.startAddress(), FirstRecordRegister);
    QCOMPARE(latestRead.count(), quint16(8));

    // A failure before any success leaves everything without data.
    countRead.setFailed(ModbusRequest::Timeout);
    latestRead.setFailed(ModbusRequest::Error);
    QCOMPARE(count.crashCount(), DataValue());
    QVERIFY(isEmptyRecord(latest.crash()));

    replyRegisters(countRead, { { 0x4000, 65535 } });
    const RecordWords words = recordWords(9, 3, 1200, 1, 2);
    replyRegisters(latestRead,
        [&words](quint16 address) { return words[size_t(address - FirstRecordRegister)]; });
    QCOMPARE(count.crashCount(), validValue(65535));
    QCOMPARE(latest.crash().crashNumber, validValue(9));
    QCOMPARE(latest.crash().crashTime.value, QDateTime({ 2013, 12, 31 }, { 23, 59, 58 }));

    countRead.setFailed(ModbusRequest::Timeout);
    latestRead.setFailed(ModbusRequest::Timeout);
    QCOMPARE(count.crashCount(), (DataValue { 65535, Outdated }));
    const CrashRecord &kept = latest.crash();
    QCOMPARE(kept.crashNumber, (DataValue { 9, Outdated }));
    QCOMPARE(kept.crashTime.status, Outdated);
    QCOMPARE(kept.crashType, (DataValue { 3, Outdated }));
    QCOMPARE(kept.currentRaw, (DataValue { 1200, Outdated }));
    QCOMPARE(kept.currentScale, (DataValue { 1, Outdated }));
    QCOMPARE(kept.crashCurrentRange, (DataValue { 2, Outdated }));

    count.reset();
    latest.reset();
    QCOMPARE(count.crashCount(), DataValue());
    QVERIFY(isEmptyRecord(latest.crash()));
}

void CrashBlocksTest::modelShape()
{
    CrashListModel model;
    model.appendRecord(validRecord(recordWords(1, 1, 1, 1, 1)));

    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex first = model.index(0, 0);
    QVERIFY(first.isValid());
    QVERIFY(!model.parent(first).isValid());
    // A flat table: nothing below a row.
    QCOMPARE(model.rowCount(first), 0);
    QCOMPARE(model.columnCount(first), 0);
    QVERIFY(!model.index(0, 0, first).isValid());
    QVERIFY(!model.index(1, 0).isValid());
    QVERIFY(!model.index(0, 4).isValid());

    const QStringList headers = { "#", "Time", "Type", "Current" };
    for (int section = 0; section < 4; ++section) {
        QCOMPARE(model.headerData(section, Qt::Horizontal).toString(), headers.at(section));
        QCOMPARE(model.headerData(section, Qt::Vertical).toString(), headers.at(section));
    }
    QVERIFY(!model.headerData(4, Qt::Horizontal).isValid());
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());

    const int alignments[] = { Qt::AlignRight, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignRight };
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(
            model.data(model.index(0, column), Qt::TextAlignmentRole).toInt(), alignments[column]);
        QVERIFY(!model.data(model.index(0, column), Qt::EditRole).isValid());
    }
}

void CrashBlocksTest::modelCells()
{
    CrashListModel model;
    model.appendRecord(validRecord(recordWords(17, 1, 500, 40, 2)));
    model.appendRecord(CrashRecord());

    QCOMPARE(cell(&model, 0, CrashListModel::NumberColumn), QString("17"));
    QCOMPARE(cell(&model, 0, CrashListModel::TimeColumn),
        QLocale::system().toString(
            QDateTime({ 2013, 12, 31 }, { 23, 59, 58 }), QLocale::ShortFormat));
    QCOMPARE(cell(&model, 0, CrashListModel::TypeColumn), QString("MTZ"));
    QCOMPARE(cell(&model, 0, CrashListModel::CurrentColumn), QString("400.00 A"));

    // What a row of a failed page shows.
    QCOMPARE(cell(&model, 1, CrashListModel::NumberColumn), QString("0"));
    QCOMPARE(cell(&model, 1, CrashListModel::TimeColumn), QString());
    QCOMPARE(cell(&model, 1, CrashListModel::TypeColumn), QString());
    QCOMPARE(cell(&model, 1, CrashListModel::CurrentColumn), QString("-"));
}

void CrashBlocksTest::modelChangesAreSignalled()
{
    CrashListModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.appendRecord(CrashRecord());
    model.appendRecord(CrashRecord());
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 1);
    QCOMPARE(inserted.at(1).at(2).toInt(), 1);

    model.setRecord(1, validRecord(recordWords(5, 2, 1, 1, 1)));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(1, 0));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(1, 3));
    QCOMPARE(model.record(1).crashNumber, validValue(5));

    model.clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model.rowCount(), 0);
}

void CrashBlocksTest::pagesFollowTheCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<PageShapes>("pages");

    const PageShape off { false, 0 };
    QTest::newRow("no crashes") << 0 << PageShapes { off, off, off, off };
    QTest::newRow("negative") << -3 << PageShapes { off, off, off, off };
    QTest::newRow("1") << 1 << PageShapes { { true, 8 }, off, off, off };
    QTest::newRow("15") << 15 << PageShapes { { true, 120 }, off, off, off };
    QTest::newRow("16") << 16 << PageShapes { { true, 120 }, { true, 8 }, off, off };
    QTest::newRow("59") << 59
                        << PageShapes { { true, 120 }, { true, 120 }, { true, 120 },
                               { true, 112 } };
    QTest::newRow("60") << 60
                        << PageShapes { { true, 120 }, { true, 120 }, { true, 120 },
                               { true, 120 } };
    QTest::newRow("100") << 100
                         << PageShapes { { true, 120 }, { true, 120 }, { true, 120 },
                                { true, 120 } };
    QTest::newRow("65535") << 65535
                           << PageShapes { { true, 120 }, { true, 120 }, { true, 120 },
                                  { true, 120 } };
}

void CrashBlocksTest::pagesFollowTheCount()
{
    QFETCH(int, count);
    QFETCH(PageShapes, pages);

    CrashLogData log;
    const PageShape initial { true, 8 };
    QCOMPARE(pageShapes(log), (PageShapes { initial, initial, initial, initial }));
    const quint16 starts[] = { 16400, 16520, 16640, 16760 };
    for (int page = 0; page < 4; ++page)
        QCOMPARE(log.readRequests().at(page).startAddress(), starts[page]);

    log.setCrashCount(count);
    QCOMPARE(log.crashCount(), count);
    QCOMPARE(pageShapes(log), pages);

    log.reset();
    QCOMPARE(
        pageShapes(log), (PageShapes { { false, 0 }, { false, 0 }, { false, 0 }, { false, 0 } }));
    QCOMPARE(log.crashCount(), 0);
}

void CrashBlocksTest::pageRowsLandInRecordOrder()
{
    CrashLogData log;
    log.setCrashCount(16);
    replyRegisters(log.readRequests()[0], numberAt);
    replyRegisters(log.readRequests()[1], [](quint16 address) {
        // Page 1 holds one record, at 16520 to 16527.
        return address == 16520 ? 7777 : address == 16524 ? 3 : 0;
    });

    const CrashListModel *model = log.crashListModel();
    QCOMPARE(model->rowCount(), 16);
    for (int row = 0; row < 15; ++row)
        QCOMPARE(model->record(row).crashNumber, validValue(1000 + row));
    QCOMPARE(model->record(15).crashNumber, validValue(7777));
    QCOMPARE(model->record(15).crashType, validValue(3));

    // A second read of the same log replaces the rows instead of adding more.
    replyRegisters(log.readRequests()[0], [](quint16) { return 5; });
    QCOMPARE(model->rowCount(), 16);
    QCOMPARE(model->record(0).crashNumber, validValue(5));
    QCOMPARE(model->record(15).crashNumber, validValue(7777));
}

void CrashBlocksTest::failedPageEmptiesOnlyItsRows()
{
    CrashLogData log;
    log.setCrashCount(40);
    for (int page = 0; page < 3; ++page)
        replyRegisters(log.readRequests()[page], numberAt);
    const CrashListModel *model = log.crashListModel();
    QCOMPARE(model->rowCount(), 40);

    log.readRequests()[1].setFailed(ModbusRequest::Timeout);
    QCOMPARE(model->rowCount(), 40);
    for (int row = 0; row < 40; ++row) {
        const bool inFailedPage = row >= 15 && row < 30;
        QVERIFY2(
            isEmptyRecord(model->record(row)) == inFailedPage, qPrintable(QString::number(row)));
    }
    QCOMPARE(model->record(14).crashNumber, validValue(1014));
    QCOMPARE(model->record(30).crashNumber, validValue(1030));

    // A page beyond the count adds nothing, whatever its outcome.
    log.setCrashCount(10);
    log.readRequests()[3].setFailed(ModbusRequest::Error);
    replyRegisters(log.readRequests()[2], numberAt);
    QCOMPARE(model->rowCount(), 40);
}

void CrashBlocksTest::resetEmptiesTheTableAtOnce()
{
    CrashLogData log;
    log.setCrashCount(3);
    replyRegisters(log.readRequests()[0], numberAt);
    QCOMPARE(log.crashListModel()->rowCount(), 3);

    QSignalSpy states(&log, &DeviceData::stateChanged);
    log.reset();
    QCOMPARE(log.crashListModel()->rowCount(), 0);
    QCOMPARE(states.count(), 2);
}

void CrashBlocksTest::pageDecodedBeforeResetIsDropped()
{
    CrashLogData log;
    log.setCrashCount(15);
    // The handler runs on another thread, as on the Modbus worker; its rows
    // reach the model only through this thread's event loop.
    std::thread worker([&log] { replyRegisters(log.readRequests()[0], numberAt); });
    worker.join();
    QCOMPARE(log.crashListModel()->rowCount(), 0);

    // A read canceled after its page was decoded, then the log reset.
    log.reset();
    log.setCrashCount(15);
    QCoreApplication::processEvents();
    QCOMPARE(log.crashListModel()->rowCount(), 0);

    std::thread next([&log] { replyRegisters(log.readRequests()[0], numberAt); });
    next.join();
    QTRY_COMPARE(log.crashListModel()->rowCount(), 15);
}

void CrashBlocksTest::countAndLatestCrashFromTheRelay()
{
    RelayBus &bus = m_line->bus();
    bus.setCrashCount(2, 23);
    CrashCountData count;
    CrashData latest;
    QVERIFY(m_line->read(2, &count));
    QVERIFY(m_line->read(2, &latest));

    QCOMPARE(count.crashCount(), validValue(23));
    const CrashRecord &crash = latest.crash();
    QCOMPARE(crash.crashNumber, validValue(bus.holdingRegister(2, 0x4010)));
    QCOMPARE(crash.crashType, validValue(bus.holdingRegister(2, 0x4014)));
    QCOMPARE(crash.currentRaw, validValue(bus.holdingRegister(2, 0x4015)));
    QCOMPARE(crash.currentScale, validValue(bus.holdingRegister(2, 0x4016)));
    QCOMPARE(crash.crashCurrentRange, validValue(bus.holdingRegister(2, 0x4017)));
    QCOMPARE(crash.crashTime.status, Valid);
    QVERIFY(crash.crashTime.value.isValid());
    QVERIFY(crash.crashTime.value < bus.clock(2));
}

void CrashBlocksTest::readLog(int slaveId, CrashLogData &log, int expectedCount)
{
    CrashCountData count;
    QVERIFY(m_line->read(slaveId, &count));
    QCOMPARE(count.crashCount().value, qint64(expectedCount));
    log.reset();
    log.setCrashCount(int(count.crashCount().value));
}

void CrashBlocksTest::logWithoutCrashesStaysOffTheLine()
{
    RelayBus &bus = m_line->bus();
    bus.setCrashCount(1, 0);
    CrashLogData log;
    readLog(1, log, 0);
    if (QTest::currentTestFailed())
        return;

    QSignalSpy states(&log, &DeviceData::stateChanged);
    const quint64 framesBefore = bus.framesReceived();
    // Every page is switched off, so the manager has nothing to send.
    QVERIFY(!m_line->read(1, &log, 300));
    QCOMPARE(bus.framesReceived(), framesBefore);
    QCOMPARE(states.count(), 0);
    QCOMPARE(log.crashListModel()->rowCount(), 0);
}

void CrashBlocksTest::logFromTheRelay_data()
{
    QTest::addColumn<int>("crashes");
    QTest::addColumn<int>("pages");

    QTest::newRow("1") << 1 << 1;
    QTest::newRow("15") << 15 << 1;
    QTest::newRow("16") << 16 << 2;
    QTest::newRow("59") << 59 << 4;
    QTest::newRow("60") << 60 << 4;
    QTest::newRow("61") << 61 << 4;
    QTest::newRow("100") << 100 << 4;
}

void CrashBlocksTest::logFromTheRelay()
{
    QFETCH(int, crashes);
    QFETCH(int, pages);

    RelayBus &bus = m_line->bus();
    bus.setCrashCount(1, crashes);
    CrashLogData log;
    readLog(1, log, crashes);
    if (QTest::currentTestFailed())
        return;

    const quint64 framesBefore = bus.framesReceived();
    QVERIFY(m_line->read(1, &log));
    QCOMPARE(bus.framesReceived() - framesBefore, quint64(pages));
    for (int page = 0; page < 4; ++page) {
        const ModbusRequest &request = log.readRequests().at(page);
        QCOMPARE(request.isEnabled(), page < pages);
        if (request.isEnabled())
            QCOMPARE(request.result(), ModbusRequest::Success);
    }

    const CrashListModel *model = log.crashListModel();
    QCOMPARE(model->rowCount(), qMin(crashes, 60));
    for (int row = 0; row < model->rowCount(); ++row) {
        const int first = 0x4010 + 8 * row;
        const CrashRecord &record = model->record(row);
        QCOMPARE(record.crashNumber, validValue(bus.holdingRegister(1, first)));
        // Newest first: the relay numbers its records down from the total.
        QCOMPARE(record.crashNumber.value, qint64(crashes - row));
        QCOMPARE(record.crashType, validValue(bus.holdingRegister(1, first + 4)));
        QCOMPARE(record.currentRaw, validValue(bus.holdingRegister(1, first + 5)));
        QCOMPARE(record.currentScale, validValue(bus.holdingRegister(1, first + 6)));
        QCOMPARE(record.crashCurrentRange, validValue(bus.holdingRegister(1, first + 7)));
        QVERIFY(record.crashTime.value.isValid());
        if (row > 0)
            QVERIFY(record.crashTime.value < model->record(row - 1).crashTime.value);
    }
}

void CrashBlocksTest::logFromASilentRelay_data()
{
    QTest::addColumn<bool>("switchedOff");
    QTest::addColumn<int>("crashes");

    QTest::newRow("relay switched off, 20 crashes") << true << 20;
    QTest::newRow("every answer lost, 61 crashes") << false << 61;
}

void CrashBlocksTest::logFromASilentRelay()
{
    QFETCH(bool, switchedOff);
    QFETCH(int, crashes);

    RelayBus &bus = m_line->bus();
    bus.setCrashCount(1, crashes);
    CrashLogData log;
    readLog(1, log, crashes);
    if (QTest::currentTestFailed())
        return;
    // Rows of an earlier read must not survive a failed one.
    QVERIFY(m_line->read(1, &log));
    QCOMPARE(log.crashListModel()->rowCount(), qMin(crashes, 60));

    m_line->manager().setResponseTimeout(SilentRelayTimeoutMs);
    if (switchedOff) {
        bus.setRelayOnline(1, false);
    } else {
        FaultSettings faults;
        faults.dropProbability = 1;
        bus.setFaults(faults);
    }
    QVERIFY(m_line->read(1, &log));
    bus.setRelayOnline(1, true);
    bus.setFaults(FaultSettings());
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);

    QVERIFY(!log.isReadSuccessful());
    const CrashListModel *model = log.crashListModel();
    QCOMPARE(model->rowCount(), qMin(crashes, 60));
    for (int row = 0; row < model->rowCount(); ++row)
        QVERIFY2(isEmptyRecord(model->record(row)), qPrintable(QString::number(row)));
}

void CrashBlocksTest::clearWritesTheCoil()
{
    RelayBus &bus = m_line->bus();
    bus.setCrashCount(2, 12);
    bus.clearReceivedWrites();

    ClearCrashLogData clear;
    QVERIFY(clear.readRequests().isEmpty());
    QVERIFY(m_line->write(2, &clear));
    QVERIFY(clear.isWriteSuccessful());

    const QList<ReceivedWrite> writes = bus.receivedWrites();
    QCOMPARE(writes.size(), 1);
    QCOMPARE(writes.at(0).slaveId, 2);
    QCOMPARE(writes.at(0).function, int(ModbusRequest::WriteSingleCoil));
    QCOMPARE(writes.at(0).address, 0x4000);
    QCOMPARE(writes.at(0).value, quint16(0));

    CrashCountData count;
    QVERIFY(m_line->read(2, &count));
    QCOMPARE(count.crashCount(), validValue(0));
}

QTEST_GUILESS_MAIN(CrashBlocksTest)
#include "tst_crashblocks.moc"
