#!/bin/sh
# Usage: full_device_test.sh PROGRAM ARGUMENT...
# Runs the program with its standard output on /dev/full, where only the final flush fails for
# short outputs: it must end with status 1 and say so on standard error.
program=$1
shift
message=$("$program" "$@" 2>&1 >/dev/full)
status=$?
if [ "$status" -ne 1 ]; then
    echo "exit status $status, expected 1"
    exit 1
fi
case $message in
*"could not write"*) ;;
*)
    echo "no message about the failed write on standard error: '$message'"
    exit 1
    ;;
esac
