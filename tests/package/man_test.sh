#!/usr/bin/env bash
# The manual page made from humitrax-cli --help: a subsection and an example
# for every command the program lists, and each of the four exit statuses.
#
#   man_test.sh PAGE HUMITRAX_CLI
set -euo pipefail
page=$1
commands=$("$2" --help | sed -n 's/^  \([a-z][a-z0-9-]*\)\( .*\)\{0,1\}$/\1/p' | sort -u)
[[ -n $commands ]] || { echo "man_test.sh: no commands in --help" >&2; exit 1; }

failed=0
missing() { echo "man_test.sh: $page has no $1" >&2; failed=1; }
for command in $commands; do
    grep -q "^\.SS \"$command:\"" "$page" || missing "subsection for $command"
done
# The exit statuses as tagged paragraphs of their own section.
statuses=$(sed -n '/^\.SH "EXIT STATUS"/,/^\.SH/p' "$page" | grep -A1 '^\.TP' | grep -c '^[0-3]$' || true)
[[ $statuses == 4 ]] || missing "EXIT STATUS section with 0, 1, 2 and 3 (found $statuses)"
examples=$(sed -n '/^\.SH EXAMPLES/,/^\.SH/p' "$page")
for command in $commands; do
    grep -q "humitrax-cli $command\b" <<<"$examples" || missing "example of $command"
done
! grep -q '@TQ@' "$page" || { echo "man_test.sh: $page keeps the @TQ@ mark" >&2; failed=1; }
exit "$failed"
