// One press of the calculation driver with arbitrary entries: number-like
// texts, raw bytes (binary, non-ASCII), long texts, any list indices, and the
// point, the comma or another decimal separator. The press must end in the
// ten-line report or in exactly one of the three messages, never throw and
// never hang; a report must have the layout and the limits of the window.
#include "driver.h"
#include "fuzz_input.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace humitrax::fuzz {
namespace {

/// Characters a typed number is made of, and a few that are not.
constexpr std::string_view kNumberCharacters = "0123456789012345678901234567890123456789..,,--+eE  \t";

/// An entry: a number-like text, raw bytes, a long text, or nothing.
std::string Entry(FuzzInput& in)
{
    const std::uint8_t mode = in.Byte();
    switch (mode % 8) {
    case 0: return {};
    case 1: return in.Text(in.Byte() % 32U);
    case 2: {
        // A long text: a piece of up to 8 bytes repeated up to 5000 times.
        const std::string piece = in.Text(1U + in.Byte() % 8U);
        const std::size_t times = 1U + static_cast<std::size_t>(in.Word()) % 5000U;
        std::string text;
        for (std::size_t i = 0; i < times; ++i)
            text += piece;
        return text;
    }
    default: {
        std::string text;
        const std::size_t length = 1U + in.Byte() % 12U;
        for (std::size_t i = 0; i < length; ++i)
            text += kNumberCharacters[in.Byte() % kNumberCharacters.size()];
        return text;
    }
    }
}

std::string Separator(FuzzInput& in)
{
    switch (in.Byte() % 6) {
    case 0:
    case 1: return ".";
    case 2:
    case 3: return ",";
    case 4: return "\xd9\xab"; // U+066B ARABIC DECIMAL SEPARATOR
    default: return in.Text(in.Byte() % 4U);
    }
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (;;) {
        const std::size_t end = text.find("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return lines;
        text.remove_prefix(end + 2);
    }
}

/// The number of a report line, written with the point or the comma: a
/// plain decimal with no exponent, no trailing zeros, never "-0", at most
/// `places` decimals (any number when places < 0). Returns its value.
double CheckNumber(std::string_view text, std::string_view separator, int places)
{
    std::string plain(text);
    const std::size_t at = plain.find(separator);
    std::string_view fraction;
    if (at != std::string::npos) {
        plain.replace(at, separator.size(), ".");
        fraction = std::string_view(plain).substr(at + 1);
        Require(!fraction.empty() && fraction.back() != '0', "report number", text);
        if (places >= 0)
            Require(fraction.size() <= static_cast<std::size_t>(places), "report decimals", text);
    }
    std::string_view digits = plain;
    if (!digits.empty() && digits.front() == '-')
        digits.remove_prefix(1);
    Require(!digits.empty() && digits.front() >= '0' && digits.front() <= '9', "report number", text);
    Require(digits.size() == 1 || digits.front() != '0' || digits[1] == '.', "report number leading zero",
            text);
    for (char c : digits)
        Require((c >= '0' && c <= '9') || c == '.', "report number character", text);
    Require(plain != "-0", "report number -0", text);
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    Require(ec == std::errc() && ptr == plain.data() + plain.size(), "report number unreadable", text);
    return value;
}

struct Line {
    std::string_view label;
    std::string_view unit;
    int places;
};

constexpr std::array<Line, 8> kValueLines{{
    {"Dry Bulb Temperature: ", " \xc2\xb0" "C", -1},
    {"Barometric Pressure: ", " kPa", 3},
    {"Wet Bulb Temperature: ", " \xc2\xb0" "C", 1},
    {"Dew Point Temperature: ", " \xc2\xb0" "C", 1},
    {"Relative Humidity: ", " %", 1},
    {" Absolute Humidity: ", " mass ratio", 4},
    {" Enthalpy: ", " kJ/kg", 2},
    {" Specific Volume: ", " cu.m/kg", 2},
}};

void CheckReport(const CalculationRequest& request, const NumberConventions& conventions,
                 std::string_view report)
{
    const std::vector<std::string_view> lines = SplitLines(report);
    Require(lines.size() == 10, "report", "not ten lines");
    Require(lines[0] == "As per Humitrax\xc2\xae", "report first line", lines[0]);
    Require(lines[1] == std::string(23, '_'), "report second line", lines[1]);
    Require(request.thirdcond >= 0 && request.thirdcond <= 3, "report", "for a third condition outside 0 to 3");
    // No separator, or one with a control character in it, is the point.
    std::string_view separator = conventions.decimalSeparator;
    for (char c : separator) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f')
            separator = {};
    }
    if (separator.empty())
        separator = ".";
    // Only an ordinary separator lets the numbers be read back unambiguously.
    const bool readable = separator == "." || separator == ",";
    std::array<double, kValueLines.size()> values{};
    for (std::size_t i = 0; i < kValueLines.size(); ++i) {
        const std::string_view line = lines[i + 2];
        const Line& expected = kValueLines[i];
        Require(line.starts_with(expected.label) && line.ends_with(expected.unit), "report line", line);
        Require(line.size() > expected.label.size() + expected.unit.size(), "report line without number", line);
        const std::string_view number = line.substr(
            expected.label.size(), line.size() - expected.label.size() - expected.unit.size());
        if (readable)
            values[i] = CheckNumber(number, separator, expected.places);
    }
    if (!readable)
        return;
    // The limits of the entries hold for what the report shows.
    Require(values[0] <= 51.0, "report dry bulb above its limit");
    if (request.barocond == 0)
        Require(values[1] <= 108.0, "report pressure above its limit");
    // The relative humidity has only an upper limit when it is typed: a
    // negative one (pasted) is reported as given. Computed, it lies in 0 to 100.
    Require(values[4] <= 100.0, "report relative humidity above 100");
    if (request.thirdcond != 2)
        Require(values[4] >= 0.0, "report relative humidity computed below 0");
}

} // namespace
} // namespace humitrax::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace humitrax;
    using namespace humitrax::fuzz;
    FuzzInput in(data, size);
    CalculationRequest request;
    NumberConventions conventions;
    conventions.decimalSeparator = Separator(in);
    request.barocond = in.Code();
    request.thirdcond = in.Code();
    request.dryBulb = Entry(in);
    request.second = Entry(in);
    request.third = Entry(in);

    const CalculationOutcome outcome = Calculate(request, conventions);
    const bool anyEmpty = request.dryBulb.empty() || request.second.empty() || request.third.empty();
    if (outcome.succeeded) {
        Require(!anyEmpty, "driver", "a report from an empty entry");
        CheckReport(request, conventions, outcome.text);
    } else if (anyEmpty) {
        Require(outcome.text == messages::kEmptyEntry, "driver", "an empty entry without \"Check your values\"");
    } else {
        Require(outcome.text == messages::kOutOfRange || outcome.text == messages::kCheckValues,
                "driver message", outcome.text);
    }
    return 0;
}
