// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/baseindicatoreditor.h"

#include <QStackedLayout>

BaseIndicatorEditor::BaseIndicatorEditor(QWidget *parent)
    : QWidget(parent), m_layout(new QStackedLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
}

void BaseIndicatorEditor::setWidgets(QWidget *indicator, QWidget *editor)
{
    if (m_indicator)
        m_layout->removeWidget(m_indicator);
    if (m_editor)
        m_layout->removeWidget(m_editor);
    m_indicator = indicator;
    m_editor = editor;
    m_layout->addWidget(indicator);
    m_layout->addWidget(editor);
}

void BaseIndicatorEditor::setEditMode(bool on)
{
    if (on == m_editMode)
        return;
    // A page deleted behind our back is simply not shown.
    QWidget *page = on ? m_editor.data() : m_indicator.data();
    if (page)
        m_layout->setCurrentWidget(page);
    m_editMode = on;
    onEditModeChanged(on);
}
