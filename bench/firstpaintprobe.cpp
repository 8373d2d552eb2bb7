// SPDX-License-Identifier: GPL-3.0-or-later
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

bool writeWindowResult(const QString &path, const WindowResult &result)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream(&file) << result.mainEnteredNs << ' ' << result.builtNs << ' ' << result.paintedNs
                       << ' ' << result.peakRssKb << '\n';
    return true;
}

bool readWindowResult(const QString &path, WindowResult *result)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    if (fields.size() != 4)
        return false;
    result->mainEnteredNs = fields.at(0).toLongLong();
    result->builtNs = fields.at(1).toLongLong();
    result->paintedNs = fields.at(2).toLongLong();
    result->peakRssKb = fields.at(3).toLongLong();
    return result->paintedNs > 0;
}
