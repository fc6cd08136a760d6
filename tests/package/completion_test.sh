#!/usr/bin/env bash
# The bash completion of humitrax-cli, sourced as bash-completion would, asked
# for a few words with the built program.
#
#   completion_test.sh COMPLETION_FILE HUMITRAX_CLI
set -euo pipefail
source "$1"
program=$2

failed=0
# expect "what is typed" "words expected, sorted"
expect() {
    local line=$1 want=$2 got
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_WORDS[0]=$program
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _humitrax_cli
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [[ $got != "$want" ]]; then
        echo "'$line': got '$got', expected '$want'" >&2
        failed=1
    fi
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/humitrax-completion.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
touch "$tmp/weather.csv" "$tmp/wind.txt"

expect "humitrax-cli st" "state"
expect "humitrax-cli ca" "calc call"
expect "humitrax-cli state --units " "ip si"
expect "humitrax-cli state --format " "csv json table"
expect "humitrax-cli batch --format " "csv json"
expect "humitrax-cli calc --dew" "--dew-point"
expect "humitrax-cli chart --ma" "--max-ratio"
expect "humitrax-cli chart -o $tmp/we" "$tmp/weather.csv"
expect "humitrax-cli batch $tmp/w" "$tmp/weather.csv $tmp/wind.txt"
expect "humitrax-cli batch --jobs " ""
expect "humitrax-cli call WetB" "WetBulb WetBulbSI"
expect "humitrax-cli process " "coil cool heat humidify mix"
expect "humitrax-cli process coil 28,wb=21 --fl" "--flow"
expect "humitrax-cli comfort 22,rh=60 --model " "ashrae2017 calculator"

# Without the program, the lists in the file stand in.
program=$(dirname "$1")/no-such-humitrax-cli
expect "humitrax-cli bat" "batch"
expect "humitrax-cli process h" "heat humidify"
expect "humitrax-cli state --units " "ip si"
exit "$failed"
