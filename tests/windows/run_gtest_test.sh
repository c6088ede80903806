#!/usr/bin/env bash
# tests/windows/run-gtest against a probe that passes, fails, crashes with a page fault or exits
# part-way: only the first may pass.
#
#   tests/windows/run_gtest_test.sh path/to/gtest_probe.exe
set -u
here=$(cd "$(dirname "$0")" && pwd)
probe=$1
# shellcheck source=SCRIPTDIR/wine_rig.sh
. "$here/wine_rig.sh"
[ -f "$probe" ] || skip "no probe at $probe"
wine_rig_start run-gtest-test

while read -r end expected; do
    TS_PROBE_END=$end "$here/run-gtest" "$probe" > "$scratch/out" 2>&1
    actual=$?
    [ "$actual" -eq 0 ] || actual=1
    expect_equal "run-gtest status when the probe ends by '$end'" "$expected" "$actual"
    [ "$expected" = "$actual" ] || cat "$scratch/out"
done << TABLE
pass 0
fail 1
crash 1
exit 1
TABLE

finish
