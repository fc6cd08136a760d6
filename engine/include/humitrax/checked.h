// File: checked.h
// The test every arithmetic result of the relations passes, named once for
// the engine, the state layer and the processes: a NaN is an invalid
// operation and an infinity an overflow, each a PropertyFailure.
#pragma once

#include "property_result.h"

#include <cmath>

namespace humitrax {

namespace detail {
/// Throws PropertyFailure for a result that is not finite: InvalidOperation
/// for a NaN, Overflow for an infinity.
[[noreturn]] void FailNonFinite(double result);
} // namespace detail

/// x itself; throws PropertyFailure (InvalidOperation for a NaN, Overflow for
/// an infinity) when it is not finite.
inline double Checked(double x)
{
    if (!std::isfinite(x)) [[unlikely]]
        detail::FailNonFinite(x);
    return x;
}

/// a / b, tested: any division by zero throws DivisionByZero (0/0 included),
/// unless a is a NaN (InvalidOperation); then as Checked.
inline double CheckedDivide(double a, double b)
{
    if (b == 0.0) [[unlikely]]
        throw PropertyFailure(std::isnan(a) ? FailureCause::InvalidOperation : FailureCause::DivisionByZero);
    return Checked(a / b);
}

} // namespace humitrax
