// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/inputeventfilter.h"

#include <QInputEvent>

bool InputEventFilter::eventFilter(QObject *, QEvent *event)
{
    return dynamic_cast<QInputEvent *>(event) != nullptr;
}
