// File: fuzz_input.h
// Turns a fuzzer's bytes into the arguments of a call: doubles that are raw bit
// patterns (NaN, infinities, subnormals), notable values or ordinary
// magnitudes; small or raw 16-bit codes; texts. Every read succeeds: an
// exhausted input gives zeros, so each input is a complete call.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace humitrax::fuzz {

/// Ends the run when a property does not hold: the fuzzer keeps the input.
[[noreturn]] inline void PropertyBroken(std::string_view what, std::string_view detail = {})
{
    std::fprintf(stderr, "property broken: %.*s %.*s\n", static_cast<int>(what.size()), what.data(),
                 static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void Require(bool holds, std::string_view what, std::string_view detail = {})
{
    if (!holds)
        PropertyBroken(what, detail);
}

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) noexcept : m_data(data), m_size(size) {}

    [[nodiscard]] bool empty() const noexcept { return m_size == 0; }

    std::uint8_t Byte() noexcept
    {
        if (m_size == 0)
            return 0;
        const std::uint8_t b = *m_data;
        ++m_data;
        --m_size;
        return b;
    }

    std::uint16_t Word() noexcept
    {
        const auto low = static_cast<unsigned>(Byte());
        const auto high = static_cast<unsigned>(Byte());
        return static_cast<std::uint16_t>(low | (high << 8U));
    }

    std::uint64_t Bits64() noexcept
    {
        std::uint64_t bits = 0;
        for (unsigned i = 0; i < 8; ++i)
            bits |= static_cast<std::uint64_t>(Byte()) << (8U * i);
        return bits;
    }

    /// A raw bit pattern, a notable value, or an ordinary magnitude (hundredths
    /// from −327.68 to 327.67, optionally scaled by a power of ten).
    double Double() noexcept
    {
        const std::uint8_t mode = Byte();
        switch (mode % 8) {
        case 0:
        case 1: return std::bit_cast<double>(Bits64());
        case 2:
        case 3: return kNotable[Byte() % kNotable.size()];
        case 4: {
            static constexpr std::array<double, 8> kScale{1e-9, 1e-6, 1e-3, 1e3, 1e6, 1e100, 1e300, -1.0};
            return static_cast<std::int16_t>(Word()) / 100.0 * kScale[Byte() % kScale.size()];
        }
        default: return static_cast<std::int16_t>(Word()) / 100.0;
        }
    }

    /// Mostly −1 to 5, sometimes any 16-bit value.
    std::int16_t Code() noexcept
    {
        const std::uint8_t b = Byte();
        if (b >= 224)
            return static_cast<std::int16_t>(Word());
        return static_cast<std::int16_t>(b % 7 - 1);
    }

    /// A unit flag: zero, one, all bits set, or any value.
    std::int16_t Flag() noexcept
    {
        switch (Byte() % 4) {
        case 0: return 0;
        case 1: return 1;
        case 2: return -1;
        default: return static_cast<std::int16_t>(Word());
        }
    }

    /// Up to `length` raw bytes.
    std::string Text(std::size_t length)
    {
        const std::size_t n = length < m_size ? length : m_size;
        std::string text(reinterpret_cast<const char*>(m_data), n);
        m_data += n;
        m_size -= n;
        return text;
    }

private:
    static constexpr double kInf = std::numeric_limits<double>::infinity();
    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    static constexpr std::array<double, 40> kNotable{
        0.0, -0.0, 1.0, -1.0, kNaN, -kNaN, kInf, -kInf,
        std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
        -std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
        -std::numeric_limits<double>::max(), 1e-300, 1e300, 1e-9,
        // the saturation range and its neighbours, °C and °F
        -100.0, 200.0, -100.00000000000001, 200.00000000000003, -148.0, 392.0, 0.0001, -0.0001,
        // triple points and absolute offsets
        273.15, -273.15, 459.67, -459.67, 32.0, 0.01,
        // pressures, ratios, fractions
        101.325, 14.696, 0.62198, -0.62198, 0.01, 0.5, 25.0, -60.0, 1e-12, 5000.0};

    const std::uint8_t* m_data;
    std::size_t m_size;
};

} // namespace humitrax::fuzz
