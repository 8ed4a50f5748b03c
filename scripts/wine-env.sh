# Common Wine settings for the scripts: sourced, not run.
# Quiet Wine, no Mono/Gecko prompts, and no crash dialog that would hang a headless run.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# No font of the build machine reaches a Wine process of ours through fontconfig: the device's
# font configuration names no folder (device/fonts.conf; font_settings below says what Wine
# offers instead).
export FONTCONFIG_FILE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/device/fonts.conf"

# prefix_settings DRIVER: the registry settings every prefix of ours gets, as a .reg file's text.
prefix_settings() {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="N"\r\n\r\n'
    if [ "$1" = null ]; then
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Graphics"="null"\r\n\r\n'
    fi
}

# font_settings FOLDERS: the registry settings, as .reg text (without the REGEDIT4 line), that
# make Wine offer exactly the fonts directly in FOLDERS (Windows paths separated by ';'), as a
# device loads those of its ROM and \Windows at start-up. Wine reads each folder of its "Path"
# without the folders below it, in every process at its start. What Wine recorded of earlier
# starts goes: the fonts it registered (a host font registered once would be loaded from there
# again) and its cache of their names (a cached family whose file is gone comes back as a face
# with a garbled name), so a font installed or removed shows at the next start, and only then.
font_settings() {
    printf '[-HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]\r\n\r\n'
    printf '[-HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\External Fonts]\r\n\r\n'
    printf '[-HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Cache]\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts]\r\n"Path"="%s"\r\n\r\n' "${1//\\/\\\\}"
}

# device_fonts ROM WINDOWS: copies the seeded device's fonts: its ROM's (Tahoma regular and bold,
# a Courier, DejaVu Sans Mono, and the collection LiberationSans.ttc joined by
# device/make-ttc.py) into ROM, and the two installed in RAM (DejaVu Sans, FreeSans) into WINDOWS.
# They come from Debian packages (fonts-wine, fonts-dejavu-core, fonts-freefont-ttf,
# fonts-liberation); a missing one is reported and skipped.
device_fonts() {
    local rom="$1" windows="$2" wine_fonts=/usr/share/wine/fonts lib=/usr/share/fonts/truetype/liberation f
    mkdir -p "$rom" "$windows"
    for f in "$wine_fonts/tahoma.ttf" "$wine_fonts/tahomabd.ttf" "$wine_fonts/courier.ttf" \
             /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf; do
        if [ -f "$f" ]; then cp "$f" "$rom/"; else echo "font $f is missing: skipped" >&2; fi
    done
    if [ -f "$lib/LiberationSans-Regular.ttf" ] && [ -f "$lib/LiberationSans-Bold.ttf" ]; then
        python3 "$(dirname "${BASH_SOURCE[0]}")/../device/make-ttc.py" "$rom/LiberationSans.ttc" \
            "$lib/LiberationSans-Regular.ttf" "$lib/LiberationSans-Bold.ttf"
    else
        echo "Liberation Sans is missing: the ROM has no font collection" >&2
    fi
    for f in /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/freefont/FreeSans.ttf; do
        if [ -f "$f" ]; then cp "$f" "$windows/"; else echo "font $f is missing: skipped" >&2; fi
    done
}

# prefix_stamp DRIVER: what a ready prefix was made with: Wine's version, the architecture and
# a hash of the settings. A prefix whose ready marker holds another stamp is made anew.
prefix_stamp() {
    # Asking Wine its version takes a good part of a second: a test run asks once and passes it on.
    : "${ORVANEL_WINE_VERSION:=$(WINEDEBUG=-all wine --version 2>/dev/null)}"
    printf '%s %s settings=%s\n' "$ORVANEL_WINE_VERSION" "$WINEARCH" \
        "$(prefix_settings "$1" | sha256sum | cut -c1-16)"
}

# make_prefix PREFIX DRIVER: create a Wine prefix once, with the given graphics driver
# ("null" for tests, "x11" for the device), and restart the server so that the driver is used.
# The ready marker (PREFIX/.orvanel-ready) holds the stamp; it is written only after a boot
# that succeeded and left a registry behind, so a failed boot is tried again next time.
# Returns non-zero when the prefix could not be made.
make_prefix() {
    local prefix="$1" driver="$2" stamp
    stamp="$(prefix_stamp "$driver")"
    if [ -f "$prefix/.orvanel-ready" ]; then
        [ "$(cat "$prefix/.orvanel-ready")" = "$stamp" ] && return 0
        echo "wine-env: $prefix was made by another Wine or with other settings: making it anew" >&2
        WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
        WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
        chmod -R u+w "$prefix" 2>/dev/null || true
        rm -rf "$prefix"
    fi
    rm -f "$prefix/.orvanel-ready"
    mkdir -p "$prefix"
    if ! WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1; then
        echo "wine-env: wineboot failed in $prefix" >&2
        return 1
    fi
    WINEPREFIX="$prefix" wineserver -w || true
    local f
    for f in system.reg user.reg userdef.reg drive_c/windows/system32/kernel32.dll; do
        if [ ! -s "$prefix/$f" ]; then
            echo "wine-env: the boot left no $f in $prefix" >&2
            return 1
        fi
    done
    local reg
    reg=$(mktemp --suffix=.reg)
    prefix_settings "$driver" > "$reg"
    if ! WINEPREFIX="$prefix" wine regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1; then
        rm -f "$reg"
        echo "wine-env: the settings could not be imported into $prefix" >&2
        return 1
    fi
    rm -f "$reg"
    WINEPREFIX="$prefix" wineserver -k || true
    WINEPREFIX="$prefix" wineserver -w || true
    printf '%s\n' "$stamp" > "$prefix/.orvanel-ready"
}

# prefix_programs PREFIX: the Unix process ids of the Windows programs running in the prefix
# that are not Wine's own: a test program, or the program a test started, left behind by a test
# that was killed.
prefix_programs() {
    local prefix p image
    prefix="$(readlink -f "$1")"
    # Only processes whose environment names the prefix, found in one pass; of those, only Wine's.
    for p in $(grep -lsxzF -e "WINEPREFIX=$prefix" -e "WINEPREFIX=$1" /proc/[0-9]*/environ 2>/dev/null); do
        p="${p%/environ}"
        case "$(readlink "$p/exe" 2>/dev/null)" in */wine64|*/wine|*/wine64-preloader|*/wine-preloader) ;; *) continue ;; esac
        # The program's path comes first: Windows-style when started by CreateProcess, as given on
        # the Unix command line when started by `wine`. Wine's own programs live in C:\windows;
        # a process still in Wine's loader shows the loader's name, and Wine's launcher (which
        # runs the runner's helper window) shows "start.exe".
        image="$(head -zn1 2>/dev/null < "$p/cmdline" | tr -d '\0')"
        image="${image#\"}"
        case "${image,,}" in
            ''|'c:\windows\'*|start.exe|wine|wine64|*/wine|*/wine64|*/wine-preloader|*/wine64-preloader) continue ;;
        esac
        printf '%s\n' "${p#/proc/}"
    done
}

# end_prefix_programs PREFIX: kills those programs and waits (5 s at most) until they are gone.
end_prefix_programs() {
    local pids tries
    pids="$(prefix_programs "$1")"
    [ -n "$pids" ] || return 0
    echo "wine-env: ending programs left running in $1:" $pids >&2
    # shellcheck disable=SC2086 # one id per word
    kill -KILL $pids 2>/dev/null || true
    for tries in $(seq 50); do
        [ -z "$(prefix_programs "$1")" ] && return 0
        sleep 0.1
    done
    echo "wine-env: programs still running in $1 after 5 s" >&2
}

# winepath_w UNIXPATH: the Windows form of a Unix path (through the Z: drive every prefix has).
winepath_w() {
    local p
    p=$(readlink -f "$1")
    printf 'Z:%s' "${p//\//\\}"
}

# map_drive PREFIX LETTER DIR: make drive LETTER: of the prefix point at DIR.
map_drive() {
    local prefix="$1" letter="$2" dir="$3"
    mkdir -p "$dir" "$prefix/dosdevices"
    ln -sfn "$(readlink -f "$dir")" "$prefix/dosdevices/$letter:"
}
