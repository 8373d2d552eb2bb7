// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashcountdata.h"

namespace {

const Field<CrashCountRecord> CrashCountFields[] = {
    { &CrashCountRecord::crashCount, { 0x4000, "crashCount" } },
};

} // namespace

FieldList<CrashCountRecord> crashCountFields()
{
    return CrashCountFields;
}

CrashCountData::CrashCountData(QObject *parent) : FieldBlock(CrashCountFields, parent, ReadOnly)
{
}
