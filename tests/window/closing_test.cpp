// Leaving the window: every close request asks first, Escape closes nothing,
// and the support line hands its address to the browser.
#include "window_test_support.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace humitrax;
using namespace humitrax::testing;

namespace {

/// What a user sees of the window, to tell that nothing changed.
QStringList State(QWidget& window)
{
    return {Find<QLineEdit>(window, "DBT").text(),
            Find<QLineEdit>(window, "second").text(),
            Find<QLineEdit>(window, "Text1").text(),
            Find<QComboBox>(window, "barocond").currentText(),
            Find<QComboBox>(window, "thirdcond").currentText(),
            Find<QLabel>(window, "unit").text(),
            Find<QLabel>(window, "Label1").text(),
            Find<QLabel>(window, "Label2").text()};
}

} // namespace

Q_DECLARE_METATYPE(Answer)

class ClosingTest : public QObject {
    Q_OBJECT

private slots:
    void closeRequest_data();
    void closeRequest();
    void escapeClosesNothing();
    void supportLine();
};

void ClosingTest::closeRequest_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("open");
    // The window system's request, as the close box and Alt+F4 send it.
    QTest::newRow("close box, No") << Answer::No << true;
    QTest::newRow("close box, Yes") << Answer::Yes << false;
}

void ClosingTest::closeRequest()
{
    QFETCH(Answer, answer);
    QFETCH(bool, open);
    RecordingToolkit toolkit;
    toolkit.answer = answer;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    Fill(window, Entries{"0", 1, "1000", 3, "0.002"});
    PressEnter(window);
    const QStringList before = State(window);
    const auto request = [&window] { window.windowHandle()->close(); };

    if (open) {
        request();
    } else {
        // Yes ends the program: the event loop returns once its only window
        // has closed. (The second timer only keeps a broken build from hanging.)
        QTimer::singleShot(0, &window, request);
        QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
    }

    QCOMPARE(toolkit.questions, QStringList{QStringLiteral("Are you sure to quit?")});
    QCOMPARE(toolkit.owners.last(), &window);
    QCOMPARE(window.isVisible(), open);
    QCOMPARE(State(window), before);
    if (open) {
        // Every further request asks again.
        request();
        QCOMPARE(toolkit.questions.size(), 2);
        QVERIFY(window.isVisible());
    }
}

void ClosingTest::escapeClosesNothing()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    Fill(window, Entries{"20", 0, "101.325", 2, "50"});
    const QStringList before = State(window);
    for (const char* name : {"DBT", "barocond", "second", "thirdcond", "Text1", "calculate"}) {
        auto& control = Find<QWidget>(window, name);
        control.setFocus();
        QTest::keyClick(&control, Qt::Key_Escape);
        QVERIFY2(window.isVisible() && toolkit.questions.isEmpty() && toolkit.criticals.isEmpty(), name);
        QCOMPARE(State(window), before);
    }
}

void ClosingTest::supportLine()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    QTest::mouseClick(&Find<QLabel>(window, "Label3"), Qt::LeftButton);

    QCOMPARE(toolkit.opened.size(), 1);
    QCOMPARE(toolkit.owners, QList<QWidget*>{&window});
    const QString address = toolkit.opened.first().toString();
    QVERIFY2(QRegularExpression(QStringLiteral("^http://[^/]+/forums/viewforum\\.php\\?f=23&sid=[0-9a-f]{32}$"))
                 .match(address)
                 .hasMatch(),
             qPrintable(address));
}

QTEST_MAIN(ClosingTest)
#include "closing_test.moc"
