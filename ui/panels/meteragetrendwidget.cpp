// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/meteragetrendwidget.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
QT_CHARTS_USE_NAMESPACE
#endif

namespace {

constexpr int LongestWindowMinutes = 60;
constexpr qint64 MinuteMs = 60000;
// The live phase current indicators switch to kiloamperes from here.
constexpr double KiloamperesFrom = 10000;

const char *const quantityNames[] = {
    QT_TRANSLATE_NOOP("MeterageTrendWidget", "IA"),
    QT_TRANSLATE_NOOP("MeterageTrendWidget", "IC"),
    QT_TRANSLATE_NOOP("MeterageTrendWidget", "3I0"),
    QT_TRANSLATE_NOOP("MeterageTrendWidget", "3U0"),
};

const QColor quantityColors[] = { QColor(0xd9, 0x8c, 0x00), QColor(0x2e, 0x8b, 0x57),
    QColor(0x1f, 0x5f, 0xbf), QColor(0xc0, 0x20, 0x20) };

bool isCurrent(int quantity)
{
    return quantity != MeterageTrendWidget::ZeroVoltage;
}

} // namespace

// The series and axes are plain data until the chart is built: they hold the
// trend of a widget never shown at no more cost than their points.
struct MeterageTrendWidget::Plot
{
    QChart *chart = nullptr; // built once the widget has been drawn
    QDateTimeAxis *timeAxis = nullptr;
    QValueAxis *currentAxis = nullptr;
    QValueAxis *voltageAxis = nullptr;
    // Per quantity: its unbroken runs, the last one open while samples keep
    // coming.
    QList<QLineSeries *> segments[QuantityCount];
    bool open[QuantityCount] = {};

    QValueAxis *valueAxis(int quantity) const
    {
        return isCurrent(quantity) ? currentAxis : voltageAxis;
    }

    QLineSeries *newSegment(int quantity, QObject *owner)
    {
        auto *series = new QLineSeries(owner);
        QPen pen(quantityColors[quantity]);
        pen.setWidth(0); // cosmetic, the cheapest to draw
        series->setPen(pen);
        if (chart)
            addToChart(series, quantity);
        segments[quantity].append(series);
        return series;
    }

    void addToChart(QLineSeries *series, int quantity)
    {
        chart->addSeries(series);
        series->attachAxis(timeAxis);
        series->attachAxis(valueAxis(quantity));
        // The legend names each quantity once, by its first (empty) series.
        const QList<QLegendMarker *> markers = chart->legend()->markers(series);
        for (QLegendMarker *marker : markers)
            marker->setVisible(false);
    }

    void removeSegment(int quantity, int index)
    {
        QLineSeries *series = segments[quantity].takeAt(index);
        if (chart)
            chart->removeSeries(series);
        delete series;
    }
};

MeterageTrendWidget::MeterageTrendWidget(QWidget *parent)
    : QWidget(parent),
      m_plot(new Plot),
      m_windowBox(new QComboBox(this)),
      m_chartArea(new QWidget(this))
{
    m_windowBox->setObjectName(QStringLiteral("trendWindowComboBox"));
    for (int minutes : { 1, 10, 60 })
        m_windowBox->addItem(tr("%1 min").arg(minutes), minutes);
    m_windowBox->setCurrentIndex(m_windowBox->findData(m_windowMinutes));

    Plot &plot = *m_plot;
    plot.timeAxis = new QDateTimeAxis(this);
    plot.timeAxis->setTickCount(6);
    plot.currentAxis = new QValueAxis(this);
    plot.voltageAxis = new QValueAxis(this);
    plot.voltageAxis->setTitleText(tr("Voltage, V"));
    for (QValueAxis *axis : { plot.currentAxis, plot.voltageAxis }) {
        axis->setLabelFormat(QStringLiteral("%.4g"));
        axis->setRange(0, 1);
    }
    // The chart's room is kept from the start: building it later moves
    // nothing else on the tab. The axes' titles run along the plot, which
    // shortens a title longer than itself to "..."; the chart's theme draws
    // them in a font larger than the widget's.
    const QFontMetrics metrics(font());
    const int longestTitle = qMax(metrics.horizontalAdvance(plot.voltageAxis->titleText()),
        metrics.horizontalAdvance(tr("Current, kA")));
    m_chartArea->setMinimumHeight(qMax(160, longestTitle * 3 / 2 + 6 * metrics.height()));
    auto *chartLayout = new QVBoxLayout(m_chartArea);
    chartLayout->setContentsMargins(0, 0, 0, 0);

    auto *windowLabel = new QLabel(tr("Trend over:"), this);
    windowLabel->setBuddy(m_windowBox);
    auto *controls = new QHBoxLayout;
    controls->addWidget(windowLabel);
    controls->addWidget(m_windowBox);
    controls->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(controls);
    layout->addWidget(m_chartArea, 1);

    connect(m_windowBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        [this](int index) { setWindowMinutes(m_windowBox->itemData(index).toInt()); });
    rebuild();
}

MeterageTrendWidget::~MeterageTrendWidget() = default;

// Qt Charts lays out and draws a whole graphics scene, a quarter of what the
// main window adds to Qt's own start-up: the chart is built only where the
// trend is seen, and only once the frame around it is on screen, in the next
// pass of the event loop.
void MeterageTrendWidget::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!m_plot->chart && !m_chartPending) {
        m_chartPending = true;
        QTimer::singleShot(0, this, &MeterageTrendWidget::buildChart);
    }
}

void MeterageTrendWidget::buildChart()
{
    Plot &plot = *m_plot;
    plot.chart = new QChart;
    plot.chart->setAnimationOptions(QChart::NoAnimation);
    plot.chart->setDropShadowEnabled(false);
    plot.chart->setMargins(QMargins(2, 2, 2, 2));
    plot.chart->legend()->setAlignment(Qt::AlignTop);
    plot.chart->addAxis(plot.timeAxis, Qt::AlignBottom);
    plot.chart->addAxis(plot.currentAxis, Qt::AlignLeft);
    plot.chart->addAxis(plot.voltageAxis, Qt::AlignRight);
    for (int quantity = 0; quantity < QuantityCount; ++quantity) {
        auto *legend = new QLineSeries;
        legend->setName(tr(quantityNames[quantity]));
        legend->setColor(quantityColors[quantity]);
        plot.chart->addSeries(legend);
        legend->attachAxis(plot.timeAxis);
        legend->attachAxis(plot.valueAxis(quantity));
    }
    for (int quantity = 0; quantity < QuantityCount; ++quantity) {
        for (QLineSeries *series : qAsConst(plot.segments[quantity]))
            plot.addToChart(series, quantity);
    }
    auto *view = new QChartView(plot.chart, m_chartArea);
    view->setObjectName(QStringLiteral("trendChartView"));
    view->setRenderHint(QPainter::Antialiasing, false);
    m_chartArea->layout()->addWidget(view);
    view->show(); // now, not once the layout gets round to it
}

void MeterageTrendWidget::addSample(qint64 timeMs, const Sample &values)
{
    const Stored sample { timeMs, values };
    m_samples.push_back(sample);
    while (
        !m_samples.empty() && m_samples.front().timeMs < timeMs - LongestWindowMinutes * MinuteMs)
        m_samples.pop_front();

    if (chooseCurrentScale() != m_currentScale) {
        rebuild();
        return;
    }
    appendToPlot(sample);
    dropOutside(timeMs - m_windowMinutes * MinuteMs);
    updateAxes(timeMs);
}

void MeterageTrendWidget::clear()
{
    m_samples.clear();
    rebuild();
}

void MeterageTrendWidget::setWindowMinutes(int minutes)
{
    if (minutes <= 0 || minutes == m_windowMinutes)
        return;
    m_windowMinutes = minutes;
    m_windowBox->setCurrentIndex(m_windowBox->findData(minutes));
    rebuild();
}

QList<QVector<QPointF>> MeterageTrendWidget::segments(Quantity quantity) const
{
    QList<QVector<QPointF>> result;
    for (const QLineSeries *series : qAsConst(m_plot->segments[quantity])) {
        QVector<QPointF> points;
        for (int i = 0; i < series->count(); ++i)
            points.append(series->at(i));
        result.append(points);
    }
    return result;
}

void MeterageTrendWidget::appendToPlot(const Stored &sample)
{
    Plot &plot = *m_plot;
    for (int quantity = 0; quantity < QuantityCount; ++quantity) {
        const DoubleValue &value = sample.values[size_t(quantity)];
        if (value.status != Valid) {
            plot.open[quantity] = false;
            continue;
        }
        QLineSeries *series = plot.open[quantity] ? plot.segments[quantity].last()
                                                  : plot.newSegment(quantity, this);
        plot.open[quantity] = true;
        const double scale = isCurrent(quantity) ? m_currentScale : 1;
        series->append(double(sample.timeMs), value.value / scale);
    }
}

void MeterageTrendWidget::rebuild()
{
    Plot &plot = *m_plot;
    for (int quantity = 0; quantity < QuantityCount; ++quantity) {
        while (!plot.segments[quantity].isEmpty())
            plot.removeSegment(quantity, 0);
        plot.open[quantity] = false;
    }
    m_currentScale = chooseCurrentScale();
    m_timeAxisEndMs = 0;
    m_axisTop[0] = m_axisTop[1] = 0;
    plot.currentAxis->setTitleText(m_currentScale > 1 ? tr("Current, kA") : tr("Current, A"));
    plot.timeAxis->setFormat(
        m_windowMinutes <= 1 ? QStringLiteral("hh:mm:ss") : QStringLiteral("hh:mm"));

    const qint64 nowMs
        = m_samples.empty() ? QDateTime::currentMSecsSinceEpoch() : m_samples.back().timeMs;
    const qint64 fromMs = nowMs - m_windowMinutes * MinuteMs;
    for (const Stored &sample : m_samples) {
        if (sample.timeMs >= fromMs)
            appendToPlot(sample);
    }
    updateAxes(nowMs);
}

void MeterageTrendWidget::dropOutside(qint64 fromMs)
{
    Plot &plot = *m_plot;
    for (int quantity = 0; quantity < QuantityCount; ++quantity) {
        QList<QLineSeries *> &segments = plot.segments[quantity];
        while (!segments.isEmpty()) {
            QLineSeries *first = segments.first();
            int old = 0;
            while (old < first->count() && first->at(old).x() < fromMs)
                ++old;
            if (old < first->count()) {
                if (old > 0)
                    first->removePoints(0, old);
                break;
            }
            if (segments.size() == 1)
                plot.open[quantity] = false;
            plot.removeSegment(quantity, 0);
        }
    }
}

void MeterageTrendWidget::updateAxes(qint64 nowMs)
{
    Plot &plot = *m_plot;
    const qint64 windowMs = m_windowMinutes * MinuteMs;
    const qint64 stepMs = windowMs / 20;
    if (nowMs > m_timeAxisEndMs || nowMs < m_timeAxisEndMs - 2 * stepMs) {
        m_timeAxisEndMs = (nowMs / stepMs + 1) * stepMs;
        plot.timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(m_timeAxisEndMs - windowMs),
            QDateTime::fromMSecsSinceEpoch(m_timeAxisEndMs));
    }
    double highest[2] = { 0, 0 };
    for (int quantity = 0; quantity < QuantityCount; ++quantity) {
        double &high = highest[isCurrent(quantity) ? 0 : 1];
        for (const QLineSeries *series : qAsConst(plot.segments[quantity])) {
            for (int i = 0; i < series->count(); ++i)
                high = std::max(high, series->at(i).y());
        }
    }
    QValueAxis *axes[2] = { plot.currentAxis, plot.voltageAxis };
    for (int axis = 0; axis < 2; ++axis) {
        // Headroom above the highest value, kept until the values rise above
        // it or fall below a third of it; a flat zero still gets a scale.
        double &top = m_axisTop[axis];
        const bool fits = highest[axis] <= top && highest[axis] * 3 >= top;
        const double wanted = fits ? top : highest[axis] > 0 ? highest[axis] * 1.5 : 1;
        if (wanted == top)
            continue;
        top = wanted;
        axes[axis]->setRange(0, top);
    }
}

double MeterageTrendWidget::chooseCurrentScale() const
{
    const qint64 fromMs
        = m_samples.empty() ? 0 : m_samples.back().timeMs - m_windowMinutes * MinuteMs;
    for (const Stored &sample : m_samples) {
        if (sample.timeMs < fromMs)
            continue;
        for (int quantity : { PhaseACurrent, PhaseCCurrent, ZeroCurrent }) {
            const DoubleValue &value = sample.values[size_t(quantity)];
            if (value.status == Valid && value.value >= KiloamperesFrom)
                return 1000;
        }
    }
    return 1;
}
