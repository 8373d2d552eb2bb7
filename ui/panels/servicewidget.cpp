// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/servicewidget.h"
#include "ui_servicewidget.h"

ServiceWidget::ServiceWidget(QWidget *parent) : QWidget(parent), ui(new Ui::ServiceWidget)
{
    ui->setupUi(this);
}

ServiceWidget::~ServiceWidget() = default;
