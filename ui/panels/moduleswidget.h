// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MODULESWIDGET_H
#define MODULESWIDGET_H

#include "devicedata/modulesdata.h"

#include <QGroupBox>
#include <QPointer>
#include <QScopedPointer>

namespace Ui {
class ModulesWidget;
}

// The optional modules of the current device: an absent module is greyed
// out, and a stale reading turns the panel red.
class ModulesWidget : public QGroupBox
{
    Q_OBJECT

public:
    explicit ModulesWidget(QWidget *parent = nullptr);
    ~ModulesWidget() override;

    void setModulesData(ModulesData *modulesData);

public slots:
    void onModulesStateChanged(DeviceData::State state);

private:
    QScopedPointer<Ui::ModulesWidget> ui;
    QPointer<ModulesData> m_modulesData;
};

#endif // MODULESWIDGET_H
