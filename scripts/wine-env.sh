# Common Wine settings for the scripts: sourced, not run.
# Quiet Wine, no Mono/Gecko prompts, and no crash dialog that would hang a headless run.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# make_prefix PREFIX DRIVER: create a Wine prefix once, with the given graphics driver
# ("null" for tests, "x11" for the device), and restart the server so that the driver is used.
make_prefix() {
    local prefix="$1" driver="$2"
    if [ -f "$prefix/.orvanel-ready" ]; then return 0; fi
    mkdir -p "$prefix"
    WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" wineserver -w || true
    local reg
    reg=$(mktemp --suffix=.reg)
    {
        printf 'REGEDIT4\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="N"\r\n\r\n'
        if [ "$driver" = null ]; then
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Graphics"="null"\r\n\r\n'
        fi
    } > "$reg"
    WINEPREFIX="$prefix" wine regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1
    rm -f "$reg"
    WINEPREFIX="$prefix" wineserver -k || true
    WINEPREFIX="$prefix" wineserver -w || true
    touch "$prefix/.orvanel-ready"
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
