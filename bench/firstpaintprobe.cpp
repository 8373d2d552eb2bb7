// SPDX-License-Identifier: GPL-3.0-or-later
#include "firstpaintprobe.h"
#include "benchsupport.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int WindowResultFields = 6;

} // namespace

FirstPaintProbe::FirstPaintProbe(QWidget *window, const QString &partName)
    : m_window(window), m_partName(partName)
{
    qApp->installEventFilter(this);
}

bool FirstPaintProbe::isWatched(const QWidget *widget) const
{
    if (widget->window() != m_window)
        return false;
    if (m_partName.isEmpty())
        return true;
    for (; widget; widget = widget->parentWidget()) {
        if (widget->objectName() == m_partName)
            return true;
    }
    return false;
}

bool FirstPaintProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()
        && isWatched(static_cast<QWidget *>(watched))) {
        m_seen = true;
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            m_paintedAt = bench::nowNs();
            m_cpuAtPaint = bench::cpuNs();
            emit painted();
        });
    }
    return false;
}

bool writeWindowResult(const QString &path, const WindowResult &result)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream(&file) << result.mainEnteredNs << ' ' << result.builtNs << ' ' << result.paintedNs
                       << ' ' << result.cpuAtPaintNs << ' ' << result.partPaintedNs << ' '
                       << result.peakRssKb << '\n';
    return true;
}

bool readWindowResult(const QString &path, WindowResult *result)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    if (fields.size() != WindowResultFields)
        return false;
    result->mainEnteredNs = fields.at(0).toLongLong();
    result->builtNs = fields.at(1).toLongLong();
    result->paintedNs = fields.at(2).toLongLong();
    result->cpuAtPaintNs = fields.at(3).toLongLong();
    result->partPaintedNs = fields.at(4).toLongLong();
    result->peakRssKb = fields.at(5).toLongLong();
    return result->paintedNs > 0;
}
