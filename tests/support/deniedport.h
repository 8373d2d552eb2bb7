// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DENIEDPORT_H
#define DENIEDPORT_H

#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

// A serial device the tests may not open, as /dev/ttyUSB0 is for a user outside
// the "dialout" group: a file nobody has any permission on. Root opens it all
// the same, so an opening test runs as an Unprivileged user.
class DeniedPort
{
public:
    DeniedPort()
    {
        QFile file(path());
        if (file.open(QIODevice::WriteOnly))
            file.setPermissions(QFile::Permissions());
    }

    QString path() const { return m_dir.filePath(QStringLiteral("ttyUSB0")); }

    // While it lives, a test run as root acts as the user "nobody".
    class Unprivileged
    {
    public:
        Unprivileged() : m_wasRoot(geteuid() == 0) { m_ok = !m_wasRoot || seteuid(Nobody) == 0; }
        ~Unprivileged()
        {
            if (m_wasRoot && m_ok && seteuid(0) != 0)
                qFatal("Could not return to the root user");
        }
        Unprivileged(const Unprivileged &) = delete;
        Unprivileged &operator=(const Unprivileged &) = delete;

        // False when root could not give up its rights (no CAP_SETUID).
        bool ok() const { return m_ok; }

    private:
        static constexpr uid_t Nobody = 65534;
        bool m_wasRoot;
        bool m_ok = false;
    };

private:
    QTemporaryDir m_dir;
};

#endif // DENIEDPORT_H
