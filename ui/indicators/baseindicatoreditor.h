// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BASEINDICATOREDITOR_H
#define BASEINDICATOREDITOR_H

#include <QPointer>
#include <QWidget>

class QStackedLayout;

// An indicator and an input widget stacked on one place: the indicator shows
// what the relay holds, the input widget what the user is about to write.
// Subclasses load the input widget from the indicator on entering edit mode.
class BaseIndicatorEditor : public QWidget
{
public:
    explicit BaseIndicatorEditor(QWidget *parent = nullptr);

    bool isEditMode() const { return m_editMode; }
    void setEditMode(bool on);

protected:
    // Replaces the pages: `indicator` becomes page 0, `editor` page 1.
    void setWidgets(QWidget *indicator, QWidget *editor);

    virtual void onEditModeChanged(bool editMode) = 0;

private:
    QStackedLayout *m_layout;
    QPointer<QWidget> m_indicator;
    QPointer<QWidget> m_editor;
    bool m_editMode = false;
};

#endif // BASEINDICATOREDITOR_H
