// What every engine function shares: the unit-flag dispatch, the result type,
// and powers that are run-time calls of the C library's pow.
#include "engine_cases.h"

#include <cmath>

namespace humitrax::testing {
namespace {

using StateUnitsFunction = PropertyResult (*)(const double&, const double&, const std::int16_t&,
                                              const double&, const std::int16_t&);
using StateFunction = PropertyResult (*)(const double&, const double&, const std::int16_t&,
                                         const double&);

struct DispatchRow {
    const char* name;
    StateUnitsFunction publicFunction;
    StateFunction companion;
};

class DispatchTable : public ::testing::TestWithParam<DispatchRow> {};

TEST_P(DispatchTable, AnyNonzeroFlagGivesTheCompanionsResult)
{
    const DispatchRow& row = GetParam();
    for (std::int16_t situation = 0; situation <= 5; ++situation) {
        for (double T : {-120.0, -20.0, 25.0, 150.0, 300.0}) {
            const double stateVar = situation == 3 ? 0.5 : situation == 4 ? 0.008 : T - 3.0;
            const Outcome expected = Evaluate([&] { return row.companion(T, 101.325, situation, stateVar); });
            for (std::int16_t flag : {std::int16_t{1}, std::int16_t{-1}, std::int16_t{2}, std::int16_t{-32768}}) {
                EXPECT_EQ(Evaluate([&] { return row.publicFunction(T, 101.325, situation, stateVar, flag); }), expected)
                    << "situation " << situation << ", T " << T << ", flag " << flag;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dispatch, DispatchTable,
                         ::testing::Values(DispatchRow{"HumidRatio", &HumidRatio, &HumidRatioSI},
                                           DispatchRow{"Humidity", &Humidity, &HumiditySI},
                                           DispatchRow{"DewPoint", &DewPoint, &DewPointSI},
                                           DispatchRow{"WetBulb", &WetBulb, &WetBulbSI},
                                           DispatchRow{"Volume", &Volume, &VolumeSI},
                                           DispatchRow{"Enthalpy", &Enthalpy, &EnthalpySI}),
                         RowName<DispatchRow>);

TEST(PropertyResult, UsedAsANumber)
{
    EXPECT_EQ(PropertyResult().AsNumber(), 0.0);
    const Outcome asNumber = Evaluate([] {
        return PropertyResult(PropertyResult::Text(texts::kOutOfRange).AsNumber());
    });
    EXPECT_EQ(std::get<FailureCause>(asNumber), FailureCause::TypeMismatch);
}

// The C library's pow, through a pointer the compiler cannot see through.
double (*volatile g_pow)(double, double) = &::pow;

TEST(Powers, SquaresAreRunTimeCallsOfPow)
{
    // GCC would turn pow(x, 2.0) into x*x, a last-bit change for one input in
    // 1,300. The dew point and interp are written out with the real pow, in order.
    int squaresThatDiffer = 0;
    for (int i = 1; i <= 20000; ++i) {
        const double W = 0.00005 * i;
        const double pw = (W * 101.325) / (W + 0.62198);
        const double alpha = std::log(pw);
        squaresThatDiffer += g_pow(alpha, 2.0) != alpha * alpha;
        const double expected = ((0.7389 * g_pow(alpha, 2.0) + (14.526 * alpha + 6.54)) +
                                 0.09486 * g_pow(alpha, 3.0)) +
                                0.4569 * g_pow(pw, 0.1984);
        ASSERT_EQ(DewPointSI(25, 101.325, 4, W).AsNumber(), expected) << "W = " << W;

        const double X = 0.731 * i;
        squaresThatDiffer += g_pow(X, 2.0) != X * X;
        double s = -9.06640328491781e-29 * g_pow(X, 6.0);
        s = 1.16568636696007e-23 * g_pow(X, 5.0) + s;
        s = -2.63483248782848e-19 * g_pow(X, 4.0) + s;
        s = -5.22566144078183e-14 * g_pow(X, 3.0) + s;
        const double psia = ((7.81205590996818e-09 * g_pow(X, 2.0) + s) + -0.000531684897035687 * X) +
                            14.6965450413525;
        ASSERT_EQ(interp(X), psia) << "X = " << X;
    }
    EXPECT_GT(squaresThatDiffer, 0);
}

} // namespace
} // namespace humitrax::testing
