// Answers to engine calls given as text, for the call command.
#include "kit/call_lines.h"

#include "kit/echo.h"
#include "kit/numbers.h"
#include "humitrax/functions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace humitrax::cli {
namespace {

std::string Describe(const PropertyResult& result)
{
    switch (result.kind()) {
    case PropertyResult::Kind::Number: return "number " + ShortestText(result.AsNumber());
    case PropertyResult::Kind::Text: return "text " + std::string(result.text());
    case PropertyResult::Kind::Empty: break;
    }
    return "empty";
}

/// Reads the arguments and calls the function; the answer line without its
/// line feed. `readable` is cleared when the arguments could not be read.
std::string AnswerWords(std::span<const std::string_view> words, bool& readable)
{
    readable = false;
    if (words.empty())
        return "error no function named";
    const EngineFunction* function = FindEngineFunction(words.front());
    if (function == nullptr)
        return "error unknown function " + Quoted(words.front());
    const std::span<const std::string_view> args = words.subspan(1);
    const std::size_t wanted = ArgumentCount(function->signature);
    if (args.size() != wanted) {
        return "error " + std::string(function->name) + " takes " + std::to_string(wanted) +
               (wanted == 1 ? " argument (" : " arguments (") +
               std::string(ArgumentNames(function->signature)) + "), not " +
               std::to_string(args.size());
    }
    // Every argument but Situation and UnitsSI is a double.
    std::array<double, 4> numbers{};
    std::int16_t situation = 0;
    std::int16_t unitsSI = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool isSituation = function->signature >= Signature::State && i == 2;
        const bool isUnits = (function->signature == Signature::TemperatureUnits && i == 1) ||
                             (function->signature == Signature::StateUnits && i == 4);
        if (isSituation || isUnits) {
            const auto value = ParseInt16(args[i]);
            if (!value)
                return "error argument " + std::to_string(i + 1) + " " + Quoted(args[i]) +
                       " is not a whole number from -32768 to 32767";
            (isSituation ? situation : unitsSI) = *value;
        } else {
            const auto value = ParseDouble(args[i]);
            if (!value)
                return "error argument " + std::to_string(i + 1) + " " + Quoted(args[i]) +
                       " is not a number";
            numbers[i < 2 ? i : 3] = *value;
        }
    }
    readable = true;
    const double& T = numbers[0];
    const double& p = numbers[1];
    const double& stateVar = numbers[3];
    try {
        switch (function->signature) {
        case Signature::Altitude: return "number " + ShortestText(function->altitude(numbers[0]));
        case Signature::Temperature: return Describe(function->temperature(T));
        case Signature::TemperatureUnits: return Describe(function->temperatureUnits(T, unitsSI));
        case Signature::State: return Describe(function->state(T, p, situation, stateVar));
        case Signature::StateUnits:
            return Describe(function->stateUnits(T, p, situation, stateVar, unitsSI));
        }
    } catch (const PropertyFailure& failure) {
        return "failure " + std::string(CauseName(failure.cause()));
    }
    return "error";
}

std::vector<std::string_view> SplitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

} // namespace

std::string AnswerCall(std::span<const std::string_view> words, bool& readable)
{
    return AnswerWords(words, readable);
}

void CallLineReader::Feed(std::string_view bytes, std::string& answers)
{
    // A byte-order mark at the start of the stream is no part of the first call.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    while (m_atStart && !bytes.empty()) {
        const std::size_t seen = m_partial.size();
        const std::size_t take = std::min(kByteOrderMark.size() - seen, bytes.size());
        if (bytes.substr(0, take) != kByteOrderMark.substr(seen, take)) {
            m_atStart = false; // not a mark: what was held back is the line's start
            break;
        }
        m_partial.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (m_partial.size() == kByteOrderMark.size()) {
            m_partial.clear();
            m_atStart = false;
        }
    }
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (m_skipping) {
            // The rest of a line that was too long: read and let go.
        } else if (m_partial.size() + piece.size() > kMaxLineBytes) {
            answers += "error the line is longer than 1 MiB (1048576 bytes); it is skipped\n";
            m_allReadable = false;
            m_partial.clear();
            m_partial.shrink_to_fit();
            m_skipping = true;
        } else if (end == std::string_view::npos) {
            m_partial.append(piece);
        } else if (m_partial.empty()) {
            AnswerLine(piece, answers);
        } else {
            m_partial.append(piece);
            AnswerLine(m_partial, answers);
            m_partial.clear();
        }
        if (end == std::string_view::npos)
            break;
        m_skipping = false;
        bytes.remove_prefix(end + 1);
    }
}

void CallLineReader::Finish(std::string& answers)
{
    // A last line without its line feed still gets its answer; the end of a
    // stream that ends with a line feed is no line.
    if (!m_partial.empty())
        AnswerLine(m_partial, answers);
    m_partial.clear();
    m_skipping = false;
}

void CallLineReader::AnswerLine(std::string_view line, std::string& answers)
{
    const std::vector<std::string_view> words = SplitWords(line);
    bool readable = false;
    if (words.empty()) {
        // Every line is answered, so that answers stay in step with calls.
        answers += "error empty line\n";
        m_allReadable = false;
        return;
    }
    answers += AnswerWords(words, readable);
    answers += '\n';
    m_allReadable = m_allReadable && readable;
}

} // namespace humitrax::cli
