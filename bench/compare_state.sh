#!/usr/bin/env bash
# One state through the state layer (bench/state_bench.cpp), this tree against
# another commit: the same benchmark source is built against this tree's
# libraries and against that commit's engine and state layer, and the two run
# in turns, ROUNDS times, so that a slow spell of the machine touches both.
# Prints each benchmark's time now and before (the median over the rounds of
# each round's median of three) and their ratio (the median over the rounds of
# each round's ratio, and its range), beside the aim for the 2017 model's
# state: at most half the time before.
#
#   bench/compare_state.sh [COMMIT] [ROUNDS]
#
# COMMIT defaults to where this branch left main (git merge-base HEAD main),
# ROUNDS to 3.
#
# The other commit's sources are taken with git archive into
# build/reference-<commit>/src and built in build/reference-<commit>/build
# (Release, engine and state layer only), once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
commit=$(git rev-parse --short "${1:-$(git merge-base HEAD main)}^{commit}")
rounds=${2:-3}
reference=$root/build/reference-$commit

echo "== machine"
lscpu | sed -n 's/^Model name: *//p' | head -n 1
echo "$(nproc) CPUs; load average $(cut -d' ' -f1-3 /proc/loadavg)"

if [[ ! -f $reference/build/state/libhumitrax_state.a ]]; then
    rm -rf "$reference"
    mkdir -p "$reference/src"
    git archive "$commit" | tar -x -C "$reference/src"
    cmake -S "$reference/src" -B "$reference/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DHUMITRAX_BUILD_WINDOW=OFF -DHUMITRAX_BUILD_TESTS=OFF -DHUMITRAX_BUILD_PYTHON=OFF >/dev/null
    cmake --build "$reference/build" --parallel 2 --target humitrax_state_static humitrax_engine_static
fi
cmake --preset bench -DHUMITRAX_BENCH_REFERENCE="$reference" >/dev/null
cmake --build --preset bench --parallel 2 --target humitrax_bench_state humitrax_bench_state_reference

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
repeat=(--benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_format=json)
for ((round = 1; round <= rounds; ++round)); do
    echo "== round $round of $rounds"
    build/bench/bench/humitrax_bench_state "${repeat[@]}" >"$results/now-$round.json"
    build/bench/bench/humitrax_bench_state_reference "${repeat[@]}" >"$results/before-$round.json"
done

/usr/bin/python3 - "$results" "$commit" <<'EOF'
import glob, json, statistics, sys

results, commit = sys.argv[1], sys.argv[2]

def medians(path):
    return {run["run_name"]: run["cpu_time"] for run in json.load(open(path))["benchmarks"]
            if run.get("aggregate_name") == "median"}

rounds = []
for path in sorted(glob.glob(f"{results}/now-*.json")):
    rounds.append((medians(path), medians(path.replace("/now-", "/before-"))))
units = {"0": "SI", "1": "IP"}
models = {"0": "calculator", "1": "ashrae2017"}
conditions = {"1": "wet bulb", "2": "dew point", "3": "rel. humidity"}
print(f"\nCPU ns per state, median over the rounds; before: {commit}; ratio: now/before within each")
print("round (both ran back to back), the median over the rounds and its range")
print(f"{'units':5} {'model':10} {'given':13} {'before':>8} {'now':>8} {'ratio':>6} {'range':>11}  aim")
for name in sorted(rounds[0][0]):
    _, u, m, c = name.split("/")
    now = statistics.median(r[0][name] for r in rounds)
    before = statistics.median(r[1][name] for r in rounds)
    ratios = [r[0][name] / r[1][name] for r in rounds]
    ratio = statistics.median(ratios)
    aim = ""
    if m == "1":
        aim = "at most 0.50: " + ("met" if ratio <= 0.5 else "MISSED")
    span = f"{min(ratios):.2f}-{max(ratios):.2f}"
    print(f"{units[u]:5} {models[m]:10} {conditions[c]:13} {before:8.1f} {now:8.1f} {ratio:6.2f} {span:>11}  {aim}")
EOF
echo "== load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
