// File: window_test_support.h
// What the window tests share: a toolkit that records instead of showing
// boxes or opening a browser, and a few steps a user takes at the window.
#pragma once

#include "psychrometric.h"
#include "toolkit_seam.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QStringList>
#include <QTest>
#include <QUrl>
#include <QWidget>

namespace humitrax::testing {

/// Records every message, question and address and whom it was for; answers
/// questions with `answer`.
class RecordingToolkit final : public ToolkitSeam {
public:
    void showCritical(QWidget* owner, const QString& text) override { owners << owner; criticals << text; }
    Answer askYesNo(QWidget* owner, const QString& text) override
    {
        owners << owner;
        questions << text;
        return answer;
    }
    void openUrl(QWidget* owner, const QUrl& address) override { owners << owner; opened << address; }

    Answer answer = Answer::Yes;
    QStringList criticals;
    QStringList questions;
    QList<QUrl> opened;
    QList<QWidget*> owners;
};

/// The window's control named `name`; stops the test run if there is none.
template <typename Control>
Control& Find(QWidget& window, const char* name)
{
    auto* control = window.findChild<Control*>(QString::fromLatin1(name));
    if (control == nullptr)
        qFatal("the window has no %s named %s", Control::staticMetaObject.className(), name);
    return *control;
}

/// Shows the window and waits until it has the keyboard.
inline bool ShowActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

/// Empties an entry box and types `text` into it, key by key.
inline void Type(QLineEdit& box, const QString& text)
{
    box.setFocus();
    box.selectAll();
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClicks(&box, text);
}

/// Picks the list entry `index` with the keyboard, as a user would.
inline void Choose(QComboBox& list, int index)
{
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(&list, Qt::Key_Down);
}

/// The entries of one press of Calculate.
struct Entries {
    QString dryBulb;
    int barocond = 0;
    QString second;
    int thirdcond = 0;
    QString third;
};

/// Fills the window's entries from the keyboard.
inline void Fill(QWidget& window, const Entries& entries)
{
    Type(Find<QLineEdit>(window, "DBT"), entries.dryBulb);
    Choose(Find<QComboBox>(window, "barocond"), entries.barocond);
    Type(Find<QLineEdit>(window, "second"), entries.second);
    Choose(Find<QComboBox>(window, "thirdcond"), entries.thirdcond);
    Type(Find<QLineEdit>(window, "Text1"), entries.third);
}

/// Presses Enter in the third entry box.
inline void PressEnter(QWidget& window)
{
    auto& box = Find<QLineEdit>(window, "Text1");
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Return);
}

} // namespace humitrax::testing

Q_DECLARE_METATYPE(humitrax::testing::Entries)
