// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MODULESDATA_H
#define MODULESDATA_H

#include "devicedata/fieldtable.h"

// The optional modules a relay carries. With both earth-fault bits set the
// relay has the plain earth-fault module; 3I0 is measured when either is set,
// 3U0 and the angle only with ModuleZnz3U0.
enum ModuleFlags {
    ModuleApv = 0x01, // auto-reclose
    ModuleInd = 0x02, // indication
    ModuleZnz3I0 = 0x04, // earth fault with a 3I0 input
    ModuleZnz3U0 = 0x08, // earth fault with 3I0 and 3U0 inputs
};

struct ModulesRecord
{
    DataValue modules; // ModuleFlags
};

FieldList<ModulesRecord> modulesFields();

// Register 24, the installed modules.
class ModulesData : public FieldBlock<ModulesRecord>
{
    Q_OBJECT

public:
    explicit ModulesData(QObject *parent = nullptr);

    // ModuleFlags
    const DataValue &modules() const { return values().modules; }
};

#endif // MODULESDATA_H
