#!/usr/bin/env bash
# A configuration's installer, provisioning document and provisioning cabinet against readers
# that are not the program's own: the DeviceFormFiles test writes each form, then Debian's
# cabextract and gcab list and extract both cabinets, xmllint checks both documents (the .xml and
# the cabinet's _setup.xml) for well-formedness, and the installer's instructions are read here
# from the documented layout. An installer that carries a font is listed and extracted too.
#
#   tests/config/device-forms.sh ORVANEL_TESTS_EXE
set -eu
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
exe="$1"
. "$here/../../scripts/wine-env.sh"
work="$(mktemp -d "${TMPDIR:-/tmp}/orvanel-forms.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"

ORVANEL_FORMS_OUT="$(winepath_w "$work/out")" \
    "$here/../../scripts/wine-test.sh" "$exe" --gtest_filter='DeviceFormFiles.*'

for form in cab cpf; do
    file="$work/out/tools.$form"
    cabextract -q -l "$file" >"$work/$form.list"
    gcab -t "$file" >"$work/$form.gcab"
    mkdir -p "$work/$form"
    cabextract -q -d "$work/$form" "$file"
done
[ "$(ls "$work/cpf")" = "_setup.xml" ] || { echo "cpf holds: $(ls "$work/cpf")" >&2; exit 1; }
[ "$(cat "$work/cpf.gcab")" = "_setup.xml" ] || { echo "gcab lists: $(cat "$work/cpf.gcab")" >&2; exit 1; }
cmp "$work/cpf/_setup.xml" "$work/out/tools.xml"
xmllint --noout "$work/out/tools.xml" "$work/cpf/_setup.xml"
# The installer with a font: the instructions first, then the font, which is the file itself.
cabextract -q -l "$work/out/fonts.cab" >"$work/fonts.list"
order="$(awk -F'|' 'NR>2 && NF>1 {gsub(/ /, "", $3); print $3}' "$work/fonts.list" | tr '\n' ' ')"
[ "$order" = "Tools.000 dvserif.001 " ] || { echo "fonts.cab holds: $order" >&2; exit 1; }
mkdir -p "$work/fonts"
cabextract -q -d "$work/fonts" "$work/out/fonts.cab"
cmp "$work/fonts/dvserif.001" /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf

python3 - "$work/cab" "$work/out/tools.xml" <<'PY'
import os, re, struct, sys
out, xml = sys.argv[1:]
names = sorted(os.listdir(out))
setup = [n for n in names if n.endswith(".000")]
assert setup == ["Tools.000"], names
s = open(os.path.join(out, setup[0]), "rb").read()
assert s[:4] == b"MSCE" and struct.unpack_from("<I", s, 8)[0] == len(s)
counts = struct.unpack_from("<6H", s, 48)
offsets = struct.unpack_from("<6I", s, 60)
def table(index, fixed):
    at = offsets[index]
    for _ in range(counts[index]):
        length = struct.unpack_from("<H", s, at + fixed - 2)[0]
        yield s[at:at + fixed], s[at + fixed:at + fixed + length]
        at += fixed + length
strings = {struct.unpack_from("<H", f)[0]: v.rstrip(b"\0").decode("latin-1") for f, v in table(0, 4)}
def path(v):
    ids = struct.unpack("<%dH" % (len(v) // 2), v)
    return "\\".join(strings[i] for i in ids[:ids.index(0)])
roots = {1: "HKCR", 2: "HKCU", 3: "HKLM"}
hives = {struct.unpack_from("<H", f)[0]: roots[struct.unpack_from("<H", f, 2)[0]] + "\\" + path(v) for f, v in table(3, 8)}
assert len(set(hives.values())) == len(hives), "one hive per key"
installer = {}
for f, v in table(4, 12):
    hive, _, kind = struct.unpack_from("<HHI", f, 2)
    assert kind & 2 == 0, "no value keeps what the device has"
    name, data = v.split(b"\0", 1)
    installer[hives[hive] + "\\" + name.decode("latin-1")] = (kind & 0x00010001, data)
assert installer["HKLM\\SYSTEM\\GWE\\cxVScr"] == (0x00010001, struct.pack("<I", 19)), installer.get("HKLM\\SYSTEM\\GWE\\cxVScr")
# The document sets the same values: a characteristic per key, a parm per value with its datatype.
import xml.etree.ElementTree as ET, base64
root = ET.parse(xml).getroot()
assert root.tag == "wap-provisioningdoc"
(registry,) = root.findall("characteristic")
assert registry.get("type") == "Registry"
document = {}
for key in registry:
    assert key.tag == "characteristic" and not key.get("type").startswith("\\")
    for parm in key:
        t, value = parm.get("datatype"), parm.get("value")
        data = struct.pack("<i", int(value)) if t == "integer" else base64.b64decode(value) if t == "binary" else value.encode("latin-1") + b"\0"
        document[key.get("type") + "\\" + parm.get("name")] = ({"integer": 0x00010001, "binary": 1, "string": 0}[t], data)
assert document == installer, set(document.items()) ^ set(installer.items())
print("forms ok:", len(installer), "values,", len(hives), "keys")
PY
