// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/clearcrashlogdata.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/crashlogdata.h"
#include "panelfixture.h"
#include "ui/indicators/numberindicator.h"
#include "ui/panels/crashlogwidget.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

constexpr int RelayId = 1;

} // namespace

class TestCrashLogWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buttons_data();
    void buttons();
    void buttonsAnnounceCommands();
    void outdatedCountStillOffersRefresh();
    void refreshDisabledWhileReading();

    void headerSizing();
    void rowsFromTheRelay();
    void clearEmptiesTheList();
    void exportWritesTheTable();

private:
    QPushButton *refreshButton() const
    {
        return child<QPushButton>(m_panel.data(), "refreshButton");
    }
    QPushButton *clearButton() const { return child<QPushButton>(m_panel.data(), "clearButton"); }
    QTreeView *treeView() const { return child<QTreeView>(m_panel.data(), "crashLogTreeView"); }
    bool readLog();

    QScopedPointer<SimulatedLine> m_line;
    QScopedPointer<CrashLogWidget> m_panel;
    ClearCrashLogData *m_clear = nullptr;
    CrashCountData *m_crashCount = nullptr;
    CrashLogData *m_crashLog = nullptr;
};

void TestCrashLogWidget::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestCrashLogWidget::init()
{
    m_line.reset(new SimulatedLine({ RelayId }));
    QVERIFY(m_line->start());
    m_panel.reset(new CrashLogWidget);
    m_clear = new ClearCrashLogData(m_panel.data());
    m_crashCount = new CrashCountData(m_panel.data());
    m_crashLog = new CrashLogData(m_panel.data());
    m_panel->setClearCrashLogData(m_clear);
    m_panel->setCrashCountData(m_crashCount);
    m_panel->setCrashLogData(m_crashLog);
}

void TestCrashLogWidget::cleanup()
{
    m_panel.reset();
    m_line.reset();
}

// What the main window does on Refresh.
bool TestCrashLogWidget::readLog()
{
    m_crashLog->reset();
    m_crashLog->setCrashCount(int(m_crashCount->crashCount().value));
    return m_line->read(RelayId, m_crashLog);
}

void TestCrashLogWidget::buttons_data()
{
    QTest::addColumn<int>("relayCount"); // -1: the count is not read
    QTest::addColumn<QString>("countText");
    QTest::addColumn<bool>("refreshWithDevice");

    QTest::newRow("count not read") << -1 << "-" << false;
    QTest::newRow("no crashes") << 0 << "0" << false;
    QTest::newRow("crashes") << 12 << "12" << true;
}

void TestCrashLogWidget::buttons()
{
    QFETCH(int, relayCount);
    QFETCH(QString, countText);
    QFETCH(bool, refreshWithDevice);

    QVERIFY(!refreshButton()->isEnabled());
    QVERIFY(!clearButton()->isEnabled());
    if (relayCount >= 0) {
        m_line->bus().setCrashCount(RelayId, relayCount);
        QVERIFY(m_line->read(RelayId, m_crashCount));
    }
    QCOMPARE(
        child<NumberIndicator>(m_panel.data(), "crashCountNumberIndicator")->text(), countText);

    m_panel->ui_setCurrentDeviceAvailable(true);
    QVERIFY(clearButton()->isEnabled());
    QCOMPARE(refreshButton()->isEnabled(), refreshWithDevice);

    m_panel->ui_setCurrentDeviceAvailable(false);
    QVERIFY(!clearButton()->isEnabled());
    QVERIFY(!refreshButton()->isEnabled());
}

void TestCrashLogWidget::buttonsAnnounceCommands()
{
    QVERIFY(m_line->read(RelayId, m_crashCount));
    m_panel->ui_setCurrentDeviceAvailable(true);
    QSignalSpy refreshes(m_panel.data(), &CrashLogWidget::refresh);
    QSignalSpy clears(m_panel.data(), &CrashLogWidget::clear);

    refreshButton()->click();
    QCOMPARE(refreshes.count(), 1);
    QCOMPARE(clears.count(), 0);
    clearButton()->click();
    QCOMPARE(refreshes.count(), 1);
    QCOMPARE(clears.count(), 1);
}

void TestCrashLogWidget::outdatedCountStillOffersRefresh()
{
    QVERIFY(m_line->read(RelayId, m_crashCount));
    m_line->bus().setRelayOnline(RelayId, false);
    QVERIFY(m_line->read(RelayId, m_crashCount));

    auto *indicator = child<NumberIndicator>(m_panel.data(), "crashCountNumberIndicator");
    QCOMPARE(indicator->text(), QStringLiteral("5"));
    QVERIFY(isShownInRed(indicator));
    QVERIFY(refreshButton()->isEnabled());
}

void TestCrashLogWidget::refreshDisabledWhileReading()
{
    QVERIFY(m_line->read(RelayId, m_crashCount));
    m_panel->ui_setCurrentDeviceAvailable(true);
    QVERIFY(refreshButton()->isEnabled());

    QVector<bool> enabledWhileReading;
    connect(m_crashLog, &DeviceData::stateChanged, this,
        [this, &enabledWhileReading](DeviceData::State state) {
            if (state == DeviceData::Reading)
                enabledWhileReading << refreshButton()->isEnabled();
        });
    QVERIFY(readLog());
    QCOMPARE(enabledWhileReading, QVector<bool> { false });
    QVERIFY(refreshButton()->isEnabled());
}

void TestCrashLogWidget::headerSizing()
{
    QHeaderView *header = treeView()->header();
    QCOMPARE(header->count(), 4);
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::ResizeToContents);
    for (int section = 1; section < 4; ++section)
        QCOMPARE(header->sectionResizeMode(section), QHeaderView::Stretch);
    QVERIFY(!header->sectionsMovable());
    QVERIFY(!header->stretchLastSection());

    // Rows coming and going keep the sizing.
    QVERIFY(m_line->read(RelayId, m_crashCount));
    QVERIFY(readLog());
    m_crashLog->reset();
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::ResizeToContents);
    QCOMPARE(header->sectionResizeMode(3), QHeaderView::Stretch);
}

void TestCrashLogWidget::rowsFromTheRelay()
{
    m_line->bus().setCrashCount(RelayId, 75);
    QVERIFY(m_line->read(RelayId, m_crashCount));
    QVERIFY(readLog());

    QAbstractItemModel *model = treeView()->model();
    QCOMPARE(model, static_cast<QAbstractItemModel *>(m_crashLog->crashListModel()));
    // The relay keeps the newest 60 of its 75 crashes.
    QCOMPARE(model->rowCount(), CrashLogData::MaxRecords);
    QCOMPARE(model->index(0, CrashListModel::NumberColumn).data().toInt(), 75);
    QCOMPARE(model->index(59, CrashListModel::NumberColumn).data().toInt(), 16);
    for (int row = 0; row < model->rowCount(); ++row)
        QVERIFY(!model->index(row, CrashListModel::TypeColumn).data().toString().isEmpty());
}

void TestCrashLogWidget::clearEmptiesTheList()
{
    QVERIFY(m_line->read(RelayId, m_crashCount));
    QVERIFY(readLog());
    QCOMPARE(treeView()->model()->rowCount(), 5);

    QVERIFY(m_line->write(RelayId, m_clear));
    QCOMPARE(treeView()->model()->rowCount(), 0);
    QCOMPARE(m_line->bus().holdingRegister(RelayId, 0x4000), quint16(0));

    QVERIFY(m_line->read(RelayId, m_crashCount));
    QCOMPARE(child<NumberIndicator>(m_panel.data(), "crashCountNumberIndicator")->text(),
        QStringLiteral("0"));
    QVERIFY(!refreshButton()->isEnabled());
}

// The file holds what the table shows, times in ISO 8601, for a spreadsheet.
void TestCrashLogWidget::exportWritesTheTable()
{
    auto *exportButton = child<QPushButton>(m_panel.data(), "exportButton");
    QVERIFY(!exportButton->isEnabled());
    m_line->bus().setCrashCount(RelayId, 3);
    QVERIFY(m_line->read(RelayId, m_crashCount));
    QVERIFY(readLog());
    QVERIFY(exportButton->isEnabled());

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.csv"));
    QString error;
    QVERIFY2(m_panel->exportTo(path, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF#,Time,Type,Current\r\n"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 5); // the header, three records, the end of the last line
    const CrashListModel *model = m_crashLog->crashListModel();
    for (int row = 0; row < 3; ++row) {
        const CrashRecord &record = model->record(row);
        QVERIFY(record.crashTime.value.isValid());
        const QString expected
            = QStringLiteral("%1,%2,%3,")
                  .arg(record.crashNumber.value)
                  .arg(record.crashTime.value.toString(Qt::ISODate),
                      model->index(row, CrashListModel::TypeColumn).data().toString());
        QVERIFY2(lines.at(row + 1).startsWith(expected), qPrintable(lines.at(row + 1)));
    }

    QVERIFY(!m_panel->exportTo(folder.filePath(QStringLiteral("missing/log.csv")), &error));
    QVERIFY(!error.isEmpty());

    m_crashLog->reset();
    QVERIFY(!exportButton->isEnabled());
}

QTEST_MAIN(TestCrashLogWidget)

#include "tst_crashlogwidget.moc"
