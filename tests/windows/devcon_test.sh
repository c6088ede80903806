#!/usr/bin/env bash
# devcon.exe under wine: what it accepts, what it refuses, and what it says of a device that is
# not there. wine finds devices through SetupAPI but carries out no change of a device's state,
# so the one device every prefix has (its own bus driver) shows the refusal path, not a disable.
#
#   tests/windows/devcon_test.sh [path/to/devcon.exe]     (default build/windows/devcon.exe)
set -u
here=$(cd "$(dirname "$0")" && pwd)
devcon=${1:-$here/../../build/windows/devcon.exe}
# shellcheck source=SCRIPTDIR/wine_rig.sh
. "$here/wine_rig.sh"

[ -f "$devcon" ] || skip "no devcon.exe at $devcon: build the Windows edition first (scripts/build-windows)"
devcon=$(cd "$(dirname "$devcon")" && pwd)/$(basename "$devcon")
wine_rig_start devcon-test

usage='devcon.exe: usage: devcon.exe [--dry-run] disable|enable "@USB\VID_xxxx&PID_xxxx\SERIAL"'
bridge='USB\VID_0403&PID_6001\A1B2C3'

# status, standard error, then the arguments; fields apart by "#".
while IFS='#' read -r status message args; do
    [ -n "$status" ] || continue
    IFS='#' read -r -a argv <<< "$args"
    [ -n "$args" ] || argv=()
    wine "$devcon" "${argv[@]}" > "$scratch/out" 2> "$scratch/err"
    actual=$?
    expect_equal "status of devcon.exe ${argv[*]}" "$status" "$actual"
    expect_equal "message of devcon.exe ${argv[*]}" "$message" "$(tr -d '\r' < "$scratch/err")"
    expect_equal "nothing on standard output from devcon.exe ${argv[*]}" "" "$(cat "$scratch/out")"
done << TABLE
2#$usage#
2#$usage#disable
2#$usage#stop#@$bridge
2#$usage#disable#@$bridge#@$bridge
2#devcon.exe: not a device instance path: $bridge#disable#$bridge
2#devcon.exe: not a device instance path: @#enable#@
1#devcon.exe: no device with the instance path $bridge#disable#@$bridge
1#devcon.exe: no device with the instance path $bridge#enable#@$bridge
1#devcon.exe: no device with the instance path USB\VID_0403&PID_6001"#disable#@USB\VID_0403&PID_6001"
1#devcon.exe: cannot disable the device ROOT\WINE\WINEBUS#disable#@ROOT\WINE\WINEBUS
1#devcon.exe: cannot enable the device ROOT\WINE\WINEBUS#enable#@ROOT\WINE\WINEBUS
2#$usage#--dry#disable#@ROOT\WINE\WINEBUS
1#devcon.exe: no device with the instance path $bridge#--dry-run#disable#@$bridge
TABLE

# wine carries out no change, so a dry run shows which change each command asks of the device's
# class installer; the numbers are setupapi.h's.
while IFS='#' read -r action state; do
    wine "$devcon" --dry-run "$action" '@ROOT\WINE\WINEBUS' > "$scratch/out" 2> "$scratch/err"
    expect_equal "status of a dry run of $action" 0 $?
    expect_equal "the change a dry run of $action asks for" \
        "would ask the class installer of ROOT\WINE\WINEBUS: function DIF_PROPERTYCHANGE (18), state $state, scope DICS_FLAG_CONFIGSPECIFIC (2), hardware profile 0" \
        "$(tr -d '\r' < "$scratch/out")"
done << TABLE
disable#DICS_DISABLE (2)
enable#DICS_ENABLE (1)
TABLE

finish
