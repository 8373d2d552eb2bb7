// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/modulesdata.h"

namespace {

// Bit numbers in register 24; the others are not used.
constexpr FlagPosition ModuleBits[] = {
    { 0, ModuleApv },
    { 3, ModuleInd },
    { 1, ModuleZnz3I0 },
    { 2, ModuleZnz3U0 },
};

constexpr Field<ModulesRecord> ModulesFields[] = {
    { &ModulesRecord::modules, flagSet(24, "modules", ModuleBits) },
};
static_assert(isWellFormed(ModulesFields));

} // namespace

FieldList<ModulesRecord> modulesFields()
{
    return ModulesFields;
}

ModulesData::ModulesData(QObject *parent) : FieldBlock(ModulesFields, parent, ReadOnly)
{
}
