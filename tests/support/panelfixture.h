// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PANELFIXTURE_H
#define PANELFIXTURE_H

#include "namedchild.h"
#include "simulatedline.h"
#include "testtimeouts.h"
#include "ui/indicators/baseindicator.h"
#include "ui/indicators/enumindicatoreditor.h"
#include "ui/indicators/numberindicatoreditor.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

// The panels' forms as a user meets them: widgets found by object name, values chosen in the
// editors' input widgets, values drawn as outdated.

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

// A panel's Set written the plain way, its blocks one after another, for the panel alone: the
// end of the last is reported to `panel`'s endWrite(), successful when every block was written.
template<typename Panel>
void writeBlocksOnRequest(
    SimulatedLine &line, int slaveId, Panel *panel, QList<DeviceData *> blocks)
{
    QObject::connect(panel, &Panel::write, panel, [&line, slaveId, panel, blocks] {
        auto *last = blocks.last();
        auto ending = std::make_shared<QMetaObject::Connection>();
        *ending = QObject::connect(last, &DeviceData::stateChanged, panel,
            [panel, blocks, ending](DeviceData::State current, DeviceData::State previous) {
                if (current != DeviceData::Inactive || previous != DeviceData::Writing)
                    return;
                QObject::disconnect(*ending);
                panel->endWrite(std::all_of(blocks.cbegin(), blocks.cend(),
                    [](const DeviceData *block) { return block->isWriteSuccessful(); }));
            });
        for (DeviceData *block : blocks)
            line.manager().write(slaveId, block);
    });
}

inline bool isShown(const QWidget *panel, const char *button)
{
    return !child<QPushButton>(panel, button)->isHidden();
}

// Whether the widget is drawn in red, as the program marks an outdated value (red text, a red
// module frame) and a failed write.
inline bool isShownInRed(const QWidget *widget)
{
    static const QRegularExpression red(QStringLiteral("\\b(color|background): red\\b"));
    return red.match(widget->styleSheet()).hasMatch();
}

#endif // PANELFIXTURE_H
