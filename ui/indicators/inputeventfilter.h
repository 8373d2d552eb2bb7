// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef INPUTEVENTFILTER_H
#define INPUTEVENTFILTER_H

#include <QObject>

// Makes the widgets it is installed on deaf to keyboard, mouse, wheel, tablet,
// touch and context-menu input, so they show state without being changeable.
class InputEventFilter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif // INPUTEVENTFILTER_H
