#!/usr/bin/env bash
# Every benchmark in one command: configures the bench preset (Release),
# builds the benchmarks and humitrax-cli, then runs
#   - the engine and driver benchmarks, three repetitions each, medians, and
#     the table of ratios against the targets;
#   - humitrax-cli call on 100 000 lines (whole process, calls per second);
#   - the batch benchmark, when it is there;
#   - one state through the state layer for each model and given condition,
#     a state from two of its properties against one from the dry bulb and
#     relative humidity, and a span of states against the same states one by one (with its table
#     against the aim);
#   - the 2017 solvers' answers against those before and the exact roots.
# The 2017 state against another commit's, both built here, is
# bench/compare_state.sh (it builds that commit's libraries).
# Extra arguments go to the engine benchmark (e.g. --benchmark_filter=WetBulb).
# Each function runs next to its floor, so that a slow spell of the machine
# tends to touch both; random interleaving of the repetitions was tried and
# spread the repetitions more (coefficient of variation 6 to 14 % against 4 %).
# The machine and its load are printed first and last: the figures are only
# as steady as the machine is idle.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

machine() {
    lscpu | sed -n 's/^Model name: *//p' | head -n 1
    echo "$(nproc) CPUs; load average $(cut -d' ' -f1-3 /proc/loadavg)"
}
echo "== machine"
machine

cmake --preset bench >/dev/null
targets=(humitrax_bench_engine humitrax-cli humitrax_bench_state humitrax_bench_pair humitrax_bench_span
         humitrax_bench_accuracy)
[[ -f bench/batch_bench.cpp ]] && targets+=(humitrax_bench_batch)
cmake --build --preset bench --target "${targets[@]}"

repeat=(--benchmark_repetitions=3 --benchmark_report_aggregates_only=true)
echo "== engine and driver"
build/bench/bench/humitrax_bench_engine "${repeat[@]}" "$@"
echo "== humitrax-cli call"
bench/run_cli_bench.sh build/bench/cli/humitrax-cli
if [[ -x build/bench/bench/humitrax_bench_batch ]]; then
    echo "== batch"
    build/bench/bench/humitrax_bench_batch "${repeat[@]}"
fi
echo "== state"
build/bench/bench/humitrax_bench_state "${repeat[@]}"
echo "== a state from two properties"
build/bench/bench/humitrax_bench_pair "${repeat[@]}"
echo "== span"
build/bench/bench/humitrax_bench_span "${repeat[@]}"
echo "== 2017 solvers' accuracy"
build/bench/bench/humitrax_bench_accuracy
echo "== load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
