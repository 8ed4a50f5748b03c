// A configuration as the device's installer (.cab), a provisioning document (.xml) and a
// provisioning cabinet (.cpf), through the command line as a user runs it:
//  - each form exported and imported again is the same configuration, and compares equal;
//  - an installer's and a document's values, applied to the device by this test's own reading
//    of the documented formats (the cabinet's uncompressed layout, the instruction file, the
//    Registry provider's XML), give the device the configuration: /compare NAME /device is empty;
//  - damaged and hostile files are refused, naming the file, and change nothing; a file that
//    also sets other values is read for the pages' values and the rest is named.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/configurations.h"
#include "shell/command_line.h"
#include "shell/program.h"
#include "store/registry.h"
#include "support/app_fixture.h"

namespace {

constexpr wchar_t kLog[] = L"\\Temp\\forms.log";

struct LiveValue {
    HKEY root;
    const wchar_t* path;
    const wchar_t* name;
    DWORD tuned;
};
const LiveValue kTuned[] = {
    {HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE", L"cxVScr", 19},
    {HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE\\Menu", L"AniTime", 250},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main", L"ZoomSetting", 3},
};

// A registry value exactly as it is, or missing: kept before a test writes it, put back after.
struct Kept {
    HKEY root;
    std::wstring key, name;
    bool present;
    DWORD type;
    std::vector<BYTE> bytes;
};
Kept Keep(HKEY root, const std::wstring& key, const std::wstring& name) {
    Kept k{root, key, name, false, 0, {}};
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &k.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        k.bytes.resize(size + 2);
        DWORD got = static_cast<DWORD>(k.bytes.size());
        k.present = RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &k.type, k.bytes.data(),
                                 &got) == ERROR_SUCCESS;
        k.bytes.resize(got);
    }
    return k;
}
void PutBack(const Kept& k) {
    if (k.present) {
        RegSetKeyValueW(k.root, k.key.c_str(), k.name.c_str(), k.type, k.bytes.data(), static_cast<DWORD>(k.bytes.size()));
    } else {
        RegKey key;
        if (RegOpenKeyExW(k.root, k.key.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
            RegDeleteValueW(key.get(), k.name.c_str());
    }
}

uint16_t U16(const std::vector<BYTE>& b, size_t at) { return static_cast<uint16_t>(b.at(at) | b.at(at + 1) << 8); }
uint32_t U32(const std::vector<BYTE>& b, size_t at) { return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16; }

// An uncompressed cabinet's members by name, read from the documented layout: the header, one
// folder, the file entries, and the folder's data blocks one after another.
std::map<std::string, std::vector<BYTE>> CabinetMembers(const std::vector<BYTE>& cab) {
    std::map<std::string, std::vector<BYTE>> members;
    EXPECT_EQ(std::memcmp(cab.data(), "MSCF", 4), 0);
    EXPECT_EQ(U16(cab, 26), 1) << "one folder";
    EXPECT_EQ(U16(cab, 30) & 4, 0) << "no reserved fields";
    const size_t folder = 36;
    EXPECT_EQ(U16(cab, folder + 6), 0) << "stored, not compressed";
    std::vector<BYTE> stream;
    size_t at = U32(cab, folder);
    for (int i = 0; i < U16(cab, folder + 4); ++i) {
        const uint16_t bytes = U16(cab, at + 4);
        stream.insert(stream.end(), cab.begin() + at + 8, cab.begin() + at + 8 + bytes);
        at += 8 + bytes;
    }
    at = U32(cab, 16);
    for (int i = 0; i < U16(cab, 28); ++i) {
        const uint32_t size = U32(cab, at), offset = U32(cab, at + 4);
        const std::string name(reinterpret_cast<const char*>(&cab[at + 16]));
        members[name] = std::vector<BYTE>(stream.begin() + offset, stream.begin() + offset + size);
        at += 16 + name.size() + 1;
    }
    return members;
}

HKEY RootOf(uint16_t ceRoot) {
    return ceRoot == 1 ? HKEY_CLASSES_ROOT : ceRoot == 2 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}
HKEY RootOf(const std::string& name) {
    return name == "HKCU" ? HKEY_CURRENT_USER : name == "HKCR" ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
}
std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }   // ASCII here
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }   // ASCII here

struct Setting {
    HKEY root;
    std::wstring key, name;
    DWORD type;
    std::vector<BYTE> bytes;
};

// The registry entries of an instruction file, from its documented layout.
std::vector<Setting> InstallerSettings(const std::vector<BYTE>& b) {
    EXPECT_EQ(std::memcmp(b.data(), "MSCE", 4), 0);
    std::map<uint16_t, std::string> strings;
    size_t at = U32(b, 60);
    for (int i = 0; i < U16(b, 48); ++i) {
        strings[U16(b, at)] = reinterpret_cast<const char*>(&b[at + 4]);
        at += 4 + U16(b, at + 2);
    }
    std::map<uint16_t, std::pair<HKEY, std::wstring>> hives;
    at = U32(b, 72);
    for (int i = 0; i < U16(b, 54); ++i) {
        std::string path;
        for (size_t p = at + 8; U16(b, p) != 0; p += 2) path += (path.empty() ? "" : "\\") + strings.at(U16(b, p));
        hives[U16(b, at)] = {RootOf(U16(b, at + 2)), Wide(path)};
        at += 8 + U16(b, at + 6);
    }
    std::vector<Setting> out;
    at = U32(b, 76);
    for (int i = 0; i < U16(b, 56); ++i) {
        const auto& [root, key] = hives.at(U16(b, at + 2));
        const uint32_t type = U32(b, at + 6);
        const std::string name(reinterpret_cast<const char*>(&b[at + 12]));
        std::vector<BYTE> data(b.begin() + at + 12 + name.size() + 1, b.begin() + at + 12 + U16(b, at + 10));
        DWORD regType = REG_BINARY;
        if ((type & 0x00010001) == 0x00010001) regType = REG_DWORD;
        if ((type & 0x00010001) == 0) {   // a single-byte text: the device keeps it in UTF-16
            regType = REG_SZ;
            std::vector<BYTE> wide;
            for (BYTE c : data) wide.push_back(c), wide.push_back(0);
            data = wide;
        }
        out.push_back({root, key, Wide(name), regType, data});
        at += 12 + U16(b, at + 10);
    }
    return out;
}

std::string Attribute(const std::string& tag, const std::string& name) {
    const size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return {};
    const size_t start = at + name.size() + 3;
    std::string raw = tag.substr(start, tag.find('"', start) - start), out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        const size_t end = raw.find(';', i);
        const std::string entity = raw.substr(i + 1, end - i - 1);
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity[0] == '#') out += static_cast<char>(std::stoi(entity.substr(1)));
        i = end;
    }
    return out;
}

std::vector<BYTE> FromBase64(const std::string& text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<BYTE> out;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        bits = bits << 6 | static_cast<uint32_t>(alphabet.find(c));
        if ((count += 6) >= 8) out.push_back(static_cast<BYTE>(bits >> (count -= 8)));
    }
    return out;
}

// The Registry provider's settings of a document as this project writes it: one characteristic
// per key inside the Registry characteristic, a parm per value (ASCII texts here).
std::vector<Setting> DocumentSettings(const std::string& doc) {
    std::vector<Setting> out;
    HKEY root = nullptr;
    std::wstring key;
    for (size_t at = doc.find('<'); at != std::string::npos; at = doc.find('<', at + 1)) {
        const std::string tag = doc.substr(at, doc.find('>', at) - at + 1);
        if (tag.rfind("<characteristic ", 0) == 0 && Attribute(tag, "type") != "Registry") {
            std::string path = Attribute(tag, "type");
            root = RootOf(path.substr(0, path.find('\\')));
            path.erase(0, path.find('\\') + 1);
            for (size_t d; (d = path.find("\\\\")) != std::string::npos;) path.erase(d, 1);
            key = Wide(path);
        } else if (tag.rfind("<parm ", 0) == 0) {
            Setting s{root, key, Wide(Attribute(tag, "name")), REG_SZ, {}};
            const std::string type = Attribute(tag, "datatype"), value = Attribute(tag, "value");
            if (type == "integer") {
                const DWORD n = static_cast<DWORD>(std::stoll(value));
                s.type = REG_DWORD, s.bytes.assign(reinterpret_cast<const BYTE*>(&n), reinterpret_cast<const BYTE*>(&n) + 4);
            } else if (type == "binary") {
                s.type = REG_BINARY, s.bytes = FromBase64(value);
            } else {
                for (char c : value) s.bytes.push_back(static_cast<BYTE>(c)), s.bytes.push_back(0);
                s.bytes.push_back(0), s.bytes.push_back(0);
            }
            out.push_back(s);
        }
    }
    return out;
}

class DeviceForms : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        CreateDirectoryW(L"\\Temp", nullptr);
        for (const LiveValue& v : kTuned) kept_.push_back(Keep(v.root, v.path, v.name));
    }
    void TearDown() override {
        for (const auto& [root, path] : movedAside_) {
            RegKey back;
            RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, back.put(), nullptr);
            RegCopyTreeW(HKEY_CURRENT_USER, kAside, back.get());
            RegDeleteTreeW(HKEY_CURRENT_USER, kAside);
        }
        for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) PutBack(*it);
        for (const std::wstring& f : files_) DeleteFileW(f.c_str());
        DeleteFileW(kLog);
        AppTest::TearDown();
    }
    void Tune() {
        for (const LiveValue& v : kTuned) RegSetKeyValueW(v.root, v.path, v.name, REG_DWORD, &v.tuned, sizeof v.tuned);
    }
    void PutDeviceBack() {
        for (size_t i = 0; i < std::size(kTuned); ++i) PutBack(kept_[i]);
    }
    // Applies settings to the live registry, keeping each value first for the tear-down.
    void ApplyToDevice(const std::vector<Setting>& settings) {
        for (const Setting& s : settings) {
            kept_.push_back(Keep(s.root, s.key, s.name));
            ASSERT_EQ(RegSetKeyValueW(s.root, s.key.c_str(), s.name.c_str(), s.type, s.bytes.data(),
                                      static_cast<DWORD>(s.bytes.size())),
                      ERROR_SUCCESS);
        }
    }
    // Takes a key off the device, whole, until the tear-down puts it back.
    void MoveAside(HKEY root, const std::wstring& path) {
        RegKey aside;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kAside, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, aside.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegCopyTreeW(root, path.c_str(), aside.get()), ERROR_SUCCESS);
        movedAside_.push_back({root, path});
        ASSERT_EQ(RegDeleteTreeW(root, path.c_str()), ERROR_SUCCESS);
    }
    std::wstring File(const wchar_t* name) {
        files_.push_back(std::wstring(L"\\Temp\\") + name);
        DeleteFileW(files_.back().c_str());
        return files_.back();
    }
    int Run(const std::wstring& arguments) {
        DeleteFileW(kLog);
        int code;
        {
            Program program(GetModuleHandleW(nullptr));
            code = program.Main((arguments + L" /log " + kLog).c_str(), SW_SHOW);
        }
        std::vector<BYTE> bytes = FileBytes(kLog);
        lines = std::string(bytes.begin(), bytes.end());
        return code;
    }

    std::string lines;
    std::vector<Kept> kept_;
    std::vector<std::wstring> files_;
    std::vector<std::pair<HKEY, std::wstring>> movedAside_;   // one at most: kAside holds it
    static constexpr wchar_t kAside[] = L"Software\\Orvanel test aside";
};

}  // namespace

TEST_F(DeviceForms, EachFormExportedAndImportedIsTheSameConfiguration) {
    Tune();
    ASSERT_EQ(Run(L"/capture Tuned"), kCommandDone) << lines;
    PutDeviceBack();
    for (const wchar_t* name : {L"forms.cab", L"forms.xml", L"forms.cpf"}) {
        const std::wstring file = File(name);
        ASSERT_EQ(Run(L"/export Tuned " + file), kCommandDone) << lines;
        EXPECT_EQ(lines.find("left out"), std::string::npos) << lines;
        EXPECT_EQ(Run(L"/compare Tuned /file " + file), kCommandDone) << lines;
        EXPECT_EQ(lines, "") << "the file holds every value as the configuration stores it";
        ASSERT_EQ(Run(L"/import " + file + L" /as Back /yes"), kCommandDone) << lines;
        EXPECT_EQ(lines.find("only the pages' values"), std::string::npos) << "nothing left aside: " << lines;
        EXPECT_EQ(Run(L"/compare Tuned Back"), kCommandDone);
        EXPECT_EQ(lines, "") << "imported as it was exported";
        EXPECT_EQ(ReadDword(L"Orvanel\\Back", L"GWE", L"cxVScr"), 19u);
        ASSERT_EQ(Run(L"/export Tuned " + file), kCommandFailed) << "an existing file is replaced only with /yes";
    }
    // The installer sets the values with their types at their real places, in their hives.
    const auto members = CabinetMembers(FileBytes(L"\\Temp\\forms.cab"));
    ASSERT_EQ(members.count("Tuned.000"), 1u);
    bool vscroll = false, zoom = false;
    for (const Setting& s : InstallerSettings(members.at("Tuned.000"))) {
        vscroll |= s.root == HKEY_LOCAL_MACHINE && s.key == L"SYSTEM\\GWE" && s.name == L"cxVScr" && s.type == REG_DWORD &&
                   s.bytes == std::vector<BYTE>{19, 0, 0, 0};
        zoom |= s.root == HKEY_CURRENT_USER && s.key == L"Software\\Microsoft\\Internet Explorer\\Main" &&
                s.name == L"ZoomSetting" && s.bytes == std::vector<BYTE>{3, 0, 0, 0};
    }
    EXPECT_TRUE(vscroll && zoom);
    const auto cpf = CabinetMembers(FileBytes(L"\\Temp\\forms.cpf"));
    ASSERT_EQ(cpf.size(), 1u);
    const std::vector<BYTE> doc = FileBytes(L"\\Temp\\forms.xml");
    EXPECT_EQ(cpf.begin()->first, "_setup.xml");
    EXPECT_EQ(cpf.begin()->second, doc) << "the same document";
    const std::string text(doc.begin(), doc.end());
    EXPECT_NE(text.find("<characteristic type=\"HKLM\\SYSTEM\\GWE\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<parm name=\"cxVScr\" value=\"19\" datatype=\"integer\"/>"), std::string::npos);
}

TEST_F(DeviceForms, AnInstallerOrADocumentAppliedByItsFormatGivesAFreshDeviceTheConfiguration) {
    Tune();
    ASSERT_EQ(Run(L"/capture Tuned"), kCommandDone) << lines;
    const std::wstring cab = File(L"fresh.cab"), xml = File(L"fresh.xml");
    ASSERT_EQ(Run(L"/export Tuned " + cab), kCommandDone) << lines;
    ASSERT_EQ(Run(L"/export Tuned " + xml), kCommandDone) << lines;

    PutDeviceBack();
    ASSERT_EQ(Run(L"/compare Tuned /device"), kCommandDone);
    ASSERT_NE(lines, "") << "the device is the fresh one again";
    const auto members = CabinetMembers(FileBytes(cab));
    // Removing an installer deletes the keys it made; on a device like this one it makes none.
    for (const Setting& s : InstallerSettings(members.at("Tuned.000"))) {
        RegKey key;
        EXPECT_EQ(RegOpenKeyExW(s.root, s.key.c_str(), 0, KEY_READ, key.put()), ERROR_SUCCESS) << "made: " << Narrow(s.key);
    }
    ApplyToDevice(InstallerSettings(members.at("Tuned.000")));
    EXPECT_EQ(Run(L"/compare Tuned /device"), kCommandDone);
    EXPECT_EQ(lines, "") << "the installer's values are the configuration";

    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) PutBack(*it);
    kept_.resize(std::size(kTuned));
    ASSERT_EQ(Run(L"/compare Tuned /device"), kCommandDone);
    ASSERT_NE(lines, "");
    const std::vector<BYTE> doc = FileBytes(xml);
    ApplyToDevice(DocumentSettings(std::string(doc.begin(), doc.end())));
    EXPECT_EQ(Run(L"/compare Tuned /device"), kCommandDone);
    EXPECT_EQ(lines, "") << "the document's values are the configuration";
}

TEST_F(DeviceForms, AnInstallerExportNamesTheKeysThisDeviceLacks) {
    Tune();
    ASSERT_EQ(Run(L"/capture Tuned"), kCommandDone) << lines;
    const std::wstring cab = File(L"keys.cab");
    ASSERT_EQ(Run(L"/export Tuned " + cab), kCommandDone) << lines;
    EXPECT_EQ(lines.find("does not have these keys"), std::string::npos) << lines;

    MoveAside(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main");
    ASSERT_EQ(Run(L"/export Tuned " + cab + L" /yes"), kCommandDone) << lines;
    EXPECT_NE(lines.find("This device does not have these keys. On a device that lacks them too, the installer \"" +
                         Narrow(cab) + "\" creates them, and removing it from that device deletes them with everything "
                         "they then hold: HKCU\\Software\\Microsoft\\Internet Explorer\\Main."),
              std::string::npos)
        << lines;
    ASSERT_EQ(Run(L"/export Tuned " + File(L"keys.xml")), kCommandDone) << lines;
    EXPECT_EQ(lines.find("does not have these keys"), std::string::npos) << "a document leaves nothing to remove";
}

TEST_F(DeviceForms, DamagedAndHostileFilesAreRefusedNamingTheFileAndChangeNothing) {
    ASSERT_EQ(Run(L"/capture Base"), kCommandDone) << lines;
    const std::wstring good = File(L"good.xml");
    ASSERT_EQ(Run(L"/export Base " + good), kCommandDone) << lines;
    const std::vector<BYTE> goodBytes = FileBytes(good);
    const std::string doc(goodBytes.begin(), goodBytes.end());
    const std::string head = "<?xml version=\"1.0\"?><wap-provisioningdoc><characteristic type=\"Registry\">";
    const std::string tail = "</characteristic></wap-provisioningdoc>";
    std::string deep, ends;
    for (int i = 0; i < 200; ++i) deep += "<characteristic type=\"A\">", ends += "</characteristic>";
    struct Case { const wchar_t* name; std::string content; const char* said; };
    const Case refused[] = {
        {L"empty.xml", "", "well-formed"},
        {L"text.xml", "not xml at all", "well-formed"},
        {L"cut.xml", doc.substr(0, doc.size() / 2), "well-formed"},
        {L"root.xml", "<?xml version=\"1.0\"?><other/>", "no wap-provisioningdoc"},
        {L"deep.xml", head + deep, "well-formed"},
        {L"deeper.xml", "<wap-provisioningdoc>" + deep + ends + "</wap-provisioningdoc>", "too deeply"},
        {L"unknown.xml", head + "<characteristic type=\"HKLM\\Software\\Nobody\"><parm name=\"X\" value=\"1\" "
                                "datatype=\"integer\"/></characteristic>" + tail, "none of the values"},
        {L"entity.xml", "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                        "<wap-provisioningdoc>&x;</wap-provisioningdoc>", ""},
        {L"notcab.cab", "MSCF but not really", ""},
        {L"plain.cab", "plain text", "not a cabinet"},
        {L"cut.cpf", "MSCF", ""},
    };
    for (const Case& c : refused) {
        const std::wstring file = File(c.name);
        WriteStoreFile(file.c_str(), c.content.c_str());
        EXPECT_EQ(Run(L"/import " + file + L" /as Bad"), kCommandFailed) << lines;
        EXPECT_NE(lines.find(std::string(c.name, c.name + wcslen(c.name))), std::string::npos) << "named: " << lines;
        EXPECT_NE(lines.find(c.said), std::string::npos) << lines;
        EXPECT_FALSE(KeyExists(L"Orvanel", L"Bad")) << "nothing saved";
        EXPECT_EQ(Run(L"/compare Base /device"), kCommandDone);
        EXPECT_EQ(lines, "") << "the device is unchanged";
    }

    // Wrong datatypes, values out of range, bad base64, a huge text and unknown keys beside the
    // pages' values: the pages' values are taken and the rest named.
    std::string mixed = doc;
    const std::string extra =
        "<characteristic type=\"HKLM\\SYSTEM\\GWE\"><parm name=\"cyHScr\" value=\"thirteen\" datatype=\"integer\"/>"
        "<parm name=\"cxVScr\" value=\"99999999999\" datatype=\"integer\"/>"
        "<parm name=\"Other\" value=\"1\" datatype=\"multiplestring\"/></characteristic>"
        "<characteristic type=\"HKLM\\SYSTEM\\GWE\\Menu\\BarFnt\"><parm name=\"Nm\" value=\"" +
        std::string(1 << 20, 'W') + "\" datatype=\"string\"/><parm name=\"Ht\" value=\"%%%\" datatype=\"binary\"/>"
        "</characteristic><characteristic type=\"HKLM\\Software\\Nobody\"><parm name=\"X\" value=\"1\"/></characteristic>"
        "<characteristic type=\"HKXX\\Nowhere\"/>";
    mixed.insert(mixed.rfind("</characteristic>"), extra);
    const std::wstring file = File(L"mixed.xml");
    WriteStoreFile(file.c_str(), mixed.c_str());
    ASSERT_EQ(Run(L"/import " + file + L" /as Mixed"), kCommandDone) << lines.substr(0, 2000);
    for (const char* named : {"HKLM\\SYSTEM\\GWE\\cyHScr", "HKLM\\SYSTEM\\GWE\\cxVScr", "HKLM\\SYSTEM\\GWE\\Other",
                              "HKLM\\Software\\Nobody\\X", "characteristic HKXX\\Nowhere"})
        EXPECT_NE(lines.find(named), std::string::npos) << named << ": " << lines.substr(0, 2000);
    EXPECT_EQ(ReadDword(L"Orvanel\\Mixed", L"GWE", L"cxVScr"), ReadDword(L"Orvanel\\Base", L"GWE", L"cxVScr"))
        << "a bad parm leaves the good one before it";
    EXPECT_EQ(Run(L"/compare Base /device"), kCommandDone);
    EXPECT_EQ(lines, "") << "an import writes no device value";
}

// Written for tests/config/device-forms.sh, which lists, extracts and checks them with Debian's
// cabextract, gcab and xmllint: each form of a configuration into ORVANEL_FORMS_OUT.
class DeviceFormFiles : public DeviceForms {};

TEST_F(DeviceFormFiles, EachFormForTheDebianTools) {
    const char* out = std::getenv("ORVANEL_FORMS_OUT");
    if (!out) GTEST_SKIP() << "run by tests/config/device-forms.sh";
    Tune();
    ASSERT_EQ(Run(L"/capture Tools"), kCommandDone) << lines;
    const std::wstring folder(out, out + std::strlen(out));
    for (const wchar_t* name : {L"tools.cab", L"tools.xml", L"tools.cpf"})
        ASSERT_EQ(Run(L"/export Tools \"" + folder + L"\\" + name + L"\" /yes"), kCommandDone) << lines;
    // And an installer that carries a font file.
    const std::wstring font = File(L"..\\Windows\\dvserif.ttf");
    ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSerif.ttf", font.c_str(), FALSE));
    ASSERT_TRUE(WriteString(L"Orvanel\\Tools", L"GWE\\Menu\\BarFnt", L"Nm", L"DejaVu Serif"));
    ASSERT_EQ(Run(L"/export Tools \"" + folder + L"\\fonts.cab\" /yes"), kCommandDone) << lines;
}

TEST_F(DeviceForms, TheInstallerCarriesTheFontsTheConfigurationNeedsAndNamesTheOthers) {
    ASSERT_EQ(Run(L"/capture Fonts"), kCommandDone) << lines;
    // The menu bar's face from a file in \Windows, the system font's from nowhere.
    const std::wstring font = File(L"..\\Windows\\dvserif.ttf");
    ASSERT_TRUE(CopyFileW(L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSerif.ttf", font.c_str(), FALSE));
    ASSERT_TRUE(WriteString(L"Orvanel\\Fonts", L"GWE\\Menu\\BarFnt", L"Nm", L"DejaVu Serif"));
    ASSERT_TRUE(WriteString(L"Orvanel\\Fonts", L"GDI\\SYSFNT", L"Nm", L"Nowhere Sans"));

    const std::wstring cab = File(L"fonts.cab"), xml = File(L"fonts.xml");
    ASSERT_EQ(Run(L"/export Fonts " + cab), kCommandDone) << lines;
    EXPECT_NE(lines.find("Nowhere Sans"), std::string::npos) << "the face no file provides is named: " << lines;
    EXPECT_EQ(lines.find("DejaVu Serif"), std::string::npos) << lines;
    const auto members = CabinetMembers(FileBytes(cab));
    ASSERT_EQ(members.count("dvserif.001"), 1u);
    EXPECT_EQ(members.at("dvserif.001"), FileBytes(font)) << "the font file whole";
    const std::vector<BYTE>& setup = members.at("Fonts.000");
    ASSERT_EQ(U16(setup, 52), 1) << "one file to install";
    const size_t file = U32(setup, 68);
    EXPECT_EQ(U16(setup, file), 1) << "member 001";
    EXPECT_EQ(U32(setup, file + 6), 0x80000010u) << "shared, an existing file kept";
    EXPECT_STREQ(reinterpret_cast<const char*>(&setup[file + 12]), "dvserif.ttf");

    ASSERT_EQ(Run(L"/export Fonts " + xml), kCommandDone) << lines;
    EXPECT_NE(lines.find("cannot carry font files"), std::string::npos) << lines;
    const std::vector<BYTE> doc = FileBytes(xml);
    const std::string text(doc.begin(), doc.end());
    const size_t comment = text.find("<!--");
    ASSERT_NE(comment, std::string::npos);
    EXPECT_NE(text.substr(comment, text.find("-->") - comment).find("dvserif.ttf"), std::string::npos) << text;

    // Read back, the installer's font file is named as what an import leaves aside.
    ASSERT_EQ(Run(L"/import " + cab + L" /as FontsBack"), kCommandDone) << lines;
    EXPECT_NE(lines.find("\\Windows\\dvserif.ttf"), std::string::npos) << lines;
}
