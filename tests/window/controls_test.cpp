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

namespace {

/// A key press as the platform reports it, with the character it carries.
struct Key {
    int key = 0;
    int modifiers = 0;
    QString text;
};

} // namespace

Q_DECLARE_METATYPE(QList<Key>)

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void unitCaptions_data();
    void unitCaptions();
    void typedKeys_data();
    void typedKeys();
};

void ControlsTest::unitCaptions_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("choice"); ///< -1: leave the list with Tab
    QTest::addColumn<QString>("expected");
    QTest::newRow("altitude gives m") << "barocond" << 1 << "m";
    QTest::newRow("relative humidity gives %") << "thirdcond" << 2 << "%";
    QTest::newRow("humidity ratio gives -") << "thirdcond" << 3 << "-";
    // A caption out of step shows that leaving a list sets it again.
    QTest::newRow("leaving barocond") << "barocond" << -1 << "kPa";
    QTest::newRow("leaving thirdcond") << "thirdcond" << -1 << "\u00B0C";
}

void ControlsTest::unitCaptions()
{
    QFETCH(QString, list);
    QFETCH(int, choice);
    QFETCH(QString, expected);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    const bool pressure = list == QLatin1String("barocond");
    auto& control = Find<QComboBox>(window, qPrintable(list));
    auto& caption = Find<QLabel>(window, pressure ? "unit" : "Label1");
    auto& box = Find<QLineEdit>(window, pressure ? "second" : "Text1");
    QTest::keyClicks(&box, QStringLiteral("123.5"));
    if (choice >= 0) {
        Choose(control, choice);
    } else {
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
    QTest::addColumn<QList<Key>>("keys"); ///< pressed after the typed text
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("cursor"); ///< -1: at the end
    const QList<Key> none;
    // Between them every digit, and the point in each box.
    QTest::newRow("DBT refuses minus, stops at 3") << "DBT" << "-25.5" << none << "25." << -1;
    QTest::newRow("second refuses e, stops at 7") << "second" << "1e01.3251" << none << "101.325" << -1;
    QTest::newRow("Text1 refuses comma, stops at 7") << "Text1" << "9,876.543" << none << "9876.54" << -1;
    // The editing keys work.
    QTest::newRow("backspace deletes") << "second" << "123" << QList<Key>{{Qt::Key_Backspace, 0, "\b"}} << "12" << -1;
    QTest::newRow("a refused key moves nothing")
        << "Text1" << "123" << QList<Key>{{Qt::Key_Left, 0, ""}, {Qt::Key_Minus, 0, "-"}} << "123" << 2;
    // As X11 reports them: Ctrl+V comes with character 22. The editing
    // shortcuts are commands, not refused characters, and the text they paste
    // ("-1,5e") is not filtered.
    const int control = Qt::ControlModifier;
    QTest::newRow("ctrl+v pastes") << "second" << "12" << QList<Key>{{Qt::Key_V, control, "\x16"}} << "12-1,5e" << -1;
    QTest::newRow("ctrl+a then ctrl+x cuts")
        << "second" << "12" << QList<Key>{{Qt::Key_A, control, "\x01"}, {Qt::Key_X, control, "\x18"}} << "" << -1;
}

void ControlsTest::typedKeys()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QList<Key>, keys);
    QFETCH(QString, expected);
    QFETCH(int, cursor);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    auto& entry = Find<QLineEdit>(window, qPrintable(box));
    entry.setFocus();
    QTest::keyClicks(&entry, typed);
    QGuiApplication::clipboard()->setText(QStringLiteral("-1,5e"));
    for (const Key& key : keys) {
        QKeyEvent press(QEvent::KeyPress, key.key, Qt::KeyboardModifiers(key.modifiers), key.text);
        QApplication::sendEvent(&entry, &press);
    }
    QCOMPARE(entry.text(), expected);
    QCOMPARE(entry.cursorPosition(), cursor < 0 ? static_cast<int>(expected.size()) : cursor);
    QVERIFY(toolkit.criticals.isEmpty()); // refused without a message
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
