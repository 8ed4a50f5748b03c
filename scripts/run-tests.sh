#!/usr/bin/env bash
# Runs the test suite under Wine in the test runner's own prefix. A persistent Wine server is
# started first, so each test process starts in a fraction of a second instead of about one.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
. "$here/wine-env.sh"
export ORVANEL_TEST_PREFIX="${ORVANEL_TEST_PREFIX:-$(readlink -f "$build")/wine-test}"
export WINEPREFIX="$ORVANEL_TEST_PREFIX"

"$here/wine-test.sh" cmd /c exit 0 >/dev/null 2>&1   # creates and prepares the prefix once
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
wineserver -p
# The first process of a new server starts the session's own processes; let that happen here,
# not inside the first test's time.
timeout 120 "$here/wine-test.sh" cmd /c exit 0 >/dev/null 2>&1 || true
# Wine's desktop process starts with a test's first window and inherits its output; CTest then
# waits about a second for it to go. A window kept open for the whole run keeps the desktop up.
"$here/wine-test.sh" notepad >/dev/null 2>&1 </dev/null &
sleep 2

status=0
ctest --test-dir "$build" --output-on-failure --timeout 120 || status=$?
wineserver -k 2>/dev/null || true
exit $status
