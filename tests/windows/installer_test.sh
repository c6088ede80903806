#!/usr/bin/env bash
# The Windows installer under wine, in a fresh prefix: a silent install puts the files, the
# shortcuts and the uninstall entry where Windows expects them; the installed programs behave as
# the build tree's; a silent uninstall takes all of it away but the user's data; a newer version
# installs over an older one where that one is; neither touches a program that runs; a folder
# of the user's files, or another program's with its own uninstaller, gets a folder of the
# program's own, and the files found there, or left in the program's folder, outlast the
# uninstall.
#
#   tests/windows/installer_test.sh [BUILD]     BUILD: the Windows build folder, default
#                                               build/windows (packaged first if need be)
set -u
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
build=$(realpath "${1:-$source_dir/build/windows}")
# shellcheck source=SCRIPTDIR/wine_rig.sh
. "$here/wine_rig.sh"

for program in trend-station.exe trend-record.exe trend-file.exe devcon.exe; do
    [ -f "$build/$program" ] ||
        skip "no $program in $build: build the Windows edition first (scripts/build-windows)"
done
for tool in makensis xvfb-run perl iconv; do
    command -v "$tool" > /dev/null || { echo "FAILED: $tool is missing (scripts/setup)"; exit 1; }
done
# The program's window needs a display, and wine's desktop process must start with it.
if [ -z "${TS_UNDER_XVFB:-}" ]; then
    TS_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi
# The program's folder is named in Cyrillic: wine passes it on from a UTF-8 locale only.
case "${LC_ALL:-${LANG:-}}" in
    *.UTF-8 | *.utf8) ;;
    *) export LANG=C.UTF-8 LC_ALL=C.UTF-8 ;;
esac

version=$(sed -n 's/^project(trend_station VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
setup=$build/trend-station-$version-setup.exe
files=$build/package/trend-station-$version
if [ ! -f "$setup" ] || [ -n "$(find "$build" -maxdepth 1 -name '*.exe' -newer "$setup")" ] ||
    [ -n "$(find "$source_dir/tools/windows/installer" -newer "$setup")" ]; then
    "$source_dir/scripts/package-windows" "$build" > /dev/null || { echo "FAILED: packaging"; exit 1; }
fi

wine_rig_start installer-test
drive_c=$WINEPREFIX/drive_c
program_folder="$drive_c/Program Files/ТРЕНД-СТАНЦИЯ"
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ТРЕНД-СТАНЦИЯ.lnk"
desktop="$drive_c/users/Public/Desktop/ТРЕНД-СТАНЦИЯ.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\trend-station'
installed_files='LICENSE.txt README.txt devcon.exe trend-file.exe trend-record.exe trend-station.exe trend-station.ico uninstall.exe'

# The uninstall entry as "name=value" lines, EstimatedSize aside; empty when there is none.
uninstall_entry() {
    wine reg export "$key" "$scratch/entry.reg" /y > /dev/null 2>&1 || return 0
    iconv -f UTF-16 -t UTF-8 "$scratch/entry.reg" | tr -d '\r' | grep '^"' | grep -v EstimatedSize
}

# Every file of one folder, names only, sorted, on one line.
listing() {
    (cd "$1" 2> /dev/null && ls | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
}

same_files() {
    for file in LICENSE.txt README.txt devcon.exe trend-file.exe trend-record.exe \
        trend-station.exe trend-station.ico; do
        cmp -s "$files/$file" "$1/$file" || return 1
    done
}

# A shortcut's strings are UTF-16; their ASCII parts read once the zero bytes go.
shortcut_says() {
    tr -d '\0' < "$1" | grep -q -F -- "$2"
}

wine "$setup" /S
expect_equal "silent install's status" 0 $?

expect_equal "files in Program Files\\ТРЕНД-СТАНЦИЯ" "$installed_files" "$(listing "$program_folder")"
expect "installed files are the packaged ones" same_files "$program_folder"
for link in "$start_menu" "$desktop"; do
    expect "$link starts the program" shortcut_says "$link" 'trend-station.exe'
    expect "$link gives --user-data" shortcut_says "$link" '--user-data'
    expect "$link shows the program's icon" shortcut_says "$link" 'trend-station.ico'
done
expect_equal "uninstall entry" "$(cat << ENTRY
"DisplayIcon"="C:\\\\Program Files\\\\ТРЕНД-СТАНЦИЯ\\\\trend-station.ico"
"DisplayName"="ТРЕНД-СТАНЦИЯ"
"DisplayVersion"="$version"
"InstallLocation"="C:\\\\Program Files\\\\ТРЕНД-СТАНЦИЯ"
"NoModify"=dword:00000001
"NoRepair"=dword:00000001
"Publisher"="ТРЕНД-СТАНЦИЯ developers"
"QuietUninstallString"="\\"C:\\\\Program Files\\\\ТРЕНД-СТАНЦИЯ\\\\uninstall.exe\\" /S"
"UninstallString"="\\"C:\\\\Program Files\\\\ТРЕНД-СТАНЦИЯ\\\\uninstall.exe\\""
ENTRY
)" "$(uninstall_entry)"
# Windows shows the size in KiB: the installed files', give or take a KiB a file.
size_kib=$(($(cat "$program_folder"/* | wc -c) / 1024))
estimated=$(iconv -f UTF-16 -t UTF-8 "$scratch/entry.reg" | sed -n 's/^"EstimatedSize"=dword:\([0-9a-f]*\).*/\1/p')
estimated=$((16#${estimated:-0}))
expect "EstimatedSize $estimated KiB is the installed $size_kib KiB" \
    test "$estimated" -ge $((size_kib - 7)) -a "$estimated" -le $((size_kib + 7))

# The installed programs answer as the build tree's. The build tree's copy runs from a folder of
# its own, as the installed one does: beside it in the build folder lies the emulated driver
# library, which the program would load.
installed='C:\Program Files\ТРЕНД-СТАНЦИЯ'
cd "$scratch" || exit 1
mkdir built-program
cp "$build/trend-record.exe" built-program/
wine_once_more built.version built-program/trend-record.exe --version
wine_once_more installed.version "$installed\\trend-record.exe" --version
expect "trend-record --version prints something" test -s built.version
expect "installed trend-record --version as the build tree's" cmp -s built.version installed.version

# A third of a second of the line from instrument 1: every channel counting 0 to 1023.
perl -e 'for $i (0 .. 2467) {
    $v = $i % 1024; $t = (2 * $i) & 0xffff; $h = ($v >> 7) & 7;
    @f = (0x80 | (1 << 2) | ($t >> 14), ($t >> 7) & 0x7f, $t & 0x7f);
    push @f, 0x40 | ($h << 3) | $h, $v & 0x7f, $v & 0x7f for 1 .. 3;
    $s = 0; $s += $_ for @f;
    print pack("C*", @f, ($s >> 7) & 0x7f, $s & 0x7f);
}' > capture.raw
# Raw 0 reads 0, raw 1023 reads 100 on every channel.
printf '0 0\r\n1023 100\r\n' > table.txt
tables=()
for channel in 1 2 3 4 5 6; do tables+=(--table "$channel=table.txt"); done
for which in built installed; do
    program=built-program/trend-record.exe
    [ "$which" = built ] || program="$installed\\trend-record.exe"
    wine_once_more "$which.said" --fresh "$which.txt" "$program" --out "$which.txt" \
        --replay capture.raw --every all --channels 1,2,3,4,5,6 "${tables[@]}"
    expect_equal "$which trend-record --replay status" 0 $?
    # The start and stop lines carry the wall-clock time.
    sed '1d;$d' "$which.txt" > "$which.records"
done
expect "the replay records every sample" test "$(wc -l < built.records)" -gt 2000
expect "the replay's records go through the tables" grep -q ' 100[.,]000 ' built.records
expect "installed trend-record --replay writes as the build tree's" cmp -s built.records installed.records
expect "installed trend-record --replay says what the build tree's says" cmp -s built.said installed.said

# Started as the shortcut starts it, in the program's folder; closed as a user closes it.
(cd "$program_folder" && exec wine "$installed\\trend-station.exe" --user-data) > window.said 2>&1 &
window=$!
sleep 8
# Asked again while it runs: a message box shown at start takes the first request.
for _ in $(seq 10); do
    kill -0 "$window" 2> /dev/null || break
    wine taskkill /im trend-station.exe > /dev/null 2>&1
    sleep 2
done
if kill -0 "$window" 2> /dev/null; then
    failure "trend-station.exe did not close when asked"
    wine taskkill /f /im trend-station.exe > /dev/null 2>&1
else
    pass
fi
data_folder=$(ls -d "$drive_c"/users/*/AppData/Local/trend-station 2> /dev/null | head -n 1)
expect "trend-station --user-data keeps Settings.bin in %LOCALAPPDATA%\\trend-station" \
    test -s "$data_folder/Settings.bin"
expect "and none in the program's folder" test ! -e "$program_folder/Settings.bin"
[ -z "$data_folder" ] || cp -r "$data_folder" data-before

# The uninstaller hands over to a copy of itself and returns at once: wait for the prefix.
quiet=$(uninstall_entry | sed -n 's/^"QuietUninstallString"="\\"\(.*\)\\" \(.*\)"$/\1|\2/p' | sed 's/\\\\/\\/g')
wine "${quiet%|*}" "${quiet#*|}"
expect_equal "silent uninstall's status" 0 $?
wineserver -w
expect "no program folder left" test ! -e "$program_folder"
expect "no Start-menu shortcut left" test ! -e "$start_menu"
expect "no desktop shortcut left" test ! -e "$desktop"
expect_equal "no uninstall entry left" "" "$(uninstall_entry)"
expect "the user's data folder is untouched" diff -r data-before "$data_folder"

# An older version installed where the user chose; the newer one goes over it, there.
older=$scratch/older
cp -r "$files" "$older"
echo "older" > "$older/README.txt"
makensis -V1 -INPUTCHARSET UTF8 -DVERSION=0.9.0 -DFILES="$older" -DOUTFILE="$scratch/older-setup.exe" \
    "$source_dir/tools/windows/installer/trend-station.nsi" > /dev/null
wine "$scratch/older-setup.exe" /S '/D=C:\Apps\ТРЕНД-СТАНЦИЯ'
expect_equal "older version's silent install status" 0 $?
wine "$setup" /S
expect_equal "newer version's silent install status" 0 $?
expect "the newer version's files replace the older's" same_files "$drive_c/Apps/ТРЕНД-СТАНЦИЯ"
expect "and nothing goes to Program Files" test ! -e "$program_folder"
expect_equal "one uninstall entry, the newer version's, where the older was" \
    "$version|C:\\\\Apps\\\\ТРЕНД-СТАНЦИЯ" \
    "$(uninstall_entry | sed -n 's/^"DisplayVersion"="\(.*\)"$/\1/p;s/^"InstallLocation"="\(.*\)"$/\1/p' | paste -sd '|')"


# A program of ours running: the silent install and uninstall leave every file as it is.
(cd "$scratch" && exec wine 'C:\Apps\ТРЕНД-СТАНЦИЯ\trend-record.exe' --serial TS000001 \
    --every all --channels 1 --out running.txt) \
    > /dev/null 2>&1 &
running=$!
sleep 4
cp -r "$drive_c/Apps/ТРЕНД-СТАНЦИЯ" "$scratch/apps-before"
wine "$setup" /S
expect_equal "silent install's status while the program runs" 3 $?
wine 'C:\Apps\ТРЕНД-СТАНЦИЯ\uninstall.exe' /S
# The uninstaller's copy of itself works on after it returns.
sleep 6
expect "neither touched the running program's folder" \
    diff -r "$scratch/apps-before" "$drive_c/Apps/ТРЕНД-СТАНЦИЯ"
wine taskkill /f /im trend-record.exe > /dev/null 2>&1
wait "$running" 2> /dev/null
wine 'C:\Apps\ТРЕНД-СТАНЦИЯ\uninstall.exe' /S
wineserver -w
expect "once it has ended, the uninstall goes" test ! -e "$drive_c/Apps/ТРЕНД-СТАНЦИЯ"

# A folder holding the user's own files, some named as ours: the program goes into a folder of
# its own there. A file a program started in the program's folder left behind, and the user's
# files, outlast the uninstall, and so does the folder that holds it.
records="$drive_c/users/Public/Documents/MyRecords"
mkdir -p "$records"
for file in README.txt LICENSE.txt notes.txt; do echo "the user's $file" > "$records/$file"; done
cp -r "$records" "$scratch/records-before"
wine "$setup" /S '/D=C:\users\Public\Documents\MyRecords'
expect_equal "silent install into a folder of the user's: status" 0 $?
expect_equal "the program in a folder of its own there" "$installed_files" \
    "$(listing "$records/ТРЕНД-СТАНЦИЯ")"
expect "the user's files there untouched by the install" \
    diff -r --exclude=ТРЕНД-СТАНЦИЯ "$scratch/records-before" "$records"
echo "the user's settings" > "$records/ТРЕНД-СТАНЦИЯ/Settings.bin"
wine "$records/ТРЕНД-СТАНЦИЯ/uninstall.exe" /S
wineserver -w
expect_equal "the uninstall leaves the user's file and its folder" "Settings.bin" \
    "$(listing "$records/ТРЕНД-СТАНЦИЯ")"
expect "the user's files untouched by the uninstall" \
    diff -r --exclude=ТРЕНД-СТАНЦИЯ "$scratch/records-before" "$records"

# Another program's folder, with an uninstaller of its own: not ours for that name. Ours goes
# into a folder of its own there, and theirs is never written over, nor taken by our uninstall.
other="$drive_c/Apps/Other"
mkdir -p "$other"
echo "the other program's uninstaller" > "$other/uninstall.exe"
echo "the other program" > "$other/other.exe"
cp -r "$other" "$scratch/other-before"
wine "$setup" /S '/D=C:\Apps\Other'
expect_equal "silent install into another program's folder: status" 0 $?
expect_equal "the program in a folder of its own there" "$installed_files" \
    "$(listing "$other/ТРЕНД-СТАНЦИЯ")"
expect "the other program's files untouched by the install" \
    diff -r --exclude=ТРЕНД-СТАНЦИЯ "$scratch/other-before" "$other"
wine "$other/ТРЕНД-СТАНЦИЯ/uninstall.exe" /S
wineserver -w
expect "the other program's files untouched by the uninstall" \
    diff -r "$scratch/other-before" "$other"

finish
