// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XCBOPENGL_H
#define XCBOPENGL_H

#include <QByteArray>

// Qt's xcb backend loads an OpenGL driver (Mesa, with LLVM) at start-up even for a program that
// draws only widgets: some 50 MB and a tenth of a second spent on nothing. Called before the
// application object exists; a user who wants the driver can still set the variable.
inline void skipXcbOpenGlIntegration()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

#endif // XCBOPENGL_H
