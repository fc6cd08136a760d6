#include "output.h"

#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace humitrax::cli {
namespace {

bool g_reported = false;

} // namespace

bool WriteOut(std::string_view bytes)
{
    if (bytes.empty())
        return std::ferror(stdout) == 0;
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::ferror(stdout) == 0;
}

bool FlushOut() { return std::fflush(stdout) == 0 && std::ferror(stdout) == 0; }

int OutputFailed()
{
    if (!g_reported) {
        const int error = errno;
        g_reported = true;
        if (error != 0)
            std::fprintf(stderr, "humitrax-cli: cannot write the output: %s\n", std::strerror(error));
        else
            std::fputs("humitrax-cli: cannot write the output\n", stderr);
    }
    return kExitOutput;
}

} // namespace humitrax::cli
