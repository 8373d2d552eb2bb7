// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashcountdata.h"

namespace {

constexpr Field<CrashCountRecord> CrashCountFields[] = {
    { &CrashCountRecord::crashCount, registerField(0x4000, "crashCount") },
};
static_assert(isWellFormed(CrashCountFields));

} // namespace

FieldList<CrashCountRecord> crashCountFields()
{
    return CrashCountFields;
}

CrashCountData::CrashCountData(QObject *parent) : FieldBlock(CrashCountFields, parent, ReadOnly)
{
}
