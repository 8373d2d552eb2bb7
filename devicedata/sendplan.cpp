// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/sendplan.h"

#include "devicedata/modulesdata.h"

#include <QLocale>

#include <cmath>

namespace {

constexpr quint16 CurrentRangeRegister = 25;
constexpr qint64 ProtectionOff = 0;
constexpr qint64 ProtectionOn = 1;

// The protections that can be switched off, with the registers their pick-up lives in.
struct Protection
{
    const char *name;
    quint16 modeRegister;
    quint16 pickupRegister;
};
const Protection Protections[] = { { "MTZ", 32, 34 }, { "TO", 36, 37 } };

// A single-register write on the wire: request and answer of 8 bytes each, and the 3.5-character
// silence after each; 11 bits a character covers every format the relays use.
constexpr double CharactersPerWrite = 8 + 8 + 2 * 3.5;
constexpr double BitsPerCharacter = 11;

} // namespace

SendPlan::SendPlan(const RelaySettings &relay, const SettingsValues &values) : m_relay(relay)
{
    const DataValue modules = validValue(relay.identity.modules);
    SettingsValues wanted;
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        const SettingsField *field = settingsFieldAt(value.key());
        if (field && !field->description.isInstalled(modules))
            m_skipped.append(value.key());
        else
            wanted.insert(value.key(), *value);
    }
    m_target = wanted;

    SettingsValues after = relay.values;
    after.insert(wanted);
    const bool rangeChanges = wanted.contains(CurrentRangeRegister)
        && relay.values.value(CurrentRangeRegister) != after.value(CurrentRangeRegister);

    QVector<Step> switchOffs;
    QVector<Step> interimOffs;
    QVector<Step> switchOns;
    QSet<quint16> modesHandled;
    for (const Protection &protection : Protections) {
        const bool onBefore = relay.values.value(protection.modeRegister) == ProtectionOn;
        const bool onAfter = after.value(protection.modeRegister) == ProtectionOn;
        const quint16 mode = protection.modeRegister;
        if (onBefore && !onAfter) {
            switchOffs.append({ mode, after.value(mode), Step::SwitchOff });
            modesHandled.insert(mode);
        } else if (onAfter && (!onBefore || rangeChanges)) {
            if (onBefore) {
                interimOffs.append({ mode, ProtectionOff, Step::InterimOff });
                m_interimOff.append(QLatin1String(protection.name));
                m_target.insert(mode, ProtectionOn);
            }
            switchOns.append({ mode, ProtectionOn, Step::SwitchOn });
            modesHandled.insert(mode);
        }
    }
    m_steps = switchOffs + interimOffs;
    for (auto value = wanted.cbegin(); value != wanted.cend(); ++value) {
        if (!modesHandled.contains(value.key()))
            m_steps.append({ value.key(), *value, Step::Setting });
    }
    if (!m_interimOff.isEmpty())
        m_interimSteps = m_steps.size() - switchOffs.size() - interimOffs.size() + switchOns.size();
    m_steps += switchOns;
}

int SendPlan::estimatedMs(int steps, int baudRate, int readinessDelayMs)
{
    const double wireMs
        = baudRate > 0 ? CharactersPerWrite * BitsPerCharacter * 1000 / baudRate : 0;
    return int(std::ceil(steps * (wireMs + qMax(0, readinessDelayMs))));
}

QString SendPlan::stepText(const Step &step) const
{
    const SettingsField *field = settingsFieldAt(step.address);
    if (!field)
        return tr("register %1 = %2").arg(step.address).arg(step.value);
    const FieldDescription &description = field->description;
    SettingsValues after = m_relay.values;
    after.insert(m_target);
    const qint64 multiplier = shownRangeMultiplier(after);
    const QLocale locale;
    QString value = description.kind == FieldDescription::Code
        ? description.shownText(step.value, multiplier, locale)
        : locale.toString(
            description.shownNumber(step.value, multiplier), 'f', description.range.decimals);
    if (!description.unitText().isEmpty())
        value = tr("%1 %2", "value and unit").arg(value, description.unitText());
    QString text = tr("%1, %2: %3", "group, field: value")
                       .arg(description.group.translated(), plainLabel(description), value);
    switch (step.role) {
    case Step::SwitchOff:
        return tr("%1 (switched off first)").arg(text);
    case Step::InterimOff:
        return tr("%1 (switched off while the current range changes)").arg(text);
    case Step::SwitchOn:
        return tr("%1 (switched on last)").arg(text);
    case Step::Setting:
        break;
    }
    return text;
}

QStringList SendPlan::describe(int baudRate, int readinessDelayMs) const
{
    QStringList lines;
    for (int i = 0; i < m_steps.size(); ++i)
        lines.append(tr("%1. %2").arg(i + 1).arg(stepText(m_steps.at(i))));
    if (!m_interimOff.isEmpty()) {
        QStringList protecting;
        SettingsValues after = m_relay.values;
        after.insert(m_target);
        for (const Protection &protection : Protections) {
            if (!m_interimOff.contains(QLatin1String(protection.name))
                && m_relay.values.value(protection.modeRegister) == ProtectionOn
                && after.value(protection.modeRegister) == ProtectionOn)
                protecting.append(QLatin1String(protection.name));
        }
        if (validValue(m_relay.identity.modules).value & (ModuleZnz3I0 | ModuleZnz3U0))
            protecting.append(QStringLiteral("ZNZ"));
        const QLocale locale;
        lines.append(
            tr("The current range changes: %1 stay off for %2 writes, about %3 s at "
               "%4 baud. Meanwhile the relay protects with: %5.")
                .arg(m_interimOff.join(tr(", ", "list separator")))
                .arg(m_interimSteps)
                .arg(locale.toString(
                    estimatedMs(m_interimSteps, baudRate, readinessDelayMs) / 1000.0, 'f', 1))
                .arg(baudRate)
                .arg(protecting.isEmpty() ? tr("nothing")
                                          : protecting.join(tr(", ", "list separator"))));
    }
    return lines;
}
