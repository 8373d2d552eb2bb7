#include "firstpaintprobe.h"
#include "benchsupport.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

FirstPaintProbe::FirstPaintProbe(QWidget *window) : m_window(window)
{
    qApp->installEventFilter(this);
}

bool FirstPaintProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == m_window) {
        m_seen = true;
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            m_paintedAt = bench::nowNs();
            emit painted();
        });
    }
    return false;
}

bool writeWindowResult(const QString &path, qint64 paintedAtNs, qint64 peakRssKb)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream(&file) << paintedAtNs << ' ' << peakRssKb << '\n';
    return true;
}
