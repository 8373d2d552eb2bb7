// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicators/baseindicator.h"
#include "ui/indicators/currentindicator.h"
#include "ui/indicators/enumindicator.h"
#include "ui/indicators/enumindicatoreditor.h"
#include "ui/indicators/inputeventfilter.h"
#include "ui/indicators/numberindicator.h"
#include "ui/indicators/numberindicatoreditor.h"
#include "ui/statusstyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedLayout>
#include <QTest>

namespace {

const QString IndicatorBlack = QStringLiteral("QLabel[enabled=\"true\"] { color: black }");
const QString IndicatorRed = QStringLiteral("QLabel[enabled=\"true\"] { color: red }");
const QString UtilityBlack
    = QStringLiteral("QLabel[enabled=\"true\"] { color: black } "
                     "QCheckBox { color: black } QDoubleSpinBox { color: black }");
const QString UtilityRed = QStringLiteral("QLabel[enabled=\"true\"] { color: red } "
                                          "QCheckBox { color: red } QDoubleSpinBox { color: red }");

enum RangeSet { NoRanges, LivePhase, LiveZero, CrashPhase };

void applyRanges(CurrentIndicator &indicator, RangeSet ranges)
{
    switch (ranges) {
    case NoRanges:
        break;
    case LivePhase:
        indicator.setUnitRange(CurrentIndicator::Amperes, UnitRanges::livePhaseCurrentAmperes);
        indicator.setUnitRange(
            CurrentIndicator::Kiloamperes, UnitRanges::livePhaseCurrentKiloamperes);
        break;
    case LiveZero:
        indicator.setUnitRange(CurrentIndicator::Amperes, UnitRanges::liveZeroCurrentAmperes);
        indicator.setUnitRange(
            CurrentIndicator::Kiloamperes, UnitRanges::liveZeroCurrentKiloamperes);
        break;
    case CrashPhase:
        indicator.setUnitRange(CurrentIndicator::Amperes, UnitRanges::crashPhaseCurrentAmperes);
        indicator.setUnitRange(
            CurrentIndicator::Kiloamperes, UnitRanges::crashPhaseCurrentKiloamperes);
        break;
    }
}

// The bare page switching, with pages that can be deleted from outside.
class TwoPageEditor : public BaseIndicatorEditor
{
public:
    TwoPageEditor() : indicator(new QLabel(this)), editor(new QLabel(this))
    {
        setWidgets(indicator, editor);
    }

    void replacePages(QWidget *newIndicator, QWidget *newEditor)
    {
        setWidgets(newIndicator, newEditor);
    }

    QLabel *indicator;
    QLabel *editor;
    QVector<bool> changes;

protected:
    void onEditModeChanged(bool editMode) override { changes << editMode; }
};

QWidget *currentPage(QWidget *editor)
{
    return static_cast<QStackedLayout *>(editor->layout())->currentWidget();
}

} // namespace

Q_DECLARE_METATYPE(DataStatus)
Q_DECLARE_METATYPE(RangeSet)
Q_DECLARE_METATYPE(QSharedPointer<QEvent>)

class TestIndicators : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void statusText_data();
    void statusText();
    void unknownStatusKeepsText();

    void numberFormatting_data();
    void numberFormatting();
    void numberFormattingFollowsLocale();

    void currentUnitSwitching_data();
    void currentUnitSwitching();
    void currentStatus();

    void enumIndicator();

    void numberEditorEntersEditMode();
    void numberEditorRangeKeepsFinePrecision();
    void enumEditorEntersEditMode();
    void editModeSwitchesPages();

    void labelValue_data();
    void labelValue();
    void checkValue_data();
    void checkValue();

    void inputEventFilter_data();
    void inputEventFilter();
};

void TestIndicators::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestIndicators::statusText_data()
{
    QTest::addColumn<DataStatus>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("styleSheet");

    QTest::newRow("no data shows the undefined text") << NoData << "-" << IndicatorBlack;
    QTest::newRow("valid is black") << Valid << "42" << IndicatorBlack;
    QTest::newRow("outdated is red") << Outdated << "42" << IndicatorRed;
}

void TestIndicators::statusText()
{
    QFETCH(DataStatus, status);
    QFETCH(QString, text);
    QFETCH(QString, styleSheet);

    BaseIndicator indicator;
    indicator.setStatusText(Outdated, QStringLiteral("previous"));
    indicator.setStatusText(status, QStringLiteral("42"));
    QCOMPARE(indicator.text(), text);
    QCOMPARE(indicator.styleSheet(), styleSheet);
}

void TestIndicators::unknownStatusKeepsText()
{
    BaseIndicator indicator;
    indicator.setUndefinedText(QStringLiteral("n/a"));
    indicator.setStatusText(NoData, QString());
    QCOMPARE(indicator.text(), QStringLiteral("n/a"));

    indicator.setStatusText(Outdated, QStringLiteral("7"));
    indicator.setStatusText(DataStatus(5), QStringLiteral("8"));
    QCOMPARE(indicator.text(), QStringLiteral("7"));
    QCOMPARE(indicator.styleSheet(), IndicatorRed);
}

void TestIndicators::numberFormatting_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<DataStatus>("status");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("fieldWidth");
    QTest::addColumn<QChar>("fillChar");
    QTest::addColumn<QString>("text");

    const QChar space(' ');
    QTest::newRow("rounded without decimals")
        << 5.6 << Valid << 0 << QString() << 0 << space << "6";
    QTest::newRow("rounded up to the next integer")
        << 9.996 << Valid << 2 << QString() << 0 << space << "10.00";
    QTest::newRow("grouped with suffix")
        << 1234.5 << Valid << 2 << QStringLiteral(" A") << 0 << space << "1,234.50 A";
    QTest::newRow("negative angle")
        << -10.0 << Valid << 0 << QStringLiteral(" \u00B0") << 0 << space << "-10 \u00B0";
    QTest::newRow("padded") << 7.0 << Valid << 0 << QString() << 4 << QChar('0') << "0007";
    QTest::newRow("outdated keeps the number")
        << 3.0 << Outdated << 1 << QStringLiteral(" V") << 0 << space << "3.0 V";
    QTest::newRow("no data hides the number")
        << 99.0 << NoData << 1 << QStringLiteral(" V") << 0 << space << "-";
}

void TestIndicators::numberFormatting()
{
    QFETCH(double, value);
    QFETCH(DataStatus, status);
    QFETCH(int, decimals);
    QFETCH(QString, suffix);
    QFETCH(int, fieldWidth);
    QFETCH(QChar, fillChar);
    QFETCH(QString, text);

    NumberIndicator indicator;
    indicator.setDecimals(decimals);
    indicator.setSuffix(suffix);
    indicator.setFieldWidth(fieldWidth);
    indicator.setFillChar(fillChar);
    indicator.setValue({ value, status });
    QCOMPARE(indicator.text(), text);
    QCOMPARE(indicator.value(), (DoubleValue { value, status }));
}

void TestIndicators::numberFormattingFollowsLocale()
{
    NumberIndicator indicator;
    indicator.setDecimals(2);
    indicator.setSuffix(QStringLiteral(" A"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    indicator.setValue({ 1234.5, Valid });
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(indicator.text(), QStringLiteral("1\u00A0234,50 A"));
}

void TestIndicators::currentUnitSwitching_data()
{
    QTest::addColumn<RangeSet>("ranges");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QVector<double>>("amperes");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("phase current hysteresis")
        << LivePhase << 2 << QVector<double> { 9999, 10000, 9600, 9500, 9499.99 }
        << QStringList { "9,999.00 A", "10.00 kA", "9.60 kA", "9.50 kA", "9,499.99 A" };
    QTest::newRow("zero-sequence current hysteresis")
        << LiveZero << 3 << QVector<double> { 950, 1000, 960, 949 }
        << QStringList { "950.000 A", "1.000 kA", "0.960 kA", "949.000 A" };
    QTest::newRow("crash current switches sharply")
        << CrashPhase << 2 << QVector<double> { 10000, 9999 }
        << QStringList { "10.00 kA", "9,999.00 A" };
    QTest::newRow("without ranges always amperes")
        << NoRanges << 0 << QVector<double> { 999, 1000, 50000 }
        << QStringList { "999 A", "1,000 A", "50,000 A" };
}

void TestIndicators::currentUnitSwitching()
{
    QFETCH(RangeSet, ranges);
    QFETCH(int, decimals);
    QFETCH(QVector<double>, amperes);
    QFETCH(QStringList, texts);

    CurrentIndicator indicator;
    applyRanges(indicator, ranges);
    indicator.setDecimals(decimals);
    for (int i = 0; i < amperes.size(); ++i) {
        indicator.setValue({ amperes.at(i), Valid });
        QCOMPARE(indicator.text(), texts.at(i));
    }
}

void TestIndicators::currentStatus()
{
    CurrentIndicator indicator;
    applyRanges(indicator, LivePhase);
    indicator.setDecimals(2);

    indicator.setValue({ 12000, Outdated });
    QCOMPARE(indicator.text(), QStringLiteral("12.00 kA"));
    QCOMPARE(indicator.styleSheet(), IndicatorRed);

    // Blocks hold a missing value as 0, which takes the display back to
    // amperes for the next device.
    indicator.setValue({ 0, NoData });
    QCOMPARE(indicator.text(), QStringLiteral("-"));
    QCOMPARE(indicator.styleSheet(), IndicatorBlack);
    QCOMPARE(indicator.unit(), int(CurrentIndicator::Amperes));
    indicator.setValue({ 9600, Valid });
    QCOMPARE(indicator.text(), QStringLiteral("9,600.00 A"));

    // A status other than missing or outdated shows as valid.
    indicator.setValue({ 12000, DataStatus(7) });
    QCOMPARE(indicator.text(), QStringLiteral("12.00 kA"));
    QCOMPARE(indicator.value().status, Valid);
}

void TestIndicators::enumIndicator()
{
    EnumIndicator indicator;
    indicator.setItemText(0, QStringLiteral("off"));
    indicator.setItemText(1, QStringLiteral("on"));

    indicator.setValue({ 1, Valid });
    QCOMPARE(indicator.text(), QStringLiteral("on"));
    indicator.setValue({ 0, Outdated });
    QCOMPARE(indicator.text(), QStringLiteral("off"));
    QCOMPARE(indicator.styleSheet(), IndicatorRed);
    indicator.setValue({ 7, Valid });
    QCOMPARE(indicator.text(), QString());
    indicator.setValue({ 1, NoData });
    QCOMPARE(indicator.text(), QStringLiteral("-"));
    QCOMPARE(indicator.value(), (DataValue { 1, NoData }));
}

void TestIndicators::numberEditorEntersEditMode()
{
    NumberIndicatorEditor editor;
    editor.setRange(ValueRanges::mtzPickupCurrent);
    QSignalSpy selected(&editor, &NumberIndicatorEditor::selectedValueChanged);

    editor.setValue({ 3.21, NoData });
    editor.setEditMode(true);
    QCOMPARE(editor.selectedValue(), (DoubleValue { 1, Valid }));

    editor.setEditMode(false);
    editor.setValue({ 3.21, Outdated });
    editor.setEditMode(true);
    QCOMPARE(editor.selectedValue(), (DoubleValue { 3.21, Valid }));
    QCOMPARE(selected.count(), 1);

    // Loading the same value again changes nothing, so nothing is announced.
    editor.setEditMode(false);
    editor.setEditMode(true);
    QCOMPARE(selected.count(), 1);

    // Values arriving in edit mode reach the indicator, not the user's choice.
    editor.setValue({ 2.5, Valid });
    QCOMPARE(editor.value(), (DoubleValue { 2.5, Valid }));
    QCOMPARE(editor.selectedValue(), (DoubleValue { 3.21, Valid }));
}

void TestIndicators::numberEditorRangeKeepsFinePrecision()
{
    // From a whole-number range to a hundredths range: the limits must not be
    // rounded to the old precision.
    NumberIndicatorEditor editor;
    editor.setRange(ValueRanges::currentTransFactor);
    editor.setRange(ValueRanges::toReactionDelay);
    const ValueRange range = editor.range();
    QCOMPARE(range.minimum, 0.05);
    QCOMPARE(range.maximum, 0.2);
    QCOMPARE(range.step, 0.01);
    QCOMPARE(range.decimals, 2);
    QCOMPARE(editor.decimals(), 2);

    editor.setSuffix(QStringLiteral(" s"));
    editor.setValue({ 0.1, Valid });
    QCOMPARE(editor.findChild<NumberIndicator *>()->text(), QStringLiteral("0.10 s"));
    QCOMPARE(editor.findChild<QDoubleSpinBox *>()->suffix(), QStringLiteral(" s"));
}

void TestIndicators::enumEditorEntersEditMode()
{
    EnumIndicatorEditor editor;
    editor.addItem(0, QStringLiteral("continuously"));
    editor.addItem(20, QStringLiteral("2 sec"));
    QSignalSpy selected(&editor, &EnumIndicatorEditor::selectedValueChanged);

    editor.setValue({ 20, Valid });
    editor.setEditMode(true);
    QCOMPARE(editor.selectedValue(), (DataValue { 20, Valid }));
    QCOMPARE(selected.count(), 1);

    editor.setEditMode(false);
    editor.setValue({ 20, NoData });
    editor.setEditMode(true);
    QCOMPARE(editor.selectedValue(), (DataValue { 0, Valid }));
    QCOMPARE(selected.count(), 2);

    // A code the editor does not offer leaves nothing chosen.
    editor.setEditMode(false);
    editor.setValue({ 5, Valid });
    editor.setEditMode(true);
    QCOMPARE(editor.selectedValue().status, NoData);
    QCOMPARE(editor.findChild<QComboBox *>()->currentIndex(), -1);
}

void TestIndicators::editModeSwitchesPages()
{
    TwoPageEditor editor;
    QVERIFY(!editor.isEditMode());
    QCOMPARE(currentPage(&editor), editor.indicator);

    editor.setEditMode(true);
    editor.setEditMode(true);
    QVERIFY(editor.isEditMode());
    QCOMPARE(currentPage(&editor), editor.editor);
    editor.setEditMode(false);
    QCOMPARE(currentPage(&editor), editor.indicator);
    QCOMPARE(editor.changes, (QVector<bool> { true, false }));

    // A page deleted behind the editor's back is simply gone.
    delete editor.editor;
    editor.setEditMode(true);
    QVERIFY(editor.isEditMode());
    QCOMPARE(currentPage(&editor), editor.indicator);
    QCOMPARE(editor.changes, (QVector<bool> { true, false, true }));

    // New pages replace the old ones.
    auto *indicator = new QLabel(&editor);
    auto *input = new QLabel(&editor);
    editor.replacePages(indicator, input);
    QCOMPARE(editor.layout()->count(), 2);
    editor.setEditMode(false);
    QCOMPARE(currentPage(&editor), indicator);
    editor.setEditMode(true);
    QCOMPARE(currentPage(&editor), input);
}

void TestIndicators::labelValue_data()
{
    QTest::addColumn<DataStatus>("status");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("undefinedText");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("styleSheet");

    QTest::newRow("no data") << NoData << true << QString() << "-" << UtilityBlack;
    QTest::newRow("no data, own undefined text")
        << NoData << true << QStringLiteral("none") << "none" << UtilityBlack;
    QTest::newRow("no data on a disabled label")
        << NoData << false << QString() << "-" << UtilityBlack;
    QTest::newRow("valid") << Valid << true << QString() << "new" << UtilityBlack;
    QTest::newRow("outdated") << Outdated << true << QString() << "new" << UtilityRed;
    QTest::newRow("valid on a disabled label")
        << Valid << false << QString() << "old" << UtilityBlack;
    QTest::newRow("outdated on a disabled label")
        << Outdated << false << QString() << "old" << UtilityRed;
}

void TestIndicators::labelValue()
{
    QFETCH(DataStatus, status);
    QFETCH(bool, enabled);
    QFETCH(QString, undefinedText);
    QFETCH(QString, text);
    QFETCH(QString, styleSheet);

    QLabel label(QStringLiteral("old"));
    label.setEnabled(enabled);
    setLabelValue(&label, status, QStringLiteral("new"), undefinedText);
    QCOMPARE(label.text(), text);
    QCOMPARE(label.styleSheet(), styleSheet);
}

void TestIndicators::checkValue_data()
{
    QTest::addColumn<DataStatus>("status");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("styleSheet");

    QTest::newRow("no data unchecks") << NoData << true << false << UtilityBlack;
    QTest::newRow("no data unchecks a disabled box") << NoData << false << false << UtilityBlack;
    QTest::newRow("valid") << Valid << true << true << UtilityBlack;
    QTest::newRow("outdated") << Outdated << true << true << UtilityRed;
    QTest::newRow("disabled keeps its state") << Outdated << false << false << UtilityRed;
}

void TestIndicators::checkValue()
{
    QFETCH(DataStatus, status);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    QFETCH(QString, styleSheet);

    QCheckBox checkBox;
    checkBox.setChecked(status == NoData);
    checkBox.setEnabled(enabled);
    setCheckValue(&checkBox, status, true);
    QCOMPARE(checkBox.isChecked(), checked);
    QCOMPARE(checkBox.styleSheet(), styleSheet);
}

void TestIndicators::inputEventFilter_data()
{
    QTest::addColumn<QSharedPointer<QEvent>>("event");
    QTest::addColumn<bool>("swallowed");

    const QPointF origin(1, 1);
    QTest::newRow("key press") << QSharedPointer<QEvent>(
        new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier))
                               << true;
    QTest::newRow("mouse press") << QSharedPointer<QEvent>(new QMouseEvent(
        QEvent::MouseButtonPress, origin, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier))
                                 << true;
    QTest::newRow("wheel") << QSharedPointer<QEvent>(new QWheelEvent(origin, origin, QPoint(),
        QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false))
                           << true;
    QTest::newRow("context menu") << QSharedPointer<QEvent>(
        new QContextMenuEvent(QContextMenuEvent::Mouse, QPoint(1, 1)))
                                  << true;
    QTest::newRow("paint") << QSharedPointer<QEvent>(new QEvent(QEvent::Paint)) << false;
    QTest::newRow("enabled change")
        << QSharedPointer<QEvent>(new QEvent(QEvent::EnabledChange)) << false;
    QTest::newRow("focus in") << QSharedPointer<QEvent>(new QFocusEvent(QEvent::FocusIn)) << false;
}

void TestIndicators::inputEventFilter()
{
    QFETCH(QSharedPointer<QEvent>, event);
    QFETCH(bool, swallowed);

    InputEventFilter filter;
    QCOMPARE(filter.eventFilter(nullptr, event.data()), swallowed);
}

QTEST_MAIN(TestIndicators)

#include "tst_indicators.moc"
