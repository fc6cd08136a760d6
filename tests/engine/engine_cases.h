// Shared helpers of the engine tests.
#pragma once

#include "humitrax/psychrometrics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace humitrax::testing {

inline constexpr std::int16_t kIP = 0;
inline constexpr std::int16_t kSIFlag = -1; // the usual true value, all bits set

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

/// Test-name friendly: letters, digits and underscores only.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

} // namespace humitrax::testing
