// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef NAMEDCHILD_H
#define NAMEDCHILD_H

#include <QObject>
#include <QtTest>

// Thrown after a missing child has been reported, so that the lookup can be written inside an
// expression (child<QAction>(window, "actionConnect")->trigger()) and the test still stops there.
struct MissingChild
{
};

// The child of `parent` of that type and object name. A missing one fails the running test at the
// line of the lookup, naming the child, and ends the test program there instead of leaving it to
// crash on a null pointer; QtTest reports the exception as well.
template<typename T = QWidget>
T *child(const QObject *parent, const QString &name, const char *file = __builtin_FILE(),
    int line = __builtin_LINE())
{
    T *found = parent->findChild<T *>(name);
    if (!found) {
        const QByteArray message = QStringLiteral("%1 has no %2 named %3")
                                       .arg(QLatin1String(parent->metaObject()->className()),
                                           QLatin1String(T::staticMetaObject.className()), name)
                                       .toLocal8Bit();
        QTest::qFail(message.constData(), file, line);
        throw MissingChild();
    }
    return found;
}

#endif // NAMEDCHILD_H
