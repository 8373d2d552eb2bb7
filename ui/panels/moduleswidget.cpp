// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/moduleswidget.h"
#include "ui/panels/attachblock.h"
#include "ui/statusstyle.h"
#include "ui_moduleswidget.h"

namespace {

const char NeutralStyle[] = "QLabel { } QCheckBox { }";
const char StaleStyle[] = "QFrame { background: red }";

} // namespace

ModulesWidget::ModulesWidget(QWidget *parent) : QGroupBox(parent), ui(new Ui::ModulesWidget)
{
    ui->setupUi(this);
    ui->moduleZnz3I0Frame->hide();
    ui->moduleZnz3I03U0Frame->hide();
}

ModulesWidget::~ModulesWidget() = default;

void ModulesWidget::setModulesData(ModulesData *data)
{
    attachBlock(m_modulesData, data, this, &ModulesWidget::onModulesStateChanged);
}

void ModulesWidget::onModulesStateChanged(DeviceData::State state)
{
    if (state != DeviceData::Inactive || !m_modulesData)
        return;

    const DataValue &modules = m_modulesData->modules();
    qint64 flags = modules.value;
    QString style;
    switch (modules.status) {
    case Valid:
        style = QLatin1String(NeutralStyle);
        break;
    case Outdated:
        style = QLatin1String(StaleStyle);
        break;
    case NoData:
        style = QLatin1String(NeutralStyle);
        flags = 0;
        break;
    }
    // Every frame, the plain earth-fault one included: whichever module
    // is shown, a stale reading must look stale.
    for (QFrame *frame : { ui->moduleApvFrame, ui->moduleZnzFrame, ui->moduleZnz3I0Frame,
             ui->moduleZnz3I03U0Frame, ui->moduleIndFrame })
        applyStyleSheet(frame, style);

    ui->moduleApvFrame->setEnabled(flags & ModuleApv);
    ui->moduleIndFrame->setEnabled(flags & ModuleInd);

    // One earth-fault frame names the variant; with neither bit set the
    // plain one stays, greyed out.
    const qint64 earthFault = flags & (ModuleZnz3I0 | ModuleZnz3U0);
    ui->moduleZnzFrame->setVisible(earthFault == 0 || earthFault == (ModuleZnz3I0 | ModuleZnz3U0));
    ui->moduleZnzFrame->setEnabled(earthFault != 0);
    ui->moduleZnz3I0Frame->setVisible(earthFault == ModuleZnz3I0);
    ui->moduleZnz3I03U0Frame->setVisible(earthFault == ModuleZnz3U0);
}
