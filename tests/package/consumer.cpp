// A program outside the Humitrax tree: one engine call and one state, each
// printed to the last bit (%.17g). check_install.sh builds it against an
// installed Humitrax through find_package (CMakeLists.txt) and through
// pkg-config, and compares its lines with this same program built in the tree.
#include <humitrax/psychrometrics.h>
#include <humitrax/state.h>

#include <cstdint>
#include <cstdio>

int main()
{
    const humitrax::PropertyResult wetBulb = humitrax::WetBulbSI(25.0, 101.325, std::int16_t{3}, 0.5);
    const humitrax::StateResult state = humitrax::ComputeState({.units = humitrax::Units::SI,
                                                                .dryBulb = 25.0,
                                                                .pressure = 101.325,
                                                                .condition = humitrax::Condition::RelativeHumidity,
                                                                .value = 50.0});
    const humitrax::Cell& enthalpy = state[humitrax::Property::Enthalpy];
    if (!wetBulb.isNumber() || !enthalpy.present) {
        std::fputs("consumer: the engine gave no number\n", stderr);
        return 1;
    }
    std::printf("WetBulbSI(25, 101.325, 3, 0.5) = %.17g\n", wetBulb.AsNumber());
    std::printf("ComputeState enthalpy at 25 C, 101.325 kPa, 50 %% = %.17g\n", enthalpy.value);
    return 0;
}
