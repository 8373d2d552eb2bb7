// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/settingscomparisonmodel.h"

#include "devicemonitor/comparisoncolours.h"
#include "devicemonitor/settingstransfer.h"

#include <QBrush>
#include <QFont>
#include <QPalette>

#include <algorithm>

SettingsComparisonModel::Verification SettingsComparisonModel::verificationOf(SendVerdict verdict)
{
    switch (verdict) {
    case SendVerdict::Verified:
        return Verified;
    case SendVerdict::Changed:
        return NotTaken;
    case SendVerdict::Refused:
        return Refused;
    case SendVerdict::NotSent:
        return Stopped;
    case SendVerdict::SwitchedOff:
        return SwitchedOff;
    case SendVerdict::Unknown:
        break;
    }
    return Unknown;
}

SettingsComparisonModel::SettingsComparisonModel(QObject *parent) : QAbstractTableModel(parent)
{
}

void SettingsComparisonModel::setSettings(const RelaySettings &relay, const SettingsValues &file)
{
    beginResetModel();
    m_relay = relay;
    m_file = file;
    m_sent.clear();
    m_writes.clear();
    fillRows();
    endResetModel();
}

void SettingsComparisonModel::setSendResult(const SettingsSendResult &result)
{
    beginResetModel();
    m_relay.values = result.relay.values;
    m_sent = result.sent;
    m_writes = result.writes;
    fillRows();
    endResetModel();
}

void SettingsComparisonModel::setPreparedSettings(
    const RelayIdentity &identity, const SettingsValues &file)
{
    beginResetModel();
    m_fileEditable = true;
    m_relay = { identity, {} };
    m_file = file;
    m_sent.clear();
    m_writes.clear();
    fillRows();
    endResetModel();
}

qint64 SettingsComparisonModel::fileRangeMultiplier() const
{
    return shownRangeMultiplier(m_file);
}

void SettingsComparisonModel::fillRows()
{
    m_rows.clear();
    // Prepared settings stand beside themselves: nothing differs, and the
    // file's own modes decide which fields are in use.
    const SettingsValues &relayValues = m_fileEditable ? m_file : m_relay.values;
    const FieldContext context { validValue(m_relay.identity.modules),
        [&relayValues](quint16 address) {
            const auto value = relayValues.constFind(address);
            return value == relayValues.cend() ? DataValue() : validValue(*value);
        } };
    const qint64 relayMultiplier = shownRangeMultiplier(relayValues);
    const qint64 fileMultiplier = shownRangeMultiplier(m_file);
    for (const SettingsField &field : settingsFields()) {
        const quint16 address = field.description.address;
        Row row { &field, relayValues.value(address), m_file.value(address),
            field.description.isInUse(context), relayValues.contains(address),
            m_writes.value(address), true };
        // Both sides count in the same step times their own multiplier.
        row.protectsAlike = field.description.scaledByCurrentRange
            ? row.relay * relayMultiplier == row.file * fileMultiplier
            : row.relay == row.file;
        const auto sent = m_sent.constFind(address);
        if (sent != m_sent.cend())
            row.verdict = sendVerdict(row.write, *sent, relayValues, address);
        m_rows.append(row);
    }
}

SettingsValues SettingsComparisonModel::differences() const
{
    SettingsValues values;
    for (const Row &row : m_rows) {
        if (row.differs())
            values.insert(row.field->description.address, row.file);
    }
    return values;
}

int SettingsComparisonModel::differenceCount() const
{
    return int(std::count_if(
        m_rows.cbegin(), m_rows.cend(), [](const Row &row) { return row.differsInEffect(); }));
}

SendSummary SettingsComparisonModel::sendSummary() const
{
    SendSummary summary;
    for (const Row &row : m_rows) {
        if (row.verdict)
            summary.add(*row.verdict);
    }
    return summary;
}

int SettingsComparisonModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int SettingsComparisonModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : StateColumn + 1;
}

QString SettingsComparisonModel::valueText(
    const FieldDescription &field, qint64 raw, qint64 multiplier) const
{
    const QLocale locale;
    if (field.kind == FieldDescription::Code)
        return field.shownText(raw, multiplier, locale);
    return locale.toString(field.shownNumber(raw, multiplier), 'f', field.range.decimals);
}

QString SettingsComparisonModel::stateText(const Row &row) const
{
    switch (row.verification()) {
    case Verified:
        // It landed all the same: the answer is named, for the relay may be at fault.
        return row.write.failure.isEmpty()
            ? tr("Verified")
            : tr("Verified, though the relay answered: %1").arg(row.write.failure);
    case NotTaken:
        return tr("Changed by the relay");
    case Refused:
        return row.write.refused ? tr("Refused by the relay: %1").arg(row.write.failure)
                                 : tr("Not taken: %1").arg(row.write.failure);
    case Stopped:
        return tr("Not sent");
    case Unknown:
        return row.write.state == RegisterWrite::Acknowledged ? tr("Acknowledged, not read back")
                                                              : tr("Unknown: the read-back failed");
    case SwitchedOff:
        return tr("Switched off, not switched back on");
    case NotSent:
        break;
    }
    if (!row.inUse)
        return row.differsInEffect() ? tr("Differs, not in use") : tr("Not in use");
    return row.differsInEffect() ? tr("Differs") : QString();
}

QVariant SettingsComparisonModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows.at(index.row());
    const FieldDescription &field = row.field->description;
    const Verification verification = row.verification();
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case GroupColumn:
            return field.group.translated();
        case FieldColumn:
            return plainLabel(field);
        case RelayColumn:
            if (!row.relayKnown)
                return QString();
            return valueText(field, row.relay, shownRangeMultiplier(m_relay.values));
        case FileColumn:
            return valueText(field, row.file, shownRangeMultiplier(m_file));
        case UnitColumn:
            return field.unitText();
        case StateColumn:
            return stateText(row);
        }
        return {};
    case Qt::EditRole:
        return index.column() == FileColumn ? QVariant(row.file) : QVariant();
    case Qt::ToolTipRole:
        return tr("%1, register %2").arg(QLatin1String(field.name)).arg(field.address);
    case Qt::BackgroundRole:
        if (verification == NotTaken || verification == Refused || verification == Stopped
            || verification == Unknown || verification == SwitchedOff)
            return QBrush(ComparisonColours::notTaken());
        if (verification == Verified)
            return QBrush(ComparisonColours::verified());
        return row.differsInEffect() ? QVariant(QBrush(ComparisonColours::difference()))
                                     : QVariant();
    case Qt::ForegroundRole:
        // The background is always light where it is set.
        if (row.differsInEffect() || verification != NotSent)
            return QBrush(Qt::black);
        return row.inUse ? QVariant()
                         : QVariant(QPalette().brush(QPalette::Disabled, QPalette::Text));
    case Qt::FontRole:
        if (row.differsInEffect() || (verification != NotSent && verification != Verified)) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case DiffersRole:
        return row.differsInEffect();
    case InUseRole:
        return row.inUse;
    case VerificationRole:
        return verification;
    }
    return {};
}

Qt::ItemFlags SettingsComparisonModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (m_fileEditable && index.isValid() && index.column() == FileColumn
        && m_rows.at(index.row()).inUse)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool SettingsComparisonModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    bool isNumber = false;
    const qint64 raw = value.toLongLong(&isNumber);
    const FieldDescription &field = fieldAt(index.row());
    if (!isNumber || !field.acceptsRaw(raw))
        return false;
    m_file.insert(field.address, raw);
    // A mode or the current range changes other rows: which are in use, what a pick-up is in
    // amperes.
    fillRows();
    emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, StateColumn));
    return true;
}

QVariant SettingsComparisonModel::headerData(
    int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case GroupColumn:
        return tr("Group", "settings comparison column");
    case FieldColumn:
        return tr("Field", "settings comparison column");
    case RelayColumn:
        return tr("Relay", "settings comparison column");
    case FileColumn:
        return tr("File", "settings comparison column");
    case UnitColumn:
        return tr("Unit", "settings comparison column");
    case StateColumn:
        return tr("State", "settings comparison column");
    }
    return {};
}
