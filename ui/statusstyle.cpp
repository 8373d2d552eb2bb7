// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/statusstyle.h"

#include <QAbstractButton>
#include <QLabel>

bool applyStatusStyle(QWidget *widget, DataStatus status, StatusStyleTarget target)
{
    if (status != NoData && status != Valid && status != Outdated)
        return false;
    const QString rule = status == Outdated ? QStringLiteral(" { color: red }")
                                            : QStringLiteral(" { color: black }");
    QString sheet = QLatin1String("QLabel[enabled=\"true\"]") + rule;
    if (target == StatusStyleTarget::ValueWidget) {
        sheet += QLatin1String(" QCheckBox") + rule + QLatin1String(" QDoubleSpinBox") + rule;
    }
    applyStyleSheet(widget, sheet);
    return true;
}

void setLabelValue(
    QLabel *label, DataStatus status, const QString &text, const QString &undefinedText)
{
    if (!applyStatusStyle(label, status, StatusStyleTarget::ValueWidget))
        return;
    if (status == NoData)
        label->setText(undefinedText.isNull() ? QStringLiteral("-") : undefinedText);
    else if (label->isEnabled())
        label->setText(text);
}

void setCheckValue(QAbstractButton *button, DataStatus status, bool on)
{
    if (!applyStatusStyle(button, status, StatusStyleTarget::ValueWidget))
        return;
    if (status == NoData)
        button->setChecked(false);
    else if (button->isEnabled())
        button->setChecked(on);
}

void applyStyleSheet(QWidget *widget, const QString &styleSheet)
{
    if (widget->styleSheet() != styleSheet)
        widget->setStyleSheet(styleSheet);
}
