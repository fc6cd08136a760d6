// File: output.h
// What a command says: its exit status, its output on standard output, every
// write checked (a full disk, a closed descriptor or a broken device is
// reported, never taken for success), and its messages on standard error,
// all in one form.
#pragma once

#include <string_view>

namespace humitrax::cli {

/// Exit statuses, the same for every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; ///< the calculation or some rows failed (a message says why)
inline constexpr int kExitUsage = 2;   ///< the command line or the input could not be read
inline constexpr int kExitOutput = 3;  ///< the output could not be written

/// A command's messages on standard error, "humitrax-cli: NAME: message".
class Messages {
public:
    /// `name` heads every message ("state", "process heat"); `helpCommand`
    /// is the command whose --help a usage error points to ("process"),
    /// `name` when empty; with a `synopsis`, a usage error shows it instead.
    constexpr explicit Messages(std::string_view name, std::string_view helpCommand = {},
                                std::string_view synopsis = {}) noexcept
        : m_name(name), m_helpCommand(helpCommand.empty() ? name : helpCommand), m_synopsis(synopsis)
    {
    }

    /// A command line that cannot be used: "...: message; try 'humitrax-cli
    /// COMMAND --help'" (or the synopsis after "Usage: "). Returns kExitUsage.
    int Usage(std::string_view message) const;
    /// "...: message"; returns `status`.
    int Fail(std::string_view message, int status = kExitFailure) const;
    /// "...: warning: message"; the exit status is not changed.
    void Warn(std::string_view message) const;

private:
    std::string_view m_name;
    std::string_view m_helpCommand;
    std::string_view m_synopsis;
};

/// Writes all of `bytes` to standard output (buffered); false when they could
/// not all be written.
[[nodiscard]] bool WriteOut(std::string_view bytes);

/// Flushes standard output; false when what was buffered could not be written.
[[nodiscard]] bool FlushOut();

/// Flushes and closes standard output, once (later calls give the same
/// answer): the last chance to learn that the file system did not take it.
/// Nothing may be written after it.
[[nodiscard]] bool CloseOut();

/// Says "humitrax-cli: cannot write the output" (with the system's reason) on
/// standard error, once, and returns the exit status for it.
int OutputFailed();

} // namespace humitrax::cli
