// The comfort command: the predicted mean vote and percentage dissatisfied
// (ISO 7730) of people in air of a given state.
#include "kit/state_text.h"
#include "table/csv.h"
#include "commands.h"
#include "kit/numbers.h"
#include "kit/options.h"
#include "kit/readable.h"
#include "kit/output.h"

#include "humitrax/comfort.h"
#include "humitrax/constants.h"
#include "humitrax/state.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace humitrax::cli {
namespace {

constexpr std::string_view kHelp = R"(  comfort STATE --met M --clo C [--units si|ip] (--pressure P | --altitude A)
        [--air-speed V] [--radiant T] [--model ashrae2017|calculator] [--saturation ice|water] [--format table|csv|json]
      Thermal comfort by ISO 7730: the predicted mean vote (PMV, -3 cold to
      +3 hot) and the predicted percentage dissatisfied (PPD) of people in air
      of the STATE (as for process: 22,rh=60, 24,wb=17 ...), whose water
      vapour pressure the state gives. --met is the metabolic rate in met,
      --clo the clothing in clo, --air-speed the air speed relative to the
      body (m/s, or ft/min with ip; default 0.1 m/s), --radiant the mean
      radiant temperature (default: the dry bulb). The model computes in SI:
      inch-pound inputs are converted, and the output is SI. Whether every
      input lies in the ranges ISO 7730 gives for the model is reported too.
      Example:
        humitrax-cli comfort 22,rh=60 --met 1.2 --clo 0.5 --units si --pressure 101.325

)";

constexpr double kDefaultAirSpeed = 0.1;             // m/s
constexpr double kMetresPerSecondPerFpm = 0.00508; // a foot a minute
constexpr double kPascalsPerKilopascal = 1000.0;

struct ComfortOptions {
    AirOptions air;
    std::optional<AirState> state;
    std::optional<double> met;
    std::optional<double> clo;
    std::optional<double> airSpeed;
    std::optional<double> radiant;
};

constexpr Messages kSay{"comfort"};

constexpr std::array<OptionSpec, 10> kComfortOptions{{
    kAirOptionSpecs[0],
    kAirOptionSpecs[1],
    kAirOptionSpecs[2],
    kAirOptionSpecs[3],
    kAirOptionSpecs[4],
    kAirOptionSpecs[5],
    {"--met"},
    {"--clo"},
    {"--air-speed"},
    {"--radiant"},
}};

std::optional<int> ParseOptions(std::span<const std::string_view> args, ComfortOptions& options)
{
    Options given;
    if (std::optional<std::string> error = given.Read(args, kComfortOptions, 1))
        return kSay.Usage(*error);
    if (given.help())
        return WriteOut(kHelp) ? kExitOk : OutputFailed();
    std::string message;
    if (given.positional().empty())
        return kSay.Usage("a state is needed (22,rh=60)");
    options.state = ParseAirState(given.positional().front(), message);
    if (!options.state)
        return kSay.Usage(message);
    for (const auto& [name, target] : {std::pair{"--met", &options.met}, std::pair{"--clo", &options.clo},
                                       std::pair{"--air-speed", &options.airSpeed},
                                       std::pair{"--radiant", &options.radiant}}) {
        if (const std::optional<std::string_view> text = given.Value(name)) {
            *target = ReadFiniteNumber(name, *text, message);
            if (!*target)
                return kSay.Usage(message);
        }
    }
    if (!options.met || !options.clo)
        return kSay.Usage("--met and --clo are needed");
    if (!ReadAirOptions(given, options.air, message))
        return kSay.Usage(message);
    return std::nullopt;
}

double Celsius(double value, Units units) { return units == Units::SI ? value : (value - 32.0) / 1.8; }

} // namespace

std::string_view ComfortHelp() { return kHelp; }

int RunComfort(std::span<const std::string_view> args)
{
    ComfortOptions options;
    if (const std::optional<int> status = ParseOptions(args, options))
        return *status;
    const Units units = options.air.units;
    const bool si = units == Units::SI;
    const Cell pressure = PressureOf(options.air);
    if (!pressure.present)
        return kSay.Fail("pressure: " + std::string(pressure.reason));
    const AirState& given = *options.state;
    const StateResult state = ComputeState(
        {units, given.dryBulb, pressure.value, given.condition, given.value, options.air.model,
         options.air.saturation});
    if (!state.refusal.empty()) {
        return kSay.Fail("the air cannot exist: " + std::string(PropertyColumn(state.refused)) + " " +
                      std::string(state.refusal));
    }
    const Cell& vapour = state[Property::VapourPressure];
    if (!vapour.present)
        return kSay.Fail("vapour_pressure: " + std::string(vapour.reason));

    comfort::ComfortInput input{};
    input.airTemperature = Celsius(given.dryBulb, units);
    input.meanRadiantTemperature = Celsius(options.radiant.value_or(given.dryBulb), units);
    input.airSpeed = options.airSpeed ? *options.airSpeed * (si ? 1.0 : kMetresPerSecondPerFpm) : kDefaultAirSpeed;
    input.vapourPressure = vapour.value * (si ? kPascalsPerKilopascal : kPascalsPerPsi);
    input.metabolicRate = *options.met;
    input.clothing = *options.clo;
    if (const std::optional<comfort::InputProblem> problem = comfort::InputRefusal(input))
        return kSay.Fail(std::string(problem->rule) + ", not " + ReadableNumber(input.*(problem->input)));
    comfort::PmvPpd result{};
    try {
        result = comfort::Pmv(input);
    } catch (const PropertyFailure& failure) {
        return kSay.Fail("PMV: " + std::string(CausePhrase(failure.cause())));
    }
    const bool applicable = comfort::InApplicableRange(input);

    struct Row {
        std::string_view key;
        std::string_view label;
        double value;
        std::string_view unit;
    };
    const std::array<Row, 8> rows{{
        {"air_temperature", "Air temperature", input.airTemperature, "°C"},
        {"mean_radiant_temperature", "Mean radiant temperature", input.meanRadiantTemperature, "°C"},
        {"air_speed", "Relative air speed", input.airSpeed, "m/s"},
        {"vapour_pressure", "Water vapour pressure", input.vapourPressure, "Pa"},
        {"metabolic_rate", "Metabolic rate", input.metabolicRate, "met"},
        {"clothing", "Clothing", input.clothing, "clo"},
        {"pmv", "PMV", result.pmv, ""},
        {"ppd", "PPD", result.ppd, "%"},
    }};
    constexpr std::string_view kApplicableKey = "in_applicable_range";
    std::string out;
    switch (options.air.format) {
    case Format::Table:
        out = "Thermal comfort by ISO 7730 (PMV/PPD), ";
        out.append(ModelWords(options.air.model, options.air.saturation)).append("\n");
        for (const Row& row : rows) {
            out.append("  ");
            AppendPadded(out, row.label, 28);
            AppendPadded(out, ReadableNumber(row.value), 12);
            out.append(row.unit).push_back('\n');
        }
        out.append("  ");
        AppendPadded(out, "In ISO 7730's ranges", 28);
        out.append(applicable ? "yes\n" : "no\n");
        out = WithoutTrailingBlanks(out);
        break;
    case Format::Csv:
        for (const Row& row : rows)
            out.append(row.key).push_back(',');
        out.append(kApplicableKey).push_back('\n');
        for (const Row& row : rows) {
            AppendNumber(out, row.value);
            out.push_back(',');
        }
        out.append(applicable ? "true\n" : "false\n");
        break;
    case Format::Json:
        out = "{" + ModelMembers(options.air.model, options.air.saturation) + ",";
        for (const Row& row : rows) {
            AppendJsonString(out, row.key);
            out.push_back(':');
            AppendNumber(out, row.value);
            out.push_back(',');
        }
        AppendJsonString(out, kApplicableKey);
        out.append(applicable ? ":true}\n" : ":false}\n");
        break;
    }
    return WriteOut(out) ? kExitOk : OutputFailed();
}

} // namespace humitrax::cli
