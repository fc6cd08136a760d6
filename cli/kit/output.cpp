#include "kit/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace humitrax::cli {
namespace {

int g_error = 0;        ///< errno of the first failed write, flush or close
bool g_failed = false;  ///< a write, flush or close has failed
bool g_reported = false;
bool g_closed = false;

bool Note(bool ok)
{
    if (!ok && !g_failed) {
        g_failed = true;
        g_error = errno;
    }
    return ok && !g_failed;
}

} // namespace

bool WriteOut(std::string_view bytes)
{
    if (g_closed)
        return false;
    if (bytes.empty())
        return Note(std::ferror(stdout) == 0);
    return Note(std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                std::ferror(stdout) == 0);
}

bool FlushOut()
{
    if (g_closed)
        return !g_failed;
    return Note(std::fflush(stdout) == 0 && std::ferror(stdout) == 0);
}

bool CloseOut()
{
    if (g_closed)
        return !g_failed;
    const bool flushed = FlushOut();
    g_closed = true;
    errno = 0;
    // A descriptor closed before anything was written to it is no failure.
    const bool closed = std::fclose(stdout) == 0 || errno == EBADF;
    return Note(flushed && closed);
}

int OutputFailed()
{
    if (!g_reported) {
        g_reported = true;
        const int error = g_failed ? g_error : 0;
        if (error != 0)
            std::fprintf(stderr, "humitrax-cli: cannot write the output: %s\n", std::strerror(error));
        else
            std::fputs("humitrax-cli: cannot write the output\n", stderr);
    }
    return kExitOutput;
}

int Messages::Usage(std::string_view message) const
{
    if (!m_synopsis.empty()) {
        std::fprintf(stderr, "humitrax-cli: %.*s: %.*s\nUsage: %.*s", static_cast<int>(m_name.size()), m_name.data(),
                     static_cast<int>(message.size()), message.data(), static_cast<int>(m_synopsis.size()),
                     m_synopsis.data());
    } else {
        std::fprintf(stderr, "humitrax-cli: %.*s: %.*s; try 'humitrax-cli %.*s --help'\n",
                     static_cast<int>(m_name.size()), m_name.data(), static_cast<int>(message.size()),
                     message.data(), static_cast<int>(m_helpCommand.size()), m_helpCommand.data());
    }
    return kExitUsage;
}

int Messages::Fail(std::string_view message, int status) const
{
    std::fprintf(stderr, "humitrax-cli: %.*s: %.*s\n", static_cast<int>(m_name.size()), m_name.data(),
                 static_cast<int>(message.size()), message.data());
    return status;
}

void Messages::Warn(std::string_view message) const
{
    std::fprintf(stderr, "humitrax-cli: %.*s: warning: %.*s\n", static_cast<int>(m_name.size()), m_name.data(),
                 static_cast<int>(message.size()), message.data());
}

} // namespace humitrax::cli
