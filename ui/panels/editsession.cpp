// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/editsession.h"

#include "ui/indicators/baseindicatoreditor.h"
#include "ui/panels/fieldeditors.h"

#include <QMessageBox>

#include <algorithm>

EditSession::EditSession(
    QWidget *editButton, QWidget *cancelButton, QWidget *setButton, QObject *parent)
    : QObject(parent),
      m_editButton(editButton),
      m_cancelButton(cancelButton),
      m_setButton(setButton)
{
    // A click that took the focus would make a spin box take what is being
    // typed in it, rounded or put back, before Set could refuse it.
    m_setButton->setFocusPolicy(Qt::TabFocus);
    updateEditButton();
}

void EditSession::addEditors(const QVector<BaseIndicatorEditor *> &editors)
{
    for (BaseIndicatorEditor *editor : editors) {
        m_editors.append({ editor, true });
        editor->setEditMode(m_editMode);
    }
}

void EditSession::addSourceBlock(DeviceData *block)
{
    const QMetaObject::Connection connection
        = connect(block, &DeviceData::stateChanged, this, [this](DeviceData::State state) {
              if (state != DeviceData::Inactive)
                  return;
              updateEditButton();
              // A reset took away what the edit started from.
              if (m_editMode && !m_editButton->isEnabled())
                  setEditMode(false);
          });
    m_sources.append({ block, connection });
    updateEditButton();
}

void EditSession::removeSourceBlock(DeviceData *block)
{
    for (int i = m_sources.size() - 1; i >= 0; --i) {
        if (m_sources.at(i).block == block) {
            disconnect(m_sources.at(i).connection);
            m_sources.remove(i);
        }
    }
    updateEditButton();
}

void EditSession::setDeviceAvailable(bool available)
{
    m_deviceAvailable = available;
    updateEditButton();
    if (!available)
        setEditMode(false);
}

void EditSession::updateEditButton()
{
    const bool haveData = std::all_of(m_sources.cbegin(), m_sources.cend(),
        [](const Source &source) { return source.block && source.block->hasData(); });
    m_editButton->setEnabled(m_deviceAvailable && haveData);
}

void EditSession::setEditorsAvailable(const QVector<BaseIndicatorEditor *> &editors, bool available)
{
    for (Editor &entry : m_editors) {
        if (editors.contains(entry.editor)) {
            entry.available = available;
            entry.editor->setEditMode(m_editMode && available);
        }
    }
}

void EditSession::setEditMode(bool on)
{
    const bool changed = on != m_editMode;
    m_editMode = on;
    for (const Editor &entry : qAsConst(m_editors))
        entry.editor->setEditMode(on && entry.available);
    m_editButton->setVisible(!on);
    m_cancelButton->setVisible(on);
    m_setButton->setVisible(on);
    if (changed)
        emit editModeChanged(on);
}

bool EditSession::takeTypedValues(
    const QVector<const FieldEditorsBase *> &editors, const QString &title) const
{
    bool asTyped = true;
    for (const FieldEditorsBase *fields : editors)
        asTyped = fields->takeTypedValues() && asTyped;
    if (!asTyped) {
        QMessageBox::warning(m_setButton, title,
            tr("A typed value is not one the relay can hold. The field now shows the value "
               "that would be written; check it and press Set again."));
    }
    return asTyped;
}

void EditSession::endWrite(bool successful)
{
    if (!m_writing)
        return;
    m_writing = false;
    if (successful)
        setEditMode(false);
    emit writeFinished(successful);
}
