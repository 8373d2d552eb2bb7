// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef REQUESTOUTCOME_H
#define REQUESTOUTCOME_H

#include "devicedata/sendverdict.h"

class ModbusRequest;

// What the line said of one write request, from the request and the record of the transaction
// that carried it: acknowledged, refused with the relay's exception, failed otherwise (which may
// have landed), or never sent.
RegisterWrite registerWriteOf(const ModbusRequest &request);

#endif // REQUESTOUTCOME_H
