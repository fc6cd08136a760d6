// The line reader of `humitrax-cli call` on arbitrary bytes. Every line, blank
// or not, gets exactly one answer line of one of the five kinds, whatever the
// bytes; the answers do not depend on how the stream is cut into reads; the
// exit status follows the "error" answers.
#include "kit/call_lines.h"
#include "fuzz_input.h"
#include "humitrax/psychrometrics.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace humitrax::fuzz {
namespace {

/// Lines of the input, blank ones included, after a leading byte-order mark:
/// one per line feed, and one more for a last line without its line feed.
std::size_t CallLines(std::string_view input)
{
    if (input.starts_with("\xEF\xBB\xBF"))
        input.remove_prefix(3);
    const auto feeds = static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n'));
    return feeds + (input.empty() || input.back() == '\n' ? 0U : 1U);
}

constexpr std::array<std::string_view, 4> kTexts{texts::kOutOfRange, texts::kError,
                                                  texts::kSituationMustBe, texts::kInvalidSituation};
constexpr std::array<std::string_view, 6> kCauses{"type-mismatch", "division-by-zero", "overflow",
                                                   "invalid-operation", "invalid-logarithm",
                                                   "no-convergence"};

template <std::size_t N>
bool OneOf(std::string_view text, const std::array<std::string_view, N>& choices)
{
    for (std::string_view choice : choices)
        if (text == choice)
            return true;
    return false;
}

/// Checks each answer line; returns how many there are and whether any was an error.
std::size_t CheckAnswers(std::string_view answers, bool& anyError)
{
    std::size_t count = 0;
    anyError = false;
    Require(answers.empty() || answers.back() == '\n', "answers", "not ended by a line feed");
    while (!answers.empty()) {
        const std::size_t end = answers.find('\n');
        const std::string_view line = answers.substr(0, end);
        answers.remove_prefix(end + 1);
        ++count;
        if (line.starts_with("number ")) {
            const std::string_view number = line.substr(7);
            double value = 0.0;
            const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
            Require(ec == std::errc() && ptr == number.data() + number.size(), "number answer", line);
        } else if (line.starts_with("text ")) {
            Require(OneOf(line.substr(5), kTexts), "text answer", line);
        } else if (line.starts_with("failure ")) {
            Require(OneOf(line.substr(8), kCauses), "failure answer", line);
        } else if (line.starts_with("error ")) {
            anyError = true;
        } else {
            Require(line == "empty", "answer of no kind", line);
        }
    }
    return count;
}

} // namespace
} // namespace humitrax::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace humitrax::cli;
    using namespace humitrax::fuzz;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The whole stream in one read.
    CallLineReader whole;
    std::string answers;
    whole.Feed(input, answers);
    whole.Finish(answers);

    // The same stream in reads of 1 to 13 bytes, a size from each byte read.
    CallLineReader pieces;
    std::string pieceAnswers;
    std::string_view rest = input;
    while (!rest.empty()) {
        const std::size_t length = 1U + static_cast<unsigned char>(rest.front()) % 13U;
        const std::string_view piece = rest.substr(0, length);
        pieces.Feed(piece, pieceAnswers);
        rest.remove_prefix(piece.size());
    }
    pieces.Finish(pieceAnswers);

    Require(answers == pieceAnswers, "answers", "depend on how the stream is read");
    Require(whole.allReadable() == pieces.allReadable(), "exit status", "depends on how the stream is read");
    bool anyError = false;
    Require(CheckAnswers(answers, anyError) == CallLines(input), "answers", "not one per call line");
    Require(whole.allReadable() == !anyError, "exit status", "does not follow the error answers");
    return 0;
}
