// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/baseindicator.h"
#include "ui/statusstyle.h"

BaseIndicator::BaseIndicator(QWidget *parent) : QLabel(parent), m_undefinedText(QStringLiteral("-"))
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void BaseIndicator::setStatusText(DataStatus status, const QString &text)
{
    if (applyStatusStyle(this, status, StatusStyleTarget::Indicator))
        setText(status == NoData ? m_undefinedText : text);
}
