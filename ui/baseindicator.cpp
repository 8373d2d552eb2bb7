// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/baseindicator.h"
#include "ui/statusstyle.h"

namespace {

// The selector keeps a disabled label in the platform's disabled colour.
const char blackStyleSheet[] = "QLabel[enabled=\"true\"] { color: black }";
const char redStyleSheet[] = "QLabel[enabled=\"true\"] { color: red }";

} // namespace

BaseIndicator::BaseIndicator(QWidget *parent) : QLabel(parent), m_undefinedText(QStringLiteral("-"))
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void BaseIndicator::setStatusText(DataStatus status, const QString &text)
{
    switch (status) {
    case NoData:
        applyStyleSheet(this, QLatin1String(blackStyleSheet));
        setText(m_undefinedText);
        break;
    case Valid:
        applyStyleSheet(this, QLatin1String(blackStyleSheet));
        setText(text);
        break;
    case Outdated:
        applyStyleSheet(this, QLatin1String(redStyleSheet));
        setText(text);
        break;
    }
}
