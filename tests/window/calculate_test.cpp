// Pressing Calculate: by Enter from each kind of control and by Alt+C, exactly once; the
// window shows all of the driver's report, and a failed press its message
// through the toolkit, leaving the results area as it was.
#include "window_test_support.h"

#include "driver.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace humitrax;
using namespace humitrax::testing;

namespace {

QString Message(std::string_view message)
{
    return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

/// What the driver makes of the entries, called directly.
QString DriverReport(const Entries& e)
{
    const CalculationOutcome outcome =
        Calculate({e.dryBulb.toStdString(), e.second.toStdString(), e.third.toStdString(),
                   static_cast<std::int16_t>(e.barocond), static_cast<std::int16_t>(e.thirdcond)},
                  {});
    return outcome.succeeded ? QString::fromStdString(outcome.text) : QString();
}

} // namespace

class CalculateTest : public QObject {
    Q_OBJECT

private slots:
    void pressesOnce_data();
    void pressesOnce();
    void shows_data();
    void shows();
};

void CalculateTest::pressesOnce_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    // An entry box, a list and the button: each kind passes Enter on its own way.
    for (const char* name : {"DBT", "barocond", "calculate"}) {
        const QString focus = QString::fromLatin1(name);
        QTest::addRow("Return in %s", name) << focus << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::addRow("keypad Enter in %s", name) << focus << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::addRow("Alt+C in %s", name) << focus << int(Qt::Key_C) << int(Qt::AltModifier);
    }
}

void CalculateTest::pressesOnce()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& control = Find<QWidget>(window, qPrintable(focus));
    control.setFocus();
    QCOMPARE(QApplication::focusWidget(), &control);
    // The entries are empty, so each press ends in one message. The access
    // key animates the button, then clicks it.
    QTest::keyClick(&control, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY(!toolkit.criticals.isEmpty() && !Find<QPushButton>(window, "calculate").isDown());
    QCOMPARE(toolkit.criticals, QStringList{Message("Check your values")});
    // The C itself is not typed anywhere.
    for (const char* name : {"DBT", "second", "Text1"})
        QCOMPARE(Find<QLineEdit>(window, name).text(), QString());
}

void CalculateTest::shows_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("message"); ///< none: the driver's report
    QTest::newRow("wet bulb") << Entries{"25", 0, "101.325", 0, "18"} << QString();
    QTest::newRow("dew point") << Entries{"25", 0, "95", 1, "12.5"} << QString();
    QTest::newRow("humidity ratio") << Entries{"20", 0, "101.325", 3, "0.008"} << QString();
    QTest::newRow("relative humidity at an altitude") << Entries{"0", 1, "1000", 2, "50"} << QString();
    // The point is the one separator the boxes take: it reaches the driver.
    QTest::newRow("a lone point") << Entries{"20", 0, "101.325", 2, "."} << Message("Check your values.");
}

void CalculateTest::shows()
{
    QFETCH(Entries, entries);
    QFETCH(QString, message);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& results = Find<QLabel>(window, "Label2");
    const QString before = results.text();
    Fill(window, entries);
    PressEnter(window);
    if (!message.isEmpty()) {
        // Over the window, and the results area stays as it was.
        QCOMPARE(toolkit.criticals, QStringList{message});
        QCOMPARE(toolkit.owners, QList<QWidget*>{&window});
        QCOMPARE(results.text(), before);
        return;
    }
    QVERIFY2(toolkit.criticals.isEmpty(), qPrintable(toolkit.criticals.join(QLatin1Char('|'))));
    QCOMPARE(results.text(), DriverReport(entries));
    QVERIFY(results.heightForWidth(results.width()) <= results.height()); // all ten lines show
}

QTEST_MAIN(CalculateTest)
#include "calculate_test.moc"
