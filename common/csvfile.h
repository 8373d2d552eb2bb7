// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CSVFILE_H
#define CSVFILE_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// One field of a table for a spreadsheet, and what the writer guards it against.
class CsvField
{
public:
    enum Kind {
        // The program's own text or number: written as it is.
        Own,
        // Characters a spreadsheet would take for a number (a fingerprint such as 00012E34, a
        // serial number such as 0042017, a type code in hex): written as ="00012E34", a formula
        // that gives the text back, since a spreadsheet keeps the result of a formula as it is.
        Code,
        // Text the program did not make (a user, a port, a label, a detail): one that starts
        // as a formula would gets an apostrophe before it, so that no spreadsheet runs it.
        Foreign,
    };

    // Implicit: most fields are the program's own.
    CsvField(const QString &text, Kind kind = Own) : m_text(text), m_kind(kind) { }

    static CsvField code(const QString &text) { return CsvField(text, Code); }
    static CsvField foreign(const QString &text) { return CsvField(text, Foreign); }

    // The field as the file holds it, quoted where it must be.
    QString written() const;

private:
    QString m_text;
    Kind m_kind;
};

using CsvRow = QVector<CsvField>;

// A table of the program's own fields only.
QVector<CsvRow> ownFields(const QVector<QStringList> &rows);

// Tables for spreadsheets: comma-separated fields, quoted where they hold a
// comma, a quote, a line break or edge spaces, CRLF line ends, and UTF-8 with
// a byte-order mark so that a spreadsheet takes Cyrillic text as such.
QByteArray csvDocument(const QVector<CsvRow> &rows);

// Writes the document whole or not at all; `error` says why not.
bool saveCsv(const QString &path, const QVector<CsvRow> &rows, QString *error);

#endif // CSVFILE_H
