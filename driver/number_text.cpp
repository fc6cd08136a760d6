// Numbers as the calculator reads them from its entries and writes them into
// its report: the locale's separator, rounding of halves to the even digit,
// 15 significant digits in plain decimal notation.
#include "number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace humitrax {
namespace {

// Significant digits of a number written into the report.
constexpr int kSignificantDigits = 15;

// Beyond this many decimal places every double is already exact (the smallest
// subnormal has 1074 digits after the point).
constexpr int kMaxPlaces = 1100;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

/// The locale's separator, or the point when it has none or one that holds a
/// control character: a line break in it would split the report's lines.
std::string_view Separator(const NumberConventions& conventions)
{
    const std::string_view separator = conventions.decimalSeparator;
    const bool usable = !separator.empty() && std::none_of(separator.begin(), separator.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\x7f';
    });
    return usable ? separator : std::string_view(".");
}

// Below 1e9 and with at most 6 places, a rounded value has at most 15
// significant digits (the double nearest to it writes back as the same
// digits), and the value times 10^places stays below 2^53.
constexpr double kQuickMagnitude = 1e9;
constexpr int kMaxQuickPlaces = 6;
constexpr std::array<std::int64_t, kMaxQuickPlaces + 1> kPowersOfTen{1, 10, 100, 1000, 10000,
                                                                      100000, 1000000};

/// value × 10^places rounded to a whole number, a tie going to the even one,
/// judged on the exact product. The product is rounded once; the fused
/// multiply-add gives its exact error, which decides where the rounded
/// product lies exactly halfway.
std::int64_t ScaledToWhole(double value, int places)
{
    const auto scale = static_cast<double>(kPowersOfTen[static_cast<std::size_t>(places)]);
    const double product = value * scale;
    const double error = std::fma(value, scale, -product); // exact: product + error = value × scale
    const double below = std::floor(product);
    double whole = std::nearbyint(product); // ties to even, the default rounding
    if (product - below == 0.5 && error != 0.0)
        whole = error > 0.0 ? below + 1.0 : below;
    return static_cast<std::int64_t>(whole);
}

/// NumberToText(RoundHalfEven(value, places)) for a value below kQuickMagnitude
/// and places up to kMaxQuickPlaces, by whole-number arithmetic: no trailing
/// zeros, no separator for whole values, never "-0".
std::string RoundedText(double value, int places, const NumberConventions& conventions)
{
    const std::int64_t scaled = ScaledToWhole(value, places);
    const std::int64_t scale = kPowersOfTen[static_cast<std::size_t>(places)];
    std::uint64_t magnitude = scaled < 0 ? static_cast<std::uint64_t>(-scaled)
                                         : static_cast<std::uint64_t>(scaled);
    auto unit = static_cast<std::uint64_t>(scale);
    const std::uint64_t whole = magnitude / unit;
    std::uint64_t fraction = magnitude % unit;
    int digits = places;
    while (digits > 0 && fraction % 10 == 0) {
        fraction /= 10;
        unit /= 10;
        --digits;
    }
    std::array<char, 32> buffer{};
    char* out = buffer.data();
    if (scaled < 0)
        *out++ = '-';
    out = std::to_chars(out, buffer.data() + buffer.size(), whole).ptr;
    std::string result(buffer.data(), out);
    if (digits > 0) {
        result += Separator(conventions);
        std::array<char, 8> fractionDigits{};
        for (int i = digits - 1; i >= 0; --i) {
            fractionDigits[static_cast<std::size_t>(i)] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        result.append(fractionDigits.data(), static_cast<std::size_t>(digits));
    }
    return result;
}

} // namespace

std::optional<double> EntryToNumber(std::string_view text, const NumberConventions& conventions)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    // The locale's separator becomes a point; a text that then holds two points
    // (a point and the locale's separator, or grouping) does not convert.
    std::string normalised;
    const std::string_view separator = Separator(conventions);
    if (separator == ".") {
        normalised.assign(text);
    } else {
        normalised.reserve(text.size());
        while (!text.empty()) {
            if (text.starts_with(separator)) {
                normalised += '.';
                text.remove_prefix(separator.size());
            } else {
                normalised += text.front();
                text.remove_prefix(1);
            }
        }
    }

    // Digits or a separator must come first: no second sign, no "inf" or "nan".
    if (normalised.empty())
        return std::nullopt;
    const char first = normalised.front();
    if (!(first == '.' || (first >= '0' && first <= '9')))
        return std::nullopt;

    double value = 0.0;
    const char* begin = normalised.data();
    const char* end = begin + normalised.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

double RoundHalfEven(double value, int places)
{
    if (!std::isfinite(value))
        return value;
    places = std::clamp(places, 0, kMaxPlaces);
    // Fixed notation with a precision rounds the double's exact binary value, a
    // tie to the even digit; reading the text back gives the nearest double to
    // the rounded decimal.
    std::vector<char> buffer(static_cast<std::size_t>(places) + 400);
    char* const begin = buffer.data();
    char* const end = begin + buffer.size();
    const auto written = std::to_chars(begin, end, value, std::chars_format::fixed, places);
    if (written.ec != std::errc())
        return value;
    double rounded = value;
    const auto read = std::from_chars(begin, written.ptr, rounded, std::chars_format::fixed);
    if (read.ec != std::errc())
        return value;
    return rounded;
}

std::string NumberToText(double value, const NumberConventions& conventions)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    if (value == 0.0)
        return "0";

    // d.dddddddddddddde±x: 15 significant digits, rounded from the exact value.
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view scientific(buffer.data(),
                                      static_cast<std::size_t>(written.ptr - buffer.data()));

    const bool negative = scientific.front() == '-';
    const std::size_t ePos = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, ePos))
        if (c >= '0' && c <= '9')
            digits += c;
    int exponent = 0;
    {
        std::string_view exponentText = scientific.substr(ePos + 1);
        if (!exponentText.empty() && exponentText.front() == '+')
            exponentText.remove_prefix(1);
        std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    // The first digit stands at 10^exponent.
    const auto count = static_cast<int>(digits.size());
    std::string whole;
    std::string fraction;
    if (exponent < 0) {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (exponent + 1 >= count) {
        whole = digits + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
    } else {
        whole = digits.substr(0, static_cast<std::size_t>(exponent + 1));
        fraction = digits.substr(static_cast<std::size_t>(exponent + 1));
    }

    std::string text;
    if (negative)
        text += '-';
    text += whole;
    if (!fraction.empty()) {
        text += Separator(conventions);
        text += fraction;
    }
    return text;
}

std::string ReportNumber(double value, int places, const NumberConventions& conventions)
{
    if (places >= 0 && places <= kMaxQuickPlaces && std::fabs(value) < kQuickMagnitude)
        return RoundedText(value, places, conventions);
    return NumberToText(places >= 0 ? RoundHalfEven(value, places) : value, conventions);
}

} // namespace humitrax
