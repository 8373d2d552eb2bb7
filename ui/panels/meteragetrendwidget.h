// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef METERAGETRENDWIDGET_H
#define METERAGETRENDWIDGET_H

#include "ui/indicators/numberindicator.h"

#include <QPointF>
#include <QVector>
#include <QWidget>

#include <array>
#include <deque>
#include <memory>

class QComboBox;

// The live trend on the Monitor tab: IA, IC, 3I0 and 3U0 over the last 1, 10
// or 60 minutes, one sample per refresh pass, currents and voltage on axes of
// their own in the units the indicators use. A value that was not read leaves
// a gap: each unbroken run of samples is a line of its own, so no line ever
// bridges an outage. The chart itself is built once the widget has first been
// drawn.
class MeterageTrendWidget : public QWidget
{
    Q_OBJECT

public:
    enum Quantity { PhaseACurrent, PhaseCCurrent, ZeroCurrent, ZeroVoltage, QuantityCount };
    using Sample = std::array<DoubleValue, QuantityCount>;

    explicit MeterageTrendWidget(QWidget *parent = nullptr);
    ~MeterageTrendWidget() override;

    // Values taken at timeMs (milliseconds since the epoch), in amperes and
    // volts; only Valid ones are drawn.
    void addSample(qint64 timeMs, const Sample &values);
    void clear();

    int windowMinutes() const { return m_windowMinutes; }
    void setWindowMinutes(int minutes);

    // What is drawn of one quantity: its unbroken runs, oldest first, as
    // (time in ms, value in the axis unit) points.
    QList<QVector<QPointF>> segments(Quantity quantity) const;
    // 1 for amperes, 1000 for kiloamperes.
    double currentScale() const { return m_currentScale; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Plot;
    struct Stored
    {
        qint64 timeMs;
        Sample values;
    };

    void buildChart();
    void appendToPlot(const Stored &sample);
    void rebuild();
    void dropOutside(qint64 fromMs);
    void updateAxes(qint64 nowMs);
    double chooseCurrentScale() const;

    std::unique_ptr<Plot> m_plot;
    // The time axis moves in steps of a twentieth of the window, the value
    // axes only when the values leave their range: each change lays the
    // whole chart out again.
    qint64 m_timeAxisEndMs = 0;
    double m_axisTop[2] = { 0, 0 };
    QComboBox *m_windowBox;
    QWidget *m_chartArea;
    bool m_chartPending = false;
    // The longest window's worth, so a wider window can be shown at once.
    std::deque<Stored> m_samples;
    int m_windowMinutes = 10;
    double m_currentScale = 1;
};

#endif // METERAGETRENDWIDGET_H
