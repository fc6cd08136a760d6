# The manual page help2man makes from help-for-man.sh, finished: entries that
# share one description get one tag under the other (.TQ), and the examples
# are neither justified nor hyphenated, so that each reads as it is typed.
s/ @TQ@ /\n.TQ\n/g
/^\.SH EXAMPLES/a\
.nh\
.ad l
/^\.SH EXAMPLES/,${
/^\.SH [^E]/i\
.hy\
.ad b
}
