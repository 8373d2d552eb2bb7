// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SERVICEWIDGET_H
#define SERVICEWIDGET_H

#include <QScopedPointer>
#include <QWidget>

namespace Ui {
class ServiceWidget;
}

// Entry fields for the service data of a relay; no data is bound to them yet.
class ServiceWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ServiceWidget(QWidget *parent = nullptr);
    ~ServiceWidget() override;

private:
    QScopedPointer<Ui::ServiceWidget> ui;
};

#endif // SERVICEWIDGET_H
