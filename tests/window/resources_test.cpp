// The artwork compiled into the program, and the name and version it gives
// itself.
#include "psychrometric.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QTest>

#include <algorithm>

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void applicationDescription();
    void icon();
    void picture();
};

void ResourcesTest::initTestCase()
{
    humitrax::DescribeApplication();
}

void ResourcesTest::applicationDescription()
{
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Humitrax"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral(HUMITRAX_VERSION_TEXT));
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("humitrax"));
    QVERIFY(!QGuiApplication::windowIcon().isNull());
}

void ResourcesTest::icon()
{
    // Six images, 16, 32 and 48 px each in 256 colours and in 32-bit colour;
    // each decodes, with transparent corners and an opaque middle.
    QImageReader reader(QStringLiteral(":/humitrax/humitrax.ico"));
    QCOMPARE(reader.imageCount(), 6);
    QList<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        sizes << image.width();
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(image.width() / 2, image.height() * 2 / 3)), 255);
    }
    std::sort(sizes.begin(), sizes.end());
    QCOMPARE(sizes, (QList<int>{16, 16, 32, 32, 48, 48}));
}

void ResourcesTest::picture()
{
    QImageReader reader(QStringLiteral(":/humitrax/Image1.gif"));
    QCOMPARE(reader.format(), QByteArray("gif"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(139, 138));
    // A transparent background for the window's grey to show through.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
}

QTEST_MAIN(ResourcesTest)
#include "resources_test.moc"
