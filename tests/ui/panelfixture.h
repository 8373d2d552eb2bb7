// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PANELFIXTURE_H
#define PANELFIXTURE_H

#include "simulatedline.h"
#include "ui/baseindicator.h"
#include "ui/enumindicatoreditor.h"
#include "ui/numberindicatoreditor.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>

// The editable panels' forms as a user meets them: widgets found by object
// name, values chosen in the editors' input widgets.

// Response timeouts over the simulated line: generous where the relay
// answers (sanitizer builds answer slowly), short where silence is expected.
constexpr int AnsweringRelayTimeoutMs = 2000;
constexpr int SilentRelayTimeoutMs = 150;

template<typename Widget>
Widget *child(const QWidget *panel, const char *name)
{
    auto *widget = panel->findChild<Widget *>(QLatin1String(name));
    if (!widget)
        qFatal("the form has no %s", name);
    return widget;
}

inline BaseIndicatorEditor *editorAt(const QWidget *panel, const char *name)
{
    // Both kinds of editor carry meta-object information; their base does not.
    if (auto *number = panel->findChild<NumberIndicatorEditor *>(QLatin1String(name)))
        return number;
    return child<EnumIndicatorEditor>(panel, name);
}

inline QDoubleSpinBox *spinBoxOf(const QWidget *panel, const char *editor)
{
    return child<NumberIndicatorEditor>(panel, editor)->findChild<QDoubleSpinBox *>();
}

inline QComboBox *comboOf(const QWidget *panel, const char *editor)
{
    return child<EnumIndicatorEditor>(panel, editor)->findChild<QComboBox *>();
}

inline void chooseCode(const QWidget *panel, const char *editor, qint64 code)
{
    QComboBox *combo = comboOf(panel, editor);
    combo->setCurrentIndex(combo->findData(code));
}

inline QString indicatorText(const QWidget *panel, const char *editor)
{
    return editorAt(panel, editor)->findChild<BaseIndicator *>()->text();
}

inline void click(const QWidget *panel, const char *button)
{
    child<QPushButton>(panel, button)->click();
}

inline bool isShown(const QWidget *panel, const char *button)
{
    return !child<QPushButton>(panel, button)->isHidden();
}

#endif // PANELFIXTURE_H
