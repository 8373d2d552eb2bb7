// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/sendplan.h"

#include "devicedata/codeconversions.h"
#include "devicedata/modulesdata.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

constexpr quint16 CurrentRangeRegister = 25;
constexpr quint16 MtzCurveRegister = 33;
constexpr qint64 ProtectionOff = 0;
constexpr qint64 ProtectionOn = 1;

// A protection and the registers it runs with. Kt and Kt0 belong to none: they scale what the
// panels show, not what the relay picks up at.
struct ProtectionRegisters
{
    SendPlan::Protection protection;
    TranslatedText name;
    quint16 modeRegister; // 0: it has no off switch
    qint64 modules; // ModuleFlags of which one must be installed; 0: every relay has it
    QVector<quint16> settings;
};

// In the order of SendPlan::Protection.
const QVector<ProtectionRegisters> &protections()
{
    static const QVector<ProtectionRegisters> all = {
        { SendPlan::Mtz, { "SendPlan", QT_TRANSLATE_NOOP3("SendPlan", "MTZ", "protection") }, 32, 0,
            { CurrentRangeRegister, 30, 31, MtzCurveRegister, 34, 35, 39 } },
        { SendPlan::To, { "SendPlan", QT_TRANSLATE_NOOP3("SendPlan", "TO", "protection") }, 36, 0,
            { CurrentRangeRegister, 28, 37, 38, 39 } },
        { SendPlan::Znz, { "SendPlan", QT_TRANSLATE_NOOP3("SendPlan", "ZNZ", "protection") }, 0,
            ModuleZnz3I0 | ModuleZnz3U0, { 40, 41, 42, 43, 44, 45 } },
        { SendPlan::Apv, { "SendPlan", QT_TRANSLATE_NOOP3("SendPlan", "APV", "protection") }, 0,
            ModuleApv, { 48, 49, 50, 51 } },
    };
    return all;
}

const ProtectionRegisters &registersOf(SendPlan::Protection protection)
{
    return protections().at(protection);
}

// The pick-ups and times: a higher value makes their protection less sensitive. Every other
// setting's change has no direction; a change of range or of MTZ's curve has MTZ and TO switched
// off around it instead.
constexpr quint16 PickupsAndTimes[] = { 34, 35, 37, 38, 43, 44, 45, 49, 50, 51 };

// The protection a pick-up or time belongs to; none for the other registers.
const ProtectionRegisters *directedOwner(quint16 address)
{
    if (std::find(std::begin(PickupsAndTimes), std::end(PickupsAndTimes), address)
        == std::end(PickupsAndTimes))
        return nullptr;
    for (const ProtectionRegisters &protection : protections()) {
        if (protection.settings.contains(address))
            return &protection;
    }
    return nullptr;
}

bool isInstalled(const ProtectionRegisters &protection, qint64 modules)
{
    return !protection.modules || (modules & protection.modules);
}

// A single-register write on the wire: request and answer of 8 bytes each, and the 3.5-character
// silence after each; 11 bits a character covers every format the relays use.
constexpr double CharactersPerWrite = 8 + 8 + 2 * 3.5;
constexpr double BitsPerCharacter = 11;

} // namespace

SendPlan::SendPlan(const RelaySettings &relay, const SettingsValues &values) : m_relay(relay)
{
    const DataValue modules = validValue(relay.identity.modules);
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        const SettingsField *field = settingsFieldAt(value.key());
        if (field && !field->description.isInstalled(modules))
            m_skipped.append(value.key());
        else
            m_target.insert(value.key(), *value);
    }

    const QSet<quint16> switched = planSwitching();
    for (auto value = m_target.cbegin(); value != m_target.cend(); ++value) {
        if (switched.contains(value.key()))
            continue;
        Step step { value.key(), *value, Step::Setting };
        const ProtectionRegisters *owner = directedOwner(step.address);
        if (owner && m_inService.contains(owner->protection) && changes(step.address, step.value))
            step.role = step.value > relay.values.value(step.address) ? Step::LessSensitive
                                                                      : Step::MoreSensitive;
        m_steps.append(step);
    }
    // Each role has its place in the order; within a role the registers keep theirs.
    std::stable_sort(m_steps.begin(), m_steps.end(),
        [](const Step &first, const Step &second) { return first.role < second.role; });

    // Off from the step after its switch-off to the end of the one that switches it on again.
    for (Protection protection : std::as_const(m_interimOff)) {
        const quint16 mode = registersOf(protection).modeRegister;
        int off = -1;
        int on = -1;
        for (int i = 0; i < m_steps.size(); ++i) {
            if (m_steps.at(i).address == mode)
                (m_steps.at(i).role == Step::InterimOff ? off : on) = i;
        }
        m_interimSteps = qMax(m_interimSteps, on - off);
    }
}

QSet<quint16> SendPlan::planSwitching()
{
    const SettingsValues planned = after();
    const auto changed = [this](quint16 address) {
        return m_target.contains(address) && changes(address, m_target.value(address));
    };
    const bool rangeChanges = changed(CurrentRangeRegister);
    m_curveOnly = !rangeChanges && changed(MtzCurveRegister);
    QSet<quint16> switched;
    for (const ProtectionRegisters &protection : protections()) {
        if (!isInstalled(protection, m_relay.identity.modules))
            continue;
        const quint16 mode = protection.modeRegister;
        const bool onBefore = !mode || m_relay.values.value(mode) == ProtectionOn;
        const bool onAfter = !mode || planned.value(mode) == ProtectionOn;
        const bool interim = mode && onBefore && onAfter
            && (rangeChanges || (protection.protection == Mtz && m_curveOnly));
        if (onBefore && !onAfter) {
            m_steps.append({ mode, planned.value(mode), Step::SwitchOff });
        } else if (interim) {
            m_steps.append({ mode, ProtectionOff, Step::InterimOff });
            m_steps.append({ mode, ProtectionOn, Step::SwitchOn });
            m_interimOff.append(protection.protection);
            m_target.insert(mode, ProtectionOn);
        } else if (onAfter && !onBefore) {
            m_steps.append({ mode, ProtectionOn, Step::SwitchOn });
        } else {
            if (onBefore)
                m_inService.append(protection.protection);
            continue;
        }
        switched.insert(mode);
    }
    return switched;
}

SettingsValues SendPlan::after() const
{
    SettingsValues values = m_relay.values;
    values.insert(m_target);
    return values;
}

SettingsValues SendPlan::heldAfter(int steps) const
{
    SettingsValues held = m_relay.values;
    for (int i = 0; i < qMin(steps, m_steps.size()); ++i)
        held.insert(m_steps.at(i).address, m_steps.at(i).value);
    return held;
}

bool SendPlan::changes(quint16 address, qint64 value) const
{
    const auto held = m_relay.values.constFind(address);
    return held == m_relay.values.cend() || *held != value;
}

bool SendPlan::switchesProtectionOff() const
{
    return std::any_of(m_steps.cbegin(), m_steps.cend(), [](const Step &step) {
        return step.role == Step::SwitchOff || step.role == Step::InterimOff;
    });
}

QVector<SendPlan::InService> SendPlan::staysInServiceChanging() const
{
    QVector<InService> changing;
    for (Protection protection : m_inService) {
        const QVector<quint16> &settings = registersOf(protection).settings;
        InService span { protection, -1, -1 };
        for (int i = 0; i < m_steps.size(); ++i) {
            const Step &step = m_steps.at(i);
            if (!settings.contains(step.address) || !changes(step.address, step.value))
                continue;
            if (span.firstStep < 0)
                span.firstStep = i;
            span.lastStep = i;
        }
        if (span.lastStep > span.firstStep)
            changing.append(span);
    }
    return changing;
}

SendPlan::InterimState SendPlan::interimState(int steps) const
{
    const SettingsValues held = heldAfter(steps);
    const SettingsValues planned = after();

    InterimState state;
    for (const ProtectionRegisters &protection : protections()) {
        if (!isInstalled(protection, m_relay.identity.modules))
            continue;
        if (const quint16 mode = protection.modeRegister) {
            const bool wasOn = m_relay.values.value(mode) == ProtectionOn;
            const bool isOn = held.value(mode) == ProtectionOn;
            if (wasOn && !isOn)
                state.switchedOff.append(
                    { protection.protection, planned.value(mode) != ProtectionOn });
            if (!isOn)
                continue;
        }
        QVector<SettingChange> settings;
        int written = 0;
        for (quint16 address : protection.settings) {
            const qint64 newValue = m_target.value(address);
            if (!m_target.contains(address) || !changes(address, newValue))
                continue;
            const bool landed = held.contains(address) && held.value(address) == newValue;
            settings.append({ address, m_relay.values.value(address), newValue, landed });
            written += landed ? 1 : 0;
        }
        if (written > 0 && written < settings.size())
            state.mixed.append({ protection.protection, settings });
    }
    return state;
}

QStringList SendPlan::interimText(int steps) const
{
    const InterimState state = interimState(steps);
    QStringList lines;
    for (const InterimState::SwitchedOff &off : state.switchedOff) {
        lines.append(off.meantOff
                ? tr("%1 is off, as the new settings have it.").arg(protectionName(off.protection))
                : tr("%1 is switched off and was not switched back on.")
                      .arg(protectionName(off.protection)));
    }
    const qint64 multiplier = shownRangeMultiplier(heldAfter(steps));
    for (const InterimState::Mixed &mixed : state.mixed) {
        QStringList values;
        for (const SettingChange &change : mixed.changes) {
            const SettingsField *field = settingsFieldAt(change.address);
            const QString label
                = field ? plainLabel(field->description) : QString::number(change.address);
            values.append(change.written
                    ? tr("%1 %2 (new)", "field, value")
                          .arg(label, valueText(change.address, change.after, multiplier))
                    : tr("%1 %2 (old; %3 was not written)", "field, value, new value")
                          .arg(label, valueText(change.address, change.before, multiplier),
                              valueText(change.address, change.after, multiplier)));
        }
        lines.append(
            tr("%1 stays in service with a mix of old and new settings: %2.")
                .arg(protectionName(mixed.protection), values.join(tr(", ", "list separator"))));
    }
    return lines;
}

QString SendPlan::protectionName(Protection protection)
{
    return registersOf(protection).name.translated();
}

int SendPlan::estimatedMs(int steps, int baudRate, int readinessDelayMs)
{
    const double wireMs
        = baudRate > 0 ? CharactersPerWrite * BitsPerCharacter * 1000 / baudRate : 0;
    return int(std::ceil(steps * (wireMs + qMax(0, readinessDelayMs))));
}

QString SendPlan::valueText(quint16 address, qint64 raw, qint64 multiplier) const
{
    const SettingsField *field = settingsFieldAt(address);
    return field ? field->description.shownText(raw, multiplier) : QString::number(raw);
}

QString SendPlan::stepText(const Step &step) const
{
    const SettingsField *field = settingsFieldAt(step.address);
    if (!field)
        return tr("register %1 = %2").arg(step.address).arg(step.value);
    const FieldDescription &description = field->description;
    QString text = tr("%1, %2: %3", "group, field: value")
                       .arg(description.group.translated(), plainLabel(description),
                           valueText(step.address, step.value, shownRangeMultiplier(after())));
    switch (step.role) {
    case Step::LessSensitive:
        return tr("%1 (less sensitive: written first)").arg(text);
    case Step::MoreSensitive:
        return tr("%1 (more sensitive: written last)").arg(text);
    case Step::SwitchOff:
        return tr("%1 (switched off first)").arg(text);
    case Step::InterimOff:
        return m_curveOnly ? tr("%1 (switched off while its time-current curve changes)").arg(text)
                           : tr("%1 (switched off while the current range changes)").arg(text);
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
    const QLocale locale;
    const auto seconds = [&](int steps) {
        return locale.toString(estimatedMs(steps, baudRate, readinessDelayMs) / 1000.0, 'f', 1);
    };
    const auto names = [](const QVector<Protection> &list) {
        QStringList texts;
        for (Protection protection : list)
            texts.append(protectionName(protection));
        return texts.join(tr(", ", "list separator"));
    };
    if (!m_interimOff.isEmpty()) {
        // Auto-reclose trips nothing by itself.
        QVector<Protection> protecting = m_inService;
        protecting.removeAll(Apv);
        const QString meanwhile = protecting.isEmpty() ? tr("nothing") : names(protecting);
        lines.append(m_curveOnly
                ? tr("The time-current curve of MTZ changes: MTZ stays off for %1 writes, about "
                     "%2 s at %3 baud. Meanwhile the relay protects with: %4.")
                      .arg(m_interimSteps)
                      .arg(seconds(m_interimSteps))
                      .arg(baudRate)
                      .arg(meanwhile)
                : tr("The current range changes: %1 stay off for %2 writes, about %3 s at "
                     "%4 baud. Meanwhile the relay protects with: %5.")
                      .arg(names(m_interimOff))
                      .arg(m_interimSteps)
                      .arg(seconds(m_interimSteps))
                      .arg(baudRate)
                      .arg(meanwhile));
    }
    const QVector<InService> changing = staysInServiceChanging();
    for (const InService &span : changing) {
        lines.append(tr("%1 stays in service with intermediate settings from write %2 to write "
                        "%3, about %4 s at %5 baud, never more sensitive than both its old and "
                        "its new settings.")
                         .arg(protectionName(span.protection))
                         .arg(span.firstStep + 1)
                         .arg(span.lastStep + 1)
                         .arg(seconds(span.lastStep - span.firstStep))
                         .arg(baudRate));
    }
    return lines;
}
