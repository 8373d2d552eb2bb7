// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CSVFILE_H
#define CSVFILE_H

#include <QByteArray>
#include <QStringList>
#include <QVector>

// Tables for spreadsheets: comma-separated fields, quoted where they hold a
// comma, a quote, a line break or edge spaces, CRLF line ends, and UTF-8 with
// a byte-order mark so that a spreadsheet takes Cyrillic text as such.
QByteArray csvDocument(const QVector<QStringList> &rows);

// Writes the document whole or not at all; `error` says why not.
bool saveCsv(const QString &path, const QVector<QStringList> &rows, QString *error);

#endif // CSVFILE_H
