#!/usr/bin/env bash
# check-imports.sh OBJDUMP EXE: fails when the program imports a library that start-up does not
# need. COM and the image codecs are loaded by the platform layer at first use; a static import
# would load them (and what they pull in) before WinMain. The file dialogs are the platform
# layer's own: comdlg32 is never loaded, statically or later.
set -u
objdump="$1" exe="$2"
imports="$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')" || exit 1
[ -n "$imports" ] || { echo "check-imports: no import table read from $exe" >&2; exit 1; }
late="$(printf '%s\n' "$imports" | grep -iE '^(ole32|oleaut32|windowscodecs|comdlg32)\.dll$')"
if [ -n "$late" ]; then
    echo "check-imports: $exe imports what it should load at first use:" $late >&2
    exit 1
fi
