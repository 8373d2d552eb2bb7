// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SETTINGSCOMPARISONMODEL_H
#define SETTINGSCOMPARISONMODEL_H

#include "devicedata/relaysettings.h"
#include "devicedata/sendverdict.h"

#include <QAbstractTableModel>

#include <optional>

struct SettingsSendResult;

// A relay's settings beside a file's, one row per settable field, in the
// order of the panels. After a send each written row tells whether the relay
// holds what was sent.
//
// Settings prepared without a relay are the file's side alone, editable: the
// fields its modules and modes use take a value of their codes or range,
// the others stay as they are.
class SettingsComparisonModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { GroupColumn, FieldColumn, RelayColumn, FileColumn, UnitColumn, StateColumn };
    // NotSent: not part of the last send. Stopped: part of it, but the send stopped before it.
    enum Verification { NotSent, Verified, NotTaken, Refused, Stopped, Unknown, SwitchedOff };
    enum Role { DiffersRole = Qt::UserRole + 1, InUseRole, VerificationRole };

    explicit SettingsComparisonModel(QObject *parent = nullptr);

    void setSettings(const RelaySettings &relay, const SettingsValues &file);
    // The file's side alone and editable, for a relay of `identity`'s modules.
    void setPreparedSettings(const RelayIdentity &identity, const SettingsValues &file);
    bool isFileEditable() const { return m_fileEditable; }
    const SettingsValues &fileValues() const { return m_file; }
    const FieldDescription &fieldAt(int row) const { return m_rows.at(row).field->description; }
    // The multiplier the file's pick-up currents are shown with, at least 1.
    qint64 fileRangeMultiplier() const;
    // The relay as read back after a send; rows whose register was sent are
    // verified against what was sent.
    void setSendResult(const SettingsSendResult &result);

    const RelaySettings &relay() const { return m_relay; }
    // The file's values of the rows whose registers differ: what a send of the differences
    // writes.
    SettingsValues differences() const;
    // The rows where the relay protects otherwise than the file: a pick-up compares in amperes,
    // each side at its own current range.
    int differenceCount() const;
    // The verdicts of the rows the last send meant to write.
    SendSummary sendSummary() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The file column of a prepared row in use: its raw value as Qt::EditRole.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Takes a raw value only if the field accepts it.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    static Verification verificationOf(SendVerdict verdict);

    struct Row
    {
        const SettingsField *field;
        qint64 relay;
        qint64 file;
        bool inUse;
        bool relayKnown; // a value the relay was not read for shows as nothing
        RegisterWrite write; // for Refused: what the relay or the line said
        bool protectsAlike; // same raw value, or the same current at each side's own range
        std::optional<SendVerdict> verdict = {}; // none if the last send did not mean to write it
        Verification verification() const { return verdict ? verificationOf(*verdict) : NotSent; }
        // Whether the file's register must be written to make the relay hold the file.
        bool differs() const { return !relayKnown || relay != file; }
        // Whether the relay protects otherwise than the file: what is shown and counted.
        bool differsInEffect() const { return !relayKnown || !protectsAlike; }
    };

    QString valueText(const FieldDescription &field, qint64 raw, qint64 multiplier) const;
    QString stateText(const Row &row) const;
    void fillRows();

    RelaySettings m_relay;
    SettingsValues m_file;
    bool m_fileEditable = false;
    QVector<Row> m_rows;
    SettingsValues m_sent;
    RegisterWrites m_writes;
};

#endif // SETTINGSCOMPARISONMODEL_H
