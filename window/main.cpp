// humitrax: the calculator window.
#include "psychrometric.h"
#include "toolkit_seam.h"

#include <QApplication>

#include <cstdio>
#include <string_view>

namespace {

/// On X11 and Wayland, whether there is a display to open the window on (or
/// a platform chosen by hand, such as offscreen).
bool HasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

constexpr char kUsage[] = "Usage: humitrax [--help | --version] [Qt options]\n"
                         "Opens the Humitrax calculator window: moist-air properties from a dry\n"
                         "bulb, a pressure or an altitude, and one more condition.\n"
                         "The same calculation on the command line: humitrax-cli calc --help\n";

} // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::puts("humitrax " HUMITRAX_VERSION_TEXT);
            return 0;
        }
    }
    if (!HasDisplay()) {
        std::fputs("humitrax: there is no display to open the calculator window on.\n"
                   "The same calculation runs on the command line, for example:\n"
                   "  humitrax-cli calc --dry-bulb 0 --pressure 101.325 --relative-humidity 50\n"
                   "(humitrax-cli --help lists the rest.)\n",
                   stderr);
        return 1;
    }
    QApplication application(argc, argv);
    humitrax::DescribeApplication();
    humitrax::QtToolkitSeam toolkit;
    humitrax::Psychrometric window(toolkit);
    window.show();
    return QApplication::exec();
}
