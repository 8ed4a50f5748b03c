#!/usr/bin/env bash
# Runs a Windows test executable under Wine, in a prefix that belongs to the test runner:
# null display driver, no crash dialog, an object store on drive O: (its root holds \Windows)
# and a ROM image on drive R:, and the fonts of the seeded device (docs/device.md). Passes the program's exit code through.
#
# Before the program starts, any program a previous test left running in the prefix (a test
# CTest killed at its timeout, or the Orvanel it had started) is ended: it would hold the
# single-copy window and the registry the next test expects to own. Tests of one prefix run one
# at a time (CTest's RESOURCE_LOCK wine-test-prefix), so nothing of a running test is touched.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
WINEPREFIX="${ORVANEL_TEST_PREFIX:-$here/../build/wine-test}"
mkdir -p "$WINEPREFIX"
WINEPREFIX="$(readlink -f "$WINEPREFIX")"
export WINEPREFIX
(
    flock 9
    make_prefix "$WINEPREFIX" null || exit 1
    map_drive "$WINEPREFIX" o "$WINEPREFIX/objectstore"
    mkdir -p "$WINEPREFIX/objectstore/Windows"
    map_drive "$WINEPREFIX" r "$WINEPREFIX/rom"
    # The device's own settings, as a new device has them: the pages grab them at start-up.
    seed="$here/../device/registry.reg"
    sum="$(sha1sum < "$seed")"
    if [ "$(cat "$WINEPREFIX/.orvanel-seed" 2>/dev/null)" != "$sum" ]; then
        wine regedit /S "$(winepath_w "$seed")" >/dev/null 2>&1 && echo "$sum" > "$WINEPREFIX/.orvanel-seed"
    fi
    # The window system offers the seeded device's fonts (its ROM's and those it has installed,
    # kept in device-fonts, which no test touches) and those directly in the object store's
    # \Windows, as a device started now would: nothing of the host's.
    fonts="$WINEPREFIX/device-fonts"
    folders="$(winepath_w "$fonts");O:\Windows"
    sum="$(font_settings "$folders" | sha1sum)"
    if [ "$(cat "$WINEPREFIX/.orvanel-fonts" 2>/dev/null)" != "$sum" ] || [ ! -d "$fonts" ]; then
        rm -rf "$fonts"
        device_fonts "$fonts" "$fonts"
        reg="$(mktemp --suffix=.reg)"
        { printf 'REGEDIT4\r\n\r\n'; font_settings "$folders"; } > "$reg"
        wine regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1 && echo "$sum" > "$WINEPREFIX/.orvanel-fonts"
        rm -f "$reg"
    fi
    end_prefix_programs "$WINEPREFIX"
) 9>"$WINEPREFIX.lock" || { echo "wine-test: the prefix $WINEPREFIX is not usable" >&2; exit 125; }
exec wine "$@"
