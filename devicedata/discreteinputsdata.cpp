// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/discreteinputsdata.h"

namespace {

constexpr FlagPosition InputAddresses[] = {
    { 0x1000, DiBlockTo },
    { 0x1001, DiRpv },
    { 0x1002, DiAChR },
    { 0x1003, DiSis },
};

constexpr Field<DiscreteInputsRecord> DiscreteInputsFields[] = {
    { &DiscreteInputsRecord::discreteInputs, flagSet(0x1000, "discreteInputs", InputAddresses) },
};
static_assert(isWellFormed(DiscreteInputsFields));

} // namespace

FieldList<DiscreteInputsRecord> discreteInputsFields()
{
    return DiscreteInputsFields;
}

DiscreteInputsData::DiscreteInputsData(QObject *parent)
    : FieldBlock(DiscreteInputsFields, ModbusRequest::ReadDiscreteInputs, parent)
{
}
