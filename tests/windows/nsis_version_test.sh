#!/usr/bin/env bash
# Which NSIS versions scripts/package-windows accepts: 3.09 on, and Debian's mended 3.08.
set -u
here=$(cd "$(dirname "$0")" && pwd)
check=$here/../../tools/windows/installer/nsis-version-ok
status=0
while read -r version expected; do
    "$check" "$version" && actual=accepted || actual=refused
    if [ "$actual" != "$expected" ]; then
        echo "FAILED: NSIS $version $actual, should be $expected"
        status=1
    fi
done << TABLE
v3.08-3+deb12u1 accepted
v3.08-3+deb12u2 accepted
v3.08-4 accepted
v3.08-3 refused
v3.08 refused
v3.07-1 refused
v2.51 refused
v3.09 accepted
v3.10-1 accepted
v4.0 accepted
nonsense refused
TABLE
exit "$status"
