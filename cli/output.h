// File: output.h
// Standard output for the commands, every write checked: a full disk, a
// closed descriptor or a broken device is reported, never taken for success.
#pragma once

#include <string_view>

namespace humitrax::cli {

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
