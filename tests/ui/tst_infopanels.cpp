// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/deviceinfodata.h"
#include "devicedata/modulesdata.h"
#include "panelfixture.h"
#include "ui/panels/deviceinfowidget.h"
#include "ui/panels/moduleswidget.h"
#include "ui/panels/servicewidget.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

const int RelayId = 4;

DeviceInfo deviceInfo(qint64 serialNumber, qint64 softwareVersion, DataStatus status)
{
    DeviceInfo info;
    info.serialNumber = { serialNumber, status };
    info.softwareVersion = { softwareVersion, status };
    info.modbusId = { 7, status };
    info.modbusBaudRate = { 192, status };
    return info;
}

const QStringList EarthFaultFrames
    = { "moduleZnzFrame", "moduleZnz3I0Frame", "moduleZnz3I03U0Frame" };

// The one earth-fault frame that is not hidden.
QString shownEarthFaultFrame(QWidget &widget)
{
    QStringList shown;
    for (const QString &name : EarthFaultFrames) {
        if (!child<QFrame>(&widget, name)->isHidden())
            shown.append(name);
    }
    return shown.join(QLatin1Char(','));
}

} // namespace

class InfoPanelsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void deviceInfoText_data();
    void deviceInfoText();
    void deviceInfoStatus();
    void deviceInfoVersionIgnoresTheLocale();
    void deviceInfoFromTheRelay();

    void modules_data();
    void modules();
    void modulesNeverRead();
    void modulesStaleKeepTheirFlagsInRed();
    void modulesResetShowsNothingInstalled();
    void modulesFollowOnlyTheAttachedBlock();

    void servicePanel();

private:
    void readModules(ModulesData *modules);

    SimulatedLine m_line { { RelayId } };
};

void InfoPanelsTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(m_line.start());
}

void InfoPanelsTest::deviceInfoText_data()
{
    QTest::addColumn<qint64>("serialNumber");
    QTest::addColumn<qint64>("softwareVersion");
    QTest::addColumn<QString>("serialText");
    QTest::addColumn<QString>("versionText");

    QTest::newRow("short serial zero-padded") << 42ll << 105ll << "0000042"
                                              << "1.05";
    QTest::newRow("seven digits") << 1234567ll << 123ll << "1234567"
                                  << "1.23";
    QTest::newRow("eight digits not cut") << 12345678ll << 5ll << "12345678"
                                          << "0.05";
    QTest::newRow("zero") << 0ll << 0ll << "0000000"
                          << "0.00";
    QTest::newRow("largest 32-bit serial, version 655.35")
        << 4294967295ll << 65535ll << "4294967295"
        << "655.35";
    QTest::newRow("whole version") << 65538ll << 1000ll << "0065538"
                                   << "10.00";
}

void InfoPanelsTest::deviceInfoText()
{
    QFETCH(qint64, serialNumber);
    QFETCH(qint64, softwareVersion);
    QFETCH(QString, serialText);
    QFETCH(QString, versionText);

    DeviceInfoWidget widget;
    widget.setDeviceInfo(deviceInfo(serialNumber, softwareVersion, Valid));
    QCOMPARE(child<QLabel>(&widget, "serialNumberValueLabel")->text(), serialText);
    QCOMPARE(child<QLabel>(&widget, "softwareVersionValueLabel")->text(), versionText);
    QCOMPARE(child<QLabel>(&widget, "modbusIdValueLabel")->text(), QStringLiteral("7"));
    QCOMPARE(child<QLabel>(&widget, "modbusBaudRateValueLabel")->text(), QStringLiteral("192"));
}

void InfoPanelsTest::deviceInfoStatus()
{
    DeviceInfoWidget widget;
    QCOMPARE(widget.title(), QStringLiteral("Device info"));
    for (const char *name : { "modbusIdLabel", "modbusIdValueLabel", "modbusBaudRateLabel",
             "modbusBaudRateValueLabel" })
        QVERIFY2(child(&widget, name)->isHidden(), name);
    QCOMPARE(child<QLabel>(&widget, "serialNumberValueLabel")->text(), QStringLiteral("-"));
    QCOMPARE(child<QLabel>(&widget, "softwareVersionValueLabel")->text(), QStringLiteral("-"));

    widget.setDeviceInfo(deviceInfo(42, 105, Outdated));
    QCOMPARE(child<QLabel>(&widget, "serialNumberValueLabel")->text(), QStringLiteral("0000042"));
    QVERIFY(isShownInRed(child<QLabel>(&widget, "serialNumberValueLabel")));
    QVERIFY(isShownInRed(child<QLabel>(&widget, "softwareVersionValueLabel")));

    // No current device any more: nothing left of the previous one.
    widget.setDeviceInfo(DeviceInfo());
    QCOMPARE(child<QLabel>(&widget, "serialNumberValueLabel")->text(), QStringLiteral("-"));
    QCOMPARE(child<QLabel>(&widget, "softwareVersionValueLabel")->text(), QStringLiteral("-"));
    QVERIFY(!isShownInRed(child<QLabel>(&widget, "serialNumberValueLabel")));
}

void InfoPanelsTest::deviceInfoVersionIgnoresTheLocale()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    DeviceInfoWidget widget;
    widget.setDeviceInfo(deviceInfo(1234567, 105, Valid));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(child<QLabel>(&widget, "softwareVersionValueLabel")->text(), QStringLiteral("1.05"));
    QCOMPARE(child<QLabel>(&widget, "serialNumberValueLabel")->text(), QStringLiteral("1234567"));
}

// The serial number spans two registers, the high word first.
void InfoPanelsTest::deviceInfoFromTheRelay()
{
    m_line.bus().setHoldingRegister(RelayId, 1, 105);
    m_line.bus().setHoldingRegister(RelayId, 2, 0x0001);
    m_line.bus().setHoldingRegister(RelayId, 3, 0x0002);
    DeviceInfoData data;
    QVERIFY(m_line.read(RelayId, &data));

    DeviceInfoWidget widget;
    widget.setDeviceInfo(data.deviceInfo());
    QCOMPARE(child<QLabel>(&widget, "serialNumberValueLabel")->text(), QStringLiteral("0065538"));
    QCOMPARE(child<QLabel>(&widget, "softwareVersionValueLabel")->text(), QStringLiteral("1.05"));
}

void InfoPanelsTest::readModules(ModulesData *modules)
{
    QVERIFY(m_line.read(RelayId, modules));
}

void InfoPanelsTest::modules_data()
{
    QTest::addColumn<int>("register24");
    QTest::addColumn<bool>("apv");
    QTest::addColumn<bool>("ind");
    QTest::addColumn<QString>("earthFaultFrame");
    QTest::addColumn<bool>("earthFault");

    // Register 24: bit 0 APV, bit 1 ZNZ(3I0), bit 2 ZNZ(3I0,3U0), bit 3 IND.
    QTest::newRow("nothing installed") << 0x0 << false << false << "moduleZnzFrame" << false;
    QTest::newRow("APV and ZNZ(3I0)") << 0x3 << true << false << "moduleZnz3I0Frame" << true;
    QTest::newRow("IND and ZNZ(3I0,3U0)") << 0xC << false << true << "moduleZnz3I03U0Frame" << true;
    QTest::newRow("both earth-fault bits: plain ZNZ")
        << 0x6 << false << false << "moduleZnzFrame" << true;
    QTest::newRow("APV and IND, no earth fault")
        << 0x9 << true << true << "moduleZnzFrame" << false;
    QTest::newRow("everything") << 0xF << true << true << "moduleZnzFrame" << true;
    QTest::newRow("unknown bits ignored") << 0xFFF0 << false << false << "moduleZnzFrame" << false;
}

void InfoPanelsTest::modules()
{
    QFETCH(int, register24);
    QFETCH(bool, apv);
    QFETCH(bool, ind);
    QFETCH(QString, earthFaultFrame);
    QFETCH(bool, earthFault);

    m_line.bus().setModules(RelayId, quint16(register24));
    ModulesData data;
    ModulesWidget widget;
    widget.setModulesData(&data);
    readModules(&data);

    QCOMPARE(child<QFrame>(&widget, "moduleApvFrame")->isEnabled(), apv);
    QCOMPARE(child<QFrame>(&widget, "moduleIndFrame")->isEnabled(), ind);
    QCOMPARE(shownEarthFaultFrame(widget), earthFaultFrame);
    QCOMPARE(child<QFrame>(&widget, earthFaultFrame)->isEnabled(), earthFault);
    for (const QString &name :
        EarthFaultFrames + QStringList { "moduleApvFrame", "moduleIndFrame" })
        QVERIFY2(!isShownInRed(child<QFrame>(&widget, name)), qPrintable(name));
}

void InfoPanelsTest::modulesNeverRead()
{
    ModulesData data;
    ModulesWidget widget;
    QCOMPARE(widget.title(), QStringLiteral("Modules"));
    QCOMPARE(child<QLabel>(&widget, "moduleApvLabel")->text(), QStringLiteral("APV"));
    QCOMPARE(child<QLabel>(&widget, "moduleIndLabel")->text(), QStringLiteral("IND"));
    QVERIFY(child<QLabel>(&widget, "moduleZnz3I0Label")->text().contains("3I<sub>0</sub>"));
    QVERIFY(child<QLabel>(&widget, "moduleZnz3I03U0Label")->text().contains("3U<sub>0</sub>"));
    QCOMPARE(shownEarthFaultFrame(widget), QStringLiteral("moduleZnzFrame"));

    widget.setModulesData(&data);
    QVERIFY(!child<QFrame>(&widget, "moduleApvFrame")->isEnabled());
    QVERIFY(!child<QFrame>(&widget, "moduleIndFrame")->isEnabled());
    QVERIFY(!child<QFrame>(&widget, "moduleZnzFrame")->isEnabled());
    QCOMPARE(shownEarthFaultFrame(widget), QStringLiteral("moduleZnzFrame"));
}

// A relay that stops answering keeps its last modules on show, in red.
void InfoPanelsTest::modulesStaleKeepTheirFlagsInRed()
{
    for (int register24 : { 0x3, 0x6 }) {
        m_line.bus().setModules(RelayId, quint16(register24));
        ModulesData data;
        ModulesWidget widget;
        widget.setModulesData(&data);
        readModules(&data);

        m_line.bus().setRelayOnline(RelayId, false);
        readModules(&data);
        m_line.bus().setRelayOnline(RelayId, true);
        QCOMPARE(data.modules().status, Outdated);

        const QString shown = shownEarthFaultFrame(widget);
        QCOMPARE(shown, register24 == 0x3 ? "moduleZnz3I0Frame" : "moduleZnzFrame");
        QVERIFY(child<QFrame>(&widget, shown)->isEnabled());
        QCOMPARE(child<QFrame>(&widget, "moduleApvFrame")->isEnabled(), register24 == 0x3);
        for (const QString &name : QStringList { "moduleApvFrame", "moduleIndFrame", shown })
            QVERIFY2(isShownInRed(child<QFrame>(&widget, name)), qPrintable(name));

        // The next good read clears the red.
        readModules(&data);
        QVERIFY(!isShownInRed(child<QFrame>(&widget, shown)));
        QVERIFY(!isShownInRed(child<QFrame>(&widget, "moduleApvFrame")));
    }
}

void InfoPanelsTest::modulesResetShowsNothingInstalled()
{
    m_line.bus().setModules(RelayId, 0xF);
    ModulesData data;
    ModulesWidget widget;
    widget.setModulesData(&data);
    readModules(&data);
    QVERIFY(child<QFrame>(&widget, "moduleApvFrame")->isEnabled());

    data.reset();
    QVERIFY(!child<QFrame>(&widget, "moduleApvFrame")->isEnabled());
    QVERIFY(!child<QFrame>(&widget, "moduleIndFrame")->isEnabled());
    QVERIFY(!child<QFrame>(&widget, "moduleZnzFrame")->isEnabled());
    QCOMPARE(shownEarthFaultFrame(widget), QStringLiteral("moduleZnzFrame"));
}

void InfoPanelsTest::modulesFollowOnlyTheAttachedBlock()
{
    m_line.bus().setModules(RelayId, 0x1);
    ModulesData first;
    ModulesData second;
    ModulesWidget widget;
    widget.setModulesData(&first);
    widget.setModulesData(&second);
    readModules(&first);
    QVERIFY(!child<QFrame>(&widget, "moduleApvFrame")->isEnabled());
    readModules(&second);
    QVERIFY(child<QFrame>(&widget, "moduleApvFrame")->isEnabled());
}

void InfoPanelsTest::servicePanel()
{
    ServiceWidget widget;
    QVERIFY(widget.findChild<QGroupBox *>("groupBox_8"));
    QCOMPARE(child<QLabel>(&widget, "label_54")->text(), QStringLiteral("Serial number:"));
    QCOMPARE(child<QLabel>(&widget, "label_55")->text(), QStringLiteral("Order number:"));
    for (const char *name : { "lineEdit", "lineEdit_2" }) {
        auto *edit = widget.findChild<QLineEdit *>(name);
        QVERIFY2(edit, name);
        QVERIFY(edit->text().isEmpty());
        QVERIFY(!edit->isReadOnly());
    }
    QCOMPARE(
        child<QLabel>(&widget, "label_54")->buddy(), widget.findChild<QLineEdit *>("lineEdit"));
}

QTEST_MAIN(InfoPanelsTest)
#include "tst_infopanels.moc"
