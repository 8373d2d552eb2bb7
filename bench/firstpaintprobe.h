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

// The result line a window process leaves for its parent: when it was painted, its peak RSS.
bool writeWindowResult(const QString &path, qint64 paintedAtNs, qint64 peakRssKb);

#endif // FIRSTPAINTPROBE_H
