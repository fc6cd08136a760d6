#!/usr/bin/env bash
# A small mutation check: applies one-line faults to the code one at a time,
# rebuilds, runs the tests and says which faults the tests catch (killed) and
# which they miss (survived). A tool for developers, not part of CI: run it
# before and after changing tests, and the score must not drop.
#
#   scripts/mutants.sh [PATTERN]     only the faults whose name holds PATTERN
#
# Each fault is "name | file | text | replacement": the first occurrence of the
# text in the file is replaced (neither may hold a "|"). The tree is restored
# after each fault, and on exit. Builds in build/mutants (Release).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/mutants"
filter="${1:-}"

faults=$(cat <<'LIST'
engine.molar_mass_ratio | engine/include/humitrax/constants.h | kMolarMassRatio = 0.62198; | kMolarMassRatio = 0.62199;
engine.wet_bulb_tolerance | engine/wet_bulb.cpp | kTolerance = 1e-9 | kTolerance = 1e-7
engine.wet_bulb_second_start | engine/wet_bulb.cpp | kSecondStartBelow = 10.0 | kSecondStartBelow = 5.0
engine.dew_point_exponent | engine/dew_point.cpp | kVapourExponent = 0.1984 | kVapourExponent = 0.1985
engine.saturated_excess | engine/relative_humidity.cpp | kSaturatedExcess = 1e-12 | kSaturatedExcess = 1e-9
engine.lowest_dry_bulb | engine/relative_humidity.cpp | kLowestDryBulbSI = -60.0 | kLowestDryBulbSI = -61.0
engine.enthalpy_constant | engine/include/humitrax/constants.h | kEnthalpySI{1.006, 2501.0, 1.805} | kEnthalpySI{1.006, 2501.0, 1.806}
engine.grains | engine/include/humitrax/constants.h | kGrainsPerPound = 7000 | kGrainsPerPound = 7001
engine.zero_over_zero | engine/num.h | Fail(std::isnan(a.v) ? FailureCause::InvalidOperation : FailureCause::DivisionByZero) | Fail(a.v == 0.0 ? FailureCause::InvalidOperation : FailureCause::DivisionByZero)
engine.altitude_polynomial | engine/saturation.cpp | kAltitude1 = -0.000531684897035687 | kAltitude1 = -0.000531684897035688
engine.ashrae_water_constant | engine/ashrae2017_system.h | -5.8002206e3 | -5.8002207e3
engine.ashrae_dew_point_newton | engine/ashrae2017_solvers.cpp | double next = t - miss / SaturationSlope(s, t, branch.ice); | double next = t - 0.5 * miss / SaturationSlope(s, t, branch.ice);
engine.comfort_ppd | engine/comfort.cpp | 0.2179 | 0.2180
engine.comfort_metabolic_range | engine/comfort.cpp | within(input.metabolicRate, 0.8, 4.0) | within(input.metabolicRate, 0.8, 4.1)
driver.dry_bulb_limit | driver/driver.cpp | kDryBulbLimit = 51.0 | kDryBulbLimit = 52.0
driver.wet_bulb_above_dry_bulb | driver/driver.cpp | if (value > T) | if (value >= T)
driver.negative_humidity_ratio | driver/driver.cpp | w[Property::HumidityRatio] < 0.0 | w[Property::HumidityRatio] < -1e300
driver.absolute_zero | driver/driver.cpp | kAbsoluteZero = -273.15 | kAbsoluteZero = -373.15
driver.pressure_places | driver/driver.cpp | w[Property::Pressure], 3, | w[Property::Pressure], 2,
driver.relative_humidity_places | driver/driver.cpp | w[Property::RelativeHumidity], 1, | w[Property::RelativeHumidity], 2,
driver.significant_digits | driver/number_text.cpp | kSignificantDigits = 15 | kSignificantDigits = 14
driver.half_even_tie | driver/number_text.cpp | whole = error > 0.0 ? below + 1.0 : below; | whole = error > 0.0 ? below : below + 1.0;
driver.multibyte_separator | driver/number_text.cpp | text.remove_prefix(separator.size()); | text.remove_prefix(1);
driver.altitude_own_limit | driver/driver.cpp | if (second > kAltitudeLimit) | if (second > kPressureLimit)
state.relative_humidity_limit | state/rules.cpp | return value > kPercent ? kAbove100Percent | return value > kPercent + 0.5 ? kAbove100Percent
state.above_dry_bulb | state/rules.cpp | if (input.value > input.dryBulb) | if (input.value >= input.dryBulb)
state.feet_per_metre | state/altitude.cpp | kFeetPerMetre = 3.2808 | kFeetPerMetre = 3.28084
state.below_freezing_reason | state/calculator_model.cpp | return T < 0.0 ? "not defined below 0 °C | return T < -1.0 ? "not defined below 0 °C
state.vapour_pressure_ratio | state/state.cpp | Checked(calculator::kMolarMassRatio + W) | Checked(ashrae2017::kMolarMassRatio + W)
state.process_pound | engine/include/humitrax/constants.h | kKilogramsPerPound = 0.45359237 | kKilogramsPerPound = 0.4535924
window.font_pixels | window/psychrometric.cpp | kFontPixels = 13 | kFontPixels = 12
window.white_face | window/psychrometric.cpp | if (element == PE_PanelButtonCommand && !pressed) | if (element == PE_PanelButtonCommand && pressed)
window.key_filter_point | window/psychrometric.cpp | KeyAscii == '.' | KeyAscii == ','
window.list_arrow_width | window/psychrometric.cpp | kArrowWidth = 16 | kArrowWidth = 40
window.paste_filtered | window/psychrometric.cpp | QKeySequence::Cut, QKeySequence::Paste, | QKeySequence::Cut,
cli.exit_output | cli/kit/output.h | kExitOutput = 3 | kExitOutput = 1
cli.echo_limit | cli/kit/echo.h | kEchoLimit = 60 | kEchoLimit = 61
cli.empty_line | cli/kit/call_lines.cpp | answers += "error empty line\n"; | return;
cli.csv_quote_opens_field | cli/table/csv.cpp | if (c == '"' && state == ScanState::FieldStart) | if (c == '"' && state != ScanState::FieldStart)
cli.unchecked_write | cli/kit/output.cpp | return Note(std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && | return Note(std::fwrite(bytes.data(), 1, bytes.size(), stdout) >= 0 &&
cli.option_twice | cli/kit/options.cpp | if (earlier.spec == spec && !spec->repeatable) | if (earlier.spec == spec && spec->repeatable)
cli.json_backslash_escape | cli/table/csv.cpp | if (byte >= 0x20 && c != '"' && c != '\\') | if (byte >= 0x20 && c != '"')
cli.json_tab_escape | cli/table/csv.cpp | case '\t': *out++ = 't'; break; | case '\t': *out++ = 'T'; break;
cli.number_fixed_scientific_tie | cli/table/csv.cpp | if (fixedLength > ScientificLength(count)) { | if (fixedLength >= ScientificLength(count)) {
chart.samples | chart/chart_model.cpp | kSamples = 600 | kSamples = 599
chart.most_curves | chart/chart_model.cpp | kMostCurvesPerFamily = 40 | kMostCurvesPerFamily = 4
chart.tick_intervals | chart/chart_layout.cpp | kTemperatureIntervals = 14 | kTemperatureIntervals = 7
chart.link_hops | chart/chart_file.cpp | hop < kMostLinks | hop > kMostLinks
chart.model_in_title | chart/chart_layout.cpp | ", ASHRAE 2017 relations" | ", ASHRAE 2013 relations"
state.humidify_target_reached | state/process.cpp | if (excess(in.W) >= 0.0) | if (excess(in.W) > 0.0)
state.cubic_foot | state/process.cpp | kMetresPerFoot * kMetresPerFoot * kMetresPerFoot | kMetresPerFoot * kMetresPerFoot * 0.305
state.dew_point_at_most_dry_bulb | state/rules.cpp | if (cell.present && cell.value > input.dryBulb) | if (cell.present && cell.value > input.dryBulb + 1.0)
state.range_lowest | state/rules.cpp | if (t < range.lowest) | if (t < range.lowest - 1.0)
state.no_saturation_above_boiling | state/rules.cpp | saturationPressure.value < input.pressure; | saturationPressure.value < input.pressure * 1e300;
state.altitude_top | state/altitude.cpp | kHighestMetres = 11000.0 | kHighestMetres = 12000.0
state.humidifier_meets_target | state/process.cpp | return atOrAbove ? over : under; | return below;
state.steam_below_boiling | state/process.cpp | t < *boiling) | t < *boiling - 1e300)
state.pair_wet_bulb_polish | state/pair.cpp | return Polish([&](double t) { return WetBulbAt(t, W, true, ++trials) - value; }, start, 1e-6, kSettled); | return start;
state.pair_same_moisture | state/pair.cpp | if (FixesMoisture(b)) | if (false)
state.pair_given_order | state/given.cpp | {basis.first, *first, basis.second, *second} | {basis.first, *second, basis.second, *first}
state.altitude_failure_named | state/given.cpp | status.Add(PropertyColumn(Property::Pressure), pressure.reason); | (void)pressure;
comfort.metabolic_rate_above_0 | engine/comfort.cpp | in.metabolicRate > 0.0 | in.metabolicRate >= 0.0
LIST
)

restore_all() {
    for backup in "$build"/backup/*; do
        [ -e "$backup" ] || continue
        cp "$backup" "$root/$(basename "$backup" | tr '@' '/')"
        rm -f "$backup"
    done
}
trap restore_all EXIT INT TERM

# ccache, when installed, makes the rebuild after each restore nearly free.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHUMITRAX_WERROR=OFF "${launcher[@]}" >/dev/null || exit 2
mkdir -p "$build/backup"
echo "Building and testing the unchanged tree..."
if ! cmake --build "$build" --parallel "$(nproc)" >/dev/null || ! ctest --test-dir "$build" --parallel "$(nproc)" --timeout 300 >/dev/null; then
    echo "mutants.sh: the unchanged tree does not build or pass its tests" >&2
    exit 2
fi

killed=0 survived=0 missing=0
survivors=()
while IFS='|' read -r name file text replacement; do
    name=$(echo "$name" | xargs); file=$(echo "$file" | xargs)
    text="${text# }"; text="${text% }"; replacement="${replacement# }"; replacement="${replacement% }"
    [ -z "$name" ] && continue
    [[ -n $filter && $name != *"$filter"* ]] && continue
    path="$root/$file"
    backup="$build/backup/$(echo "$file" | tr '/' '@')"
    if [ ! -f "$path" ] || ! grep -qF -- "$text" "$path"; then
        printf '%-32s missing (text not found in %s)\n' "$name" "$file"
        missing=$((missing + 1))
        continue
    fi
    cp -p "$path" "$backup"
    TEXT="$text" REPLACEMENT="$replacement" python3 - "$path" <<'PY'
import os, sys
path = sys.argv[1]
with open(path, encoding="utf-8") as f:
    code = f.read()
code = code.replace(os.environ["TEXT"], os.environ["REPLACEMENT"], 1)
with open(path, "w", encoding="utf-8") as f:
    f.write(code)
PY
    if ! cmake --build "$build" --parallel "$(nproc)" >/dev/null 2>&1; then
        result="killed (does not build)"
        killed=$((killed + 1))
    elif ctest --test-dir "$build" --parallel "$(nproc)" --timeout 300 --stop-on-failure >/dev/null 2>&1; then
        result="SURVIVED"
        survived=$((survived + 1))
        survivors+=("$name")
    else
        result="killed"
        killed=$((killed + 1))
    fi
    # Restored with a new time stamp: with the old one the file would look older
    # than the objects built from the fault, and the next build would keep them.
    cp "$backup" "$path"
    rm -f "$backup"
    printf '%-32s %s\n' "$name" "$result"
done <<< "$faults"

# Rebuild the unchanged tree so that build/mutants is not left mutated.
cmake --build "$build" --parallel "$(nproc)" >/dev/null 2>&1
total=$((killed + survived))
echo "killed $killed of $total, survived $survived${missing:+, missing $missing}"
[ "${#survivors[@]}" -gt 0 ] && printf 'survivor: %s\n' "${survivors[@]}"
exit 0
