#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs each for a bounded time.
#
#   fuzz/run.sh [SECONDS] [HARNESS...]
#
# SECONDS per harness (default 60, or $FUZZ_SECONDS); HARNESS one or more of
# engine, driver, call_lines, csv, state (default all). Each harness starts from its
# committed seeds in fuzz/corpus/<harness>/ and keeps what it finds in
# build/fuzz/corpus/<harness>/, outside the repository. An input that breaks a
# property, crashes, leaks, hangs (over 10 s) or trips a sanitizer stops its
# harness and is saved as build/fuzz/artifacts/<harness>-*; the script then
# exits 1. Once the fault is mended, copy that file into fuzz/corpus/<harness>/
# so that the fuzz.<harness> test replays it in every build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

seconds=${FUZZ_SECONDS:-60}
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
harnesses=("$@")
[[ ${#harnesses[@]} -gt 0 ]] || harnesses=(engine driver call_lines csv state)

build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
cxx=${FUZZ_CXX:-$(command -v clang++-14 || command -v clang++ || true)}
if [[ -z $cxx ]]; then
    echo "fuzz/run.sh: clang++ is needed (Debian: apt-get install clang libclang-rt-14-dev)" >&2
    exit 2
fi

sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g"
cmake -S "$root" -B "$build" \
    -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DHUMITRAX_BUILD_FUZZ=ON -DHUMITRAX_BUILD_TESTS=OFF -DHUMITRAX_BUILD_WINDOW=OFF -DHUMITRAX_WERROR=ON >/dev/null
targets=()
for h in "${harnesses[@]}"; do targets+=("humitrax_fuzz_$h"); done
cmake --build "$build" --target "${targets[@]}" --parallel "${FUZZ_JOBS:-2}"

# Longest input of each harness: the engine's calls are short; the driver
# builds long entries from a few bytes; call lines are text.
declare -A max_len=([engine]=64 [driver]=512 [call_lines]=4096 [csv]=4096)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

mkdir -p "$build/artifacts" "$build/logs"
failed=()
for h in "${harnesses[@]}"; do
    mkdir -p "$build/corpus/$h"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="${max_len[$h]:-4096}"
             -artifact_prefix="$build/artifacts/$h-" -print_final_stats=1)
    [[ -f $root/fuzz/$h.dict ]] && options+=(-dict="$root/fuzz/$h.dict")
    log=$build/logs/$h.log
    echo "== $h: ${seconds} s (log $log)"
    if "$build/fuzz/humitrax_fuzz_$h" "${options[@]}" "$build/corpus/$h" "$root/fuzz/corpus/$h" >"$log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+ +DONE' "$log" | sed 's/^/   /'
        echo "   corpus: $(find "$build/corpus/$h" -type f | wc -l) inputs found, $(find "$root/fuzz/corpus/$h" -type f | wc -l) seeds"
    else
        failed+=("$h")
        tail -n 60 "$log"
        ls -1 "$build/artifacts/$h-"* 2>/dev/null | sed 's/^/   artifact: /' || true
    fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz/run.sh: a property broke in: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz/run.sh: no property broke in ${harnesses[*]} (${seconds} s each)"
