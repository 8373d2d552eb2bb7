// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "devicedata/meteragedata.h"
#include "devicemonitor/devicemonitor.h"
#include "namedchild.h"
#include "relaybus.h"
#include "settingsfolder.h"
#include "ui/indicators/currentindicator.h"
#include "ui/mainwindow.h"
#include "ui/panels/meteragetrendwidget.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QSettings>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtTest>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
QT_CHARTS_USE_NAMESPACE
#endif

// The live trend: lines broken at every failed read, the chosen window, the
// indicators' units; and over the simulated line, a relay that falls silent
// leaves a gap.
class MeterageTrendTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void failedReadsBreakTheLine();
    void windowShowsItsMinutesOnly();
    void largeCurrentsInKiloamperes();
    void chartBuiltOnceDrawn();
    void silentRelayLeavesAGap();

private:
    QScopedPointer<RelayBus> m_bus;
};

namespace {

constexpr qint64 Start = 1700000000000;

MeterageTrendWidget::Sample sample(double current, DataStatus status = Valid)
{
    return { DoubleValue { current, status }, DoubleValue { current * 2, status },
        DoubleValue { current / 10, status }, DoubleValue { 0, NoData } };
}

} // namespace

void MeterageTrendTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    m_bus.reset(new RelayBus({ 1 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
}

void MeterageTrendTest::failedReadsBreakTheLine()
{
    MeterageTrendWidget trend;
    trend.addSample(Start, sample(10));
    trend.addSample(Start + 1000, sample(11));
    trend.addSample(Start + 2000, sample(0, Outdated));
    trend.addSample(Start + 3000, sample(0, NoData));
    trend.addSample(Start + 4000, sample(13));
    trend.addSample(Start + 5000, sample(14));

    const auto phaseA = trend.segments(MeterageTrendWidget::PhaseACurrent);
    QCOMPARE(phaseA.size(), 2);
    QCOMPARE(phaseA.at(0), QVector<QPointF>({ { double(Start), 10 }, { Start + 1000.0, 11 } }));
    QCOMPARE(phaseA.at(1), QVector<QPointF>({ { Start + 4000.0, 13 }, { Start + 5000.0, 14 } }));
    QCOMPARE(trend.segments(MeterageTrendWidget::PhaseCCurrent).at(1).last().y(), 28.0);
    // A quantity never read (its module missing) is not drawn at all.
    QVERIFY(trend.segments(MeterageTrendWidget::ZeroVoltage).isEmpty());
}

void MeterageTrendTest::windowShowsItsMinutesOnly()
{
    MeterageTrendWidget trend;
    QCOMPARE(trend.windowMinutes(), 10);
    // Every 30 s for 90 minutes: the oldest half hour is no longer kept.
    for (int i = 0; i <= 180; ++i)
        trend.addSample(Start + i * 30000, sample(i));
    const qint64 last = Start + 180 * 30000;
    const auto points
        = [&trend] { return trend.segments(MeterageTrendWidget::PhaseACurrent).value(0); };
    QCOMPARE(points().size(), 21);
    QCOMPARE(qint64(points().first().x()), last - 10 * 60000);

    auto *box = child<QComboBox>(&trend, "trendWindowComboBox");
    QVERIFY(box);
    box->setCurrentIndex(box->findData(1));
    QCOMPARE(trend.windowMinutes(), 1);
    QCOMPARE(points().size(), 3);
    box->setCurrentIndex(box->findData(60));
    QCOMPARE(points().size(), 121);
    QCOMPARE(qint64(points().first().x()), last - 60 * 60000);
}

void MeterageTrendTest::largeCurrentsInKiloamperes()
{
    MeterageTrendWidget trend;
    trend.addSample(Start, sample(4000)); // IC twice that: still amperes
    QCOMPARE(trend.currentScale(), 1.0);
    trend.addSample(Start + 1000, sample(12000));
    QCOMPARE(trend.currentScale(), 1000.0);
    const auto phaseA = trend.segments(MeterageTrendWidget::PhaseACurrent);
    QCOMPARE(phaseA.value(0), QVector<QPointF>({ { double(Start), 4 }, { Start + 1000.0, 12 } }));
}

namespace {

// Every run of points the chart draws, whatever quantity it belongs to.
QList<QVector<QPointF>> drawnRuns(const QChartView *view)
{
    QList<QVector<QPointF>> runs;
    const QList<QAbstractSeries *> all = view->chart()->series();
    for (QAbstractSeries *series : all) {
        auto *line = qobject_cast<QLineSeries *>(series);
        if (line && line->count() > 0) {
            QVector<QPointF> points;
            for (int i = 0; i < line->count(); ++i)
                points.append(line->at(i));
            runs.append(points);
            if (line->attachedAxes().size() != 2)
                return {}; // a line without its time and value axes is not drawn right
        }
    }
    std::sort(runs.begin(), runs.end(), [](const QVector<QPointF> &a, const QVector<QPointF> &b) {
        return std::make_pair(a.first().x(), a.first().y())
            < std::make_pair(b.first().x(), b.first().y());
    });
    return runs;
}

QList<QVector<QPointF>> trendRuns(const MeterageTrendWidget &trend)
{
    QList<QVector<QPointF>> runs;
    for (int quantity = 0; quantity < MeterageTrendWidget::QuantityCount; ++quantity)
        runs += trend.segments(MeterageTrendWidget::Quantity(quantity));
    std::sort(runs.begin(), runs.end(), [](const QVector<QPointF> &a, const QVector<QPointF> &b) {
        return std::make_pair(a.first().x(), a.first().y())
            < std::make_pair(b.first().x(), b.first().y());
    });
    return runs;
}

} // namespace

// The chart costs the window's start-up most: it is built only once the trend
// has been drawn, then shows what came before, takes what follows and moves
// nothing else on the tab.
void MeterageTrendTest::chartBuiltOnceDrawn()
{
    MeterageTrendWidget trend;
    trend.resize(600, 300);
    trend.addSample(Start, sample(10));
    trend.addSample(Start + 1000, sample(0, Outdated));
    trend.addSample(Start + 2000, sample(12));
    QVERIFY(!trend.findChild<QChartView *>());
    const QSize roomBefore = trend.minimumSizeHint();

    trend.show();
    QVERIFY(QTest::qWaitForWindowExposed(&trend));
    QChartView *view = nullptr;
    // Built after the first paint: looked for without stopping the test.
    QTRY_VERIFY((view = trend.findChild<QChartView *>(QStringLiteral("trendChartView"))));
    QVERIFY(view->isVisible());
    QCOMPARE(trend.minimumSizeHint(), roomBefore);
    QCOMPARE(trendRuns(trend).size(), 6); // IA, IC and 3I0, each broken once
    QCOMPARE(drawnRuns(view), trendRuns(trend));

    trend.addSample(Start + 3000, sample(0, NoData));
    trend.addSample(Start + 4000, sample(14));
    QCOMPARE(trendRuns(trend).size(), 9);
    QCOMPARE(drawnRuns(view), trendRuns(trend));
    trend.setWindowMinutes(1);
    QCOMPARE(drawnRuns(view), trendRuns(trend));
}

void MeterageTrendTest::silentRelayLeavesAGap()
{
    const SettingsFolder folder;
    QVERIFY(folder.isEntered());
    ConnectionSettings connection;
    connection.portName = m_bus->portPath();
    saveConnectionSettings(connection);
    saveDeviceSettings({ 0, 40 });
    {
        QSettings ini("settings.ini", QSettings::IniFormat);
        ini.setValue("preferences/auto_refresh_delay", 50);
        ini.setValue("preferences/scan_range", "1");
    }
    m_bus->setHoldingRegister(1, 16, 1000); // IA, raw

    MainWindow window;
    window.show();
    auto *trend = child<MeterageTrendWidget>(&window, "meterageTrendWidget");
    auto *phaseA = child<CurrentIndicator>(&window, "phaseACurrentIndicator");
    auto *meterage = window.findChild<MeterageData *>();
    QVERIFY(meterage);
    child<QAction>(&window, "actionConnect")->trigger();
    child<QAbstractButton>(&window, "scanButton")->click();

    int reads = 0;
    connect(meterage, &DeviceData::stateChanged, this,
        [&reads](DeviceData::State current) { reads += current == DeviceData::Inactive; });
    const auto readsFromNow = [&reads](int more) {
        const int target = reads + more;
        return QTest::qWaitFor([&] { return reads >= target; }, 20000);
    };
    QVERIFY(readsFromNow(3));
    const double shown = phaseA->value().value;
    QCOMPARE(phaseA->value().status, Valid);

    m_bus->setRelayOnline(1, false);
    const qint64 silentFrom = QDateTime::currentMSecsSinceEpoch();
    QVERIFY(readsFromNow(2));
    const qint64 silentUntil = QDateTime::currentMSecsSinceEpoch();
    m_bus->setRelayOnline(1, true);
    QVERIFY(readsFromNow(3));
    window.close();

    const auto segments = trend->segments(MeterageTrendWidget::PhaseACurrent);
    QVERIFY2(segments.size() >= 2, qPrintable(QString::number(segments.size())));
    // The values drawn are the indicator's; no line runs through the silence.
    QCOMPARE(segments.first().last().y(), shown);
    for (const QVector<QPointF> &segment : segments) {
        QVERIFY(segment.last().x() < silentUntil || segment.first().x() > silentFrom);
        for (int i = 1; i < segment.size(); ++i)
            QVERIFY(!(segment.at(i - 1).x() < silentFrom && segment.at(i).x() > silentUntil));
    }
}

QTEST_MAIN(MeterageTrendTest)
#include "tst_meteragetrend.moc"
