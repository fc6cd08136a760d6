// The lists and the entry boxes at work: unit captions that follow the lists,
// and the key filter of the three entry boxes, driven with real key events.
#include "window_test_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

using namespace humitrax;
using namespace humitrax::testing;

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void unitCaptions_data();
    void unitCaptions();
    void typedKeys_data();
    void typedKeys();
    void controlCharacters_data();
    void controlCharacters();
};

void ControlsTest::unitCaptions_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QList<int>>("choices"); ///< -1: leave the list with Tab
    QTest::addColumn<QString>("expected");
    QTest::newRow("altitude gives m") << "barocond" << QList<int>{1} << "m";
    QTest::newRow("dew point keeps degrees") << "thirdcond" << QList<int>{1} << "\u00B0C";
    QTest::newRow("relative humidity gives %") << "thirdcond" << QList<int>{2} << "%";
    QTest::newRow("humidity ratio gives -") << "thirdcond" << QList<int>{3} << "-";
    // A caption out of step shows that leaving a list sets it again.
    QTest::newRow("leaving barocond") << "barocond" << QList<int>{-1} << "kPa";
    QTest::newRow("leaving thirdcond") << "thirdcond" << QList<int>{-1} << "\u00B0C";
}

void ControlsTest::unitCaptions()
{
    QFETCH(QString, list);
    QFETCH(QList<int>, choices);
    QFETCH(QString, expected);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    const bool pressure = list == QLatin1String("barocond");
    auto& control = Find<QComboBox>(window, qPrintable(list));
    auto& caption = Find<QLabel>(window, pressure ? "unit" : "Label1");
    auto& box = Find<QLineEdit>(window, pressure ? "second" : "Text1");
    QTest::keyClicks(&box, QStringLiteral("123.5"));
    for (const int index : choices) {
        if (index >= 0) {
            Choose(control, index);
            continue;
        }
        control.setFocus();
        caption.setText(QStringLiteral("?"));
        QTest::keyClick(&control, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), &box); // and the focus moves on
    }
    QCOMPARE(caption.text(), expected);
    // The value typed beside the list is neither cleared nor converted.
    QCOMPARE(box.text(), QStringLiteral("123.5"));
}

void ControlsTest::typedKeys_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("keys"); ///< pressed after the typed text
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("cursor"); ///< -1: at the end
    const QList<int> none;
    QTest::newRow("DBT stops at 3 characters") << "DBT" << "25.5" << none << "25." << -1;
    QTest::newRow("second stops at 7 characters") << "second" << "101.3251" << none << "101.325" << -1;
    QTest::newRow("all the digits") << "second" << "0123456789" << none << "0123456" << -1;
    QTest::newRow("minus refused") << "DBT" << "-5" << none << "5" << -1;
    QTest::newRow("comma refused") << "Text1" << "1,5" << none << "15" << -1;
    QTest::newRow("letter e refused") << "second" << "1e3" << none << "13" << -1;
    // The editing keys work.
    QTest::newRow("backspace deletes") << "second" << "123" << QList<int>{Qt::Key_Backspace} << "12" << -1;
    QTest::newRow("a refused key moves nothing")
        << "Text1" << "123" << QList<int>{Qt::Key_Left, Qt::Key_Minus} << "123" << 2;
}

void ControlsTest::typedKeys()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QList<int>, keys);
    QFETCH(QString, expected);
    QFETCH(int, cursor);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& entry = Find<QLineEdit>(window, qPrintable(box));
    entry.setFocus();
    QTest::keyClicks(&entry, typed);
    for (const int key : keys)
        QTest::keyClick(&entry, Qt::Key(key));
    QCOMPARE(entry.text(), expected);
    QCOMPARE(entry.cursorPosition(), cursor < 0 ? static_cast<int>(expected.size()) : cursor);
    QVERIFY(toolkit.criticals.isEmpty()); // refused without a message
}

void ControlsTest::controlCharacters_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("expected");
    // As X11 reports them: Ctrl+V comes with character 22. Escape is a refused
    // control character; the editing shortcuts are commands and work, and the
    // text they paste, even with Shift+Insert that types nothing, is not filtered.
    QTest::newRow("escape refused") << int(Qt::Key_Escape) << int(Qt::NoModifier) << "\x1b" << "12";
    QTest::newRow("ctrl+v pastes") << int(Qt::Key_V) << int(Qt::ControlModifier) << "\x16" << "12-1,5e";
    QTest::newRow("shift+insert pastes") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << "" << "12-1,5e";
    QTest::newRow("ctrl+a then ctrl+x cuts") << int(Qt::Key_X) << int(Qt::ControlModifier) << "\x18" << "";
}

void ControlsTest::controlCharacters()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, character);
    QFETCH(QString, expected);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& entry = Find<QLineEdit>(window, "second");
    entry.setFocus();
    QTest::keyClicks(&entry, QStringLiteral("12"));
    QGuiApplication::clipboard()->setText(QStringLiteral("-1,5e"));
    if (key == Qt::Key_X)
        QTest::keyClick(&entry, Qt::Key_A, Qt::ControlModifier);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), character);
    QApplication::sendEvent(&entry, &press);
    QCOMPARE(entry.text(), expected);
    QVERIFY(toolkit.criticals.isEmpty());
    QVERIFY(window.isVisible());
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
