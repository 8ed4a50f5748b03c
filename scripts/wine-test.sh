#!/usr/bin/env bash
# Runs a Windows test executable under Wine, in a prefix that belongs to the test runner:
# null display driver, no crash dialog, an object store on drive O: (its root holds \Windows)
# and a ROM image on drive R:. Passes the program's exit code through.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
export WINEPREFIX="${ORVANEL_TEST_PREFIX:-$here/../build/wine-test}"
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    make_prefix "$WINEPREFIX" null
    map_drive "$WINEPREFIX" o "$WINEPREFIX/objectstore"
    mkdir -p "$WINEPREFIX/objectstore/Windows"
    map_drive "$WINEPREFIX" r "$WINEPREFIX/rom"
) 9>"$WINEPREFIX.lock"
exec wine "$@"
