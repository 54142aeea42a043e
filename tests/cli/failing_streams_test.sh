#!/bin/sh
# Usage: failing_streams_test.sh PROGRAM
# Runs the real program against streams that go away or fill up, as in a shell.
program=$1
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "$*"
    exit 1
}

# A reader that stops after three lines: the tool ends quietly, killed by SIGPIPE (status 141 in
# the shell), long before a million races are rolled; also where its parent ignores SIGPIPE.
(
    trap '' PIPE
    {
        "$program" --count 1000000 2>"$scratch/err"
        echo $? >"$scratch/status"
    } | head -n 3 >"$scratch/out"
)
[ "$(cat "$scratch/status")" -eq 141 ] || fail "closed pipe: status $(cat "$scratch/status"), expected 141"
[ ! -s "$scratch/err" ] || fail "closed pipe: standard error holds '$(cat "$scratch/err")'"
[ "$(wc -l <"$scratch/out")" -eq 3 ] || fail "closed pipe: $(wc -l <"$scratch/out") lines read, expected 3"

# A trace that cannot be written is a failure, even though every race was written.
"$program" --trace --count 2 >"$scratch/races" 2>/dev/full
status=$?
[ "$status" -eq 1 ] || fail "--trace into a full standard error: status $status, expected 1"

# Under a limit on file sizes (ulimit -f), a write past it fails as on a full disk, and is said:
# the tool is not ended by SIGXFSZ (status 153 in the shell) with a cut file and no word why.
(
    ulimit -f 1
    "$program" --count 100 >"$scratch/limited" 2>"$scratch/err"
    echo $? >"$scratch/status"
)
[ "$(cat "$scratch/status")" -eq 1 ] || fail "size limit: status $(cat "$scratch/status"), expected 1"
grep -q "could not write" "$scratch/err" || fail "size limit: standard error holds '$(cat "$scratch/err")'"
