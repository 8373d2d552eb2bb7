// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef NAMEDCHILD_H
#define NAMEDCHILD_H

#include <QObject>
#include <QtGlobal>

// A widget of a window's forms by its object name; a missing one is named in
// the test log rather than left to crash the test on a null pointer unnoticed.
template<typename T>
T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("no child %s", name);
    return found;
}

#endif // NAMEDCHILD_H
