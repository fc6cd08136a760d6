// File: num.h
// Checked arithmetic for the engine. Every operation is the plain IEEE double
// operation, evaluated where it is written; its result is then tested: a NaN is
// an invalid operation, an infinity an overflow, and any division by zero a
// division by zero, whatever its numerator (0/0 included) unless that is a NaN.
// Testing the values costs a compare per operation, against about 85 ns for
// clearing the floating-point status flags.
// Implementation details, private to the engine.
#pragma once

#include "humitrax/checked.h"
#include "humitrax/property_result.h"

#include <cmath>

namespace humitrax::detail {

[[noreturn]] void Fail(FailureCause cause);

using humitrax::Checked;

/// A double whose every operation is tested as it is done.
struct Num {
    double v;

    constexpr Num(double value) noexcept : v(value) {} // NOLINT(google-explicit-constructor)
    explicit operator double() const noexcept { return v; }

    friend Num operator+(Num a, Num b) { return Checked(a.v + b.v); }
    friend Num operator-(Num a, Num b) { return Checked(a.v - b.v); }
    friend Num operator*(Num a, Num b) { return Checked(a.v * b.v); }
    friend Num operator/(Num a, Num b)
    {
        if (b.v == 0.0) [[unlikely]]
            Fail(std::isnan(a.v) ? FailureCause::InvalidOperation : FailureCause::DivisionByZero);
        return Checked(a.v / b.v);
    }
};

/// The C library's pow, called at run time for every exponent (the engine is
/// built with -fno-builtin-pow so that pow(x, 2.0) stays a call, not x*x).
inline Num Pow(Num base, double exponent) { return Checked(::pow(base.v, exponent)); }

inline Num Exp(Num x) { return Checked(std::exp(x.v)); }

/// The natural logarithm; a value that is not positive is an invalid argument.
inline Num Log(Num x)
{
    if (!(x.v > 0.0)) [[unlikely]]
        Fail(std::isnan(x.v) ? FailureCause::InvalidOperation : FailureCause::InvalidLogarithm);
    return Checked(std::log(x.v));
}

inline Num Abs(Num x) { return std::fabs(x.v); }

} // namespace humitrax::detail
