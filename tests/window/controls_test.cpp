// The lists and the entry boxes at work: unit captions that follow the lists,
// and the key filter of the three entry boxes, driven with real key events.
#include "window_test_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

using humitrax::Psychrometric;
using humitrax::testing::Choose;
using humitrax::testing::Find;
using humitrax::testing::RecordingToolkit;
using humitrax::testing::ShowActive;

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void unitCaptions_data();
    void unitCaptions();
    void leavingAListUpdatesAgain_data();
    void leavingAListUpdatesAgain();
    void typedCharacters_data();
    void typedCharacters();
    void controlCharacters_data();
    void controlCharacters();
    void editingKeys_data();
    void editingKeys();
    void pasteIsNotFiltered_data();
    void pasteIsNotFiltered();
};

void ControlsTest::unitCaptions_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    QTest::newRow("altitude gives m") << "barocond" << QList<int>{1} << "unit" << "second" << "m";
    QTest::newRow("pressure again gives kPa") << "barocond" << QList<int>{1, 0} << "unit" << "second" << "kPa";
    QTest::newRow("dew point keeps degrees") << "thirdcond" << QList<int>{1} << "Label1" << "Text1"
                                             << "\u00B0C";
    QTest::newRow("relative humidity gives %") << "thirdcond" << QList<int>{2} << "Label1" << "Text1" << "%";
    QTest::newRow("humidity ratio gives -") << "thirdcond" << QList<int>{3} << "Label1" << "Text1" << "-";
    QTest::newRow("wet bulb again gives degrees") << "thirdcond" << QList<int>{3, 0} << "Label1" << "Text1"
                                                  << "\u00B0C";
}

void ControlsTest::unitCaptions()
{
    QFETCH(QString, list);
    QFETCH(QList<int>, choices);
    QFETCH(QString, caption);
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& box = Find<QLineEdit>(window, qPrintable(entry));
    QTest::keyClicks(&box, QStringLiteral("123.5"));
    for (const int index : choices)
        Choose(Find<QComboBox>(window, qPrintable(list)), index);
    QCOMPARE(Find<QLabel>(window, qPrintable(caption)).text(), expected);
    // The value typed beside the list is neither cleared nor converted.
    QCOMPARE(box.text(), QStringLiteral("123.5"));
}

void ControlsTest::leavingAListUpdatesAgain_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("expected");
    QTest::newRow("barocond") << "barocond" << "unit" << "second" << "kPa";
    QTest::newRow("thirdcond") << "thirdcond" << "Label1" << "Text1" << "\u00B0C";
}

void ControlsTest::leavingAListUpdatesAgain()
{
    QFETCH(QString, list);
    QFETCH(QString, caption);
    QFETCH(QString, next);
    QFETCH(QString, expected);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& control = Find<QComboBox>(window, qPrintable(list));
    control.setFocus();
    // A caption out of step shows that leaving the list sets it again.
    Find<QLabel>(window, qPrintable(caption)).setText(QStringLiteral("?"));
    QTest::keyClick(&control, Qt::Key_Tab);
    QCOMPARE(Find<QLabel>(window, qPrintable(caption)).text(), expected);
    // and the focus moves on.
    QCOMPARE(QApplication::focusWidget()->objectName(), next);
}

void ControlsTest::typedCharacters_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("second takes 25.5") << "second" << "25.5" << "25.5";
    QTest::newRow("Text1 takes 25.5") << "Text1" << "25.5" << "25.5";
    QTest::newRow("DBT stops at 3 characters") << "DBT" << "25.5" << "25.";
    QTest::newRow("second stops at 7 characters") << "second" << "101.3251" << "101.325";
    QTest::newRow("Text1 stops at 7 characters") << "Text1" << "12345678" << "1234567";
    QTest::newRow("all the digits") << "second" << "0123456789" << "0123456";
    QTest::newRow("minus refused") << "DBT" << "-5" << "5";
    QTest::newRow("plus refused") << "second" << "+5" << "5";
    QTest::newRow("comma refused") << "Text1" << "1,5" << "15";
    QTest::newRow("letter e refused") << "second" << "1e3" << "13";
    QTest::newRow("space refused") << "Text1" << "1 5" << "15";
    QTest::newRow("letters refused") << "DBT" << "abc" << "";
    QTest::newRow("refused keys leave room under the limit") << "DBT" << "1-2-3-4" << "123";
}

void ControlsTest::typedCharacters()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& entry = Find<QLineEdit>(window, qPrintable(box));
    entry.setFocus();
    QTest::keyClicks(&entry, typed);
    QCOMPARE(entry.text(), expected);
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
    // text they paste is not filtered.
    QTest::newRow("escape refused") << int(Qt::Key_Escape) << int(Qt::NoModifier) << "\x1b" << "12";
    QTest::newRow("ctrl+v pastes") << int(Qt::Key_V) << int(Qt::ControlModifier) << "\x16" << "125";
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
    QGuiApplication::clipboard()->setText(QStringLiteral("5"));
    if (key == Qt::Key_X)
        QTest::keyClick(&entry, Qt::Key_A, Qt::ControlModifier);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), character);
    QApplication::sendEvent(&entry, &press);
    QCOMPARE(entry.text(), expected);
    QVERIFY(toolkit.criticals.isEmpty());
    QVERIFY(window.isVisible());
}

void ControlsTest::editingKeys_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("cursor");
    // Each row starts from "123" typed, the cursor at the end.
    QTest::newRow("backspace deletes") << "second" << QList<int>{Qt::Key_Backspace} << "12" << 2;
    QTest::newRow("left then backspace") << "Text1" << QList<int>{Qt::Key_Left, Qt::Key_Left, Qt::Key_Backspace}
                                         << "23" << 0;
    QTest::newRow("home then delete") << "DBT" << QList<int>{Qt::Key_Home, Qt::Key_Delete} << "23" << 0;
    QTest::newRow("home, right, then a digit") << "second" << QList<int>{Qt::Key_Home, Qt::Key_Right, Qt::Key_9}
                                               << "1923" << 2;
    QTest::newRow("end after home") << "Text1" << QList<int>{Qt::Key_Home, Qt::Key_End} << "123" << 3;
    QTest::newRow("a refused key moves nothing") << "Text1" << QList<int>{Qt::Key_Left, Qt::Key_Minus}
                                                 << "123" << 2;
}

void ControlsTest::editingKeys()
{
    QFETCH(QString, box);
    QFETCH(QList<int>, keys);
    QFETCH(QString, expected);
    QFETCH(int, cursor);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& entry = Find<QLineEdit>(window, qPrintable(box));
    entry.setFocus();
    QTest::keyClicks(&entry, QStringLiteral("123"));
    for (const int key : keys)
        QTest::keyClick(&entry, Qt::Key(key));
    QCOMPARE(entry.text(), expected);
    QCOMPARE(entry.cursorPosition(), cursor);
}

void ControlsTest::pasteIsNotFiltered_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");
    QTest::newRow("second takes a sign and a comma") << "second" << "-1,5e3" << "-1,5e3";
    QTest::newRow("DBT still stops at 3 characters") << "DBT" << "-12,5" << "-12";
}

void ControlsTest::pasteIsNotFiltered()
{
    QFETCH(QString, box);
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& entry = Find<QLineEdit>(window, qPrintable(box));
    entry.setFocus();
    QGuiApplication::clipboard()->setText(clipboard);
    // The context menu's Paste, then the keyboard's Shift+Insert, which types
    // no character.
    entry.paste();
    QCOMPARE(entry.text(), expected);
    entry.clear();
    QTest::keyClick(&entry, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(entry.text(), expected);
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
