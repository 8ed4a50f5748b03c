#!/usr/bin/env bash
# The emulated Pocket PC: a Wine prefix with the device's registry, its object store on drive O:
# and its ROM image on drive R:, shown in a Wine virtual desktop of the device's screen size.
#
#   scripts/device.sh run [--landscape] [--hidpi]          start Orvanel on the device
#   scripts/device.sh screenshots [--landscape] [--hidpi] [--turned]
#                                                          photograph the six pages, headless
#                                                          (--turned: after turning the screen)
#   scripts/device.sh rotate                               turn the running device's screen
#   scripts/device.sh reset                                factory state: a new device
#   scripts/device.sh uninstall [--delete-data]            remove Orvanel from the device
#   scripts/device.sh bench [RUNS]                         time Orvanel's start against its yardsticks
#
# BUILD (default: build) is the build tree: it holds orvanel.exe, the capture helper and the
# device itself (BUILD/device).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
# shellcheck source=scripts/wine-env.sh
. "$here/wine-env.sh"

build="$(mkdir -p "${BUILD:-$root/build}" && cd "${BUILD:-$root/build}" && pwd)"
device="$build/device"
store="$device/objectstore"
rom="$device/rom"
program_dir="$store/Program Files/Orvanel"
program_w='O:\Program Files\Orvanel\orvanel.exe'
install_key='HKLM\Software\Apps\Talvern Software Orvanel'
shots="$build/screenshots"
reboot_code=3010
export WINEPREFIX="$device"

say() { printf 'device: %s\n' "$*"; }
die() { printf 'device: %s\n' "$*" >&2; exit 1; }

# The window system offers the fonts directly in the ROM and in \Windows, and nothing of the
# host's (wine-env.sh: font_settings, FONTCONFIG_FILE). Wine loads no font from the root of a
# drive ("R:\" gave none): the ROM is named by its host folder.
device_font_folders() { printf '%s;O:\\Windows' "$(winepath_w "$rom")"; }

# Makes the fonts of \Windows as they are now the ones the next start offers, as a device's
# restart does (the screen's settings carry the same).
load_device_fonts() {
    local reg
    reg="$(mktemp --suffix=.reg)"
    { printf 'REGEDIT4\r\n\r\n'; font_settings "$(device_font_folders)"; } > "$reg"
    wine regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1
    rm -f "$reg"
    power_off
}

# ---- The screen ---------------------------------------------------------------------------------

# 240x320 at 96 dpi; --hidpi doubles it (480x640 at 192 dpi); --landscape turns it on its side.
screen=240x320 dpi=96 suffix="" turned=""
set_screen() {
    local landscape="" hidpi="" option
    for option in "$@"; do
        case "$option" in
            "") ;;
            --landscape) landscape=1 ;;
            --hidpi) hidpi=1 ;;
            --turned) turned=1 ;;
            *) die "unknown screen option '$option' (use --landscape and/or --hidpi)" ;;
        esac
    done
    local short=240 long=320
    [ -n "$hidpi" ] && { short=480 long=640 dpi=192 suffix=-hidpi; }
    if [ -n "$landscape" ]; then screen="${long}x$short" suffix="$suffix-landscape"; else screen="${short}x$long"; fi
    [ -n "$turned" ] && suffix="$suffix-turned"
    if [ "$dpi" = 96 ]; then export ORVANEL_SCREEN="$screen"; else export ORVANEL_SCREEN="$screen@$dpi"; fi
}

# Every program of the device runs in one virtual desktop of the screen's size, without Wine's
# taskbar, at the screen's dots per inch. Read when the desktop starts, so the device must be
# off (no Wine process in the prefix) for a change to show.
configure_screen() {
    local reg
    reg="$(mktemp --suffix=.reg)"
    {
        printf 'REGEDIT4\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Orvanel"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Orvanel"="%s"\r\n\r\n' "$screen"
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops\\Orvanel]\r\n'
        printf '"EnableShell"=dword:00000000\r\n"ShowSystray"=dword:00000000\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n' "$dpi"
        font_settings "$(device_font_folders)"
    } > "$reg"
    wine regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1
    rm -f "$reg"
    power_off
}

# Waits until every Wine process of the device has ended (the program, its desktop).
power_off() {
    timeout 60 wineserver -w 2>/dev/null || true
}

# ---- A display for headless runs ------------------------------------------------------------------

xvfb_pid=""
stop_display() {
    if [ -n "$xvfb_pid" ]; then
        power_off
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    fi
}
trap stop_display EXIT

# Starts Xvfb on a free display number (Xvfb picks it and reports it) and points DISPLAY at it.
start_display() {
    command -v Xvfb >/dev/null || die "Xvfb is missing (make deps installs it)"
    local numfile
    numfile="$(mktemp)"
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$numfile" >/dev/null 2>&1 &
    xvfb_pid=$!
    local tries
    for tries in $(seq 100); do
        [ -s "$numfile" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb did not start"
        sleep 0.1
    done
    [ -s "$numfile" ] || die "Xvfb did not report a display after $tries tries"
    DISPLAY=":$(tr -d '\n' < "$numfile")"
    export DISPLAY
    rm -f "$numfile"
}

# Headless work needs a display of its own; with one at hand, use it.
need_display() {
    if [ -z "${DISPLAY:-}" ]; then start_display; fi
}

# ---- Creating the device ---------------------------------------------------------------------------

# copy_font SOURCE... DEST_DIR: copies the font files that exist; missing ones are reported.
copy_fonts() {
    local dest="${!#}" f
    mkdir -p "$dest"
    for f in "${@:1:$#-1}"; do
        if [ -f "$f" ]; then cp "$f" "$dest/"; else say "font $f is missing: skipped"; fi
    done
}

# The ROM image: the device's built-in fonts (Tahoma, regular and bold, a Courier, a font
# collection) and a file that is no font, all read-only; the fonts installed in RAM go into
# \Windows at the same time (device_fonts in wine-env.sh lists both).
fill_rom() {
    [ -d "$rom" ] && chmod -R u+w "$rom"
    rm -rf "$rom"
    mkdir -p "$rom"
    device_fonts "$rom" "$store/Windows" 2>&1 | sed 's/^/device: /'
    cp "$store/Windows/tdywater.gif" "$rom/"
    chmod -R a-w "$rom"
}

# The object store: \Windows with the Today watermark (fill_rom adds the fonts installed in RAM),
# \Program Files, and \My Documents with a font file that is not installed.
fill_store() {
    mkdir -p "$store/Windows/Start Menu/Programs" "$store/Program Files" "$store/My Documents/Personal" \
        "$store/My Documents/Templates" "$store/Temp"
    copy_fonts /usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf "$store/My Documents"
    # The Today screen's watermark: a soft blue wash with two lighter sweeps, as the device's
    # default theme has (the Today items stand on its top part). No dithering: the same bytes
    # on every run.
    convert -size 240x320 'gradient:#ffffff-#b9d0ee' \
        \( -size 240x320 xc:none -fill '#ffffff90' -draw 'ellipse 260,-120 300,200 0,360' \
           -fill '#dfe9f8a0' -draw 'ellipse 40,420 260,300 0,360' \) \
        -composite +dither -colors 128 "GIF:$store/Windows/tdywater.gif"
}

create_device() {
    if [ -f "$device/.orvanel-device" ]; then
        map_drive "$device" o "$store"
        map_drive "$device" r "$rom"
        return 0
    fi
    say "creating the device in $device (this takes a while once)"
    make_prefix "$device" x11
    map_drive "$device" o "$store"
    fill_store
    fill_rom
    map_drive "$device" r "$rom"
    wine regedit /S "$(winepath_w "$root/device/registry.reg")" >/dev/null 2>&1 ||
        die "the device registry could not be imported"
    power_off
    touch "$device/.orvanel-device"
}

# ---- The program on the device ---------------------------------------------------------------------

capture_exe() {
    local c
    for c in "$build/tools/capture/capture.exe" "$build/capture.exe"; do
        [ -f "$c" ] && { printf '%s' "$c"; return 0; }
    done
    c="$(find "$build" -name capture.exe -not -path "$device/*" -print -quit 2>/dev/null)"
    [ -n "$c" ] || die "capture.exe is not built (make build)"
    printf '%s' "$c"
}

# launch [capture options] -- [program arguments]: runs the installed program in the device's
# desktop with O:\ as its current directory. Sets exit_code to the program's whole exit code
# (a Unix exit status would cut 3010 to its low byte); returns 0 when it is 0.
exit_code=0
launch() {
    local options=() status=0 codefile capture
    while [ "$#" -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
    [ "$#" -gt 0 ] && shift
    capture="$(capture_exe)" || exit 1
    codefile="$(mktemp)"
    # shellcheck disable=SC1003 # a Windows path, backslash and all
    wine "$(winepath_w "$capture")" --cwd 'O:\' --exit-file "$(winepath_w "$codefile")" \
        ${options[@]+"${options[@]}"} -- "$program_w" "$@" || status=$?
    exit_code="$(tr -dc '0-9-' < "$codefile")"
    rm -f "$codefile"
    [ -n "$exit_code" ] || exit_code="$status"   # capture itself failed: its own status
    [ "$exit_code" = 0 ]
}

is_installed() { [ -f "$program_dir/orvanel.exe" ]; }

# The installer: copies the program, records its folder and runs the post-installation hook.
# A rebuilt program replaces the installed one without the hook (an update, not an install).
install_program() {
    local exe="$build/orvanel.exe"
    [ -f "$exe" ] || die "$exe is not built (make build)"
    if is_installed; then
        if ! cmp -s "$exe" "$program_dir/orvanel.exe"; then
            say "updating Orvanel on the device"
            cp "$exe" "$program_dir/orvanel.exe"
        fi
        return 0
    fi
    say "installing Orvanel on the device"
    mkdir -p "$program_dir"
    cp "$exe" "$program_dir/orvanel.exe"
    wine reg add "$install_key" /v InstallDir /t REG_SZ /d '\Program Files\Orvanel' /f >/dev/null 2>&1 ||
        die "cannot record the installation folder"
    # "first" asks whether to import a previous installation's data: headless, yes (keep it).
    local answers=()
    [ -n "$xvfb_pid" ] && answers=(--answer 'Information=6')
    launch ${answers[@]+"${answers[@]}"} -- first || say "the post-installation hook ended with code $exit_code"
}

# ---- Commands ---------------------------------------------------------------------------------------

# Photographs every page of the sheet into build/screenshots and closes the program. The
# pictures are named by the pages' places and tab captions ("5-misc").
take_screenshots() {
    local tmp page pages=()
    tmp="$(mktemp -d)"
    mkdir -p "$shots"
    local turn=()
    [ -n "$turned" ] && turn=(--turn-first)
    # A sample theme for the Theme page's "Open theme..." shot, removed again afterwards.
    local theme="$store/My Documents/Sea.tsk"
    "$here/../tools/make_theme.sh" "$theme"
    if ! launch --shots "$(winepath_w "$tmp")" ${turn[@]+"${turn[@]}"} --; then
        if [ -f "$tmp/failure.bmp" ]; then
            convert "$tmp/failure.bmp" "$shots/failure$suffix.png"
            say "the screen at the failure: $shots/failure$suffix.png"
        fi
        rm -rf "$tmp" "$theme"
        die "screenshots failed (exit code $exit_code)"
    fi
    rm -f "$shots/failure$suffix.png" "$theme"
    for page in "$tmp"/*.bmp; do pages+=("$(basename "$page" .bmp)"); done
    for page in "${pages[@]}"; do
        convert "$tmp/$page.bmp" "$shots/$page$suffix.png"
    done
    rm -rf "$tmp"
    say "screenshots ($screen, $dpi dpi):"
    for page in "${pages[@]}"; do printf '  %s\n' "$shots/$page$suffix.png"; done
}

# Shows the program on the display until it ends; a device reset (exit code 3010) starts it
# again, as the device does after it has restarted.
run_interactive() {
    local turned
    while true; do
        launch -- || true
        power_off
        if [ -f "$device/.turn" ]; then
            # A turn the running desktop could not take (see cmd_rotate): start again turned.
            turned="$(cat "$device/.turn")"
            rm -f "$device/.turn"
            screen="$turned"
            if [ "$dpi" = 96 ]; then export ORVANEL_SCREEN="$screen"; else export ORVANEL_SCREEN="$screen@$dpi"; fi
            configure_screen
            say "the device starts again on a $screen screen"
            continue
        fi
        [ "$exit_code" = "$reboot_code" ] || break
        say "the device restarts"
        load_device_fonts
    done
    [ "$exit_code" = 0 ] || say "Orvanel ended with exit code $exit_code"
    return $(( exit_code & 255 ))
}

cmd_run() {
    set_screen "$@"
    local headless=""
    [ -z "${DISPLAY:-}" ] && headless=1
    need_display
    create_device
    power_off
    configure_screen
    install_program
    if [ -n "$headless" ]; then
        say "no display: photographing the pages instead"
        take_screenshots
    else
        say "Orvanel on a $screen screen ($dpi dpi)"
        run_interactive
    fi
}

cmd_screenshots() {
    set_screen "$@"
    unset DISPLAY
    start_display
    create_device
    configure_screen
    install_program
    take_screenshots
}

cmd_reset() {
    if [ -d "$device" ]; then
        say "deleting the device"
        wineserver -k 2>/dev/null || true
        chmod -R u+w "$device" 2>/dev/null || true
        rm -rf "$device"
    fi
    need_display
    create_device
    if [ -f "$build/orvanel.exe" ]; then
        install_program
    else
        say "Orvanel is not built: the device has no program yet"
    fi
    say "the device is in factory state"
}

# The removal: the pre-removal hook (which asks whether to delete Orvanel's data; headless the
# answer is No unless --delete-data is given), then the program folder and its record.
cmd_uninstall() {
    local answer=7
    case "${1:-}" in
        "") ;;
        --delete-data) answer=6 ;;
        *) die "unknown option '$1' (use --delete-data)" ;;
    esac
    [ -f "$device/.orvanel-device" ] || die "there is no device yet (make run creates it)"
    is_installed || { say "Orvanel is not installed"; return 0; }
    need_display
    create_device
    local answers=()
    [ -n "$xvfb_pid" ] && answers=(--answer "Confirm=$answer")
    launch ${answers[@]+"${answers[@]}"} -- last || say "the pre-removal hook ended with code $exit_code"
    power_off
    rm -rf "$program_dir"
    wine reg delete "$install_key" /v InstallDir /f >/dev/null 2>&1 || true
    power_off
    say "Orvanel is removed from the device"
}

# Times the installed program against its two yardsticks (its first screen's windows alone, and a
# minimal six-page sheet), headless on the portrait screen,
# then at the load sizes on the same device, loaded and unloaded by the driver (tools/bench/bench.cpp
# says what is measured), and prints the table.
cmd_bench() {
    local runs="${1:-10}" bench minimal first
    bench="$build/tools/bench/bench.exe"
    minimal="$build/tools/bench/minimal_sheet.exe"
    first="$build/tools/bench/first_screen.exe"
    [ -f "$bench" ] && [ -f "$minimal" ] && [ -f "$first" ] || die "the benchmark is not built (make build)"
    set_screen ""
    unset DISPLAY
    start_display
    create_device
    configure_screen
    install_program
    power_off
    say "timing $runs starts of each program"
    # shellcheck disable=SC1003 # a Windows path, backslash and all
    wine "$(winepath_w "$bench")" --orvanel "$program_w" --minimal "$(winepath_w "$minimal")" \
        --first-screen "$(winepath_w "$first")" \
        --cwd 'O:\' --runs "$runs" \
        --config-file 'O:\My Documents\bench.ov' --load \
        --nothing "$(winepath_w "$build/tools/bench/do_nothing.exe")" | tr -d '\r'
    local status="${PIPESTATUS[0]}"
    power_off
    return "$status"
}

# Turns the screen of the device while the program runs, as the user of the device turns it:
# width and height change places (240x320 and 320x240; 480x640 and 640x480 at 192 dpi). The
# device's desktop takes the new size and every program in it hears of it (docs/wine.md).
cmd_rotate() {
    [ -f "$device/.orvanel-device" ] || die "there is no device yet (make run creates it)"
    [ -n "${DISPLAY:-}" ] || die "no display: the device is shown only with one (make run)"
    [ -n "$(prefix_programs "$device" 2>/dev/null || true)" ] || say "no program runs on the device"
    local capture output status=0
    capture="$(capture_exe)" || exit 1
    output="$(wine "$(winepath_w "$capture")" --turn 2>&1 | tr -d '\r')" || status=$?
    [ -n "$output" ] && printf '%s\n' "$output"
    [ "$status" = 3 ] || return "$status"
    # Wine's virtual desktop offers a portrait size only while it shows it: once turned to
    # landscape it cannot turn back. The program is closed and `make run` starts it again on the
    # turned screen, as after a device restart.
    local wanted
    wanted="$(printf '%s' "$output" | sed -n 's/.*cannot become \([0-9]*x[0-9]*\).*/\1/p')"
    [ -n "$wanted" ] || return 1
    printf '%s' "$wanted" > "$device/.turn"
    say "this desktop cannot turn back to $wanted while it runs: Orvanel restarts on it"
    wine "$(winepath_w "$capture")" --close >/dev/null 2>&1 || { rm -f "$device/.turn"; die "Orvanel is not running"; }
}

case "${1:-}" in
    run) shift; cmd_run "$@" ;;
    rotate) shift; cmd_rotate "$@" ;;
    bench) shift; cmd_bench "$@" ;;
    screenshots) shift; cmd_screenshots "$@" ;;
    reset) shift; cmd_reset "$@" ;;
    uninstall) shift; cmd_uninstall "$@" ;;
    *) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
