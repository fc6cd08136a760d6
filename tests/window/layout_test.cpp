// The window as it opens: frame, controls, texts, fonts, colours, stacking,
// tab order and the names a screen reader reads.
#include "window_test_support.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

using humitrax::Psychrometric;
using humitrax::testing::Find;
using humitrax::testing::RecordingToolkit;
using humitrax::testing::ShowActive;

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void frame();
    void controls_data();
    void controls();
    void fonts_data();
    void fonts();
    void listEntries_data();
    void listEntries();
    void appearance();
    void pictureBeneathResults();
    void formLoad();
    void focusStartsInDryBulb();
    void tabOrder_data();
    void tabOrder();
    void accessibleNames_data();
    void accessibleNames();
    void listNames();
};

void LayoutTest::frame()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QCOMPARE(window.objectName(), QStringLiteral("psychrometric"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Humitrax"));
    // 6030 x 5655 twips at 6450, 3645: the client area, not the frame.
    QCOMPARE(window.geometry(), QRect(430, 243, 402, 377));
    QCOMPARE(window.minimumSize(), QSize(402, 377));
    QCOMPARE(window.maximumSize(), QSize(402, 377));
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(window.autoFillBackground());
    QCOMPARE(window.palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    const QList<QSize> iconSizes = window.windowIcon().availableSizes();
    for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)})
        QVERIFY2(iconSizes.contains(size), qPrintable(QStringLiteral("no %1 px icon").arg(size.width())));
}

void LayoutTest::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    // Pixels: the twips of the layout divided by 15, to the nearest pixel.
    const QString degrees = QStringLiteral("\u00B0C");
    QTest::newRow("drytemp") << "drytemp" << "QLabel" << QRect(35, 29, 153, 17) << "Dry bulb temperature:";
    QTest::newRow("DBT") << "DBT" << "QLineEdit" << QRect(208, 24, 129, 24) << "";
    QTest::newRow("barocond") << "barocond" << "QComboBox" << QRect(32, 56, 169, 24) << "Barometric pressure:";
    QTest::newRow("second") << "second" << "QLineEdit" << QRect(208, 56, 129, 24) << "";
    QTest::newRow("tempunit") << "tempunit" << "QLabel" << QRect(344, 32, 25, 17) << degrees;
    QTest::newRow("unit") << "unit" << "QLabel" << QRect(344, 59, 25, 17) << "kPa";
    QTest::newRow("thirdcond") << "thirdcond" << "QComboBox" << QRect(32, 88, 169, 24) << "Wet bulb temperature:";
    QTest::newRow("Text1") << "Text1" << "QLineEdit" << QRect(208, 88, 129, 24) << "";
    QTest::newRow("calculate") << "calculate" << "QPushButton" << QRect(24, 128, 353, 25)
                               << "&Calculate Psychrometric Properties";
    QTest::newRow("Label1") << "Label1" << "QLabel" << QRect(344, 91, 25, 17) << degrees;
    QTest::newRow("Label2") << "Label2" << "QLabel" << QRect(24, 176, 353, 177)
                            << "Copyright \u00A9 Humitrax. All rights reserved.";
    QTest::newRow("Label3") << "Label3" << "QLabel" << QRect(48, 360, 329, 17)
                            << "support at www.humitrax.example";
    QTest::newRow("Image1") << "Image1" << "QLabel" << QRect(232, 184, 139, 138) << "";
}

void LayoutTest::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    auto& control = Find<QWidget>(window, qPrintable(name));
    QCOMPARE(control.parentWidget(), &window);
    QCOMPARE(QString::fromLatin1(control.metaObject()->className()), kind);
    QCOMPARE(control.geometry(), geometry);
    QVERIFY(control.isEnabled());
    QVERIFY(!control.isHidden());
    if (auto* label = qobject_cast<QLabel*>(&control))
        QCOMPARE(label->text(), text);
    else if (auto* box = qobject_cast<QLineEdit*>(&control))
        QCOMPARE(box->text(), text);
    else if (auto* list = qobject_cast<QComboBox*>(&control))
        QCOMPARE(list->currentText(), text);
    else if (auto* button = qobject_cast<QPushButton*>(&control))
        QCOMPARE(button->text(), text);
    // No layout manager moves anything.
    QCOMPARE(window.layout(), nullptr);
}

void LayoutTest::fonts_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"drytemp", "DBT", "barocond", "second", "tempunit", "unit", "thirdcond",
                             "Text1", "calculate", "Label1", "Label2", "Label3"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void LayoutTest::fonts()
{
    QFETCH(QString, name);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    const QFont font = Find<QWidget>(window, qPrintable(name)).font();
    // The font actually used, not just the one asked for (needs fonts-wine).
    const QFontInfo used(font);
    QCOMPARE(used.family(), QStringLiteral("Tahoma"));
    // 9.75 pt at 96 dpi.
    QCOMPARE(used.pixelSize(), 13);
    QCOMPARE(used.weight(), int(QFont::Normal));
    QVERIFY(!used.italic());
    QVERIFY(!font.underline());
    QVERIFY(!font.strikeOut());
}

void LayoutTest::listEntries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("barocond") << "barocond"
                              << QStringList{"Barometric pressure:", "Altitude - above sea level:"};
    QTest::newRow("thirdcond") << "thirdcond"
                               << QStringList{"Wet bulb temperature:", "Dew point temperature:",
                                              "Relative humidity:", "Humidity ratio:"};
}

void LayoutTest::listEntries()
{
    QFETCH(QString, name);
    QFETCH(QStringList, entries);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    auto& list = Find<QComboBox>(window, qPrintable(name));
    QStringList shown;
    for (int i = 0; i < list.count(); ++i)
        shown << list.itemText(i);
    QCOMPARE(shown, entries);
    QVERIFY(!list.isEditable());
    QCOMPARE(list.palette().color(QPalette::Button), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(list.palette().color(QPalette::Base), QColor(0xE0, 0xE0, 0xE0));
}

void LayoutTest::appearance()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QCOMPARE(Find<QLineEdit>(window, "DBT").maxLength(), 3);
    QCOMPARE(Find<QLineEdit>(window, "second").maxLength(), 7);
    QCOMPARE(Find<QLineEdit>(window, "Text1").maxLength(), 7);

    for (QLabel* label : window.findChildren<QLabel*>()) {
        QVERIFY2(!label->autoFillBackground(), qPrintable(label->objectName()));
        if (label->objectName() != QLatin1String("Image1"))
            QVERIFY2(label->wordWrap(), qPrintable(label->objectName()));
    }
    auto& results = Find<QLabel>(window, "Label2");
    QCOMPARE(results.frameShape(), QFrame::Box);
    QCOMPARE(results.frameShadow(), QFrame::Plain);
    QCOMPARE(results.lineWidth(), 1);
    QCOMPARE(results.alignment(), Qt::AlignLeft | Qt::AlignTop);
    QVERIFY(!results.text().contains(QLatin1Char('\n'))); // a one-line notice

    auto& support = Find<QLabel>(window, "Label3");
    QVERIFY(support.alignment().testFlag(Qt::AlignRight));
    QCOMPARE(support.palette().color(QPalette::WindowText),
             QApplication::palette().color(QPalette::Highlight));

    auto& calculate = Find<QPushButton>(window, "calculate");
    QCOMPARE(calculate.palette().color(QPalette::Button), QColor(0xFF, 0xFF, 0xFF));
    QVERIFY(calculate.isDefault());
    // The face as painted, beside the caption: white, not the style's shade.
    const QImage face = calculate.grab().toImage();
    QCOMPARE(QColor(face.pixel(6, face.height() / 2)), QColor(0xFF, 0xFF, 0xFF));
}

void LayoutTest::pictureBeneathResults()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    auto& picture = Find<QLabel>(window, "Image1");
    auto& results = Find<QLabel>(window, "Label2");
    const QPixmap pixmap = picture.pixmap();
    QCOMPARE(pixmap.size(), QSize(139, 138));
    QCOMPARE(picture.size(), pixmap.size()); // natural size, not stretched
    QVERIFY(!picture.hasScaledContents());
    QVERIFY(results.geometry().contains(picture.geometry()));
    // Siblings are stacked in the order of children(): later ones on top.
    const QObjectList stack = window.children();
    QVERIFY(stack.indexOf(&picture) < stack.indexOf(&results));
    QCOMPARE(picture.focusPolicy(), Qt::NoFocus);

    // The results area does not paint over the picture: an opaque pixel of
    // the picture shows in the window as it is drawn.
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    QPoint opaque(-1, -1);
    for (int y = image.height() / 2; y < image.height() && opaque.x() < 0; ++y)
        for (int x = image.width() / 2; x < image.width() && opaque.x() < 0; ++x)
            if (qAlpha(image.pixel(x, y)) == 255 && QColor(image.pixel(x, y)) != QColor(0xE0, 0xE0, 0xE0))
                opaque = QPoint(x, y);
    QVERIFY(opaque.x() >= 0);
    const QImage drawn = window.grab().toImage();
    QCOMPARE(QColor(drawn.pixel(picture.pos() + opaque)), QColor(image.pixel(opaque)));
}

void LayoutTest::formLoad()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    auto& barocond = Find<QComboBox>(window, "barocond");
    auto& thirdcond = Find<QComboBox>(window, "thirdcond");
    auto& unit = Find<QLabel>(window, "unit");
    auto& label1 = Find<QLabel>(window, "Label1");
    // As the window opens.
    QCOMPARE(barocond.currentIndex(), 0);
    QCOMPARE(thirdcond.currentIndex(), 0);
    QCOMPARE(unit.text(), QStringLiteral("kPa"));
    QCOMPARE(label1.text(), QStringLiteral("\u00B0C"));

    // With no selection the captions stay as they are; Form_Load selects the
    // first entries, and the captions follow.
    unit.setText(QStringLiteral("?"));
    label1.setText(QStringLiteral("?"));
    barocond.setCurrentIndex(-1);
    thirdcond.setCurrentIndex(-1);
    QCOMPARE(unit.text(), QStringLiteral("?"));
    QCOMPARE(label1.text(), QStringLiteral("?"));
    window.Form_Load();
    QCOMPARE(barocond.currentIndex(), 0);
    QCOMPARE(thirdcond.currentIndex(), 0);
    QCOMPARE(unit.text(), QStringLiteral("kPa"));
    QCOMPARE(label1.text(), QStringLiteral("\u00B0C"));
}

void LayoutTest::focusStartsInDryBulb()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    QCOMPARE(QApplication::focusWidget(), &Find<QLineEdit>(window, "DBT"));
}

void LayoutTest::tabOrder_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("visited");
    QTest::newRow("tab") << int(Qt::Key_Tab)
                         << QStringList{"barocond", "second", "thirdcond", "Text1", "calculate", "DBT"};
    QTest::newRow("shift+tab") << int(Qt::Key_Backtab)
                               << QStringList{"calculate", "Text1", "thirdcond", "second", "barocond", "DBT"};
}

void LayoutTest::tabOrder()
{
    QFETCH(int, key);
    QFETCH(QStringList, visited);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    QStringList walked;
    for (int i = 0; i < visited.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, visited);
}

void LayoutTest::accessibleNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("barocond");
    QTest::addColumn<int>("thirdcond");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("DBT") << "DBT" << 0 << 0 << "Dry bulb temperature";
    QTest::newRow("second with pressure") << "second" << 0 << 0 << "Barometric pressure";
    QTest::newRow("second with altitude") << "second" << 1 << 0 << "Altitude - above sea level";
    QTest::newRow("Text1 with wet bulb") << "Text1" << 0 << 0 << "Wet bulb temperature";
    QTest::newRow("Text1 with humidity ratio") << "Text1" << 0 << 3 << "Humidity ratio";
    QTest::newRow("drytemp keeps its text") << "drytemp" << 0 << 0 << "Dry bulb temperature:";
    QTest::newRow("unit keeps its text") << "unit" << 1 << 0 << "m";
    QTest::newRow("Label2 keeps its text") << "Label2" << 0 << 0
                                           << "Copyright \u00A9 Humitrax. All rights reserved.";
}

void LayoutTest::accessibleNames()
{
    QFETCH(QString, name);
    QFETCH(int, barocond);
    QFETCH(int, thirdcond);
    QFETCH(QString, spoken);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    Find<QComboBox>(window, "barocond").setCurrentIndex(barocond);
    Find<QComboBox>(window, "thirdcond").setCurrentIndex(thirdcond);
    QAccessibleInterface* accessible =
        QAccessible::queryAccessibleInterface(&Find<QWidget>(window, qPrintable(name)));
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->text(QAccessible::Name), spoken);
}

void LayoutTest::listNames()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    // Where the platform speaks a list by its name rather than its entry.
    QCOMPARE(Find<QComboBox>(window, "barocond").accessibleName(), QStringLiteral("Pressure or altitude"));
    QCOMPARE(Find<QComboBox>(window, "thirdcond").accessibleName(), QStringLiteral("Third condition"));
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
