// File: call_lines.h
// The answering side of `humitrax-cli call`: one engine call, given as words,
// becomes one answer line; a stream of bytes holding one call per line becomes
// one answer per non-blank line. No input or output of its own, so that it can
// be driven from standard input, from tests and from the fuzzer alike.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace humitrax::cli {

/// The answer to one call FUNCTION ARG..., without its line feed: "number R"
/// (the shortest text that reads back as the same double), "text T" (an error
/// text of the engine), "empty", "failure CAUSE", or "error WHAT" for a call
/// that cannot be read, in which case `readable` is cleared (else set).
std::string AnswerCall(std::span<const std::string_view> words, bool& readable);

/// Calls read from a stream, one per line. A line ends at a line feed; blanks,
/// tabs and carriage returns separate its words; a line without words is
/// answered "error empty line", so that answer N is always for line N. A
/// byte-order mark at the very start is skipped. A line longer than
/// kMaxLineBytes is answered with one error as soon as it grows past the
/// limit, and its further bytes are passed over, not held, up to its line feed.
class CallLineReader {
public:
    /// The longest line read, its line feed not counted: 1 MiB.
    static constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

    /// Reads the next bytes of the stream, which may end inside a line, and
    /// appends the answer to every line they complete, each with a line feed.
    void Feed(std::string_view bytes, std::string& answers);
    /// The end of the stream: answers the last line if it had no line feed.
    void Finish(std::string& answers);
    /// False once a line could not be read (an "error" answer).
    [[nodiscard]] bool allReadable() const noexcept { return m_allReadable; }

private:
    void AnswerLine(std::string_view line, std::string& answers);

    std::string m_partial; ///< the start of a line that has no line feed yet
    bool m_atStart = true; ///< still inside a possible byte-order mark
    bool m_skipping = false; ///< inside a line that went past kMaxLineBytes
    bool m_allReadable = true;
};

} // namespace humitrax::cli
