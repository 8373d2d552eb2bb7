// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/statusstyle.h"

#include <QAbstractButton>
#include <QLabel>

namespace {

const char blackStyleSheet[]
    = "QLabel[enabled=\"true\"] { color: black } QCheckBox { color: black } "
      "QDoubleSpinBox { color: black }";
const char redStyleSheet[] = "QLabel[enabled=\"true\"] { color: red } QCheckBox { color: red } "
                             "QDoubleSpinBox { color: red }";

} // namespace

void setLabelValue(
    QLabel *label, DataStatus status, const QString &text, const QString &undefinedText)
{
    switch (status) {
    case NoData:
        applyStyleSheet(label, QLatin1String(blackStyleSheet));
        label->setText(undefinedText.isNull() ? QStringLiteral("-") : undefinedText);
        break;
    case Valid:
    case Outdated:
        applyStyleSheet(label, QLatin1String(status == Valid ? blackStyleSheet : redStyleSheet));
        if (label->isEnabled())
            label->setText(text);
        break;
    }
}

void setCheckValue(QAbstractButton *button, DataStatus status, bool on)
{
    switch (status) {
    case NoData:
        applyStyleSheet(button, QLatin1String(blackStyleSheet));
        button->setChecked(false);
        break;
    case Valid:
    case Outdated:
        applyStyleSheet(button, QLatin1String(status == Valid ? blackStyleSheet : redStyleSheet));
        if (button->isEnabled())
            button->setChecked(on);
        break;
    }
}

void applyStyleSheet(QWidget *widget, const QString &styleSheet)
{
    if (widget->styleSheet() != styleSheet)
        widget->setStyleSheet(styleSheet);
}
