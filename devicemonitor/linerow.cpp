// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/linerow.h"

#include "devicedata/identitytext.h"
#include "devicedata/settingsfile.h"
#include "devicedata/settingsfingerprint.h"
#include "devicemonitor/linefolder.h"
#include "devicemonitor/settingscomparisonmodel.h"

QString LineRow::stateText() const
{
    switch (state) {
    case Identical:
        return tr("identical");
    case Differs:
        return tr("values differ: %1").arg(differences.size());
    case NoFile:
        return fileProblem.isEmpty() ? tr("no file") : tr("no file: %1").arg(fileProblem);
    case OtherRelayFile:
        return tr("the file is for another relay: %1").arg(fileProblem);
    case NotRead:
        return tr("not read");
    case NotAnswering:
        return tr("not answering");
    case AnotherType:
        return tr("another device type");
    }
    return {};
}

QString LineRow::stateName(State state)
{
    switch (state) {
    case Identical:
        return QStringLiteral("identical");
    case Differs:
        return QStringLiteral("differs");
    case NoFile:
        return QStringLiteral("no-file");
    case OtherRelayFile:
        return QStringLiteral("other-relay-file");
    case NotRead:
        return QStringLiteral("not-read");
    case NotAnswering:
        return QStringLiteral("not-answering");
    case AnotherType:
        return QStringLiteral("another-type");
    }
    return {};
}

void LineRow::judge(const RelaySettings &relay, const LineRelay *entry,
    const SettingsFile *settingsFile, const QString &problem)
{
    settings = relay;
    relayFingerprint = settingsFingerprint(relay.values);
    file = entry ? entry->file : QString();
    differences.clear();
    fileValues.clear();
    fileFingerprint.reset();
    fileProblem = problem;
    if (!entry || !settingsFile) {
        state = NoFile;
        return;
    }
    fileFingerprint = settingsFile->fingerprint();

    const qint64 serial = relay.identity.serialNumber;
    if (entry->serialNumber && *entry->serialNumber != serial) {
        state = OtherRelayFile;
        fileProblem = tr("the folder expects serial number %1, the relay has %2")
                          .arg(serialNumberText(*entry->serialNumber), serialNumberText(serial));
        return;
    }
    // A file made without a relay names no serial number.
    const qint64 fileSerial = settingsFile->relay.identity.serialNumber;
    if (!settingsFile->isPreparedWithoutRelay() && fileSerial != serial) {
        state = OtherRelayFile;
        fileProblem = tr("the file is of serial number %1, the relay has %2")
                          .arg(serialNumberText(fileSerial), serialNumberText(serial));
        return;
    }
    if (settingsFile->relay.identity.modules != relay.identity.modules) {
        state = OtherRelayFile;
        fileProblem = tr("the file is for other modules");
        return;
    }

    fileValues = settingsFile->relay.values;
    SettingsComparisonModel comparison;
    comparison.setSettings(relay, fileValues);
    for (int row = 0; row < comparison.rowCount(); ++row) {
        if (!comparison.index(row, 0).data(SettingsComparisonModel::DiffersRole).toBool())
            continue;
        const FieldDescription &field = comparison.fieldAt(row);
        const auto text = [&comparison, row](int column) {
            return comparison.index(row, column).data().toString();
        };
        differences.append({ field.address, QString::fromLatin1(field.name),
            settingsFieldName(field.address), text(SettingsComparisonModel::RelayColumn),
            text(SettingsComparisonModel::FileColumn) });
    }
    state = differences.isEmpty() ? Identical : Differs;
}
