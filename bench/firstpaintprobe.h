// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FIRSTPAINTPROBE_H
#define FIRSTPAINTPROBE_H

#include <QObject>

class QWidget;

// Tells when a window has first been painted: at the end of the event-loop pass in which the
// window or one of its children got its first paint event, that is once the whole window has
// been drawn into its backing store and flushed. Given a part's object name, it waits instead
// for the first paint of that widget or of one inside it, which may be built later.
class FirstPaintProbe : public QObject
{
    Q_OBJECT

public:
    explicit FirstPaintProbe(QWidget *window, const QString &partName = QString());

    qint64 paintedAtNs() const { return m_paintedAt; } // 0 until painted
    qint64 cpuAtPaintNs() const { return m_cpuAtPaint; } // the process's CPU time by then

signals:
    void painted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isWatched(const QWidget *widget) const;

    QWidget *m_window;
    QString m_partName;
    bool m_seen = false;
    qint64 m_paintedAt = 0;
    qint64 m_cpuAtPaint = 0;
};

// What a window process leaves for its parent, all times from the monotonic clock.
struct WindowResult
{
    qint64 mainEnteredNs = 0; // main() began: the program is loaded
    qint64 builtNs = 0; // the application and window objects exist
    qint64 paintedNs = 0;
    qint64 cpuAtPaintNs = 0; // CPU time from the process's start to the paint, loading included
    qint64 partPaintedNs = 0; // a part built after the first paint, 0 if none or never drawn
    qint64 peakRssKb = 0;
};

bool writeWindowResult(const QString &path, const WindowResult &result);
bool readWindowResult(const QString &path, WindowResult *result);

#endif // FIRSTPAINTPROBE_H
