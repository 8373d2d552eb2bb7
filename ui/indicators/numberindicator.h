// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef NUMBERINDICATOR_H
#define NUMBERINDICATOR_H

#include "ui/indicators/baseindicator.h"

// A display value: a block's raw value converted to engineering units.
using DoubleValue = StatusValue<double>;

// Shows a number in the default locale (decimal separator and digit grouping)
// with a fixed number of decimals and an optional suffix such as a unit.
class NumberIndicator : public BaseIndicator
{
    Q_OBJECT

public:
    explicit NumberIndicator(QWidget *parent = nullptr);

    // The formatting setters only store; the text follows with the next setValue.
    QString suffix() const { return m_suffix; }
    void setSuffix(const QString &suffix) { m_suffix = suffix; }
    int decimals() const { return m_decimals; }
    void setDecimals(int decimals) { m_decimals = decimals; }
    int fieldWidth() const { return m_fieldWidth; }
    void setFieldWidth(int fieldWidth) { m_fieldWidth = fieldWidth; }
    QChar fillChar() const { return m_fillChar; }
    void setFillChar(QChar fillChar) { m_fillChar = fillChar; }

    DoubleValue value() const { return m_value; }
    virtual void setValue(const DoubleValue &value);

private:
    QString m_suffix;
    int m_decimals = 0;
    int m_fieldWidth = 0;
    QChar m_fillChar = QLatin1Char(' ');
    DoubleValue m_value { 0.0, NoData };
};

#endif // NUMBERINDICATOR_H
