// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FILETARGETS_H
#define FILETARGETS_H

#include <QDir>

#include <cstddef>
#include <cstdint>

// What the fuzz targets that read a file share: each input is written to a fresh path, for Qt
// keeps what it has read by path (QSettings caches a file, the SQL driver a database).
namespace FileTargets {

// From LLVMFuzzerInitialize(): a QCoreApplication for Qt's plugins (the SQL driver), and no leak
// check after each input. Qt's caches grow with every fresh path, so libFuzzer would take each
// input for a leak and scan the heap each time, most of the run's time; a leak of ours still
// fails the run when it ends.
void initialize(int *argc, char ***argv);

// An empty folder of this input's own, under one temporary folder.
QDir freshFolder();

// Writes the input to path; aborts when it cannot, for then nothing is tested.
void writeInput(const QString &path, const uint8_t *data, size_t size);

} // namespace FileTargets

#endif // FILETARGETS_H
