#include "table/progress.h"

#include <cstdio>
#include <unistd.h>

namespace humitrax::cli {

Progress::Progress() : m_shown(isatty(STDERR_FILENO) != 0), m_start(Clock::now()), m_last(m_start) {}

void Progress::Add(std::size_t rows)
{
    m_rows += rows;
    if (!m_shown)
        return;
    const Clock::time_point now = Clock::now();
    if (now - m_last < std::chrono::milliseconds(500))
        return;
    m_last = now;
    Show(now);
}

void Progress::Finish()
{
    if (!m_shown)
        return;
    Show(Clock::now());
    std::fputc('\n', stderr);
}

void Progress::Show(Clock::time_point now) const
{
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const double rate = seconds > 0.0 ? static_cast<double>(m_rows) / seconds : 0.0;
    std::fprintf(stderr, "\rbatch: %zu rows, %.0f rows/s ", m_rows, rate);
}

} // namespace humitrax::cli
