// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef EDITSESSION_H
#define EDITSESSION_H

#include "devicedata/devicedata.h"
#include "ui/panels/attachblock.h"

#include <QObject>
#include <QPointer>
#include <QVector>

class BaseIndicatorEditor;
class FieldEditorsBase;
class QWidget;

// The edit mode of a panel whose values are written to the relay, from Edit
// to the end of the write.
//
// Edit switches the panel's editors into edit mode together, except those of
// a module the relay lacks; Cancel switches them back. Set calls beginWrite()
// before asking for the write, and whoever carries the write out reports its
// end to endWrite(): edit mode ends only when the write succeeded, so after a
// failed write the user still has the values to try again or to cancel.
//
// Edit is offered only while the device is available and every block the
// editors start from holds values read from it: editors never start from
// defaults, and Set never writes a value nobody read or chose.
class EditSession : public QObject
{
    Q_OBJECT

public:
    // Edit is shown in view mode, Cancel and Set in edit mode.
    EditSession(
        QWidget *editButton, QWidget *cancelButton, QWidget *setButton, QObject *parent = nullptr);

    void addEditors(const QVector<BaseIndicatorEditor *> &editors);
    // The blocks whose values the editors start from and Set writes back.
    void addSourceBlock(DeviceData *block);
    // Edit no longer waits for `block`.
    void removeSourceBlock(DeviceData *block);
    // attachBlock() for such a block: the previous one is let go here too.
    template<typename Block, typename Receiver, typename Slot>
    void attachSource(QPointer<Block> &held, Block *block, Receiver *receiver, Slot onStateChanged)
    {
        if (held)
            removeSourceBlock(held);
        attachBlock(held, block, receiver, onStateChanged);
        if (block)
            addSourceBlock(block);
    }
    void setDeviceAvailable(bool available);
    // An unavailable editor stays in view mode whatever the session's mode.
    void setEditorsAvailable(const QVector<BaseIndicatorEditor *> &editors, bool available);

    bool isEditMode() const { return m_editMode; }
    void setEditMode(bool on);

    void beginWrite() { m_writing = true; }
    // The write Set asked for ended; ignored when none was asked for.
    void endWrite(bool successful);
    // Set starts a write only in edit mode, and only once: not again while
    // the write it asked for waits or runs.
    bool acceptsSet() const { return m_editMode && !m_writing; }
    // Set pressed with a value still being typed: FieldEditorsBase::takeTypedValues()
    // for each of `editors`. If a typed value is not one the relay can hold,
    // its field now shows what would be written, a message titled `title`
    // says so, and false tells Set to write nothing.
    bool takeTypedValues(
        const QVector<const FieldEditorsBase *> &editors, const QString &title) const;

signals:
    void editModeChanged(bool on);
    // Also emitted when edit mode was left while the write ran.
    void writeFinished(bool successful);

private:
    struct Editor
    {
        BaseIndicatorEditor *editor;
        bool available;
    };

    void updateEditButton();

    QWidget *m_editButton;
    QWidget *m_cancelButton;
    QWidget *m_setButton;
    QVector<Editor> m_editors;
    bool m_editMode = false;
    bool m_deviceAvailable = false;
    struct Source
    {
        QPointer<DeviceData> block;
        QMetaObject::Connection connection;
    };

    QVector<Source> m_sources;
    bool m_writing = false;
};

#endif // EDITSESSION_H
