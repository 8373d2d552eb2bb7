// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEJSON_H
#define LINEJSON_H

#include <QJsonObject>

struct LineRow;

// A relay of the line as korvel-line --json prints it (the schema is in the README).
QJsonObject lineRowJson(const LineRow &row);

#endif // LINEJSON_H
