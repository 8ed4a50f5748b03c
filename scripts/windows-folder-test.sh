#!/usr/bin/env bash
# Runs the tests of a full or a read-only \Windows on the test device.
#
#   scripts/windows-folder-test.sh full|read-only TEST_EXE [GTEST OPTIONS...]
#
# Wine run as root ignores read-only attributes and folder modes, and a disk does not fill up on
# request, so the folder is made full or read-only for real: in a mount namespace of its own, the
# test prefix is seen through an overlay (whatever the run writes is thrown away with it), a
# small tmpfs (ORVANEL_WINDOWS_BYTES, 128 KiB) is mounted over its \Windows, read-only for
# `read-only`, and the test program runs there under a Wine server of its own (the namespace
# hides the other servers' sockets). The tests reach the same tmpfs, writable, through a second
# path they are given in ORVANEL_WINDOWS_WRITABLE, to put in what a read-only \Windows holds.
#
# Nothing of this is seen outside the namespace, and the mounts go with its last process, however
# the run ends (a test killed at its timeout included): no later test meets them.
#
# Exit code: the test program's; 77 (CTest's SKIP_RETURN_CODE) when the machine does not let us
# make a mount namespace or mount (not root), with the reason on stderr.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
skip=77

usage() { echo "usage: $0 full|read-only TEST_EXE [GTEST OPTIONS...]" >&2; exit 2; }
[ "$#" -ge 2 ] || usage
mode="$1"
case "$mode" in full|read-only) ;; *) usage ;; esac

if [ "${ORVANEL_WINDOWS_NAMESPACE:-}" != 1 ]; then
    . "$here/wine-env.sh"
    prefix="${ORVANEL_TEST_PREFIX:-$here/../build/wine-test}"
    mkdir -p "$prefix"
    prefix="$(readlink -f "$prefix")"
    # A mount over the prefix's \Windows out here would be seen by every other test.
    if mountpoint -q "$prefix/objectstore/Windows" 2>/dev/null; then
        echo "windows-folder-test: something is mounted on $prefix/objectstore/Windows; unmount it first" >&2
        exit 1
    fi
    if ! unshare -m true 2>/dev/null; then
        echo "windows-folder-test: skipped: this machine does not allow a mount namespace (unshare -m needs root)" >&2
        exit $skip
    fi
    # The prefix is made and seeded as for every other test, outside the namespace.
    ORVANEL_TEST_PREFIX="$prefix" "$here/wine-test.sh" cmd /c exit 0 >/dev/null 2>&1 ||
        { echo "windows-folder-test: the test prefix $prefix cannot be made" >&2; exit 1; }
    # The namespace's mount points; they stay empty folders out here.
    mkdir -p "$prefix.mounts"
    ORVANEL_WINDOWS_NAMESPACE=1 ORVANEL_TEST_PREFIX="$prefix" exec unshare -m --propagation private "$0" "$@"
    exit $skip
fi

# Inside the namespace.
shift
exe="$1"
shift
. "$here/wine-env.sh"
prefix="$ORVANEL_TEST_PREFIX"
work="$prefix.mounts"
bytes="${ORVANEL_WINDOWS_BYTES:-131072}"

cannot_mount() {
    echo "windows-folder-test: skipped: $1" >&2
    exit $skip
}
mount -t tmpfs -o size=512m,mode=700 tmpfs "$work" || cannot_mount "tmpfs cannot be mounted here"
mkdir -p "$work/upper" "$work/overlay-work" "$work/prefix" "$work/windows" "$work/windows-before" "/tmp/.wine-$(id -u)"
mount -t overlay overlay -o "lowerdir=$prefix,upperdir=$work/upper,workdir=$work/overlay-work" "$work/prefix" ||
    cannot_mount "an overlay of the prefix cannot be mounted here"
# The Wine servers' sockets of the machine are hidden: the namespace starts its own server.
mount -t tmpfs -o mode=700 tmpfs "/tmp/.wine-$(id -u)" || cannot_mount "Wine's socket folder cannot be hidden"

export WINEPREFIX="$work/prefix"
windows="$WINEPREFIX/objectstore/Windows"
mkdir -p "$windows"
cp -a "$windows/." "$work/windows-before/"
mount -t tmpfs -o "size=$bytes,mode=755" tmpfs "$work/windows" || cannot_mount "a small tmpfs cannot be mounted here"
cp -a "$work/windows-before/." "$work/windows/" ||
    { echo "windows-folder-test: \\Windows of the prefix does not fit in $bytes bytes" >&2; exit 1; }
mount --bind "$work/windows" "$windows" || cannot_mount "a bind mount cannot be made here"
if [ "$mode" = read-only ]; then
    mount -o remount,bind,ro "$windows" || cannot_mount "a read-only bind mount cannot be made here"
fi

finish() {
    # The namespace's server goes with the run; its mounts go with the namespace.
    wineserver -k 2>/dev/null
    timeout 30 wineserver -w 2>/dev/null
}
trap finish EXIT

suite=WindowsFolderFull
[ "$mode" = read-only ] && suite=WindowsFolderReadOnly
status=0
ORVANEL_TEST_PREFIX="$WINEPREFIX" ORVANEL_WINDOWS_FOLDER="$mode" \
    ORVANEL_WINDOWS_WRITABLE="$(winepath_w "$work/windows")" \
    "$here/wine-test.sh" "$exe" --gtest_filter="$suite.*" "$@" || status=$?
exit $status
