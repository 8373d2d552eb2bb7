// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/reportpages.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace {

constexpr qreal BodyPointSize = 10;
constexpr qreal PageMargin = 15; // mm

} // namespace

bool ReportPages::paint(const QString &html, QPagedPaintDevice *device)
{
    QTextDocument document;
    // Laid out in the device's own resolution, so that what is measured is
    // what is painted.
    document.documentLayout()->setPaintDevice(device);
    QFont font = document.defaultFont();
    font.setPointSizeF(BodyPointSize);
    document.setDefaultFont(font);
    document.setHtml(html);

    const int footerHeight = 2 * QFontMetrics(font, device).height();
    const QSizeF body(device->width(), device->height() - footerHeight);
    document.setPageSize(body);
    const int pageCount = document.pageCount();

    QPainter painter;
    if (!painter.begin(device))
        return false;
    for (int page = 0; page < pageCount; ++page) {
        if (page > 0 && !device->newPage())
            return false;
        const qreal top = page * body.height();
        painter.save();
        painter.translate(0, -top);
        document.drawContents(&painter, QRectF(QPointF(0, top), body));
        painter.restore();
        painter.setFont(font);
        painter.drawText(QRectF(0, body.height(), body.width(), footerHeight),
            Qt::AlignHCenter | Qt::AlignBottom, tr("Page %1 of %2").arg(page + 1).arg(pageCount));
    }
    return painter.end();
}

// Written beside the target and renamed over it once complete: a failure
// half-way leaves no torn file, and an earlier report at that path intact.
bool ReportPages::writePdf(const QString &html, const QString &title, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(
        QStringLiteral("Korvel-client %1").arg(QCoreApplication::applicationVersion()));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(PageMargin, PageMargin, PageMargin, PageMargin), QPageLayout::Millimeter));
    // A disk that fills up in the last buffered bytes is seen only by
    // flush(): commit() would rename the truncated file into place.
    if (!paint(html, &writer) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
