#include "store/device_installer.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {

const wchar_t* RootText(uint16_t root) {
    switch (root) {
    case kCeRootClasses: return L"HKCR";
    case kCeRootCurrentUser: return L"HKCU";
    case kCeRootLocalMachine: return L"HKLM";
    case kCeRootUsers: return L"HKU";
    default: return L"?";
    }
}

// A text as the instruction file holds it: one byte a unit; nullopt when a unit does not fit
// or is a NUL (which would end the text early).
std::optional<std::string> Bytes(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == 0 || static_cast<uint32_t>(c) > 0xFF) return std::nullopt;
        out += static_cast<char>(static_cast<unsigned char>(c));
    }
    return out;
}

std::wstring Units(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (char c : text) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
}

// A key's parts, split at backslashes; empty parts (doubled or outer backslashes) dropped.
std::vector<std::string> KeyParts(const std::string& key) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= key.size()) {
        const size_t end = std::min(key.find('\\', start), key.size());
        if (end > start) parts.push_back(key.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

bool IsWindowsFolder(const std::string& path) {
    for (const char* folder : {"%CE2%", "%CE2%\\", "\\Windows", "\\Windows\\"})
        if (SameIgnoringCase(path, folder)) return true;
    return false;
}

std::string MemberName(const std::string& installed, int number) {
    std::string stem;
    for (char c : installed.substr(0, installed.rfind('.')))
        if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) && stem.size() < 8) stem += c;
    if (stem.empty()) stem = "font";
    const char digits[4] = {static_cast<char>('0' + number / 100 % 10), static_cast<char>('0' + number / 10 % 10),
                            static_cast<char>('0' + number % 10), 0};
    return stem + "." + digits;
}

}  // namespace

std::wstring DeviceKeyText(uint16_t root, const std::wstring& key) {
    std::wstring text = RootText(root);
    return key.empty() ? text : text + L"\\" + key;
}

std::wstring DevicePlaceText(const DeviceValue& value) {
    return DeviceKeyText(value.root, value.key) + L"\\" + (value.name.empty() ? L"(default)" : value.name);
}

InstallerWrite WriteDeviceInstaller(const DeviceConfig& config) {
    InstallerWrite out;
    CeSetup setup;
    setup.appName = Bytes(config.name).value_or("Orvanel configuration");
    setup.provider = Bytes(config.provider).value_or("Orvanel");

    std::map<std::pair<uint16_t, std::string>, uint16_t> hives;   // (root, key as written) -> hive id
    uint16_t valueId = 0;
    for (const DeviceValue& v : config.values) {
        auto key = Bytes(v.key);
        auto name = v.name.empty() ? std::optional<std::string>(std::string()) : Bytes(v.name);
        std::optional<std::string> text;
        if (v.kind == DeviceValueKind::String) text = v.text.empty() ? std::string() : Bytes(v.text);
        if (!key || !name || (v.kind == DeviceValueKind::String && !text) || valueId == 0xFFFF ||
            (v.root != kCeRootClasses && v.root != kCeRootCurrentUser && v.root != kCeRootLocalMachine)) {
            out.leftOut.push_back(DevicePlaceText(v));
            continue;
        }
        const std::vector<std::string> parts = KeyParts(*key);
        std::string joined;
        for (const std::string& p : parts) joined += (joined.empty() ? "" : "\\") + p;
        uint16_t& hive = hives[{v.root, joined}];
        if (hive == 0) {
            hive = static_cast<uint16_t>(setup.hives.size() + 1);
            std::vector<uint16_t> path;
            for (const std::string& p : parts) path.push_back(setup.AddString(p));
            setup.hives.push_back({hive, v.root, 0, path});
        }
        std::vector<uint8_t> data;
        uint32_t type = kCeBinary;
        switch (v.kind) {
        case DeviceValueKind::Dword:
            type = kCeDword;
            for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<uint8_t>(v.number >> shift));
            break;
        case DeviceValueKind::String:
            type = kCeString;
            data.assign(text->begin(), text->end());
            data.push_back(0);
            break;
        case DeviceValueKind::Binary: data = v.bytes; break;
        }
        // The entry's length field counts the name, its NUL and the data.
        if (name->size() + 1 + data.size() > 0xFFFF) {
            out.leftOut.push_back(DevicePlaceText(v));
            continue;
        }
        setup.values.push_back({++valueId, hive, 0, type, *name, std::move(data)});
    }

    out.members.resize(1);
    const size_t files = std::min<size_t>(config.files.size(), 998);
    if (files > 0) setup.dirs.push_back({1, {setup.AddString("%CE2%")}});
    for (size_t i = 0; i < files; ++i) {
        const auto number = static_cast<uint16_t>(i + 1);
        setup.files.push_back({number, 1, number, kInstallerFontFlags, config.files[i].name});
        out.members.push_back({number, MemberName(config.files[i].name, number), config.files[i].bytes});
    }
    out.members[0] = {0, MemberName(setup.appName, 0), WriteCeSetup(setup)};
    std::reverse(out.members.begin() + 1, out.members.end());
    return out;
}

InstallerRead ReadDeviceInstaller(const CeSetup& setup, const std::vector<ThemeMember>& members) {
    InstallerRead result;
    DeviceConfig& config = result.config;
    config.name = Units(setup.appName);
    config.provider = Units(setup.provider);
    auto other = [&](std::wstring what) {
        if (std::find(result.others.begin(), result.others.end(), what) == result.others.end())
            result.others.push_back(std::move(what));
    };

    for (const CeSetup::RegValue& v : setup.values) {
        const CeSetup::Hive* hive = setup.FindHive(v.hiveId);
        const auto key = hive ? setup.JoinPath(hive->path) : std::nullopt;
        DeviceValue value;
        value.root = hive ? hive->root : 0;
        value.key = key ? Units(*key) : L"?";
        value.name = Units(v.name);
        if (!hive || !key || (hive->root != kCeRootClasses && hive->root != kCeRootCurrentUser &&
                              hive->root != kCeRootLocalMachine)) {
            other(DevicePlaceText(value));
            continue;
        }
        switch (v.typeFlags & kCeTypeMask) {
        case kCeDword:
            if (v.data.size() != 4) {
                other(DevicePlaceText(value));
                continue;
            }
            value.kind = DeviceValueKind::Dword;
            value.number = static_cast<uint32_t>(v.data[0]) | static_cast<uint32_t>(v.data[1]) << 8 |
                           static_cast<uint32_t>(v.data[2]) << 16 | static_cast<uint32_t>(v.data[3]) << 24;
            break;
        case kCeString: {
            // One text ended by its NUL, and nothing after it.
            const auto nul = std::find(v.data.begin(), v.data.end(), 0);
            if (nul == v.data.end() || nul + 1 != v.data.end()) {
                other(DevicePlaceText(value));
                continue;
            }
            value.kind = DeviceValueKind::String;
            value.text = Units(std::string(v.data.begin(), nul));
            break;
        }
        case kCeBinary:
            value.kind = DeviceValueKind::Binary;
            value.bytes = v.data;
            break;
        default:   // a multi-string: no page writes one
            other(DevicePlaceText(value));
            continue;
        }
        // A later entry for the same place wins, as the installer writes them in turn.
        auto same = std::find_if(config.values.begin(), config.values.end(), [&](const DeviceValue& held) {
            return held.root == value.root && held.key == value.key && held.name == value.name;
        });
        if (same != config.values.end()) *same = std::move(value);
        else config.values.push_back(std::move(value));
    }

    for (const CeSetup::Link& link : setup.links) {
        const auto path = setup.JoinPath(link.path);
        other(L"shortcut " + Units(path.value_or("?")));
    }
    for (const ThemeMember& m : members)
        if (m.number == 999) other(L"setup program " + Units(m.name));
    for (const CeSetup::File& f : setup.files) {
        const CeSetup::Dir* dir = setup.FindDir(f.dirId);
        const auto path = dir ? setup.JoinPath(dir->path) : std::nullopt;
        if (!path || !IsWindowsFolder(*path) || f.name.empty() || f.name.find_first_of("\\/:") != std::string::npos) {
            other(Units(path.value_or("?")) + L"\\" + Units(f.name));
            continue;
        }
        auto member = std::find_if(members.begin(), members.end(),
                                   [&](const ThemeMember& m) { return m.number == f.fileId && m.number != 0; });
        if (member == members.end()) {
            result.error = InstallerError::MissingMember;
            config.files.clear();
            return result;
        }
        config.files.push_back({f.name, member->bytes});
    }
    return result;
}
