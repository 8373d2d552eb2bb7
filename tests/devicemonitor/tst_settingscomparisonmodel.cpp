// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/settingscomparisonmodel.h"
#include "devicemonitor/settingstransfer.h"

#include <QtTest>

// The comparison's rows without a dialog or a line: which registers differ,
// which of them a send of the differences writes, and what each sent row's
// verdict is after the read-back.
class SettingsComparisonModelTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void differencesAreWhatASendWrites();
    void sentRowsFollowTheReadBack();
    void stoppedAndUnreadRowsCountApart();

private:
    int rowOf(quint16 address) const;
    QVariant cell(int row, int column, int role = Qt::DisplayRole) const;

    SettingsComparisonModel m_model;
    RelaySettings m_relay;
    SettingsValues m_file;
    // Three plain fields (not scaled by the current range): one the file
    // changes, one the relay was not read for, one alike on both sides.
    quint16 m_changed = 0;
    quint16 m_unread = 0;
    quint16 m_alike = 0;
};

int SettingsComparisonModelTest::rowOf(quint16 address) const
{
    const QVector<SettingsField> &fields = settingsFields();
    for (int row = 0; row < fields.size(); ++row) {
        if (fields.at(row).description.address == address)
            return row;
    }
    return -1;
}

QVariant SettingsComparisonModelTest::cell(int row, int column, int role) const
{
    return m_model.data(m_model.index(row, column), role);
}

void SettingsComparisonModelTest::initTestCase()
{
    QVector<quint16> plain;
    for (const SettingsField &field : settingsFields()) {
        m_relay.values.insert(field.description.address, 0);
        if (!field.description.scaledByCurrentRange)
            plain.append(field.description.address);
    }
    QVERIFY(plain.size() >= 3);
    m_changed = plain.at(0);
    m_unread = plain.at(1);
    m_alike = plain.at(2);
    m_file = m_relay.values;
    m_file[m_changed] = 1;
    m_relay.values.remove(m_unread);
}

void SettingsComparisonModelTest::differencesAreWhatASendWrites()
{
    m_model.setSettings(m_relay, m_file);

    QCOMPARE(m_model.rowCount(), settingsFields().size());
    QCOMPARE(m_model.differenceCount(), 2);
    const SettingsValues expected { { m_changed, 1 }, { m_unread, 0 } };
    QCOMPARE(m_model.differences(), expected);
    QCOMPARE(cell(rowOf(m_changed), 0, SettingsComparisonModel::DiffersRole).toBool(), true);
    QCOMPARE(cell(rowOf(m_unread), 0, SettingsComparisonModel::DiffersRole).toBool(), true);
    QCOMPARE(cell(rowOf(m_alike), 0, SettingsComparisonModel::DiffersRole).toBool(), false);
    // A value the relay was not read for is shown as nothing, not as a zero.
    QCOMPARE(cell(rowOf(m_unread), SettingsComparisonModel::RelayColumn).toString(), QString());
    QVERIFY(!cell(rowOf(m_alike), SettingsComparisonModel::RelayColumn).toString().isEmpty());
    QCOMPARE(m_model.sendSummary().planned, 0);
}

void SettingsComparisonModelTest::sentRowsFollowTheReadBack()
{
    m_model.setSettings(m_relay, m_file);
    SettingsSendResult result;
    result.sent = { { m_changed, 1 }, { m_unread, 0 }, { m_alike, 5 } };
    RegisterWrite acknowledged;
    acknowledged.state = RegisterWrite::Acknowledged;
    RegisterWrite refused;
    refused.state = RegisterWrite::Failed;
    refused.refused = true;
    refused.failure = QStringLiteral("Illegal data value");
    result.writes
        = { { m_changed, acknowledged }, { m_unread, acknowledged }, { m_alike, refused } };
    result.relay.values = m_file;
    result.relay.values[m_unread] = 7; // took the write but holds another value
    m_model.setSendResult(result);

    using Model = SettingsComparisonModel;
    QCOMPARE(cell(rowOf(m_changed), 0, Model::VerificationRole).toInt(), int(Model::Verified));
    QCOMPARE(cell(rowOf(m_unread), 0, Model::VerificationRole).toInt(), int(Model::NotTaken));
    QCOMPARE(cell(rowOf(m_alike), 0, Model::VerificationRole).toInt(), int(Model::Refused));
    QCOMPARE(cell(rowOf(m_alike), Model::StateColumn).toString(),
        QStringLiteral("Refused by the relay: Illegal data value"));
    const SendSummary summary = m_model.sendSummary();
    QCOMPARE(summary.planned, 3);
    QCOMPARE(summary.verified, 1);
    QCOMPARE(summary.changed, 1);
    QCOMPARE(summary.refused, 1);
    // After the send the relay is shown as read back.
    QCOMPARE(m_model.differences(), (SettingsValues { { m_unread, 0 } }));
}

// A row the send stopped before, and one whose register was written but not
// read back, each count as what they are, and a row the send left alone not at all.
void SettingsComparisonModelTest::stoppedAndUnreadRowsCountApart()
{
    m_model.setSettings(m_relay, m_file);
    SettingsSendResult result;
    result.sent = { { m_changed, 1 }, { m_unread, 0 }, { m_alike, 0 } };
    RegisterWrite acknowledged;
    acknowledged.state = RegisterWrite::Acknowledged;
    result.writes
        = { { m_changed, acknowledged }, { m_unread, RegisterWrite() }, { m_alike, acknowledged } };
    result.relay.values = m_file;
    result.relay.values.remove(m_changed); // its read-back did not come
    m_model.setSendResult(result);

    using Model = SettingsComparisonModel;
    QCOMPARE(cell(rowOf(m_changed), 0, Model::VerificationRole).toInt(), int(Model::Unknown));
    QCOMPARE(cell(rowOf(m_unread), 0, Model::VerificationRole).toInt(), int(Model::Stopped));
    QCOMPARE(cell(rowOf(m_alike), 0, Model::VerificationRole).toInt(), int(Model::Verified));
    int unsentRow = 0;
    while (result.sent.contains(settingsFields().at(unsentRow).description.address))
        ++unsentRow;
    QCOMPARE(cell(unsentRow, 0, Model::VerificationRole).toInt(), int(Model::NotSent));
    const SendSummary summary = m_model.sendSummary();
    QCOMPARE(summary.planned, 3);
    QCOMPARE(summary.verified, 1);
    QCOMPARE(summary.notSent, 1);
    QCOMPARE(summary.unknown, 1);
    QCOMPARE(summary.changed + summary.refused, 0);
}

QTEST_MAIN(SettingsComparisonModelTest)
#include "tst_settingscomparisonmodel.moc"
