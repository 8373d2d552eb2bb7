// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/settingssendresult.h"

#include <algorithm>

const SentStep *SettingsSendResult::failedStep() const
{
    const auto failed = std::find_if(steps.cbegin(), steps.cend(),
        [](const SentStep &sent) { return sent.write.state == RegisterWrite::Failed; });
    return failed == steps.cend() ? nullptr : &*failed;
}

SendVerdict SettingsSendResult::verdictOf(quint16 address) const
{
    return sendVerdict(writes.value(address), sent.value(address), relay.values, address);
}

SendSummary SettingsSendResult::summary() const
{
    SendSummary summary;
    for (auto value = sent.cbegin(); value != sent.cend(); ++value)
        summary.add(verdictOf(value.key()));
    return summary;
}

QString SettingsSendResult::stoppedText() const
{
    QStringList sentences;
    if (const SentStep *failed = failedStep()) {
        sentences.append(tr("The write to Device %1 stopped at %2 (register %3): %4.")
                             .arg(relay.identity.slaveId)
                             .arg(settingsFieldName(failed->step.address))
                             .arg(failed->step.address)
                             .arg(failed->write.failure));
    }
    sentences += interim;
    return sentences.join(QLatin1Char(' '));
}

QString SettingsSendResult::notTakenText() const
{
    const qint64 multiplier = shownRangeMultiplier(relay.values);
    QStringList values;
    for (auto value = sent.cbegin(); value != sent.cend(); ++value) {
        const quint16 address = value.key();
        const SettingsField *field = settingsFieldAt(address);
        const auto shown = [field, multiplier](qint64 raw) {
            return field ? field->description.shownText(raw, multiplier) : QString::number(raw);
        };
        switch (verdictOf(address)) {
        case SendVerdict::Changed:
            values.append(tr("%1 (register %2): sent %3, holds %4")
                              .arg(settingsFieldName(address))
                              .arg(address)
                              .arg(shown(*value), shown(relay.values.value(address))));
            break;
        case SendVerdict::Refused:
            values.append(tr("%1 (register %2): %3")
                              .arg(settingsFieldName(address))
                              .arg(address)
                              .arg(writes.value(address).failure));
            break;
        default:
            break;
        }
    }
    if (!values.isEmpty())
        return tr("Device %1 did not take every value: %2")
            .arg(relay.identity.slaveId)
            .arg(values.join(QStringLiteral("; ")));
    if (!readBack)
        return tr("Device %1 could not be read back after writing: whether it "
                  "took the values is not known.")
            .arg(relay.identity.slaveId);
    return QString();
}
