// The calculation driver: one press of Calculate, from the entries to the
// report or a message.
#include "driver.h"

#include "humitrax/state.h"

#include <array>
#include <cmath>
#include <string>

namespace humitrax {
namespace {

// Upper limits of the entries, tested as "greater than" on the value as typed.
constexpr double kDryBulbLimit = 51.0;           // °C
constexpr double kPressureLimit = 108.0;         // kPa
constexpr double kAltitudeLimit = 5000.0;        // m
constexpr double kRelativeHumidityLimit = 100.0; // percent
constexpr double kHumidityRatioLimit = 1.0;      // kg/kg

constexpr double kPercent = 100.0;
constexpr double kAbsoluteZero = -273.15; // °C

constexpr std::string_view kCrLf = "\r\n";

/// The three ways a press can end early; each is caught in Calculate.
struct EndOfPress {
    std::string_view message;
};

[[noreturn]] void OutOfRange() { throw EndOfPress{messages::kOutOfRange}; }
[[noreturn]] void CheckValues() { throw EndOfPress{messages::kCheckValues}; }

/// The driver's own arithmetic, tested as the engine tests its own: a NaN is an
/// invalid operation, an infinity an overflow.
double Checked(double x)
{
    if (std::isnan(x))
        throw PropertyFailure(FailureCause::InvalidOperation);
    if (std::isinf(x))
        throw PropertyFailure(FailureCause::Overflow);
    return x;
}

double CheckedDivide(double a, double b)
{
    if (b == 0.0)
        throw PropertyFailure(std::isnan(a) ? FailureCause::InvalidOperation
                                            : FailureCause::DivisionByZero);
    return Checked(a / b);
}

/// An entry converted at its limit check: "Check your values." when it is no number.
double Convert(const std::string& text, const NumberConventions& conventions)
{
    const std::optional<double> value = EntryToNumber(text, conventions);
    if (!value)
        CheckValues();
    return *value;
}

/// The values of one press by property, all 0 at its start; relative
/// humidity in percent.
struct Working {
    std::array<double, kPropertyCount> values{};

    double& operator[](Property property) { return values[static_cast<std::size_t>(property)]; }
    double operator[](Property property) const { return values[static_cast<std::size_t>(property)]; }
};

/// The third condition, its limit check and the engine calls in the
/// calculator's order for it.
void ComputeProperties(const CalculationRequest& request, const NumberConventions& conventions,
                       Working& w)
{
    using namespace condition_entries;
    // The window's drop-down list always has one of its four entries selected.
    if (request.thirdcond < kWetBulb || request.thirdcond > kHumidityRatio)
        CheckValues();
    const auto condition = static_cast<Condition>(request.thirdcond + 1);
    const double& T = w[Property::DryBulb];
    const double& P = w[Property::Pressure];

    const double value = Convert(request.third, conventions);
    switch (condition) {
    case Condition::WetBulb:
    case Condition::DewPoint:
        if (value > T)
            OutOfRange();
        break;
    case Condition::RelativeHumidity:
        if (value > kRelativeHumidityLimit)
            OutOfRange();
        break;
    case Condition::HumidityRatio:
        if (value > kHumidityRatioLimit)
            OutOfRange();
        break;
    }
    const bool relative = condition == Condition::RelativeHumidity;
    const double stateVar = relative ? CheckedDivide(value, kPercent) : value;
    if (!relative)
        w[ConditionProperty(condition)] = value;
    for (Property property : CalculatorOrder(condition)) {
        const double result = EngineProperty(property, Units::SI, T, P, condition, stateVar).AsNumber();
        w[property] = property == Property::RelativeHumidity ? Checked(result * kPercent) : result;
    }
    if (relative)
        w[Property::RelativeHumidity] = Checked(stateVar * kPercent);
}

/// A value of the report: rounded to `places` when places >= 0, then as text.
std::string Shown(double value, int places, const NumberConventions& conventions)
{
    // Every value reaching the report is finite: the engine fails rather than
    // return an infinity, and the driver's arithmetic is checked. A value that
    // somehow is not would have no plain decimal text.
    Checked(value);
    return ReportNumber(value, places, conventions);
}

std::string Report(const Working& w, const NumberConventions& conventions)
{
    constexpr int kNotRounded = -1;
    struct Line {
        std::string_view label;
        double value;
        int places;
        std::string_view unit;
    };
    const std::array<Line, 8> lines = {{
        {"Dry Bulb Temperature: ", w[Property::DryBulb], kNotRounded, " \u00b0C"},
        {"Barometric Pressure: ", w[Property::Pressure], 3, " kPa"},
        {"Wet Bulb Temperature: ", w[Property::WetBulb], 1, " \u00b0C"},
        {"Dew Point Temperature: ", w[Property::DewPoint], 1, " \u00b0C"},
        {"Relative Humidity: ", w[Property::RelativeHumidity], 1, " %"},
        {" Absolute Humidity: ", w[Property::HumidityRatio], 4, " mass ratio"},
        {" Enthalpy: ", w[Property::Enthalpy], 2, " kJ/kg"},
        {" Specific Volume: ", w[Property::SpecificVolume], 2, " cu.m/kg"},
    }};
    constexpr std::size_t kUsualLength = 320;
    std::string report;
    report.reserve(kUsualLength);
    report += "As per Humitrax\u00ae";
    report += kCrLf;
    report.append(23, '_');
    for (const Line& line : lines) {
        report += kCrLf;
        report += line.label;
        report += Shown(line.value, line.places, conventions);
        report += line.unit;
    }
    return report;
}

CalculationOutcome Press(const CalculationRequest& request, const NumberConventions& conventions)
{
    // 1. An empty entry ends the press before anything is converted.
    if (request.dryBulb.empty() || request.second.empty() || request.third.empty())
        return {false, std::string(messages::kEmptyEntry)};

    Working w;
    // 2. The dry bulb.
    const double dryBulb = Convert(request.dryBulb, conventions);
    if (dryBulb > kDryBulbLimit)
        OutOfRange();
    w[Property::DryBulb] = dryBulb;

    // 3. The pressure, typed or from the altitude.
    const double second = Convert(request.second, conventions);
    if (request.barocond == pressure_entries::kPressure) {
        if (second > kPressureLimit)
            OutOfRange();
        w[Property::Pressure] = second;
    } else {
        if (second > kAltitudeLimit)
            OutOfRange();
        w[Property::Pressure] = AltitudePressureSI(second);
    }

    // 4. The third condition and the properties.
    ComputeProperties(request, conventions, w);
    // Air that cannot exist is no result: a pressure typed in the wrong unit
    // gives a negative humidity ratio, a near-zero humidity a dew point below
    // absolute zero.
    if (w[Property::HumidityRatio] < 0.0 || w[Property::WetBulb] < kAbsoluteZero ||
        w[Property::DewPoint] < kAbsoluteZero)
        CheckValues();

    // 5. The report.
    return {true, Report(w, conventions)};
}

} // namespace

CalculationOutcome Calculate(const CalculationRequest& request,
                             const NumberConventions& conventions) noexcept
{
    try {
        return Press(request, conventions);
    } catch (const EndOfPress& end) {
        try {
            return {false, std::string(end.message)};
        } catch (...) {
            return {};
        }
    } catch (...) {
        // A PropertyFailure from the engine or the driver's arithmetic, an error
        // text used as a number, or anything else: the press ends here.
        try {
            return {false, std::string(messages::kCheckValues)};
        } catch (...) {
            return {};
        }
    }
}

} // namespace humitrax
