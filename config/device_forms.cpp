#include "config/device_forms.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "base/strings.h"
#include "config/apply.h"
#include "config/font_files.h"
#include "platform/cabinet.h"
#include "platform/xml_document.h"
#include "resources/resource.h"
#include "store/ce_setup.h"
#include "store/device_installer.h"
#include "store/file_values.h"
#include "store/memory_store.h"
#include "store/provisioning.h"
#include "store/registry.h"
#include "store/store.h"

namespace {

constexpr size_t kMaxDocumentBytes = 8u << 20;
constexpr size_t kMessageChars = 2048;
constexpr size_t kNamedAtMost = 12;   // a message names this many things, then counts the rest

std::wstring_view Extension(const wchar_t* path) {
    const std::wstring_view p(path ? path : L"");
    const size_t dot = p.rfind(L'.');
    if (dot == std::wstring_view::npos || p.find_first_of(L"\\/:", dot) != std::wstring_view::npos) return {};
    return p.substr(dot);
}

void Say(Session& session, const std::wstring& text, UINT captionId = IDS_ERROR) {
    session.ShowMessage(text.c_str(), LoadResString(captionId), MB_OK | MB_TOPMOST);
}

Outcome Failed(Session& session, UINT formatId, const wchar_t* path) {
    std::wstring text = FileErrorText(formatId, path);
    Say(session, text);
    return Outcome::Failed(text);
}

// A list for a message: the first few, then how many more.
std::wstring Listed(const std::vector<std::wstring>& items) {
    std::wstring text;
    for (size_t i = 0; i < items.size() && i < kNamedAtMost; ++i) text += (i ? L", " : L"") + items[i];
    if (items.size() > kNamedAtMost) text += L" and " + std::to_wstring(items.size() - kNamedAtMost) + L" more";
    return text;
}

void SayList(Session& session, UINT formatId, const wchar_t* path, const std::vector<std::wstring>& items) {
    if (items.empty()) return;
    Say(session, FormatText(kMessageChars, LoadResString(formatId), path, Listed(items).c_str()), IDS_ATTENTION);
}

// The real place of a value the pages write, on a device.
void PlaceOnDevice(LiveRoot root, const std::wstring& subkey, uint16_t& ceRoot, std::wstring& key) {
    switch (root) {
    case LiveRoot::System:
        ceRoot = kCeRootLocalMachine;
        key = subkey.empty() ? L"SYSTEM" : L"SYSTEM\\" + subkey;
        return;
    case LiveRoot::User: ceRoot = kCeRootCurrentUser; break;
    case LiveRoot::Classes: ceRoot = kCeRootClasses; break;
    case LiveRoot::Machine: ceRoot = kCeRootLocalMachine; break;
    }
    key = subkey;
}

DeviceValue ToDevice(const MemoryStore::Value& v) {
    DeviceValue d;
    PlaceOnDevice(v.root, v.subkey, d.root, d.key);
    d.name = v.name;
    switch (v.kind) {
    case MemoryStore::Kind::Dword:
        d.kind = DeviceValueKind::Dword;
        if (v.bytes.size() == sizeof(DWORD)) memcpy(&d.number, v.bytes.data(), sizeof(DWORD));
        break;
    case MemoryStore::Kind::String: {
        d.kind = DeviceValueKind::String;
        std::wstring text(v.bytes.size() / sizeof(wchar_t), L'\0');
        if (!text.empty()) memcpy(text.data(), v.bytes.data(), text.size() * sizeof(wchar_t));
        if (!text.empty() && text.back() == L'\0') text.pop_back();   // the stored NUL
        d.text = std::move(text);
        break;
    }
    case MemoryStore::Kind::Binary:
        d.kind = DeviceValueKind::Binary;
        d.bytes.assign(v.bytes.begin(), v.bytes.end());
        break;
    }
    return d;
}

// A key as the registry compares it: letter case ignored, single backslashes, none at the ends.
std::wstring KeyForComparison(const std::wstring& key) {
    std::wstring out;
    for (wchar_t c : key) {
        if (c == L'\\' && (out.empty() || out.back() == L'\\')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == L'\\') out.pop_back();
    return out;
}

// The values read from a file, at the places the pages read them from; the others named.
MemoryStore AtPagesPlaces(Session& session, const DeviceConfig& config, std::vector<std::wstring>& others,
                          const std::wstring& key) {
    const MemoryStore places = PagesWrite(session);
    MemoryStore out(key);
    for (const DeviceValue& v : config.values) {
        const MemoryStore::Value* place = nullptr;
        for (const MemoryStore::Value& p : places.values()) {
            uint16_t root = 0;
            std::wstring pageKey;
            PlaceOnDevice(p.root, p.subkey, root, pageKey);
            if (root == v.root && SameNameIgnoringCase(KeyForComparison(pageKey), KeyForComparison(v.key)) &&
                SameNameIgnoringCase(p.name, v.name)) {
                place = &p;
                break;
            }
        }
        const bool kindMatches =
            place && ((place->kind == MemoryStore::Kind::Dword && v.kind == DeviceValueKind::Dword) ||
                      (place->kind == MemoryStore::Kind::String && v.kind == DeviceValueKind::String) ||
                      (place->kind == MemoryStore::Kind::Binary && v.kind == DeviceValueKind::Binary));
        if (!kindMatches) {
            others.push_back(DevicePlaceText(v));
            continue;
        }
        const ValueRef ref = place->Ref();
        switch (v.kind) {
        case DeviceValueKind::Dword: out.WriteDword(ref, v.number); break;
        case DeviceValueKind::String: out.WriteString(ref, v.text); break;
        case DeviceValueKind::Binary: out.WriteBinary(ref, v.bytes.data(), v.bytes.size()); break;
        }
    }
    return out;
}

std::string NarrowName(const std::wstring& name) {
    std::string out;
    for (wchar_t c : name) out += c > 0 && c < 0x80 ? static_cast<char>(c) : '_';
    return out;
}

// The keys the installer sets values in that this device does not have. The device's installer
// makes a missing key, and removing the package deletes the keys it made, with everything in
// them by then; a key that was there before is left (docs/installers.md).
std::vector<std::wstring> KeysTheDeviceLacks(const DeviceConfig& config, const std::vector<std::wstring>& leftOut) {
    std::vector<std::wstring> lacking;
    for (const DeviceValue& v : config.values) {
        const std::wstring key = DeviceKeyText(v.root, v.key);
        if (std::find(leftOut.begin(), leftOut.end(), DevicePlaceText(v)) != leftOut.end() ||
            std::find(lacking.begin(), lacking.end(), key) != lacking.end())
            continue;
        const HKEY root = v.root == kCeRootCurrentUser ? HKEY_CURRENT_USER
                          : v.root == kCeRootClasses   ? HKEY_CLASSES_ROOT
                                                       : HKEY_LOCAL_MACHINE;
        if (!OpenRegistryKey(root, v.key)) lacking.push_back(key);
    }
    return lacking;
}

DeviceConfig ConfigOf(Session& session) {
    DeviceConfig config;
    config.name = session.activeConfigName[0] ? session.activeConfigName : LoadResString(IDS_APP_TITLE);
    config.provider = LoadResString(IDS_APP_TITLE);
    const MemoryStore written = PagesWrite(session);
    for (const MemoryStore::Value& v : written.values()) config.values.push_back(ToDevice(v));
    return config;
}

Outcome Export(Session& session, const wchar_t* path, ConfigForm form) {
    DeviceConfig config = ConfigOf(session);
    const FontFiles fonts = FindFontFiles(session, config);
    std::vector<uint8_t> bytes;
    std::vector<std::wstring> leftOut;
    if (form == ConfigForm::Installer) {
        for (const FontFile& f : fonts.files) config.files.push_back({NarrowName(f.name), f.bytes});
        InstallerWrite written = WriteDeviceInstaller(config);
        leftOut = std::move(written.leftOut);
        std::vector<CabinetMember> members;
        for (ThemeMember& m : written.members) members.push_back({m.name, std::move(m.bytes)});
        const CabinetError made = WriteCabinet(members, bytes);
        if (made == CabinetError::NoLibrary) return Failed(session, IDS_FORM_NO_LIBRARY, path);
        if (made != CabinetError::None) return Failed(session, IDS_FORM_CANT_MAKE, path);
    } else {
        std::vector<std::wstring> names;
        for (const FontFile& f : fonts.files) names.push_back(f.name);
        ProvisioningWrite written = WriteProvisioningDoc(config, names);
        leftOut = std::move(written.leftOut);
        bytes.assign(written.text.begin(), written.text.end());
        if (form == ConfigForm::ProvisioningCabinet) {
            std::vector<uint8_t> cabinet;
            const CabinetError made = WriteCabinet({{kProvisioningMember, std::move(bytes)}}, cabinet);
            if (made == CabinetError::NoLibrary) return Failed(session, IDS_FORM_NO_LIBRARY, path);
            if (made != CabinetError::None) return Failed(session, IDS_FORM_CANT_MAKE, path);
            bytes = std::move(cabinet);
        }
    }

    DWORD error = ERROR_SUCCESS;
    {
        FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return Failed(session, IDS_CANT_WRITE, path);
        error = WriteWhole(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(path);
        std::wstring text = FileErrorText(IDS_FILE_ERROR_DOT, static_cast<int>(error));
        Say(session, text);
        return Outcome::Failed(text);
    }
    // What the file system took must read back as written: a name that is no file keeps nothing.
    auto back = ReadFileHead(path, bytes.size() + 1);
    if (!back || *back != std::vector<BYTE>(bytes.begin(), bytes.end())) return Failed(session, IDS_FORM_NOT_WRITTEN, path);

    SayList(session, IDS_FORM_LEFT_OUT, path, leftOut);
    if (form == ConfigForm::Installer) SayList(session, IDS_FORM_KEYS_CREATED, path, KeysTheDeviceLacks(config, leftOut));
    SayList(session, IDS_FORM_FONTS_UNPROVIDED, path, fonts.unprovided);
    if (form != ConfigForm::Installer && !fonts.files.empty()) {
        std::vector<std::wstring> names;
        for (const FontFile& f : fonts.files) names.push_back(f.name);
        SayList(session, IDS_FORM_FONTS_NOT_CARRIED, path, names);
    }
    return {};
}

// The message id of a cabinet that could not be read, or 0.
UINT CabinetFault(CabinetError error) {
    switch (error) {
    case CabinetError::None: return 0;
    case CabinetError::NoLibrary: return IDS_FORM_NO_LIBRARY;
    case CabinetError::NotCabinet: return IDS_FORM_NOT_CABINET;
    case CabinetError::TooLarge: return IDS_FORM_TOO_LARGE;
    default: return IDS_FORM_DAMAGED;
    }
}

// The instructions' values and files, or the failure's message id.
UINT ReadInstaller(const std::vector<uint8_t>& bytes, DeviceConfig& config, std::vector<std::wstring>& others) {
    std::vector<CabinetMember> cabinet;
    if (const UINT fault = CabinetFault(ReadCabinet(bytes.data(), bytes.size(), cabinet))) return fault;
    std::vector<ThemeMember> members;
    for (CabinetMember& m : cabinet) members.push_back({MemberNumber(m.name), m.name, std::move(m.bytes)});
    const ThemeMember* setupMember = nullptr;
    for (const ThemeMember& m : members)
        if (m.number == 0) setupMember = &m;
    if (!setupMember) return IDS_FORM_NO_SETUP;
    const CeSetupRead setup = ReadCeSetup(setupMember->bytes.data(), setupMember->bytes.size());
    switch (setup.error) {
    case CeSetupError::None: break;
    case CeSetupError::NoSignature: return IDS_FORM_NO_SETUP;
    case CeSetupError::UnendedString: return IDS_FORM_UNENDED;
    default: return IDS_FORM_OUTSIDE;
    }
    InstallerRead read = ReadDeviceInstaller(setup.setup, members);
    if (read.error == InstallerError::MissingMember) return IDS_FORM_MISSING;
    config = std::move(read.config);
    others = std::move(read.others);
    // The fonts it carries are not the configuration's values: an import installs nothing.
    for (const DeviceFile& f : config.files) others.push_back(L"\\Windows\\" + std::wstring(f.name.begin(), f.name.end()));
    return 0;
}

UINT ReadDocument(const std::vector<uint8_t>& bytes, DeviceConfig& config, std::vector<std::wstring>& others,
                  std::wstring& reason) {
    const XmlRead xml = ParseXmlDocument(bytes.data(), bytes.size());
    switch (xml.error) {
    case XmlError::None: break;
    case XmlError::NoParser: return IDS_FORM_NO_PARSER;
    case XmlError::TooDeep: return IDS_FORM_TOO_DEEP;
    case XmlError::Malformed: reason = xml.reason; return IDS_FORM_MALFORMED;
    }
    ProvisioningRead read = ReadProvisioningDoc(xml.root);
    if (read.error == ProvisioningError::NotProvisioning) return IDS_FORM_NOT_PROVISIONING;
    config = std::move(read.config);
    others = std::move(read.others);
    return 0;
}

UINT ReadProvisioningCabinet(const std::vector<uint8_t>& bytes, DeviceConfig& config,
                             std::vector<std::wstring>& others, std::wstring& reason) {
    std::vector<CabinetMember> cabinet;
    if (const UINT fault = CabinetFault(ReadCabinet(bytes.data(), bytes.size(), cabinet))) return fault;
    for (const CabinetMember& m : cabinet) {
        std::wstring name(m.name.begin(), m.name.end());
        if (!SameNameIgnoringCase(name, L"_setup.xml")) continue;
        if (m.bytes.size() > kMaxDocumentBytes) return IDS_FORM_TOO_LARGE;
        return ReadDocument(m.bytes, config, others, reason);
    }
    return IDS_FORM_NO_DOCUMENT;
}

std::unique_ptr<Store> Read(Session& session, const wchar_t* path, ConfigForm form, std::wstring* why) {
    auto fail = [&](std::wstring text) -> std::unique_ptr<Store> {
        Say(session, text);
        if (why) *why = std::move(text);
        return nullptr;
    };
    bool tooLarge = false;
    auto bytes = ReadWholeFile(path, form == ConfigForm::Document ? kMaxDocumentBytes : kMaxCabinetBytes, tooLarge);
    if (!bytes) return fail(FileErrorText(IDS_CANT_OPEN, path));
    if (tooLarge) return fail(FileErrorText(IDS_FORM_TOO_LARGE, path));

    DeviceConfig config;
    std::vector<std::wstring> others;
    std::wstring reason;
    UINT error = 0;
    switch (form) {
    case ConfigForm::Installer: error = ReadInstaller(*bytes, config, others); break;
    case ConfigForm::Document: error = ReadDocument(*bytes, config, others, reason); break;
    default: error = ReadProvisioningCabinet(*bytes, config, others, reason); break;
    }
    if (error == IDS_FORM_MALFORMED) return fail(FormatText(kMessageChars, LoadResString(error), path, reason.c_str()));
    if (error) return fail(FileErrorText(error, path));

    auto store = std::make_unique<MemoryStore>(AtPagesPlaces(session, config, others, std::wstring(L"@") + path));
    if (store->values().empty()) return fail(FileErrorText(IDS_FORM_NO_VALUES, path));
    SayList(session, IDS_FORM_OTHERS, path, others);
    return store;
}

}  // namespace

ConfigForm FormOfPath(const wchar_t* path) {
    const std::wstring_view extension = Extension(path);
    if (SameNameIgnoringCase(extension, L".cab")) return ConfigForm::Installer;
    if (SameNameIgnoringCase(extension, L".xml")) return ConfigForm::Document;
    if (SameNameIgnoringCase(extension, L".cpf")) return ConfigForm::ProvisioningCabinet;
    return ConfigForm::File;
}

// Both are reached from window procedures and the command line: nothing leaves as an exception.
Outcome ExportDeviceForm(Session& session, const wchar_t* path, ConfigForm form) {
    try {
        return Export(session, path, form);
    } catch (...) {   // out of memory before the file was opened
        return Failed(session, IDS_FORM_CANT_MAKE, path);
    }
}

std::unique_ptr<Store> ReadDeviceForm(Session& session, const wchar_t* path, ConfigForm form, std::wstring* why) {
    try {
        return Read(session, path, form, why);
    } catch (...) {
        std::wstring text = FileErrorText(IDS_FORM_TOO_LARGE, path);
        Say(session, text);
        if (why) *why = text;
        return nullptr;
    }
}
