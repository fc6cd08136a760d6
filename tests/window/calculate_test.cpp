// Pressing Calculate: by Enter from any control and by Alt+C, exactly once;
// a calculation fills the results area; a failed one shows its message
// through the toolkit and leaves the results area as it was.
#include "window_test_support.h"

#include "driver.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using humitrax::Psychrometric;
using humitrax::testing::Entries;
using humitrax::testing::Fill;
using humitrax::testing::Find;
using humitrax::testing::PressEnter;
using humitrax::testing::RecordingToolkit;
using humitrax::testing::ShowActive;

namespace {

const QString kNotice = QStringLiteral("Copyright \u00A9 Humitrax. All rights reserved.");

QString Message(std::string_view message)
{
    return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

/// What the driver makes of the entries, called directly.
QString DriverReport(const Entries& entries)
{
    humitrax::CalculationRequest request;
    request.dryBulb = entries.dryBulb.toStdString();
    request.second = entries.second.toStdString();
    request.third = entries.third.toStdString();
    request.barocond = static_cast<std::int16_t>(entries.barocond);
    request.thirdcond = static_cast<std::int16_t>(entries.thirdcond);
    const humitrax::CalculationOutcome outcome = humitrax::Calculate(request, {});
    return outcome.succeeded ? QString::fromStdString(outcome.text) : QString();
}

const Entries kWorkedExample{QStringLiteral("0"), 0, QStringLiteral("101.325"), 2, QStringLiteral("50")};

} // namespace

class CalculateTest : public QObject {
    Q_OBJECT

private slots:
    void enterPressesOnce_data();
    void enterPressesOnce();
    void altCPressesOnce_data();
    void altCPressesOnce();
    void workedExample();
    void reportOfEachChoice_data();
    void reportOfEachChoice();
    void messages_data();
    void messages();
    void failureKeepsTheNotice();
};

void CalculateTest::enterPressesOnce_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    for (const char* name : {"DBT", "second", "Text1", "barocond", "thirdcond", "calculate"}) {
        QTest::addRow("Return in %s", name) << QString::fromLatin1(name) << int(Qt::Key_Return);
        QTest::addRow("keypad Enter in %s", name) << QString::fromLatin1(name) << int(Qt::Key_Enter);
    }
}

void CalculateTest::enterPressesOnce()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& control = Find<QWidget>(window, qPrintable(focus));
    control.setFocus();
    QCOMPARE(QApplication::focusWidget(), &control);
    // The entries are empty, so each press ends in one message.
    QTest::keyClick(&control, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(toolkit.criticals, QStringList{Message(humitrax::messages::kEmptyEntry)});
}

void CalculateTest::altCPressesOnce_data()
{
    QTest::addColumn<QString>("focus");
    for (const char* name : {"DBT", "barocond", "second", "thirdcond", "Text1", "calculate"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void CalculateTest::altCPressesOnce()
{
    QFETCH(QString, focus);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& control = Find<QWidget>(window, qPrintable(focus));
    control.setFocus();
    auto& calculate = Find<QPushButton>(window, "calculate");
    QTest::keyClick(&control, Qt::Key_C, Qt::AltModifier);
    // The access key animates the button, then clicks it.
    QTRY_COMPARE(toolkit.criticals.size(), 1);
    QTRY_VERIFY(!calculate.isDown());
    QCOMPARE(toolkit.criticals, QStringList{Message(humitrax::messages::kEmptyEntry)});
    // The C itself is not typed anywhere.
    for (const char* name : {"DBT", "second", "Text1"})
        QCOMPARE(Find<QLineEdit>(window, name).text(), QString());
}

void CalculateTest::workedExample()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    Fill(window, kWorkedExample);
    PressEnter(window);
    QVERIFY(toolkit.criticals.isEmpty());
    QCOMPARE(Find<QLabel>(window, "Label2").text(),
             QStringLiteral("As per Humitrax\u00AE\r\n"
                            "_______________________\r\n"
                            "Dry Bulb Temperature: 0 \u00B0C\r\n"
                            "Barometric Pressure: 101.325 kPa\r\n"
                            "Wet Bulb Temperature: -2.8 \u00B0C\r\n"
                            "Dew Point Temperature: -9.4 \u00B0C\r\n"
                            "Relative Humidity: 50 %\r\n"
                            " Absolute Humidity: 0.0019 mass ratio\r\n"
                            " Enthalpy: 4.71 kJ/kg\r\n"
                            " Specific Volume: 0.78 cu.m/kg"));
}

void CalculateTest::reportOfEachChoice_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("line4");
    QTest::newRow("wet bulb") << Entries{"25", 0, "101.325", 0, "18"} << "Barometric Pressure: 101.325 kPa";
    QTest::newRow("dew point") << Entries{"25", 0, "95", 1, "12.5"} << "Barometric Pressure: 95 kPa";
    QTest::newRow("relative humidity") << Entries{"30", 0, "100", 2, "65"} << "Barometric Pressure: 100 kPa";
    QTest::newRow("humidity ratio") << Entries{"20", 0, "101.325", 3, "0.008"}
                                    << "Barometric Pressure: 101.325 kPa";
    // About 89.9 kPa at 1000 m: the pressure, not the altitude.
    QTest::newRow("altitude") << Entries{"0", 1, "1000", 2, "50"} << "Barometric Pressure: 89.";
}

void CalculateTest::reportOfEachChoice()
{
    QFETCH(Entries, entries);
    QFETCH(QString, line4);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    Fill(window, entries);
    PressEnter(window);
    QVERIFY2(toolkit.criticals.isEmpty(), qPrintable(toolkit.criticals.join(QLatin1Char('|'))));
    const QString report = Find<QLabel>(window, "Label2").text();
    // The window hands the driver its entries and the lists' choices as they are.
    QCOMPARE(report, DriverReport(entries));
    const QStringList lines = report.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 10);
    QVERIFY2(lines.at(3).startsWith(line4), qPrintable(lines.at(3)));
    QVERIFY2(lines.at(3).endsWith(QStringLiteral(" kPa")), qPrintable(lines.at(3)));
}

void CalculateTest::messages_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("message");
    const QString empty = Message(humitrax::messages::kEmptyEntry);
    const QString range = Message(humitrax::messages::kOutOfRange);
    const QString check = Message(humitrax::messages::kCheckValues);
    QTest::newRow("empty dry bulb") << Entries{"", 0, "101.325", 2, "50"} << empty;
    QTest::newRow("empty pressure") << Entries{"20", 0, "", 2, "50"} << empty;
    QTest::newRow("empty third condition") << Entries{"52", 0, "200", 2, ""} << empty;
    QTest::newRow("dry bulb over 51") << Entries{"52", 0, "101.325", 2, "50"} << range;
    QTest::newRow("altitude over 5000 m") << Entries{"20", 1, "5001", 2, "50"} << range;
    QTest::newRow("wet bulb above the dry bulb") << Entries{"20", 0, "101.325", 0, "21"} << range;
    QTest::newRow("a lone point") << Entries{"20", 0, "101.325", 2, "."} << check;
    QTest::newRow("humidity ratio beyond saturation") << Entries{"25", 0, "101.325", 3, "0.03"} << check;
}

void CalculateTest::messages()
{
    QFETCH(Entries, entries);
    QFETCH(QString, message);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    Fill(window, kWorkedExample);
    PressEnter(window);
    auto& results = Find<QLabel>(window, "Label2");
    const QString report = results.text();
    QVERIFY(report.startsWith(QStringLiteral("As per")));

    Fill(window, entries);
    PressEnter(window);
    QCOMPARE(toolkit.criticals, QStringList{message});
    QCOMPARE(toolkit.owners, QList<QWidget*>{&window});
    QCOMPARE(results.text(), report);
}

void CalculateTest::failureKeepsTheNotice()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    Fill(window, Entries{"52", 0, "101.325", 2, "50"});
    PressEnter(window);
    QCOMPARE(toolkit.criticals, QStringList{Message(humitrax::messages::kOutOfRange)});
    QCOMPARE(Find<QLabel>(window, "Label2").text(), kNotice);
}

QTEST_MAIN(CalculateTest)
#include "calculate_test.moc"
