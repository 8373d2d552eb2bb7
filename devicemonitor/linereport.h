// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEREPORT_H
#define LINEREPORT_H

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

class JournalSource;
class LineReader;
struct LineRow;

// The commissioning record of a whole line as rich text: a summary with one row per relay, as the
// line view shows it, then a section per relay on a page of its own, holding a single relay's
// report for each relay of ours that was read whole and the reason for every other.
class LineReport
{
    Q_DECLARE_TR_FUNCTIONS(LineReport)

public:
    // `reader` has read the line, with crash logs; `journal` may be null.
    LineReport(const LineReader &reader, const QString &folderName, const JournalSource *journal,
        const QDateTime &madeAt = QDateTime::currentDateTime());

    QString html() const;
    QString title() const;
    // One summary row's cells, as plain text: what the line view and the command line show.
    static QStringList summaryCells(const LineRow &row);
    static QStringList summaryHeader();

private:
    QString summaryHtml() const;
    QString sectionHtml(const LineRow &row) const;

    const LineReader &m_reader;
    QString m_folderName;
    const JournalSource *m_journal;
    QDateTime m_madeAt;
};

#endif // LINEREPORT_H
