// SPDX-License-Identifier: GPL-3.0-or-later
#include "filetargets.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <vector>

namespace FileTargets {

void initialize(int *argc, char ***argv)
{
    // After the program's name, so that a -detect_leaks given on the command line still wins.
    static char noLeakCheckPerInput[] = "-detect_leaks=0";
    static std::vector<char *> arguments(*argv, *argv + *argc);
    arguments.insert(arguments.begin() + 1, noLeakCheckPerInput);
    arguments.push_back(nullptr);
    *argc = int(arguments.size()) - 1;
    *argv = arguments.data();
    static QCoreApplication application(*argc, *argv);
}

QDir freshFolder()
{
    static QTemporaryDir folders;
    static int input = 0;
    const QDir folder(folders.filePath(QString::number(++input)));
    if (!folders.isValid() || !folder.mkpath(QStringLiteral(".")))
        abort();
    return folder;
}

void writeInput(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        abort();
}

} // namespace FileTargets
