// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BASEINDICATOR_H
#define BASEINDICATOR_H

#include "devicedata/datavalue.h"

#include <QLabel>

// A read-only label for one relay value: black while the value is missing or
// valid, red once it is outdated; a missing value shows the undefined text.
class BaseIndicator : public QLabel
{
    Q_OBJECT

public:
    explicit BaseIndicator(QWidget *parent = nullptr);

    QString undefinedText() const { return m_undefinedText; }
    void setUndefinedText(const QString &text) { m_undefinedText = text; }

    // Any status other than NoData, Valid and Outdated leaves the label as it is.
    void setStatusText(DataStatus status, const QString &text);

private:
    QString m_undefinedText;
};

#endif // BASEINDICATOR_H
