// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FIELDEDITORS_H
#define FIELDEDITORS_H

#include "devicedata/fieldtable.h"

#include <QVector>

class BaseIndicatorEditor;
class EditSession;
class EnumIndicatorEditor;
class NumberIndicatorEditor;
class QWidget;

// The editors and labels with which a panel shows a block's fields, found
// below the panel by object name: "<name>EnumIndicatorEditor" for a code,
// "<name>IndicatorEditor" for a number, "<name>Label" for the label. A code
// editor offers the table's codes with their texts; a number editor takes
// the field's range and unit, and one register unit is one step of it.
//
// A field of a module the relay lacks shows no value and stays in view
// mode; a field the relay does not use (see FieldDescription::isInUse) is
// disabled together with its label, and Set keeps the value read for it.
// The rules go by what the editors show: the user's choice in edit mode,
// the relay's value otherwise.
class FieldEditorsBase
{
public:
    QVector<BaseIndicatorEditor *> editors() const;

    void setModules(const DataValue &modules) { m_modules = modules; }
    // Keeps the editors of absent modules in view mode.
    void updateAvailability(EditSession *session) const;
    void applyRules() const;
    // NumberIndicatorEditor::takeTypedValue() for every number editor in
    // use; false if any now holds another value than the one typed.
    bool takeTypedValues() const;

    // The multiplier the pick-up current editors are set up for; -1 before
    // the first call. Setting a range rewrites the spin box's text, so it is
    // done only when the multiplier changes.
    qint64 rangeMultiplier() const { return m_rangeMultiplier; }
    void setRangeMultiplier(qint64 multiplier);

protected:
    FieldEditorsBase(QWidget *panel) : m_panel(panel) { }

    void addField(const FieldDescription &description);
    // Pick-up currents are shown at `multiplier`.
    void showField(int index, const DataValue &raw, const DataValue &multiplier) const;
    // The editor's choice into `field` if the field is in use. A code
    // editor without a choice (the relay holds a code it does not offer)
    // leaves the field as it is; a pick-up current needs a known multiplier.
    void takeField(int index, DataValue &field) const;

private:
    struct Entry
    {
        const FieldDescription *description;
        NumberIndicatorEditor *number;
        EnumIndicatorEditor *code;
        QWidget *label;
    };

    DataValue shownValue(quint16 address) const;
    FieldContext context() const;

    QWidget *m_panel;
    QVector<Entry> m_entries;
    DataValue m_modules;
    qint64 m_rangeMultiplier = -1;
};

template<typename Record>
class FieldEditors : public FieldEditorsBase
{
public:
    FieldEditors(QWidget *panel, FieldList<Record> fields)
        : FieldEditorsBase(panel), m_fields(fields)
    {
        for (const Field<Record> &field : fields)
            addField(field.description);
    }

    void show(const Record &values, const DataValue &multiplier = validValue(1)) const
    {
        int index = 0;
        for (const Field<Record> &field : m_fields)
            showField(index++, values.*field.member, multiplier);
        applyRules();
    }

    // `values` with the editors' choices on top.
    Record taken(Record values) const
    {
        int index = 0;
        for (const Field<Record> &field : m_fields)
            takeField(index++, values.*field.member);
        return values;
    }

private:
    FieldList<Record> m_fields;
};

#endif // FIELDEDITORS_H
