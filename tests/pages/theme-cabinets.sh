#!/usr/bin/env bash
# Themes against readers and writers that are not the program's own:
#  1. an instruction file laid out here byte by byte from the documented format (with two GIFs
#     made by ImageMagick) is packed into a cabinet by Debian's gcab, stored and MSZIP-compressed;
#  2. the program's ThemeCabinets test opens it and writes it again, whole and with ten colours
#     changed, and writes a new theme of ten colours on the test device, which has no images;
#  3. Debian's cabextract lists and extracts all three, and the instruction file of each is read back
#     here, again from the documented layout.
#
#   tests/pages/theme-cabinets.sh ORVANEL_TESTS_EXE
set -eu
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
exe="$1"
. "$here/../../scripts/wine-env.sh"
work="$(mktemp -d "${TMPDIR:-/tmp}/orvanel-themes.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out"

convert -size 240x320 gradient:navy-skyblue "$work/in/today.gif"
convert -size 240x80 gradient:white-orange "$work/in/start.gif"

python3 - "$work/in/gcabwtr.000" <<'EOF'
import struct, sys
strings = {1: b"%CE2%", 2: b"SOFTWARE", 3: b"Microsoft", 4: b"Color"}
app, provider, unsupported = b"Gcab Water\0", b"Debian gcab\0", b"HPC\0\0"
body = bytearray()
def put(b):
    at = 100 + len(body); body.extend(b); return at
app_at, prov_at, uns_at = put(app), put(provider), put(unsupported)
str_at = put(b"".join(struct.pack("<HH", i, len(t) + 1) + t + b"\0" for i, t in strings.items()))
dir_at = put(struct.pack("<HHHH", 1, 4, 1, 0))
files = [(1, b"tdywater.gif"), (2, b"stwater.gif")]
file_at = put(b"".join(struct.pack("<HHHIH", n, 1, n, 0x40000000, len(name) + 1) + name + b"\0" for n, name in files))
hive_at = put(struct.pack("<HHHH", 1, 3, 0, 8) + struct.pack("<HHHH", 2, 3, 4, 0))
keys = b""
for n in range(1, 27):
    data = str(n).encode() + b"\0" + struct.pack("<I", 0x010101 * n)
    keys += struct.pack("<HHHIH", n, 1, 0, 0x00010001, len(data)) + data
key_at = put(keys)
link_at = 100 + len(body)
header = b"MSCE" + struct.pack("<IIIIIIIIIII", 0, 100 + len(body), 0, 1, 0, 0, 0, 0, 0, 0, 0)
header += struct.pack("<HHHHHH", len(strings), 1, len(files), 1, 26, 0)
header += struct.pack("<IIIIII", str_at, dir_at, file_at, hive_at, key_at, link_at)
header += struct.pack("<HHHHHHHH", app_at, len(app), prov_at, len(provider), uns_at, len(unsupported), 0, 0)
assert len(header) == 100
open(sys.argv[1], "wb").write(header + body)
EOF
cp "$work/in/today.gif" "$work/in/tdywater.001"
cp "$work/in/start.gif" "$work/in/0stwater.002"
(cd "$work/in" && gcab -c gcab.tsk gcabwtr.000 0stwater.002 tdywater.001 &&
    gcab -c -z gcab-mszip.tsk gcabwtr.000 0stwater.002 tdywater.001)

ORVANEL_GCAB_DIR="$(winepath_w "$work/in")" ORVANEL_THEME_OUT="$(winepath_w "$work/out")" \
    "$here/../../scripts/wine-test.sh" "$exe" --gtest_filter='ThemeCabinets.*'

for theme in resaved edited fresh; do
    file="$work/out/$theme.tsk"
    cabextract -q -l "$file" >"$work/$theme.list"
    mkdir -p "$work/$theme"
    cabextract -q -d "$work/$theme" "$file"
    python3 - "$work/$theme" "$work/in" "$theme" <<'EOF'
import os, struct, sys
out, src, theme = sys.argv[1:]
names = sorted(os.listdir(out))
number = {n.rsplit(".", 1)[1]: n for n in names}
assert sorted(number) == (["000"] if theme == "fresh" else ["000", "001", "002"]), names
s = open(os.path.join(out, number["000"]), "rb").read()
assert s[:4] == b"MSCE" and struct.unpack_from("<I", s, 8)[0] == len(s)
counts = struct.unpack_from("<6H", s, 48)
offsets = struct.unpack_from("<6I", s, 60)
app_at, app_len, prov_at, prov_len = struct.unpack_from("<4H", s, 84)
name, provider = (b"fresh", b"Orvanel") if theme == "fresh" else (b"Gcab Water", b"Debian gcab")
assert s[app_at:app_at + app_len] == name + b"\0", s[app_at:app_at + app_len]
assert s[prov_at:prov_at + prov_len] == provider + b"\0"
def table(index, fixed):
    at = offsets[index]
    for _ in range(counts[index]):
        length = struct.unpack_from("<H", s, at + fixed - 2)[0]
        yield s[at:at + fixed], s[at + fixed:at + fixed + length]
        at += fixed + length
strings = {struct.unpack_from("<H", f)[0]: v.rstrip(b"\0").decode() for f, v in table(0, 4)}
def path(v):
    ids = struct.unpack("<%dH" % (len(v) // 2), v)
    return "\\".join(strings[i] for i in ids[:ids.index(0)])
dirs = {struct.unpack_from("<H", f)[0]: path(v) for f, v in table(1, 4)}
hives = {struct.unpack_from("<H", f)[0]: (struct.unpack_from("<H", f, 2)[0], path(v)) for f, v in table(3, 8)}
images = {"tdywater.gif": "today.gif", "stwater.gif": "start.gif"}
installed = set()
for f, v in table(2, 12):
    file_id, dir_id = struct.unpack_from("<HH", f)
    name = v.rstrip(b"\0").decode()
    assert dirs[dir_id] == "%CE2%", dirs[dir_id]
    member = number["%03d" % file_id]
    assert open(os.path.join(out, member), "rb").read() == open(os.path.join(src, images[name]), "rb").read(), name
    installed.add(name)
assert installed == (set() if theme == "fresh" else set(images)), installed
colors = {}
for f, v in table(4, 12):
    hive, _, kind = struct.unpack_from("<HHI", f, 2)
    assert hives[hive] == (3, "SOFTWARE\\Microsoft\\Color") and kind == 0x00010001
    name, data = v.split(b"\0", 1)
    colors[int(name)] = struct.unpack("<I", data)[0]
ten = {4, 5, 6, 7, 8, 9, 13, 14, 25, 26}
want = {n: (0x00ABCD00 + n if theme != "resaved" and n in ten else 0x010101 * n) for n in range(1, 27)}
if theme == "fresh":
    want = {n: want[n] for n in ten}
assert colors == want, colors
# The instructions come first in the cabinet, then the other members from the highest number down.
print(theme, "ok:", ", ".join(names))
EOF
    order="$(awk -F'|' 'NR>2 && NF>1 {gsub(/ /, "", $3); print $3}' "$work/$theme.list" | tr '\n' ' ')"
    want='*.000 *.002 *.001 '
    [ "$theme" = fresh ] && want='*.000 '
    # shellcheck disable=SC2254
    case "$order" in $want) ;; *) echo "member order: $order" >&2; exit 1 ;; esac
done
