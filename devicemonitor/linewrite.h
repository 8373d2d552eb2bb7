// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LINEWRITE_H
#define LINEWRITE_H

#include "devicedata/sendverdict.h"

class ModbusRequest;

// What the line said of one write request, from the request and the record of the transaction
// that carried it: acknowledged, refused with the relay's exception, failed otherwise (which may
// have landed), or never sent.
RegisterWrite lineWriteOf(const ModbusRequest &request);

#endif // LINEWRITE_H
