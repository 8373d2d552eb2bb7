// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/numberindicator.h"

NumberIndicator::NumberIndicator(QWidget *parent) : BaseIndicator(parent)
{
}

void NumberIndicator::setValue(const DoubleValue &value)
{
    m_value = value;
    const QString number
        = QStringLiteral("%L1").arg(value.value, m_fieldWidth, 'f', m_decimals, m_fillChar);
    setStatusText(value.status, number + m_suffix);
}
