// Under a locale that writes a decimal comma (run with LC_ALL=de_DE.UTF-8):
// the point typed in the boxes still reads as the decimal separator, and the
// report writes the locale's comma.
#include "window_test_support.h"

#include <QLabel>
#include <QLocale>
#include <QTest>

using namespace humitrax;
using namespace humitrax::testing;

class CommaLocaleTest : public QObject {
    Q_OBJECT

private slots:
    void reportWritesTheComma();
};

void CommaLocaleTest::reportWritesTheComma()
{
    QCOMPARE(QLocale::system().decimalPoint(), QStringLiteral(","));
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    Fill(window, Entries{"0", 0, "101.325", 2, "50"});
    PressEnter(window);
    QVERIFY(toolkit.criticals.isEmpty());
    const QStringList lines = Find<QLabel>(window, "Label2").text().split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines.at(3), QStringLiteral("Barometric Pressure: 101,325 kPa"));
    QCOMPARE(lines.at(9), QStringLiteral(" Specific Volume: 0,78 cu.m/kg"));
}

QTEST_MAIN(CommaLocaleTest)
#include "comma_locale_test.moc"
