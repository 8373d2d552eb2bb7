// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/reporthtml.h"

QString tableStart()
{
    return QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\" "
                          "style=\"border-collapse: collapse; border-color: #808080\">");
}

QString rowHtml(const QStringList &cells, const QVector<int> &widths, const char *tag)
{
    QString html = QStringLiteral("<tr>");
    for (int column = 0; column < cells.size(); ++column) {
        const QString width = column < widths.size()
            ? QStringLiteral(" width=\"%1%\"").arg(widths.at(column))
            : QString();
        html += QStringLiteral("<%1%2 align=\"left\">%3</%1>")
                    .arg(QLatin1String(tag), width, cells.at(column));
    }
    return html + QStringLiteral("</tr>");
}

QString tableHeaderHtml(const QStringList &cells, const QVector<int> &widths)
{
    return QStringLiteral("<thead>") + rowHtml(cells, widths, "th") + QStringLiteral("</thead>");
}
