// The shortest text of a double, laid out as std::to_chars lays it out.
//
// Both find the same digits: the shortest that read back as the same double,
// the nearest of them to it. fmt's Dragonbox finds them in about half the time
// libstdc++'s Ryu takes, and batch writes a dozen numbers a row, so the digits
// come from Dragonbox and the layout (fixed unless scientific is shorter, a
// tie going to fixed) is written here. Whole numbers with trailing zeros and
// exponents far from 1 are left to to_chars: it writes the former's exact
// value rather than its shortest digits, and neither occurs in a psychrometric
// state.
#include "csv.h"

#include <fmt/format.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace humitrax::cli {
namespace {

constexpr std::array<std::uint64_t, 18> kPowersOfTen = {
    1ULL, 10ULL, 100ULL, 1'000ULL, 10'000ULL, 100'000ULL, 1'000'000ULL, 10'000'000ULL,
    100'000'000ULL, 1'000'000'000ULL, 10'000'000'000ULL, 100'000'000'000ULL,
    1'000'000'000'000ULL, 10'000'000'000'000ULL, 100'000'000'000'000ULL,
    1'000'000'000'000'000ULL, 10'000'000'000'000'000ULL, 100'000'000'000'000'000ULL};

constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

/// How many decimal digits `value` has (1 to 17: a double's shortest digits).
int DigitCount(std::uint64_t value) noexcept
{
    // log10(2) ≈ 1233 / 4096 gives the count or one less.
    const auto guess = static_cast<std::size_t>((std::bit_width(value) * 1233) >> 12);
    return static_cast<int>(guess) + (value >= kPowersOfTen[guess] ? 1 : 0);
}

void WritePair(char* out, std::uint32_t pair) noexcept
{
    std::memcpy(out, kDigitPairs + 2 * pair, 2);
}

/// The digits of `value`, ending just before `end`.
void WriteDigits(char* end, std::uint64_t value) noexcept
{
    while (value >= 100'000'000) {
        // Eight at a time, their four pairs independent of each other.
        const auto low = static_cast<std::uint32_t>(value % 100'000'000);
        value /= 100'000'000;
        end -= 8;
        WritePair(end, low / 1'000'000);
        WritePair(end + 2, low / 10'000 % 100);
        WritePair(end + 4, low / 100 % 100);
        WritePair(end + 6, low % 100);
    }
    auto rest = static_cast<std::uint32_t>(value);
    while (rest >= 100) {
        end -= 2;
        WritePair(end, rest % 100);
        rest /= 100;
    }
    if (rest >= 10)
        WritePair(end - 2, rest);
    else
        end[-1] = static_cast<char>('0' + rest);
}

} // namespace

char* WriteNumber(char* out, double value) noexcept
{
    if (!std::isfinite(value) || value == 0.0)
        return std::to_chars(out, out + kMaxNumberLength, value).ptr;
    const auto decimal = fmt::detail::dragonbox::to_decimal(value);
    const std::uint64_t digits = decimal.significand;
    const int exponent = decimal.exponent; // value = digits × 10^exponent
    const int count = DigitCount(digits);
    const int point = exponent + count;   // digits before the decimal point
    if (exponent > 0 || point < -20 || point > 20)
        return std::to_chars(out, out + kMaxNumberLength, value).ptr;

    if (std::signbit(value))
        *out++ = '-';
    const int scientificLength = count + (count > 1 ? 1 : 0) + 4; // "d.ddde-05"
    const int fixedLength = exponent == 0 ? count : point > 0 ? count + 1 : 2 - point + count;
    if (fixedLength <= scientificLength) {
        if (point <= 0) {
            *out++ = '0';
            *out++ = '.';
            for (int zero = 0; zero < -point; ++zero)
                *out++ = '0';
            WriteDigits(out + count, digits);
            return out + count;
        }
        if (exponent == 0) {
            WriteDigits(out + count, digits);
            return out + count;
        }
        // The digits one place to the right, then the whole part moved back
        // in front of the point.
        WriteDigits(out + 1 + count, digits);
        for (int i = 0; i < point; ++i)
            out[i] = out[i + 1];
        out[point] = '.';
        return out + 1 + count;
    }
    WriteDigits(out + 1 + count, digits);
    out[0] = out[1];
    out += count > 1 ? count + 1 : 1;
    if (count > 1)
        out[-count] = '.';
    const int power = point - 1;
    *out++ = 'e';
    *out++ = power < 0 ? '-' : '+';
    WritePair(out, static_cast<std::uint32_t>(power < 0 ? -power : power));
    return out + 2;
}

} // namespace humitrax::cli
