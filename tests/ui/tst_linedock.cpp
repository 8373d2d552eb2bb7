// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/settingsfile.h"
#include "devicemonitor/comparisoncolours.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/linereader.h"
#include "devicemonitor/linesend.h"
#include "devicemonitor/linetablemodel.h"
#include "messageboxanswer.h"
#include "namedchild.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"
#include "ui/line/linedockwidget.h"

#include <QBrush>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int ForeignId = 9;
constexpr quint16 MtzReactionDelay = 35;

} // namespace

// The line view over the simulator: relays 2, 5 and 17 of ours and one of another type.
class LineDockTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void onlyTheChangedRowDiffers();
    void backupAsksBeforeOverwriting();
    void sendAsksThenWritesTheRelayThatDiffers();
    void stopEndsTheRead();
    void clickOnRowAsksForItsComparison();

private:
    bool readLine();
    // The table's row of the relay, -1 when there is none.
    int rowOf(int slaveId) const;
    QColor background(int slaveId) const;
    QString cell(int slaveId, int column) const;

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<DeviceMonitor> m_monitor;
    QScopedPointer<LineDockWidget> m_dock;
    QScopedPointer<QTemporaryDir> m_dir;
    quint16 m_pristineDelay = 0;
};

void LineDockTest::initTestCase()
{
    m_bus.reset(new RelayBus({ 2, 5, ForeignId, 17 }));
    serveTestLink(*m_bus);
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    m_bus->setDeviceTypeCode(ForeignId, 0x8D91);
    m_pristineDelay = m_bus->holdingRegister(5, MtzReactionDelay);
}

void LineDockTest::init()
{
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ 0, 60 });
    QVERIFY(connectAndWait(*m_monitor, testLinkSettings(*m_bus)));
    m_dock.reset(
        new LineDockWidget(m_monitor.data(), nullptr, [] { return std::make_pair(1, 17); }));
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dock->openFolder(m_dir->filePath(QStringLiteral("line")), true));
    QVERIFY(m_dock->isVisible());
}

void LineDockTest::cleanup()
{
    m_dock.reset();
    m_monitor.reset();
    m_bus->setHoldingRegister(5, MtzReactionDelay, m_pristineDelay);
}

bool LineDockTest::readLine()
{
    QSignalSpy finished(m_dock->reader(), &LineReader::finished);
    child<QPushButton>(m_dock.data(), "readLineButton")->click();
    return finished.wait(PassWaitMs) || finished.count() == 1;
}

int LineDockTest::rowOf(int slaveId) const
{
    const LineTableModel *model = m_dock->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data(LineTableModel::SlaveIdRole).toInt() == slaveId)
            return row;
    }
    return -1;
}

QColor LineDockTest::background(int slaveId) const
{
    return m_dock->model()
        ->index(rowOf(slaveId), 0)
        .data(Qt::BackgroundRole)
        .value<QBrush>()
        .color();
}

QString LineDockTest::cell(int slaveId, int column) const
{
    return m_dock->model()->index(rowOf(slaveId), column).data().toString();
}

void LineDockTest::onlyTheChangedRowDiffers()
{
    QVERIFY(readLine());
    m_dock->backUp();
    QCOMPARE(m_dock->folder()->relays().size(), 3);

    m_bus->setHoldingRegister(5, MtzReactionDelay, m_pristineDelay + 10);
    QVERIFY(readLine());
    QCOMPARE(m_dock->model()->rowCount(), 4);
    constexpr int RelayFingerprintColumn = 9;
    constexpr int FileFingerprintColumn = 10;
    QCOMPARE(background(5), ComparisonColours::difference());
    QVERIFY(cell(5, RelayFingerprintColumn) != cell(5, FileFingerprintColumn));
    QCOMPARE(cell(5, RelayFingerprintColumn).size(), 8);
    QCOMPARE(cell(5, FileFingerprintColumn).size(), 8);
    for (int id : { 2, 17 }) {
        QCOMPARE(background(id), ComparisonColours::verified());
        QCOMPARE(cell(id, RelayFingerprintColumn), cell(id, FileFingerprintColumn));
    }
    QVERIFY(!m_dock->model()->index(rowOf(ForeignId), 0).data(Qt::BackgroundRole).isValid());
    QVERIFY(child<QPushButton>(m_dock.data(), "readLineButton")->isEnabled());
}

void LineDockTest::backupAsksBeforeOverwriting()
{
    QVERIFY(readLine());
    m_dock->backUp();
    const QString path = m_dock->folder()->filePath(*m_dock->folder()->relay(2));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("kept");
    file.close();

    {
        MessageBoxAnswer no(QStringLiteral("No"));
        m_dock->backUp();
        QVERIFY(no.answered());
        QVERIFY2(no.text().contains(QFileInfo(path).fileName()), qPrintable(no.text()));
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("kept"));
    file.close();

    MessageBoxAnswer yes(QStringLiteral("Yes"));
    m_dock->backUp();
    QVERIFY(yes.answered());
    QStringList problems;
    SettingsFile::read(path, &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char(' '))));
}

// One question names the relay that differs and its count of values; the send leaves the relay
// the window shows as it was, the row tells the send's end, and the line read again is at its
// files.
void LineDockTest::sendAsksThenWritesTheRelayThatDiffers()
{
    QVERIFY(readLine());
    m_dock->backUp();
    m_bus->setHoldingRegister(5, MtzReactionDelay, m_pristineDelay + 10);
    QVERIFY(readLine());
    m_monitor->setCurrentDeviceId(17);
    QList<int> currentDuringSend;
    auto *send = m_dock->findChild<LineSend *>();
    QVERIFY(send);
    connect(send, &LineSend::relayFinished, this,
        [this, &currentDuringSend] { currentDuringSend.append(m_monitor->currentDeviceId()); });

    QSignalSpy readAgain(m_dock->reader(), &LineReader::finished);
    {
        MessageBoxAnswer yes(QStringLiteral("Yes"));
        child<QPushButton>(m_dock.data(), "sendLineButton")->click();
        QVERIFY(yes.answered());
        QVERIFY2(yes.text().contains(QStringLiteral("Device 5: 1 values")), qPrintable(yes.text()));
        QVERIFY2(!yes.text().contains(QStringLiteral("Device 2")), qPrintable(yes.text()));
    }
    QVERIFY(readAgain.wait(2 * PassWaitMs) || readAgain.count() == 1);
    QCOMPARE(currentDuringSend, QList<int> { 17 });
    QCOMPARE(m_bus->holdingRegister(5, MtzReactionDelay), m_pristineDelay);
    const int sendColumn = m_dock->model()->columnCount() - 1;
    QVERIFY2(
        cell(5, sendColumn).contains(QStringLiteral("verified")), qPrintable(cell(5, sendColumn)));
    QCOMPARE(cell(2, sendColumn), QString());
    QCOMPARE(background(5), ComparisonColours::verified());
}

void LineDockTest::stopEndsTheRead()
{
    auto *stop = child<QPushButton>(m_dock.data(), "stopLineButton");
    QVERIFY(!stop->isEnabled());
    QSignalSpy finished(m_dock->reader(), &LineReader::finished);
    connect(m_dock->reader(), &LineReader::rowChanged, stop, &QPushButton::click);
    child<QPushButton>(m_dock.data(), "readLineButton")->click();
    QVERIFY(stop->isEnabled());
    QVERIFY(finished.wait(PassWaitMs));
    QVERIFY(m_dock->reader()->wasCanceled());
    QVERIFY(!stop->isEnabled());
    QCOMPARE(m_dock->model()->index(rowOf(17), 0).data(LineTableModel::StateRole).toInt(),
        int(LineRow::NotRead));
    QVERIFY(child<QPushButton>(m_dock.data(), "readLineButton")->isEnabled());
}

void LineDockTest::clickOnRowAsksForItsComparison()
{
    QVERIFY(readLine());
    m_dock->backUp();
    QVERIFY(readLine());
    QSignalSpy asked(m_dock.data(), &LineDockWidget::comparisonRequested);
    auto *table = child<QTableView>(m_dock.data(), "lineTable");
    const auto click = [table](int row) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
            table->visualRect(table->model()->index(row, 0)).center());
    };
    // A relay of another type has no comparison.
    click(rowOf(ForeignId));
    QCOMPARE(asked.count(), 0);
    click(rowOf(5));
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.at(0).at(0).toInt(), 5);
    QCOMPARE(asked.at(0).at(1).toString(), m_dock->folder()->filePath(*m_dock->folder()->relay(5)));
}

QTEST_MAIN(LineDockTest)
#include "tst_linedock.moc"
