// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FIRSTPAINTPROBE_H
#define FIRSTPAINTPROBE_H

#include <QObject>

class QWidget;

// Tells when a window has first been painted: at the end of the event-loop pass in which the
// window or one of its children got its first paint event, that is once the whole window has
// been drawn into its backing store and flushed.
class FirstPaintProbe : public QObject
{
    Q_OBJECT

public:
    explicit FirstPaintProbe(QWidget *window);

    qint64 paintedAtNs() const { return m_paintedAt; } // 0 until painted

signals:
    void painted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    bool m_seen = false;
    qint64 m_paintedAt = 0;
};

// What a window process leaves for its parent, all times from the monotonic clock.
struct WindowResult
{
    qint64 mainEnteredNs = 0; // main() began: the program is loaded
    qint64 builtNs = 0; // the application and window objects exist
    qint64 paintedNs = 0;
    qint64 peakRssKb = 0;
};

bool writeWindowResult(const QString &path, const WindowResult &result);
bool readWindowResult(const QString &path, WindowResult *result);

#endif // FIRSTPAINTPROBE_H
