// SPDX-License-Identifier: GPL-3.0-or-later
// A line folder's manifest as anyone may hand it over, read by LineFolder::parseManifest(). A
// manifest it takes names only files inside the folder, and writes again to one that reads back
// the same.
#include "devicemonitor/linefolder.h"

#include <cstdint>
#include <cstdlib>

// Qt 5.15's JSON parser leaks the first value of a key given twice in one object when that value
// is an array or an object (see settingsfilereader.cpp).
extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:QJsonDocument::fromJson\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const std::optional<QVector<LineRelay>> relays = LineFolder::parseManifest(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)), &error);
    if (!relays) {
        if (error.isEmpty())
            abort();
        return 0;
    }
    LineFolder folder;
    for (const LineRelay &relay : *relays) {
        if (relay.slaveId < 1 || relay.slaveId > LineFolder::MaximumSlaveId
            || relay.file.contains(QLatin1Char('/')) || relay.file == QLatin1String(".."))
            abort();
        folder.setRelay(relay);
    }
    const std::optional<QVector<LineRelay>> again
        = LineFolder::parseManifest(folder.manifestJson(), &error);
    if (!again || *again != *relays)
        abort();
    return 0;
}
