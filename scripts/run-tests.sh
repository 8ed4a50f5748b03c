#!/usr/bin/env bash
# Runs the test suite under Wine in the test runner's own prefix. A persistent Wine server is
# started first, so each test process starts in a fraction of a second instead of about one.
#
#   scripts/run-tests.sh [BUILD [CTEST OPTIONS...]]     e.g. scripts/run-tests.sh build -j2 -R Store
#
# Tests of the prefix hold CTest's RESOURCE_LOCK wine-test-prefix, so `-j` runs them one by one
# (other work may overlap). The server and the helper window end with the run, on Ctrl-C too.
#
# Time limits, from the innermost out (each below the one around it, so the inner one reports):
#   capture.exe waits 20 s for the program's window and 15 s for it to close;
#   device/check_device.py gives the headless device run 240 s (ORVANEL_DEVICE_RUN_TIMEOUT);
#   CTest: 60 s per codec test, 90 s per window test, 1500 s for the thousand rounds of
#   orvanel_rounds (about 7 minutes here), 300 s for device_checks (the TIMEOUT
#   properties in tests/CMakeLists.txt); --timeout below only covers a test without one;
#   test discovery (gtest --gtest_list_tests under Wine) 120 s per executable.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
[ "$#" -gt 0 ] && shift
. "$here/wine-env.sh"
mkdir -p "$build"
export ORVANEL_TEST_PREFIX="${ORVANEL_TEST_PREFIX:-$(readlink -f "$build")/wine-test}"
export WINEPREFIX="$ORVANEL_TEST_PREFIX"
export ORVANEL_WINE_VERSION="$(WINEDEBUG=-all wine --version 2>/dev/null)"   # asked once for the whole run
default_timeout=90

helper=""
finish() {
    trap - EXIT INT TERM
    if [ -n "$helper" ]; then
        kill -KILL "$helper" 2>/dev/null
        while kill -0 "$helper" 2>/dev/null; do sleep 0.1; done
    fi
    wineserver -k 2>/dev/null
    timeout 30 wineserver -w 2>/dev/null
}
trap finish EXIT
trap 'finish; exit 130' INT
trap 'finish; exit 143' TERM

# desktop_up: Wine's desktop process of the prefix is running.
desktop_up() {
    local p
    for p in /proc/[0-9]*; do
        case "$(tr '\0' ' ' 2>/dev/null < "$p/cmdline")" in 'C:\windows\system32\explorer.exe /desktop'*) ;; *) continue ;; esac
        tr '\0' '\n' 2>/dev/null < "$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}

# wait_for WHAT SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds.
wait_for() {
    local what="$1" tenths=$(( $2 * 10 )) i
    shift 2
    for (( i = 0; i < tenths; i++ )); do
        "$@" && return 0
        sleep 0.1
    done
    echo "run-tests: $what did not happen within $(( tenths / 10 )) s" >&2
    return 1
}

# Creates and prepares the prefix once (or anew, when Wine or the settings changed).
"$here/wine-test.sh" cmd /c exit 0 >/dev/null 2>&1 || { echo "run-tests: the test prefix cannot be made" >&2; exit 1; }
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
wineserver -p
# The first process of a new server starts the session's own processes; let that happen here,
# not inside the first test's time.
timeout 120 "$here/wine-test.sh" cmd /c exit 0 >/dev/null 2>&1 || true
# Wine's desktop process starts with a test's first window and inherits its output; CTest then
# waits about a second for it to go. A window kept open for the whole run keeps the desktop up.
# A desktop the warm-up started lingers for a moment: wait for it to go, so the desktop waited
# for below is the helper's.
wait_for "the warm-up's desktop ending" 10 eval '! desktop_up' || true
"$here/wine-test.sh" notepad >/dev/null 2>&1 </dev/null &
helper=$!
disown "$helper"   # ended by finish, without the shell's report of a killed job
wait_for "Wine's desktop starting" 30 desktop_up || true

status=0
ctest --test-dir "$build" --output-on-failure --timeout "$default_timeout" "$@" || status=$?
exit $status
