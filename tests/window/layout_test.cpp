// The window as it opens: what fits where, fonts, colours, stacking, tab
// order and the names a screen reader reads.
#include "window_test_support.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QFontInfo>
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
    void controlsFitWithoutOverlap();
    void appearance();
    void tabOrder();
    void accessibleNames_data();
    void accessibleNames();
};

void LayoutTest::controlsFitWithoutOverlap()
{
    RecordingToolkit toolkit;
    Psychrometric window(toolkit);
    const QWidget* picture = &Find<QLabel>(window, "Image1");
    const QWidget* results = &Find<QLabel>(window, "Label2");
    const QList<QWidget*> controls = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 13);
    for (QWidget* control : controls) {
        const QByteArray name = control->objectName().toLatin1();
        QVERIFY2(!control->isHidden() && window.rect().contains(control->geometry()), name.constData());
        // The font actually used, not just the one asked for (needs fonts-wine):
        // 9.75 pt at 96 dpi, which the texts' room below is measured in.
        const QFontInfo used(control->font());
        QVERIFY2(used.family() == QStringLiteral("Tahoma") && used.pixelSize() == 13, name.constData());
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
    // It never resizes, offers only the close box and wears the icon in three sizes.
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint) && !flags.testFlag(Qt::WindowMinimizeButtonHint)
            && !flags.testFlag(Qt::WindowMaximizeButtonHint));
    const QList<QSize> iconSizes = window.windowIcon().availableSizes();
    for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)})
        QVERIFY2(iconSizes.contains(size), qPrintable(QStringLiteral("no %1 px icon").arg(size.width())));

    // The default button's face as painted, beside the caption: white, not the
    // style's shade.
    const QImage face = Find<QPushButton>(window, "calculate").grab().toImage();
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
    // Entry boxes by the caption or the list entry beside them, without its
    // colon. Through the lower two, every list entry at the index the driver
    // reads it by.
    QTest::newRow("DBT") << "DBT" << 0 << 0 << "Dry bulb temperature";
    QTest::newRow("second with pressure") << "second" << 0 << 0 << "Barometric pressure";
    QTest::newRow("second with altitude") << "second" << 1 << 0 << "Altitude - above sea level";
    QTest::newRow("Text1 with wet bulb") << "Text1" << 0 << 0 << "Wet bulb temperature";
    QTest::newRow("Text1 with dew point") << "Text1" << 0 << 1 << "Dew point temperature";
    QTest::newRow("Text1 with relative humidity") << "Text1" << 0 << 2 << "Relative humidity";
    QTest::newRow("Text1 with humidity ratio") << "Text1" << 0 << 3 << "Humidity ratio";
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
    auto& box = Find<QLineEdit>(window, qPrintable(name));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&box);
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->text(QAccessible::Name), spoken);
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
