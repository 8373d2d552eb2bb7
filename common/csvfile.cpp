// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/csvfile.h"

#include <QSaveFile>

namespace {

// What a spreadsheet takes for the start of a formula: = + - @, and the tab and carriage
// return that some of them skip before looking.
bool startsAsFormula(const QString &text)
{
    return !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front());
}

QString quoted(const QString &text)
{
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))
        || text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
    if (!needsQuotes)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

QString CsvField::written() const
{
    switch (m_kind) {
    case Code:
        if (m_text.isEmpty())
            return m_text;
        return quoted(QStringLiteral("=\"%1\"").arg(
            QString(m_text).replace(QLatin1Char('"'), QLatin1String("\"\""))));
    case Foreign:
        return quoted(startsAsFormula(m_text) ? QLatin1Char('\'') + m_text : m_text);
    case Own:
        break;
    }
    return quoted(m_text);
}

QVector<CsvRow> ownFields(const QVector<QStringList> &rows)
{
    QVector<CsvRow> fields;
    fields.reserve(rows.size());
    for (const QStringList &row : rows)
        fields.append(CsvRow(row.cbegin(), row.cend()));
    return fields;
}

QByteArray csvDocument(const QVector<CsvRow> &rows)
{
    QString text;
    for (const CsvRow &row : rows) {
        QStringList fields;
        fields.reserve(row.size());
        for (const CsvField &field : row)
            fields.append(field.written());
        text += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

bool saveCsv(const QString &path, const QVector<CsvRow> &rows, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray document = csvDocument(rows);
        // A disk that fills up half-way is seen only by flush(): commit()
        // would rename the truncated file into place and report success.
        if (file.write(document) == document.size() && file.flush() && file.commit())
            return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}
