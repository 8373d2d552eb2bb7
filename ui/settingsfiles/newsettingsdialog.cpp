// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsfiles/newsettingsdialog.h"

#include "devicedata/codeconversions.h"
#include "devicedata/modulesdata.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>

namespace {

// The modules' own short names, the same in every language.
const std::pair<qint64, const char *> Modules[] = { { ModuleApv, "APV" }, { ModuleInd, "IND" },
    { ModuleZnz3I0, "3I0" }, { ModuleZnz3U0, "3U0" } };

} // namespace

NewSettingsDialog::NewSettingsDialog(QWidget *parent)
    : QDialog(parent), m_currentRangeBox(new QComboBox(this))
{
    setWindowTitle(tr("New settings"));
    auto *modulesRow = new QHBoxLayout;
    for (const auto &module : Modules) {
        auto *box = new QCheckBox(QLatin1String(module.second), this);
        box->setObjectName(QStringLiteral("module%1CheckBox").arg(QLatin1String(module.second)));
        box->setProperty("module", module.first);
        modulesRow->addWidget(box);
        m_moduleBoxes.append(box);
    }
    m_currentRangeBox->setObjectName(QStringLiteral("currentRangeComboBox"));
    for (const CodeText &range : CodeTables::currentRange)
        m_currentRangeBox->addItem(range.text.translated(), range.code);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QFormLayout(this);
    layout->addRow(tr("Modules of the relay:"), modulesRow);
    layout->addRow(tr("Current range:"), m_currentRangeBox);
    layout->addRow(buttons);
}

qint64 NewSettingsDialog::modules() const
{
    qint64 modules = 0;
    for (const QCheckBox *box : m_moduleBoxes) {
        if (box->isChecked())
            modules |= box->property("module").toLongLong();
    }
    return modules;
}

qint64 NewSettingsDialog::currentRange() const
{
    return m_currentRangeBox->currentData().toLongLong();
}
