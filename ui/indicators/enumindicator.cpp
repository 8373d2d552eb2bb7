// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/enumindicator.h"

EnumIndicator::EnumIndicator(QWidget *parent) : BaseIndicator(parent)
{
}

void EnumIndicator::setValue(const DataValue &value)
{
    m_value = value;
    setStatusText(value.status, m_texts.value(value.value));
}
