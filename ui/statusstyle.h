// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATUSSTYLE_H
#define STATUSSTYLE_H

#include "devicedata/datavalue.h"

#include <QString>

class QAbstractButton;
class QLabel;
class QWidget;

// Sets the sheet only if it differs: Qt restyles, lays out and repaints a
// widget on every setStyleSheet call, and live values change several times
// a second.
void applyStyleSheet(QWidget *widget, const QString &styleSheet);

// What a status sheet colours: an indicator's label, or any plain widget
// that shows a value (labels, check boxes, spin boxes). The selector keeps a
// disabled label in the platform's disabled colour.
enum class StatusStyleTarget { Indicator, ValueWidget };

// Black while a value is missing or valid, red once it is outdated; false,
// leaving the widget as it is, for any other status.
bool applyStatusStyle(QWidget *widget, DataStatus status, StatusStyleTarget target);

// Status colouring for plain widgets, matching the indicators: black while a
// value is missing or valid, red once it is outdated. A disabled widget keeps
// what it showed, so a function switched off in the relay is not redrawn.

// NoData shows `undefinedText`, or "-" when it is null.
void setLabelValue(QLabel *label, DataStatus status, const QString &text,
    const QString &undefinedText = QString());
// NoData unchecks.
void setCheckValue(QAbstractButton *button, DataStatus status, bool on);

#endif // STATUSSTYLE_H
