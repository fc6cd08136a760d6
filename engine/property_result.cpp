#include "num.h"
#include "humitrax/property_result.h"

#include <cmath>

namespace humitrax {

std::string_view CauseName(FailureCause cause) noexcept
{
    switch (cause) {
    case FailureCause::TypeMismatch: return "type-mismatch";
    case FailureCause::DivisionByZero: return "division-by-zero";
    case FailureCause::Overflow: return "overflow";
    case FailureCause::InvalidOperation: return "invalid-operation";
    case FailureCause::InvalidLogarithm: return "invalid-logarithm";
    case FailureCause::NoConvergence: return "no-convergence";
    }
    return "unknown";
}

const char* PropertyFailure::what() const noexcept
{
    // Every name is a literal, so its data is terminated.
    return CauseName(m_cause).data();
}

namespace detail {

void Fail(FailureCause cause) { throw PropertyFailure(cause); }

void FailNonFinite(double result)
{
    Fail(std::isnan(result) ? FailureCause::InvalidOperation : FailureCause::Overflow);
}

} // namespace detail
} // namespace humitrax
