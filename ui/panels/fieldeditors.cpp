// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/fieldeditors.h"

#include "ui/indicators/enumindicatoreditor.h"
#include "ui/indicators/numberindicatoreditor.h"
#include "ui/panels/editsession.h"

QVector<BaseIndicatorEditor *> FieldEditorsBase::editors() const
{
    QVector<BaseIndicatorEditor *> editors;
    for (const Entry &entry : m_entries)
        editors.append(entry.code ? static_cast<BaseIndicatorEditor *>(entry.code) : entry.number);
    return editors;
}

void FieldEditorsBase::addField(const FieldDescription &description)
{
    const QString name = QLatin1String(description.name);
    Entry entry { &description, nullptr, nullptr,
        m_panel->findChild<QWidget *>(name + QLatin1String("Label")) };
    if (description.kind == FieldDescription::Code) {
        entry.code = m_panel->findChild<EnumIndicatorEditor *>(
            name + QLatin1String("EnumIndicatorEditor"));
        Q_ASSERT(entry.code);
        const QVector<qint64> codes = description.codes.codes();
        for (qint64 code : codes)
            entry.code->addItem(code, description.codes.text(validValue(code)));
    } else {
        entry.number
            = m_panel->findChild<NumberIndicatorEditor *>(name + QLatin1String("IndicatorEditor"));
        Q_ASSERT(entry.number);
        entry.number->setRange(description.range);
        entry.number->setSuffix(description.unit.translated());
    }
    m_entries.append(entry);
}

void FieldEditorsBase::updateAvailability(EditSession *session) const
{
    const QVector<BaseIndicatorEditor *> all = editors();
    for (int i = 0; i < m_entries.size(); ++i)
        session->setEditorsAvailable(
            { all.at(i) }, m_entries.at(i).description->isInstalled(m_modules));
}

void FieldEditorsBase::applyRules() const
{
    const FieldContext rules = context();
    const QVector<BaseIndicatorEditor *> all = editors();
    for (int i = 0; i < m_entries.size(); ++i) {
        const bool inUse = m_entries.at(i).description->isInUse(rules);
        if (QWidget *label = m_entries.at(i).label)
            label->setEnabled(inUse);
        all.at(i)->setEnabled(inUse);
    }
}

bool FieldEditorsBase::takeTypedValues() const
{
    const FieldContext rules = context();
    bool asTyped = true;
    for (const Entry &entry : m_entries) {
        if (entry.number && entry.description->isInUse(rules))
            asTyped = entry.number->takeTypedValue() && asTyped;
    }
    return asTyped;
}

void FieldEditorsBase::setRangeMultiplier(qint64 multiplier)
{
    if (multiplier == m_rangeMultiplier)
        return;
    m_rangeMultiplier = multiplier;
    for (const Entry &entry : qAsConst(m_entries)) {
        if (entry.description->scaledByCurrentRange)
            entry.number->setRange(entry.description->range.scaled(double(multiplier)));
    }
}

void FieldEditorsBase::showField(int index, const DataValue &raw, const DataValue &multiplier) const
{
    const Entry &entry = m_entries.at(index);
    // Values of a module the relay lacks mean nothing.
    const DataValue shown = entry.description->isInstalled(m_modules) ? raw : DataValue();
    if (entry.code) {
        entry.code->setValue(shown);
        return;
    }
    const double step = entry.description->range.step;
    if (!entry.description->scaledByCurrentRange) {
        entry.number->setValue({ double(shown.value) * step, shown.status });
        return;
    }
    const DataStatus status = combinedStatus({ shown.status, multiplier.status });
    entry.number->setValue(status == NoData
            ? DoubleValue { 0.0, NoData }
            : DoubleValue { double(shown.value * multiplier.value) * step, status });
}

void FieldEditorsBase::takeField(int index, DataValue &field) const
{
    const Entry &entry = m_entries.at(index);
    if (!entry.description->isInUse(context()))
        return;
    if (entry.code) {
        const DataValue selected = entry.code->selectedValue();
        if (selected.status != NoData)
            field = selected;
        return;
    }
    double step = entry.description->range.step;
    if (entry.description->scaledByCurrentRange) {
        if (m_rangeMultiplier <= 0)
            return;
        step *= double(m_rangeMultiplier);
    }
    // Spin box values are multiples of the step only up to rounding:
    // 0.3 / 0.1 is 2.9999999999999996, which must still be 3.
    field = validValue(qRound64(entry.number->selectedValue().value / step));
}

DataValue FieldEditorsBase::shownValue(quint16 address) const
{
    for (const Entry &entry : m_entries) {
        if (entry.description->address != address)
            continue;
        if (entry.code)
            return entry.code->isEditMode() ? entry.code->selectedValue() : entry.code->value();
        return DataValue();
    }
    return DataValue();
}

FieldContext FieldEditorsBase::context() const
{
    return { m_modules, [this](quint16 address) { return shownValue(address); } };
}
