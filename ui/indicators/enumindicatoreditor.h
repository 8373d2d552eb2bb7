// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ENUMINDICATOREDITOR_H
#define ENUMINDICATOREDITOR_H

#include "ui/indicators/baseindicatoreditor.h"
#include "ui/indicators/enumindicator.h"

class QComboBox;

// An enumeration indicator over a combo box offering the same codes.
class EnumIndicatorEditor : public BaseIndicatorEditor
{
    Q_OBJECT

public:
    explicit EnumIndicatorEditor(QWidget *parent = nullptr);

    // Offers `code` with `text`, and shows `text` for it.
    void addItem(qint64 code, const QString &text);

    DataValue value() const { return m_indicator->value(); }
    void setValue(const DataValue &value) { m_indicator->setValue(value); }
    // The code of the chosen item; NoData while no item is chosen.
    DataValue selectedValue() const;

signals:
    void selectedValueChanged();

protected:
    void onEditModeChanged(bool editMode) override;

private:
    EnumIndicator *m_indicator;
    QComboBox *m_comboBox;
};

#endif // ENUMINDICATOREDITOR_H
