// File: property_result.h
// The value every engine function but interp returns (a number, one of the
// engine's fixed error texts, or empty), and the failure the engine raises when
// a value cannot be formed.
#pragma once

#include <cstdint>
#include <exception>
#include <string_view>

namespace humitrax {

/// Which second property accompanies the dry bulb (the argument `Situation`).
/// Any other value is invalid; each function says what it does with one.
enum SituationCode : std::int16_t {
    kWetBulbGiven = 1,          ///< StateVar is the wet-bulb temperature
    kDewPointGiven = 2,         ///< StateVar is the dew-point temperature
    kRelativeHumidityGiven = 3, ///< StateVar is the relative humidity, a fraction
    kHumidityRatioGiven = 4,    ///< StateVar is the humidity ratio
};

/// The engine's error texts, each the whole of a result. Static storage: a
/// result that holds one allocates nothing.
namespace texts {
inline constexpr const char* kOutOfRange = "out of range";
inline constexpr const char* kError = "error";
inline constexpr const char* kSituationMustBe = "ERROR: Situation must be 1,2,3 or 4";
inline constexpr const char* kInvalidSituation = "error: invalid input for situation type";
} // namespace texts

/// Why a computation failed.
enum class FailureCause : std::uint8_t {
    TypeMismatch,     ///< an error text used as a number
    DivisionByZero,   ///< a division by zero (0/0 included)
    Overflow,         ///< a result too large for a double
    InvalidOperation, ///< an operation with no meaningful result (inf - inf, a NaN operand)
    InvalidLogarithm, ///< the logarithm of a value that is not positive
    NoConvergence,    ///< an iteration (wet bulb, clothing temperature) found no answer within its bound
};

/// The cause as a short lower-case word: "type-mismatch", "division-by-zero",
/// "overflow", "invalid-operation", "invalid-logarithm", "no-convergence".
std::string_view CauseName(FailureCause cause) noexcept;

/// A failure inside the engine. It ends the function in which it arises and
/// passes unchanged through every caller; no engine function catches one.
class PropertyFailure : public std::exception {
public:
    explicit PropertyFailure(FailureCause cause) noexcept : m_cause(cause) {}
    [[nodiscard]] FailureCause cause() const noexcept { return m_cause; }
    /// The cause name, as CauseName gives it.
    [[nodiscard]] const char* what() const noexcept override;

private:
    FailureCause m_cause;
};

/// A number, one of the error texts of `texts`, or empty.
class PropertyResult {
public:
    enum class Kind : std::uint8_t { Empty, Number, Text };

    /// An empty result.
    constexpr PropertyResult() noexcept = default;
    /// A number.
    constexpr PropertyResult(double number) noexcept // NOLINT(google-explicit-constructor)
        : m_kind(Kind::Number), m_number(number) {}
    /// An error text; `text` must have static storage (one of `texts`).
    static constexpr PropertyResult Text(const char* text) noexcept
    {
        PropertyResult r;
        r.m_kind = Kind::Text;
        r.m_text = text;
        return r;
    }

    [[nodiscard]] constexpr Kind kind() const noexcept { return m_kind; }
    [[nodiscard]] constexpr bool isNumber() const noexcept { return m_kind == Kind::Number; }
    [[nodiscard]] constexpr bool isText() const noexcept { return m_kind == Kind::Text; }
    [[nodiscard]] constexpr bool isEmpty() const noexcept { return m_kind == Kind::Empty; }

    /// The error text; empty for a number or an empty result.
    [[nodiscard]] constexpr std::string_view text() const noexcept
    {
        return m_kind == Kind::Text ? std::string_view(m_text) : std::string_view();
    }

    /// The result used as a number: the number itself, 0 for an empty result.
    /// Throws PropertyFailure(TypeMismatch) for a text.
    [[nodiscard]] double AsNumber() const
    {
        if (m_kind == Kind::Text)
            throw PropertyFailure(FailureCause::TypeMismatch);
        return m_number;
    }

    friend constexpr bool operator==(const PropertyResult& a, const PropertyResult& b) noexcept
    {
        if (a.m_kind != b.m_kind)
            return false;
        if (a.m_kind == Kind::Number)
            return a.m_number == b.m_number;
        return a.text() == b.text();
    }

private:
    // Sixteen bytes, so that a result is returned in registers.
    Kind m_kind = Kind::Empty;
    union {
        double m_number = 0.0; ///< a number; 0 when empty
        const char* m_text;    ///< a text
    };
};

} // namespace humitrax
