#!/usr/bin/env bash
# expect-exit-codes.sh EMULATOR PROGRAM [ARGUMENT=CODE ...]: runs PROGRAM once per argument and checks its exit code.
set -u
emulator=$1 program=$2
shift 2
failed=0
for pair in "$@"; do
    argument=${pair%=*} expected=${pair#*=}
    "$emulator" "$program" "$argument"
    code=$?
    if [ "$code" -ne "$expected" ]; then
        echo "\"$argument\": exit code $code, expected $expected"
        failed=1
    fi
done
exit $failed
