// Shared helpers of the engine tests.
#pragma once

#include "humitrax/psychrometrics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <variant>

namespace humitrax::testing {

inline constexpr std::int16_t kIP = 0;
inline constexpr std::int16_t kSIFlag = -1; // the usual true value, all bits set
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline const std::string kOutOfRange = "text 'out of range'";

/// What a call gave: a result, or the cause of its failure.
using Outcome = std::variant<PropertyResult, FailureCause>;

template <typename Call>
Outcome Evaluate(Call&& call)
{
    try {
        return call();
    } catch (const PropertyFailure& failure) {
        return failure.cause();
    }
}

inline std::string Show(const Outcome& outcome)
{
    if (const auto* cause = std::get_if<FailureCause>(&outcome))
        return "failure " + std::string(CauseName(*cause));
    const auto& result = std::get<PropertyResult>(outcome);
    if (result.isText())
        return "text '" + std::string(result.text()) + "'";
    if (result.isEmpty())
        return "empty";
    return "number " + ::testing::PrintToString(result.AsNumber());
}

/// One call and what it gives: a number near `expected`, or exactly `shown` as Show writes it.
struct CallRow {
    const char* name;
    std::function<PropertyResult()> call;
    double expected = 0.0, tolerance = 0.0;
    std::string shown; ///< empty: a number is expected
};

inline CallRow Near(const char* name, std::function<PropertyResult()> call, double expected, double tolerance)
{
    return {name, std::move(call), expected, tolerance, ""};
}
inline CallRow Gives(const char* name, std::function<PropertyResult()> call, std::string shown)
{
    return {name, std::move(call), 0.0, 0.0, std::move(shown)};
}
inline CallRow Fails(const char* name, std::function<PropertyResult()> call, FailureCause cause)
{
    return Gives(name, std::move(call), "failure " + std::string(CauseName(cause)));
}

/// Its test is in failures_test.cpp; each file instantiates its own rows.
class CallTable : public ::testing::TestWithParam<CallRow> {};

/// Test-name friendly: letters, digits and underscores only.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

} // namespace humitrax::testing
