// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPORTPAGES_H
#define REPORTPAGES_H

#include <QCoreApplication>
#include <QString>

class QPagedPaintDevice;

// Lays a rich-text report out on pages and paints them, each with its
// number at the foot: one painter for the printer and the PDF file alike.
class ReportPages
{
    Q_DECLARE_TR_FUNCTIONS(ReportPages)

public:
    // False when the device would not take the pages (a file that cannot be
    // written, a printer that fails).
    static bool paint(const QString &html, QPagedPaintDevice *device);
    // An A4 PDF file at `path`, titled `title`.
    static bool writePdf(const QString &html, const QString &title, const QString &path);
};

#endif // REPORTPAGES_H
