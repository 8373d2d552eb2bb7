// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/modulesdata.h"

namespace {

// Bit numbers in register 24; the others are not used.
const FlagPosition ModuleBits[] = {
    { 0, ModuleApv },
    { 3, ModuleInd },
    { 1, ModuleZnz3I0 },
    { 2, ModuleZnz3U0 },
};

const Field<ModulesRecord> ModulesFields[] = {
    { &ModulesRecord::modules, flagSet(24, "modules", ModuleBits) },
};

} // namespace

FieldList<ModulesRecord> modulesFields()
{
    return ModulesFields;
}

ModulesData::ModulesData(QObject *parent) : FieldBlock(ModulesFields, parent, ReadOnly)
{
}
