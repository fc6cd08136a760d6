// ComputeStates against ComputeState: every cell of every state the same to
// the bit (value, reason and presence), refusals alike, whatever the number of
// threads and however the states fall into blocks.
#include "humitrax/state.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace humitrax {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// A value from [lo, hi], or now and then one of the special values.
double Draw(std::mt19937_64& random, std::initializer_list<double> specials, double lo, double hi)
{
    if (random() % 10 == 0)
        return specials.begin()[random() % specials.size()];
    return std::uniform_real_distribution<double>(lo, hi)(random);
}

/// Any state under either model: mostly ordinary air, and some that is
/// refused (no pressure, a wet bulb above the dry bulb, a relative humidity
/// above 100 %, a humidity ratio above saturation) or that fails in a cell.
StateInput DrawInput(std::mt19937_64& random)
{
    StateInput in;
    in.units = random() % 2 == 0 ? Units::SI : Units::InchPound;
    in.model = random() % 2 == 0 ? Model::Calculator : Model::Ashrae2017;
    in.saturation = random() % 4 == 0 ? Saturation::Water : Saturation::IceBelowFreezing;
    const bool si = in.units == Units::SI;
    const double lowest = si ? -100.0 : -148.0;
    const double highest = si ? 200.0 : 392.0;
    const double freezing = si ? 0.0 : 32.0;
    const double span = si ? 60.0 : 108.0;
    const double atmosphere = si ? 101.325 : 14.696;
    in.dryBulb = Draw(random, {lowest, highest, freezing, lowest - 1.0, kNaN}, freezing - 20.0, freezing + span);
    in.pressure = Draw(random, {0.0, -atmosphere, 0.1 * atmosphere}, 0.8 * atmosphere, 1.1 * atmosphere);
    in.condition = kConditions[random() % kConditions.size()];
    switch (in.condition) {
    case Condition::WetBulb:
    case Condition::DewPoint:
        in.value = Draw(random, {in.dryBulb, in.dryBulb + 1.0, lowest, kNaN}, in.dryBulb - 30.0, in.dryBulb);
        break;
    case Condition::RelativeHumidity: in.value = Draw(random, {0.0, 100.0, 101.0, -1.0}, 0.0, 100.0); break;
    case Condition::HumidityRatio: in.value = Draw(random, {0.0, 1.0, -0.001}, 0.0, 0.03); break;
    }
    return in;
}

/// Empty when both results are the same to the bit; else the first difference.
std::string Difference(const StateResult& a, const StateResult& b)
{
    if (a.refusal != b.refusal || a.refused != b.refused)
        return "refusal '" + std::string(a.refusal) + "' against '" + std::string(b.refusal) + "'";
    for (Property property : kAllProperties) {
        const Cell& x = a[property];
        const Cell& y = b[property];
        if (x.present != y.present || x.reason != y.reason ||
            std::bit_cast<std::uint64_t>(x.value) != std::bit_cast<std::uint64_t>(y.value))
            return std::string(PropertyColumn(property)) + ": " + std::to_string(x.value) + " '" +
                   std::string(x.reason) + "' against " + std::to_string(y.value) + " '" + std::string(y.reason) +
                   "'";
    }
    return "";
}

struct SpanRow {
    const char* name;
    std::size_t count;
    unsigned threads; ///< 0: one per core; kTwoArguments: the overload without a count
};
constexpr unsigned kTwoArguments = ~0U;

class SpanTable : public ::testing::TestWithParam<SpanRow> {};

TEST_P(SpanTable, GivesWhatEachStateAloneGives)
{
    const SpanRow& row = GetParam();
    std::mt19937_64 random(20261207 + row.count);
    std::vector<StateInput> inputs;
    for (std::size_t i = 0; i < row.count; ++i)
        inputs.push_back(DrawInput(random));
    std::vector<StateResult> results(row.count);
    if (row.threads == kTwoArguments)
        ComputeStates(inputs, results);
    else
        ComputeStates(inputs, results, row.threads);
    std::size_t refused = 0;
    for (std::size_t i = 0; i < row.count; ++i) {
        ASSERT_EQ(Difference(results[i], ComputeState(inputs[i])), "") << "state " << i;
        refused += results[i].refusal.empty() ? 0U : 1U;
    }
    if (row.count >= 1000) {
        EXPECT_GT(refused, row.count / 50); // the refusals are there to be compared
    }
}

INSTANTIATE_TEST_SUITE_P(
    ComputeStates, SpanTable,
    ::testing::Values(SpanRow{"none", 0, 1}, SpanRow{"one", 1, 1}, SpanRow{"a_block_less_one", 63, 1},
                      SpanRow{"a_block_and_one", 65, 1}, SpanRow{"many_one_thread", 5000, 1},
                      SpanRow{"many_without_a_count", 5000, kTwoArguments},
                      SpanRow{"many_two_threads", 5000, 2}, SpanRow{"many_three_threads", 5000, 3},
                      SpanRow{"many_one_per_core", 5000, 0}, SpanRow{"fewer_than_a_thread_takes", 300, 8}),
    [](const ::testing::TestParamInfo<SpanRow>& row) { return std::string(row.param.name); });

TEST(ComputeStates, StopsAtTheShorterSpan)
{
    std::mt19937_64 random(7);
    std::vector<StateInput> inputs;
    for (int i = 0; i < 10; ++i)
        inputs.push_back(DrawInput(random));
    std::vector<StateResult> results(12);
    results[10].refusal = "untouched";
    ComputeStates(inputs, results, 2);
    EXPECT_EQ(results[10].refusal, "untouched");
    EXPECT_EQ(Difference(results[9], ComputeState(inputs[9])), "");
}

} // namespace
} // namespace humitrax
