#!/usr/bin/env bash
# Calls per second of `humitrax-cli call` reading 100 000 lines from standard
# input: the whole process (start, reading, answering, writing), median of
# three runs. The lines are ordinary states (0.5 to 45 °C, 80 to 105 kPa,
# 5 to 100 %, or their humidity ratio) spread over every engine function in
# both unit systems, the same file on every run.
#
#   bench/run_cli_bench.sh [HUMITRAX_CLI] [LINES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/bench/cli/humitrax-cli}
lines=${2:-100000}
[[ -x $cli ]] || { echo "run_cli_bench.sh: no humitrax-cli at $cli (build the bench preset first)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v n="$lines" 'BEGIN {
    srand(20260707)
    for (i = 0; i < n; i++) {
        T = 0.5 + 44.5 * rand(); p = 80 + 25 * rand(); rh = 0.05 + 0.95 * rand(); W = 0.001 + 0.019 * rand()
        F = T * 1.8 + 32; psia = p / 6.894757
        k = i % 16
        if (k == 0)       printf "interp %.1f\n", 16000 * rand()
        else if (k == 1)  printf "SatPressureSI %.2f\n", T
        else if (k == 2)  printf "SatPressure %.2f 0\n", F
        else if (k == 3)  printf "HumidRatioSI %.2f %.3f 3 %.3f\n", T, p, rh
        else if (k == 4)  printf "HumidRatio %.2f %.3f 3 %.3f 0\n", F, psia, rh
        else if (k == 5)  printf "HumiditySI %.2f %.3f 4 %.5f\n", T, p, W
        else if (k == 6)  printf "Humidity %.2f %.3f 2 %.2f 0\n", F, psia, F - 20 * rand()
        else if (k == 7)  printf "DewPointSI %.2f %.3f 3 %.3f\n", T, p, rh
        else if (k == 8)  printf "DewPoint %.2f %.3f 4 %.5f 0\n", F, psia, W
        else if (k == 9)  printf "WetBulbSI %.2f %.3f 3 %.3f\n", T, p, rh
        else if (k == 10) printf "WetBulb %.2f %.3f 3 %.3f 0\n", F, psia, rh
        else if (k == 11) printf "VolumeSI %.2f %.3f 3 %.3f\n", T, p, rh
        else if (k == 12) printf "Volume %.2f %.3f 4 %.5f 0\n", F, psia, W
        else if (k == 13) printf "EnthalpySI %.2f %.3f 3 %.3f\n", T, p, rh
        else if (k == 14) printf "Enthalpy %.2f %.3f 3 %.3f 0\n", F, psia, rh
        else              printf "Grains %.2f %.3f 3 %.3f\n", F, psia, rh
    }
}' > "$work/calls.txt"

times=()
for run in 1 2 3; do
    start=$(date +%s.%N)
    "$cli" call < "$work/calls.txt" > "$work/answers.txt"
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')")
done
answers=$(wc -l < "$work/answers.txt")
[[ $answers -eq $lines ]] || { echo "run_cli_bench.sh: $answers answers for $lines lines" >&2; exit 1; }
median=$(printf '%s\n' "${times[@]}" | sort -g | sed -n 2p)
kinds=$(cut -d' ' -f1 "$work/answers.txt" | sort | uniq -c | awk '{printf "%s%s %s", sep, $1, $2; sep=", "}')
rate=$(awk -v n="$lines" -v t="$median" 'BEGIN { printf "%.0f", n / t }')
printf 'humitrax-cli call, %d lines: %s s (runs: %s s), %s calls per second; answers: %s\n' \
    "$lines" "$median" "${times[*]}" "$rate" "$kinds"
