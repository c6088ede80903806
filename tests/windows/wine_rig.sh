# Sourced by the tests that run Windows programs under wine. Gives the run a wine prefix of its
# own under a scratch folder, quiet wine, and ends that prefix's wine server on every way out.
#
#   . tests/windows/wine_rig.sh
#   wine_rig_start NAME        scratch folder in $scratch, prefix in $WINEPREFIX
#   skip "why"                 exits 77, the status CTest and scripts read as skipped
#   expect_equal WHAT EXPECTED ACTUAL
#   wine_once_more SAID [--fresh FILE] PROGRAM ARGS...
#                              wine PROGRAM ARGS, again once if wine's server killed it
#   finish                     prints "N passed, N failed" and exits non-zero on a failure

passed=0
failed=0

skip() {
    printf 'SKIPPED: %s\n' "$1"
    exit 77
}

pass() {
    passed=$((passed + 1))
}

failure() {
    failed=$((failed + 1))
    printf 'FAILED: %s\n' "$1"
}

expect_equal() {
    if [ "$2" = "$3" ]; then
        pass
    else
        failure "$1"
        printf '  expected: %s\n  actual:   %s\n' "$2" "$3"
    fi
}

# A condition as a command: expect "what" command args...
expect() {
    what=$1
    shift
    if "$@"; then pass; else failure "$what"; fi
}

wine_rig_stop() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k 2> /dev/null || true
    fi
    if [ -n "${scratch:-}" ] && [ -z "${TS_KEEP_SCRATCH:-}" ]; then
        rm -rf "$scratch"
    fi
}

wine_rig_start() {
    command -v wine > /dev/null 2>&1 || skip "wine is not installed"
    command -v wineserver > /dev/null 2>&1 || skip "wineserver is not installed"
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    export WINEPREFIX="$scratch/prefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    # No desktop integration: menus and file associations stay inside the prefix.
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
    trap wine_rig_stop EXIT
    trap 'exit 130' INT TERM
    wineboot --init > /dev/null 2>&1 || wine wineboot --init > /dev/null 2>&1 ||
        skip "wine cannot make a prefix here"
}

# Wine's server now and then kills a process of the prefix with SIGKILL as it ends or starts (a
# shell status of 137, which none of our programs returns); the program's own outcome is then
# unknown, so it runs once more, and a second such end is the outcome. What the program says goes
# to SAID, each run's anew; FILE, which the program writes and would not write over, goes first.
#   wine_once_more SAID [--fresh FILE] PROGRAM ARGS...
wine_once_more() {
    local said=$1 fresh=
    shift
    if [ "$1" = --fresh ]; then
        fresh=$2
        shift 2
    fi
    wine "$@" > "$said" 2>&1
    local status=$?
    if [ "$status" -eq 137 ]; then
        printf 'NOTE: wine killed %s; running it once more\n' "$1"
        [ -z "$fresh" ] || rm -f "$fresh"
        wine "$@" > "$said" 2>&1
        status=$?
    fi
    return "$status"
}

finish() {
    printf '%d passed, %d failed\n' "$passed" "$failed"
    [ "$failed" -eq 0 ]
}
