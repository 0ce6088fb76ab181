#!/usr/bin/env bash
# Runs a test program with its standard error in a file, copied to the real standard
# error when it ends. Wine hands a program's Unix standard error down to every process it
# starts, and so to the console host and desktop helpers that a console child brings up,
# which outlive the test: holding CTest's pipe, they would keep CTest waiting for ever.
log=$(mktemp)
"$@" 2>"$log"
status=$?
cat "$log" >&2
rm -f "$log"
exit $status
