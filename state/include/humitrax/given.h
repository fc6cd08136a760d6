// File: given.h
// A state from the values a table gives for it — two of its properties (the
// dry bulb and one condition, or any two a state may be given by) and the
// pressure or an altitude — with its status in words. Batch, the state
// command and the Python module compute each row through ComputeGivenState,
// so that for the same values they hold and say the same. Toolkit-free,
// standard C++ only.
#pragma once

#include "humitrax/state.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace humitrax {

/// A row's status: its failures, "column: reason", joined by "; ".
class StatusText {
public:
    /// Writes into `text`, which it empties first.
    explicit StatusText(std::string& text) noexcept : m_text(text) { m_text.clear(); }

    /// "column: reason", the hint right after it.
    void Add(std::string_view column, std::string_view reason, std::string_view hint = {});
    /// Begins a failure of another form, after a "; " when one is there
    /// already; the caller writes its words into the text returned.
    std::string& Next();
    [[nodiscard]] bool empty() const noexcept { return m_text.empty(); }

private:
    std::string& m_text;
};

/// What every row of a table shares.
struct GivenBasis {
    Units units = Units::SI;
    Model model = Model::Calculator;
    bool altitude = false; ///< the place is an altitude, not a pressure
    /// The two given properties, read in this order (kGivableProperties).
    Property first = Property::DryBulb;
    Property second = Property::RelativeHumidity;
    Saturation saturation = Saturation::IceBelowFreezing; ///< the 2017 model's
    /// How a status names the 2017 model where it computes what the
    /// calculator's does not (ModelHint).
    std::string_view askedModel = "--model ashrae2017";
    /// The properties whose failures the status names (those a table
    /// writes); a refusal is named whatever they are.
    std::span<const Property> noted = kAllProperties;
};

/// The given values of a row, in the order they are read: the first given
/// property, the pressure or altitude, the second.
enum class GivenValue : std::uint8_t { First, Place, Second };

/// The column of a basis's place: "altitude" or "pressure".
std::string_view PlaceColumn(const GivenBasis& basis) noexcept;

namespace detail {
/// The value when it is a finite number; else nothing, the status noting
/// "column: not a number" or "column: not a finite number".
std::optional<double> FiniteGiven(std::optional<double> value, std::string_view column, StatusText& status);
/// The pressure of the basis's place: the value itself, or the
/// model's pressure at an altitude, its failure noted under "pressure".
Cell GivenPressure(const GivenBasis& basis, std::optional<double> value, StatusText& status);
/// The state when every value is there (each failing cell noted, with the
/// model's hint), else the values that are there in their cells.
bool FinishGivenState(const GivenBasis& basis, std::optional<double> first, const Cell& pressure,
                      std::optional<double> second, StatusText& status, StateResult& state);
} // namespace detail

/// Computes one row's state from its given values, read in this order by
/// `read(which, column)`: the first given property ("dry_bulb"), the
/// pressure or altitude (PlaceColumn), the second ("relative_humidity" ...),
/// by the one solver of two properties (ComputeStateFromPair). `read`
/// gives std::optional<double>: the value, or nothing when it has none, having
/// said why in the status. A value that is not finite is noted; an
/// altitude's pressure is computed as soon as it is read (whatever the other
/// values), and a failure of it noted as "pressure: reason". When all three
/// are there the state is computed and each cell without a value noted
/// ("dew_point: below -100 °C ..."); otherwise `state` holds the given values
/// that are there, and no property. Returns whether the state was computed.
template <typename Read>
bool ComputeGivenState(const GivenBasis& basis, Read&& read, StatusText& status, StateResult& state)
{
    const std::string_view firstColumn = PropertyColumn(basis.first);
    const std::optional<double> first =
        detail::FiniteGiven(read(GivenValue::First, firstColumn), firstColumn, status);
    const std::string_view placeColumn = PlaceColumn(basis);
    const Cell pressure = detail::GivenPressure(
        basis, detail::FiniteGiven(read(GivenValue::Place, placeColumn), placeColumn, status), status);
    const std::string_view secondColumn = PropertyColumn(basis.second);
    const std::optional<double> second =
        detail::FiniteGiven(read(GivenValue::Second, secondColumn), secondColumn, status);
    return detail::FinishGivenState(basis, first, pressure, second, status, state);
}

} // namespace humitrax
