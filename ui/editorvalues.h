// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef EDITORVALUES_H
#define EDITORVALUES_H

#include "devicedata/datavalue.h"
#include "ui/numberindicator.h"

#include <QVector>

class EnumIndicatorEditor;
class NumberIndicatorEditor;

// Conversions between a block's raw register values and what the panels'
// editors show. One register unit is one step of the value's range, so the
// editors work in engineering units and Set writes whole steps.

DoubleValue shownValue(const DataValue &raw, double step);

// Offers each code with the text a code conversion gives it.
void addCodeItems(EnumIndicatorEditor *editor, const QVector<qint64> &codes,
    QString (*textOf)(const DataValue &));

// Set takes the user's choice into `field`, Valid. An editor without a
// choice (the relay holds a code the editor does not offer) leaves the
// field as it is rather than writing a code nobody chose.
void takeSelectedCode(DataValue &field, const EnumIndicatorEditor *editor);
// The editor's value in whole steps, halves rounded away from zero.
void takeSelectedSteps(DataValue &field, const NumberIndicatorEditor *editor, double step);

#endif // EDITORVALUES_H
