#!/usr/bin/env bash
# help2man runs this in place of humitrax-cli: the program's own --help,
# reshaped into the paragraphs help2man reads, so that the manual page follows
# the commands as they are.
#
#   help-for-man.sh PROGRAM --help | --version
#
# --help becomes: the usage lines (SYNOPSIS); a COMMANDS section with one
# subsection per command, each usage line of the command a paragraph of its
# own, its prose, and its two-column tables as tagged paragraphs; the closing
# "Exit status" list as an EXIT STATUS section; and every command's examples
# in EXAMPLES.
set -euo pipefail
program=$1
shift
if [[ ${1:-} != --help ]]; then
    exec "$program" "$@"
fi
help=$("$program" --help)
name=$(basename "$program")

awk -v name="$name" '
function trim(s) { sub(/^ +/, "", s); sub(/ +$/, "", s); return s }
function squeeze(s) { s = trim(s); gsub(/  +/, " ", s); return s }
# A blank line before a paragraph of another kind; none right under a
# subsection heading, which help2man knows by the indented line after it.
function paragraph(kind) { if (kind != last && last != "heading") print ""; last = kind }
function flush_usage() {
    if (usage != "") { paragraph("usage-" ++usages); print "  " name " " usage; usage = "" }
}
BEGIN { part = "head" }

part == "head" {
    if (NR == 1 && $0 ~ "^" name ": ") next # the NAME section says it
    if ($0 ~ /^Usage: /) { print; next }
    if ($0 ~ "^ +" name " ") { print "   or: " trim($0); next }
    if ($0 == "Commands:") { print ""; print "*COMMANDS*"; part = "commands"; next }
    print
    next
}

part == "commands" {
    if ($0 ~ /^  [a-z]/) { # a usage line: a new command, or another form of it
        if (mode != "usage") {
            split(trim($0), words, " ")
            print ""; print words[1] ":"
            last = "heading"
        }
        flush_usage()
        usage = squeeze($0); mode = "usage"
        next
    }
    if (mode == "usage" && $0 ~ /^       +[^ ]/) { usage = usage " " squeeze($0); next }
    flush_usage()
    if ($0 ~ /^      [^ ]/) {
        text = trim($0)
        if (text ~ /^Examples?:$/) { mode = "example"; next }
        mode = "prose"; paragraph("prose"); print squeeze(text)
        next
    }
    if ($0 ~ /^        +[^ ]/) {
        if (mode == "example") { examples[++count] = trim($0); next }
        text = trim($0)
        if (match(text, /   +/)) { # two columns: a tagged paragraph
            paragraph("table-" ++rows)
            print "  " squeeze(substr(text, 1, RSTART - 1)) "   " squeeze(substr(text, RSTART + RLENGTH))
        } else {
            paragraph("prose"); print squeeze(text)
        }
        next
    }
    if ($0 == "") { mode = ""; next }
    part = "tail"
    if ($0 ~ /^Exit status/) {
        print ""; print "*EXIT STATUS*"; print ""
        text = $0; sub(/:$/, ".", text); print text
        next
    }
}

part == "tail" { print }

END {
    if (count == 0) exit
    print ""; print "Examples:"
    for (i = 1; i <= count; ++i) print "  $ " examples[i]
}
' <<<"$help"
