// SPDX-License-Identifier: GPL-3.0-or-later
// A settings file as anyone may hand it over, read and checked by SettingsFile::fromJson(). A
// file it takes is one the program can work with: it saves again to a file that reads back the
// same.
#include "devicedata/settingsfile.h"

#include <cstdint>
#include <cstdlib>

// Qt 5.15's JSON parser leaks the first value of a key given twice in one object when that value
// is an array or an object; fromJson() refuses such a file, and keeps no part of it. Telling its
// leaks from ours takes whole allocation stacks, which Qt's libraries, built without frame
// pointers, give only to the slow unwinder.
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
    QStringList problems;
    const SettingsFile file = SettingsFile::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)), &problems);
    if (!problems.isEmpty()) {
        // Taken whole or not at all.
        if (!file.relay.values.isEmpty() || !file.unusedOutOfRange.isEmpty())
            abort();
        return 0;
    }
    if (file.isAlteredSinceSaved() && file.alterationWarning().isEmpty())
        abort();

    QStringList again;
    const SettingsFile saved = SettingsFile::fromJson(file.toJson(), &again);
    if (!again.isEmpty() || saved.relay.values != file.relay.values
        || saved.unusedOutOfRange != file.unusedOutOfRange
        || saved.fingerprint() != file.fingerprint())
        abort();
    return 0;
}
