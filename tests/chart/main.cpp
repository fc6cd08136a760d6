// The chart tests measure and paint text, which needs a GUI application; the
// offscreen platform needs no display.
#include <QByteArray>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <ostream>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    const QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
