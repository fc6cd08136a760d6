#!/usr/bin/env bash
# help2man runs this in place of humitrax-cli: the program's own --help,
# reshaped into the paragraphs help2man reads, so that the manual page follows
# the commands as they are.
#
#   help-for-man.sh PROGRAM --help | --version
#
# --help becomes: the usage lines (SYNOPSIS); a COMMANDS section with one
# subsection per command, each usage line of the command a paragraph of its
# own, then its prose; its two-column tables and its indented entries (a form
# of the command above the lines that describe it) as tagged paragraphs; the
# closing "Exit status" list as an EXIT STATUS section; and every command's
# examples in EXAMPLES. Entries that share one description are tagged
# "A @TQ@ B"; the build turns the mark into the manual's .TQ.
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
function indent(s) { match(s, /^ */); return RLENGTH }
# A blank line before a paragraph of another kind; none right under a
# subsection heading, which help2man knows by the indented line after it.
function paragraph(kind) { if (kind != last && last != "heading") print ""; last = kind }
{ line[NR] = $0 }
END {
    n = NR
    for (i = 1; i <= n && line[i] != "Commands:"; ++i) {
        if (i == 1 && line[i] ~ "^" name ": ") continue # the NAME section says it
        if (line[i] ~ "^ +" name " ") print "   or: " trim(line[i])
        else print line[i]
    }
    if (i <= n) { print ""; print "*COMMANDS*"; ++i }
    while (i <= n) {
        l = line[i]; d = indent(l); text = trim(l)
        if (l == "") { ++i; continue }
        if (d == 0) break
        if (d == 2) { # a command: its usage lines, each continued deeper
            split(text, words, " ")
            print ""; print words[1] ":"; last = "heading"
            while (i <= n && indent(line[i]) == 2) {
                usage = squeeze(line[i])
                for (++i; i <= n && indent(line[i]) > 6 && line[i] != ""; ++i) usage = usage " " squeeze(line[i])
                paragraph("usage " i); print "  " name " " usage
            }
            continue
        }
        if (d <= 6 && text ~ /^Examples?:$/) {
            for (++i; i <= n && indent(line[i]) > d && line[i] != ""; ++i) examples[++count] = trim(line[i])
            continue
        }
        if (d <= 6) { paragraph("prose"); print squeeze(text); ++i; continue }
        if (match(text, /   +/)) { # two columns
            paragraph("row " i)
            print "  " squeeze(substr(text, 1, RSTART - 1)) "   " squeeze(substr(text, RSTART + RLENGTH))
            ++i
            continue
        }
        # An entry: lines at this depth (each continued deeper by lines that
        # open with a bracket), then deeper lines that describe them.
        tags = ""
        for (j = i; j <= n && indent(line[j]) == d && !match(trim(line[j]), /   +/);) {
            tag = squeeze(line[j])
            for (++j; j <= n && indent(line[j]) > d && trim(line[j]) ~ /^[[(]/; ++j) tag = tag " " squeeze(line[j])
            tags = tags (tags == "" ? "" : " @TQ@ ") tag
        }
        description = ""
        for (; j <= n && indent(line[j]) > d && line[j] != ""; ++j)
            description = description (description == "" ? "" : " ") squeeze(line[j])
        if (description == "") { paragraph("prose"); print squeeze(text); ++i; continue }
        paragraph("entry " i); print "  " tags "   " description
        i = j
    }
    for (; i <= n; ++i) {
        if (line[i] ~ /^Exit status/) {
            print ""; print "*EXIT STATUS*"; print ""
            text = line[i]; sub(/:$/, ".", text); print text
        } else {
            print line[i]
        }
    }
    if (count == 0) exit
    print ""; print "Examples:"
    for (k = 1; k <= count; ++k) print "  $ " examples[k]
}
' <<<"$help"
