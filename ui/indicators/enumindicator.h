// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ENUMINDICATOR_H
#define ENUMINDICATOR_H

#include "ui/indicators/baseindicator.h"

#include <QMap>

// Shows the text of a relay code; a code without a text shows blank.
class EnumIndicator : public BaseIndicator
{
    Q_OBJECT

public:
    explicit EnumIndicator(QWidget *parent = nullptr);

    void setItemText(qint64 code, const QString &text) { m_texts.insert(code, text); }
    QString itemText(qint64 code) const { return m_texts.value(code); }

    DataValue value() const { return m_value; }
    void setValue(const DataValue &value);

private:
    QMap<qint64, QString> m_texts;
    DataValue m_value { 0, NoData };
};

#endif // ENUMINDICATOR_H
