#!/usr/bin/env bash
# Provisions emulated devices from one exported configuration file. On each device: the file is
# copied into the object store, imported as configuration NAME (replacing one of that name),
# applied, and the device reset; then /compare NAME /device checks that the device holds it. A
# device that fails at any step does not stop the others. At the end the script lists the
# devices that failed, and exits with 1 when there were any.
#
#   scripts/provision.sh FILE NAME DEVICE...
#
# DEVICE is a device's Wine prefix with Orvanel installed (BUILD/device, see docs/device.md).
# Each step's messages go to the terminal and to \Temp\provision.log on the device.
set -u

[ "$#" -ge 3 ] || { echo "usage: $0 FILE NAME DEVICE..." >&2; exit 2; }
file="$1" name="$2"
shift 2
[ -f "$file" ] || { echo "provision: $file does not exist" >&2; exit 2; }
program='O:\Program Files\Orvanel\orvanel.exe'
reboot_status=$((3010 & 255))   # a Unix exit status keeps the low byte of the reboot code

# orvanel DEVICE ARGS...: runs one command on the device; its exit status.
orvanel() {
    local device="$1"
    shift
    WINEPREFIX="$device" WINEDEBUG=-all wine "$program" "$@" /log 'O:\Temp\provision.log' 2>&1 | tr -d '\r' |
        sed "s|^|  |"
    return "${PIPESTATUS[0]}"
}

# provision DEVICE: every step, stopping at the first that fails; says which.
provision() {
    local device="$1" status
    [ -f "$device/objectstore/Program Files/Orvanel/orvanel.exe" ] || { echo "  Orvanel is not installed"; return 1; }
    mkdir -p "$device/objectstore/Temp"
    cp "$file" "$device/objectstore/Temp/provision.ov" || return 1
    orvanel "$device" /import 'O:\Temp\provision.ov' /as "$name" /yes || { echo "  import failed ($?)"; return 1; }
    orvanel "$device" /apply "$name" /reset
    status=$?
    if [ "$status" = "$reboot_status" ]; then
        # The device restarts: its programs end, as the screen does in a reboot.
        WINEPREFIX="$device" timeout 60 wineserver -w 2>/dev/null
    elif [ "$status" != 0 ]; then
        echo "  apply failed ($status)"
        return 1
    fi
    local differences
    differences="$(orvanel "$device" /compare "$name" /device)"
    status=$?
    [ -n "$differences" ] && printf '%s\n' "$differences"
    if [ "$status" != 0 ] || [ -n "$differences" ]; then
        echo "  the device does not hold \"$name\" ($status)"
        return 1
    fi
}

failed=()
for device in "$@"; do
    echo "$device:"
    if provision "$device"; then echo "  done"; else failed+=("$device"); fi
done
if [ "${#failed[@]}" -gt 0 ]; then
    echo "failed on ${#failed[@]} of $# devices:"
    printf '  %s\n' "${failed[@]}"
    exit 1
fi
echo "all $# devices provisioned"
