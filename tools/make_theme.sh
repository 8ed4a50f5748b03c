#!/usr/bin/env bash
# make_theme.sh OUT.tsk: a sample Today theme, "Sea", as themes in circulation are made: an
# instruction file laid out from the documented format (images into %CE2% as tdywater.gif and
# stwater.gif, 14 colour values under HKLM\SOFTWARE\Microsoft\Color) and two GIFs drawn by
# ImageMagick without dithering, packed uncompressed by gcab. The same bytes on every run of the
# same tools. The screenshot run opens it on the Theme page.
set -eu
out="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A sea below a pale sky with a sand bank, for the Today screen; a shorter one for Start.
convert -size 240x320 'gradient:#dff3f7-#1f7f9a' \
    \( -size 240x320 xc:none -fill '#f2e2b8' -draw 'ellipse 120,330 220,70 0,360' \
       -fill '#ffffff60' -draw 'ellipse 200,40 120,18 0,360' \) \
    -composite +dither -colors 64 "GIF:$work/tdywater.001"
convert -size 240x80 'gradient:#1f7f9a-#0b3d4f' +dither -colors 32 "GIF:$work/0stwater.002"

python3 - "$work/sea.000" <<'PY'
import struct, sys
strings = {1: b"%CE2%", 2: b"SOFTWARE", 3: b"Microsoft", 4: b"Color"}
# COLORREF values (0x00BBGGRR): the page's ten and four the page does not edit.
colors = {0: 0x00E0F0F0, 1: 0x00808080, 2: 0x00FFFFFF, 3: 0x00404040,
          4: 0x00605000, 5: 0x00808000, 6: 0x00B0A040, 7: 0x00E6E6C8, 8: 0x00604000, 9: 0x00FFFFFF,
          13: 0x00706000, 14: 0x00C8C060, 25: 0x000000A0, 26: 0x004060FF}
app, provider = b"Sea\0", b"Orvanel samples\0"
body = bytearray()
def put(b):
    at = 100 + len(body); body.extend(b); return at
app_at, prov_at = put(app), put(provider)
str_at = put(b"".join(struct.pack("<HH", i, len(t) + 1) + t + b"\0" for i, t in strings.items()))
dir_at = put(struct.pack("<HHHH", 1, 4, 1, 0))
files = [(1, b"tdywater.gif"), (2, b"stwater.gif")]
file_at = put(b"".join(struct.pack("<HHHIH", n, 1, n, 0x40000000, len(f) + 1) + f + b"\0" for n, f in files))
hive_at = put(struct.pack("<HHHH", 1, 3, 0, 8) + struct.pack("<HHHH", 2, 3, 4, 0))
keys = b""
for i, (n, c) in enumerate(sorted(colors.items()), 1):
    data = str(n).encode() + b"\0" + struct.pack("<I", c)
    keys += struct.pack("<HHHIH", i, 1, 0, 0x00010001, len(data)) + data
key_at = put(keys)
end = 100 + len(body)
header = b"MSCE" + struct.pack("<IIIIIIIIIII", 0, end, 0, 1, 0, 0, 0, 0, 0, 0, 0)
header += struct.pack("<HHHHHH", len(strings), 1, len(files), 1, len(colors), 0)
header += struct.pack("<IIIIII", str_at, dir_at, file_at, hive_at, key_at, end)
header += struct.pack("<HHHHHHHH", app_at, len(app), prov_at, len(provider), 0, 0, 0, 0)
open(sys.argv[1], "wb").write(header + body)
PY
touch -d "2003-01-01 00:00:00" "$work"/*
(cd "$work" && gcab -c sea.tsk sea.000 0stwater.002 tdywater.001)
cp "$work/sea.tsk" "$out"
