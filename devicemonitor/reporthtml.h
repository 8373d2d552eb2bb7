// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REPORTHTML_H
#define REPORTHTML_H

#include <QString>
#include <QStringList>
#include <QVector>

// The tables of the reports, in the rich text QTextDocument lays out.

// A table across the page with thin grey rules.
QString tableStart();
// The widths, the columns' shares of the page in percent, are given to a table's first row.
QString rowHtml(const QStringList &cells, const QVector<int> &widths = {}, const char *tag = "td");
// A table's header row, repeated at the top of every page the table runs on.
QString tableHeaderHtml(const QStringList &cells, const QVector<int> &widths);

#endif // REPORTHTML_H
