// The window as it opens: frame, controls and their texts, what fits where,
// fonts, colours, stacking, tab order and the names a screen reader reads.
#include "window_test_support.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QTest>

using namespace humitrax;
using namespace humitrax::testing;

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void textsFitWithoutOverlap();
    void appearance();
    void tabOrder();
    void accessibleNames_data();
    void accessibleNames();
};

void LayoutTest::controls_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text"); ///< a list's entries joined by "|"
    const QString degrees = QStringLiteral("\u00B0C");
    QTest::newRow("drytemp") << "QLabel" << "Dry bulb temperature:";
    QTest::newRow("DBT") << "QLineEdit" << "";
    QTest::newRow("barocond") << "QComboBox" << "Barometric pressure:|Altitude - above sea level:";
    QTest::newRow("second") << "QLineEdit" << "";
    QTest::newRow("tempunit") << "QLabel" << degrees;
    QTest::newRow("unit") << "QLabel" << "kPa";
    QTest::newRow("thirdcond") << "QComboBox"
                               << "Wet bulb temperature:|Dew point temperature:|Relative humidity:|Humidity ratio:";
    QTest::newRow("Text1") << "QLineEdit" << "";
    QTest::newRow("calculate") << "QPushButton" << "&Calculate Psychrometric Properties";
    QTest::newRow("Label1") << "QLabel" << degrees;
    QTest::newRow("Label2") << "QLabel" << "Copyright \u00A9 Humitrax. All rights reserved.";
    QTest::newRow("Label3") << "QLabel" << "support at www.humitrax.example";
    QTest::newRow("Image1") << "QLabel" << "";
}

void LayoutTest::controls()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    auto& control = Find<QWidget>(window, QTest::currentDataTag());
    QCOMPARE(control.parentWidget(), &window);
    QCOMPARE(QString::fromLatin1(control.metaObject()->className()), kind);
    QVERIFY(control.isEnabled() && !control.isHidden());
    // The font actually used, not just the one asked for (needs fonts-wine):
    // 9.75 pt at 96 dpi.
    const QFontInfo used(control.font());
    QCOMPARE(used.family(), QStringLiteral("Tahoma"));
    QCOMPARE(used.pixelSize(), 13);
    QVERIFY(used.weight() == int(QFont::Normal) && !used.italic());
    QVERIFY(!control.font().underline() && !control.font().strikeOut());
    if (auto* label = qobject_cast<QLabel*>(&control))
        QCOMPARE(label->text(), text);
    else if (auto* box = qobject_cast<QLineEdit*>(&control))
        QCOMPARE(box->text(), text);
    else if (auto* button = qobject_cast<QPushButton*>(&control))
        QCOMPARE(button->text(), text);
    else if (auto* list = qobject_cast<QComboBox*>(&control)) {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        QCOMPARE(entries.join(QLatin1Char('|')), text);
        QVERIFY(!list->isEditable());
    }
}

void LayoutTest::textsFitWithoutOverlap()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    const QWidget* picture = &Find<QLabel>(window, "Image1");
    const QWidget* results = &Find<QLabel>(window, "Label2");
    const QList<QWidget*> controls = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 13);
    for (QWidget* control : controls) {
        const QByteArray name = control->objectName().toLatin1();
        QVERIFY2(window.rect().contains(control->geometry()), name.constData());
        // Only the picture lies under another control: the results area.
        for (QWidget* other : controls)
            QVERIFY2(other == control || !control->geometry().intersects(other->geometry())
                         || (control == picture && other == results) || (control == results && other == picture),
                     (name + " overlaps " + other->objectName().toLatin1()).constData());
        // A label's text wraps, and wrapped to its width fits its height.
        if (auto* label = qobject_cast<QLabel*>(control); label != nullptr && label != picture)
            QVERIFY2(label->wordWrap() && label->heightForWidth(label->width()) <= label->height(), name.constData());
        // The longest list entry fits beside the list's arrow.
        if (auto* list = qobject_cast<QComboBox*>(control)) {
            QStyleOptionComboBox option;
            option.initFrom(list);
            const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                              QStyle::SC_ComboBoxEditField, list);
            for (int i = 0; i < list->count(); ++i)
                QVERIFY2(list->fontMetrics().horizontalAdvance(list->itemText(i)) <= field.width(), name.constData());
        }
    }
}

void LayoutTest::appearance()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QCOMPARE(window.windowTitle(), QStringLiteral("Humitrax"));
    // It never resizes, offers only the close box and wears the icon in three sizes.
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint) && !flags.testFlag(Qt::WindowMinimizeButtonHint)
            && !flags.testFlag(Qt::WindowMaximizeButtonHint));
    const QList<QSize> iconSizes = window.windowIcon().availableSizes();
    for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)})
        QVERIFY2(iconSizes.contains(size), qPrintable(QStringLiteral("no %1 px icon").arg(size.width())));
    auto& support = Find<QLabel>(window, "Label3");
    QCOMPARE(support.palette().color(QPalette::WindowText), QApplication::palette().color(QPalette::Highlight));

    // The default button's face as painted, beside the caption: white, not the
    // style's shade.
    auto& calculate = Find<QPushButton>(window, "calculate");
    QVERIFY(calculate.isDefault());
    const QImage face = calculate.grab().toImage();
    QCOMPARE(QColor(face.pixel(6, face.height() / 2)), QColor(0xFF, 0xFF, 0xFF));

    // The picture lies under the results area at its natural size, and an
    // opaque pixel of it shows in the window as it is drawn.
    auto& picture = Find<QLabel>(window, "Image1");
    const QPixmap pixmap = picture.pixmap();
    QCOMPARE(picture.size(), pixmap.size());
    QVERIFY(Find<QLabel>(window, "Label2").geometry().contains(picture.geometry()));
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

void LayoutTest::tabOrder()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    QVERIFY(ShowActive(window));
    QCOMPARE(QApplication::focusWidget(), &Find<QLineEdit>(window, "DBT")); // the focus starts there
    QStringList walked;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, (QStringList{"barocond", "second", "thirdcond", "Text1", "calculate", "DBT"}));
}

void LayoutTest::accessibleNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("barocond");
    QTest::addColumn<int>("thirdcond");
    QTest::addColumn<QString>("spoken");
    // Entry boxes by the caption or list beside them, lists by their own names, labels by their texts.
    QTest::newRow("DBT") << "DBT" << 0 << 0 << "Dry bulb temperature";
    QTest::newRow("second with altitude") << "second" << 1 << 0 << "Altitude - above sea level";
    QTest::newRow("Text1 with humidity ratio") << "Text1" << 0 << 3 << "Humidity ratio";
    QTest::newRow("barocond") << "barocond" << 0 << 0 << "Pressure or altitude";
    QTest::newRow("unit keeps its text") << "unit" << 1 << 0 << "m";
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
    QWidget& control = Find<QWidget>(window, qPrintable(name));
    if (auto* list = qobject_cast<QComboBox*>(&control)) {
        QCOMPARE(list->accessibleName(), spoken);
        return;
    }
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&control);
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->text(QAccessible::Name), spoken);
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
