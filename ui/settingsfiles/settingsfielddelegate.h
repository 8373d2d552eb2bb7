// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSFIELDDELEGATE_H
#define SETTINGSFIELDDELEGATE_H

#include <QStyledItemDelegate>

class SettingsComparisonModel;

// Edits the file side of a settings comparison as the panels edit a field: a
// code from its code table with the panels' texts, a number in the field's
// unit within its range, one register unit a step (a pick-up current's at the
// file's current range). What is handed to the model is the raw value.
class SettingsFieldDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    SettingsFieldDelegate(SettingsComparisonModel *model, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(
        QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    SettingsComparisonModel *m_model;
};

#endif // SETTINGSFIELDDELEGATE_H
