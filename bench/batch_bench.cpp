// Rows per second of the batch command's path on relative-humidity rows: the
// engine calls of one row alone, the same through the state computation, and
// the whole block work (parse the CSV, compute, write CSV or JSON lines, every
// property or the lean output of --columns). The difference between the first
// and the last is what reading and writing add.
#include "table/rows.h"
#include "table/csv.h"
#include "humitrax/psychrometrics.h"
#include "humitrax/state.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

using humitrax::cli::BatchLayout;
using humitrax::Condition;
using humitrax::cli::Format;
using humitrax::Units;

constexpr std::size_t kRows = 4096;

struct Row {
    double dryBulb;
    double pressure;
    double relativeHumidity; ///< percent
};

/// Ordinary weather: 0 to 40 °C, 95 to 103 kPa, 5 to 100 %, or the same
/// states in inch-pound units.
std::vector<Row> MakeRows(Units units)
{
    std::mt19937_64 random(20260101);
    std::uniform_real_distribution<double> dryBulb(0.0, 40.0);
    std::uniform_real_distribution<double> pressure(95.0, 103.0);
    std::uniform_real_distribution<double> humidity(5.0, 100.0);
    std::vector<Row> rows(kRows);
    for (Row& row : rows) {
        row.dryBulb = dryBulb(random);
        row.pressure = pressure(random);
        row.relativeHumidity = humidity(random);
        if (units == Units::InchPound) {
            row.dryBulb = row.dryBulb * 1.8 + 32.0;
            row.pressure = row.pressure / 6.894757;
        }
    }
    return rows;
}

/// The rows as a weather file's body, one decimal as such files have.
std::string MakeCsv(const std::vector<Row>& rows)
{
    std::string csv;
    char line[128];
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int length = std::snprintf(line, sizeof line, "2025-07-%02zuT%02zu:00,%.1f,%.3f,%.1f\n",
                                         i % 28 + 1, i % 24, rows[i].dryBulb, rows[i].pressure,
                                         rows[i].relativeHumidity);
        csv.append(line, static_cast<std::size_t>(length));
    }
    return csv;
}

Units UnitsOf(const benchmark::State& state)
{
    return state.range(0) == 0 ? Units::SI : Units::InchPound;
}

void SetLabel(benchmark::State& state)
{
    state.SetLabel(UnitsOf(state) == Units::SI ? "si" : "ip");
}

/// The engine's calls for a relative-humidity row, nothing else.
void BM_EngineCalls(benchmark::State& state)
{
    const Units units = UnitsOf(state);
    const std::vector<Row> rows = MakeRows(units);
    const std::int16_t UnitsSI = units == Units::SI ? 1 : 0;
    const std::int16_t Situation = humitrax::kRelativeHumidityGiven;
    for (auto _ : state) {
        for (const Row& row : rows) {
            const double StateVar = row.relativeHumidity / 100.0;
            const double& T = row.dryBulb;
            const double& p = row.pressure;
            benchmark::DoNotOptimize(humitrax::DewPoint(T, p, Situation, StateVar, UnitsSI));
            benchmark::DoNotOptimize(humitrax::WetBulb(T, p, Situation, StateVar, UnitsSI));
            benchmark::DoNotOptimize(humitrax::HumidRatio(T, p, Situation, StateVar, UnitsSI));
            benchmark::DoNotOptimize(humitrax::Enthalpy(T, p, Situation, StateVar, UnitsSI));
            benchmark::DoNotOptimize(humitrax::Volume(T, p, Situation, StateVar, UnitsSI));
            if (units == Units::InchPound)
                benchmark::DoNotOptimize(humitrax::Grains(T, p, Situation, StateVar));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rows.size()));
    SetLabel(state);
}

/// The same calls through the state computation (cells, reasons), under the
/// calculator's relations (second argument 0) or the 2017 Handbook's (1).
void BM_ComputeState(benchmark::State& state)
{
    const Units units = UnitsOf(state);
    const auto model = state.range(1) == 0 ? humitrax::Model::Calculator : humitrax::Model::Ashrae2017;
    const std::vector<Row> rows = MakeRows(units);
    for (auto _ : state) {
        for (const Row& row : rows) {
            benchmark::DoNotOptimize(humitrax::ComputeState(
                {units, row.dryBulb, row.pressure, Condition::RelativeHumidity,
                 row.relativeHumidity, model}));
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rows.size()));
    SetLabel(state);
}

/// What a block's rows write: every property, or the lean output of
/// --columns wet_bulb,dew_point,enthalpy (with --precision 6).
enum class Output : std::uint8_t { Every, Lean };

/// A block of CSV rows read, computed and written, as one batch worker does.
void BlockBench(benchmark::State& state, Format format, Output written = Output::Every)
{
    const Units units = UnitsOf(state);
    const std::vector<Row> rows = MakeRows(units);
    const std::string csv = MakeCsv(rows);
    std::string message;
    const std::vector<std::string_view> header = {"timestamp", "dry_bulb", "pressure",
                                                  "relative_humidity"};
    humitrax::cli::HeaderRules rules;
    rules.units = units;
    rules.format = format;
    if (written == Output::Lean) {
        rules.columns = {humitrax::Property::WetBulb, humitrax::Property::DewPoint, humitrax::Property::Enthalpy};
        rules.precision = state.range(1) == 0 ? 0 : static_cast<int>(state.range(1));
    }
    std::optional<BatchLayout> layout = humitrax::cli::MakeBatchLayout(header, rules, message);
    if (!layout) {
        state.SkipWithError(message.c_str());
        return;
    }
    humitrax::cli::SetOutputColumns(*layout, rules);
    std::string input;
    std::string output;
    std::size_t failed = 0;
    for (auto _ : state) {
        input.assign(csv); // the parser may unescape in place
        output.clear();
        failed += humitrax::cli::ProcessBlock(*layout, input.data(), input.size(), 2, output)
                      .failedRows;
        benchmark::DoNotOptimize(output.data());
    }
    if (failed != 0)
        state.SkipWithError("rows failed");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rows.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(csv.size()));
    SetLabel(state);
}

/// Nanoseconds of this thread's processor time: other processes on the same
/// cores do not count.
double ThreadNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

/// The engine calls and the whole block work taken in turns on the same rows,
/// so that a busy machine slows both alike: the counters give each one's
/// time per row and what reading and writing add, as a fraction of the
/// engine's time (the target is at most 0.5).
void BM_ReadWriteShare(benchmark::State& state)
{
    const Units units = UnitsOf(state);
    const std::vector<Row> rows = MakeRows(units);
    const std::string csv = MakeCsv(rows);
    std::string message;
    const std::vector<std::string_view> header = {"timestamp", "dry_bulb", "pressure",
                                                  "relative_humidity"};
    humitrax::cli::HeaderRules rules;
    rules.units = units;
    const std::optional<BatchLayout> layout = humitrax::cli::MakeBatchLayout(header, rules, message);
    if (!layout) {
        state.SkipWithError(message.c_str());
        return;
    }
    const std::int16_t UnitsSI = units == Units::SI ? 1 : 0;
    const std::int16_t Situation = humitrax::kRelativeHumidityGiven;
    std::string input;
    std::string output;
    double engine = 0.0;
    double block = 0.0;
    for (auto _ : state) {
        double start = ThreadNanoseconds();
        for (const Row& row : rows) {
            const double StateVar = row.relativeHumidity / 100.0;
            const double& T = row.dryBulb;
            const double& p = row.pressure;
            benchmark::DoNotOptimize(humitrax::DewPoint(T, p, Situation, StateVar, UnitsSI));
            benchmark::DoNotOptimize(humitrax::WetBulb(T, p, Situation, StateVar, UnitsSI));
            benchmark::DoNotOptimize(humitrax::HumidRatio(T, p, Situation, StateVar, UnitsSI));
            benchmark::DoNotOptimize(humitrax::Enthalpy(T, p, Situation, StateVar, UnitsSI));
            benchmark::DoNotOptimize(humitrax::Volume(T, p, Situation, StateVar, UnitsSI));
            if (units == Units::InchPound)
                benchmark::DoNotOptimize(humitrax::Grains(T, p, Situation, StateVar));
        }
        double stop = ThreadNanoseconds();
        engine += stop - start;
        start = stop;
        input.assign(csv);
        output.clear();
        humitrax::cli::ProcessBlock(*layout, input.data(), input.size(), 2, output);
        benchmark::DoNotOptimize(output.data());
        stop = ThreadNanoseconds();
        block += stop - start;
    }
    const double rowCount = static_cast<double>(state.iterations()) * static_cast<double>(rows.size());
    state.counters["engine_ns_per_row"] = engine / rowCount;
    state.counters["batch_ns_per_row"] = block / rowCount;
    state.counters["read_write_share"] = (block - engine) / engine;
    SetLabel(state);
}

void BM_ParseComputeFormatCsv(benchmark::State& state) { BlockBench(state, Format::Csv); }
void BM_ParseComputeFormatJson(benchmark::State& state) { BlockBench(state, Format::Json); }
/// --columns wet_bulb,dew_point,enthalpy; second argument the --precision (0: shortest).
void BM_ParseComputeFormatCsvLean(benchmark::State& state) { BlockBench(state, Format::Csv, Output::Lean); }

} // namespace

// Argument 0: SI, 1: inch-pound.
BENCHMARK(BM_EngineCalls)->Arg(0)->Arg(1);
BENCHMARK(BM_ComputeState)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1});
BENCHMARK(BM_ParseComputeFormatCsv)->Arg(0)->Arg(1);
BENCHMARK(BM_ParseComputeFormatJson)->Arg(0)->Arg(1);
BENCHMARK(BM_ParseComputeFormatCsvLean)->Args({0, 0})->Args({0, 6})->Args({1, 0});
BENCHMARK(BM_ReadWriteShare)->Arg(0)->Arg(1);

BENCHMARK_MAIN();
