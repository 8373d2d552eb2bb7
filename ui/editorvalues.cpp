// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editorvalues.h"

#include "ui/enumindicatoreditor.h"
#include "ui/numberindicatoreditor.h"

DoubleValue shownValue(const DataValue &raw, double step)
{
    return { double(raw.value) * step, raw.status };
}

void addCodeItems(
    EnumIndicatorEditor *editor, const QVector<qint64> &codes, QString (*textOf)(const DataValue &))
{
    for (qint64 code : codes)
        editor->addItem(code, textOf(validValue(code)));
}

void takeSelectedCode(DataValue &field, const EnumIndicatorEditor *editor)
{
    const DataValue selected = editor->selectedValue();
    if (selected.status != NoData)
        field = selected;
}

void takeSelectedSteps(DataValue &field, const NumberIndicatorEditor *editor, double step)
{
    // Spin box values are multiples of the step only up to rounding:
    // 0.3 / 0.1 is 2.9999999999999996, which must still be 3.
    field = validValue(qRound64(editor->selectedValue().value / step));
}
