// File: batch_progress.h
// Rows done and rows per second on standard error, when it is a terminal.
#pragma once

#include <chrono>
#include <cstddef>

namespace humitrax::cli {

class Progress {
public:
    Progress();
    /// Counts rows done; shows the count at most twice a second.
    void Add(std::size_t rows);
    /// Shows the final count and ends its line.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;
    void Show(Clock::time_point now) const;

    bool m_shown;
    Clock::time_point m_start;
    Clock::time_point m_last;
    std::size_t m_rows = 0;
};

} // namespace humitrax::cli
