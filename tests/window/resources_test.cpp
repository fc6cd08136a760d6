// The artwork compiled into the program, and the name and version it gives
// itself.
#include "psychrometric.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <utility>
#include <vector>

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void applicationDescription();
    void iconHasSixImages();
    void iconImagesDecode();
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

void ResourcesTest::iconHasSixImages()
{
    QFile file(QStringLiteral(":/humitrax/humitrax.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    const auto word = [&data](qsizetype at) { return qFromLittleEndian<quint16>(data.constData() + at); };
    QVERIFY(data.size() > 6);
    QCOMPARE(word(0), quint16(0)); // reserved
    QCOMPARE(word(2), quint16(1)); // an icon, not a cursor
    QCOMPARE(word(4), quint16(6));
    // Directory entries: width, height (0 would mean 256), ..., bits per pixel.
    std::vector<std::pair<int, int>> images;
    for (int i = 0; i < 6; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const auto width = static_cast<unsigned char>(data.at(entry));
        const auto height = static_cast<unsigned char>(data.at(entry + 1));
        QCOMPARE(width, height);
        images.emplace_back(width, word(entry + 6));
    }
    std::sort(images.begin(), images.end());
    const std::vector<std::pair<int, int>> expected{{16, 8}, {16, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}};
    QCOMPARE(images, expected);
}

void ResourcesTest::iconImagesDecode()
{
    QImageReader reader(QStringLiteral(":/humitrax/humitrax.ico"));
    QCOMPARE(reader.imageCount(), 6);
    QList<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        sizes << image.width();
        // Transparent corners, an opaque middle.
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
