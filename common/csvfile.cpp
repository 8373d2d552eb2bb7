// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/csvfile.h"

#include <QSaveFile>

namespace {

QString csvField(const QString &text)
{
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))
        || text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
    if (!quoted)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

QByteArray csvDocument(const QVector<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        QStringList fields;
        fields.reserve(row.size());
        for (const QString &field : row)
            fields.append(csvField(field));
        text += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

bool saveCsv(const QString &path, const QVector<QStringList> &rows, QString *error)
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
