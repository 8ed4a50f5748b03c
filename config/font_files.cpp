#include "config/font_files.h"

#include "base/handles.h"
#include "base/strings.h"
#include "framework/page_queries.h"

namespace {

// A font file is carried whole; one larger than this is no font a device would take.
constexpr ULONGLONG kMaxFontBytes = 16u << 20;

bool ReadFont(const std::wstring& path, std::vector<uint8_t>& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) || static_cast<ULONGLONG>(size.QuadPart) > kMaxFontBytes) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
}

}  // namespace

FontFiles FindFontFiles(Session& session, const DeviceConfig& config) {
    FontFiles out;
    // The faces of the font records: every "Nm" text the pages write, each once.
    std::vector<std::wstring> faces;
    for (const DeviceValue& v : config.values) {
        if (v.kind != DeviceValueKind::String || !SameNameIgnoringCase(v.name, L"Nm") || v.text.empty()) continue;
        bool known = false;
        for (const std::wstring& f : faces) known = known || SameNameIgnoringCase(f, v.text);
        if (!known) faces.push_back(v.text);
    }
    FontFileFinder* finder = nullptr;
    for (SettingsPage* page : session.pages)
        if (auto* f = dynamic_cast<FontFileFinder*>(page)) finder = f;
    if (!finder || faces.empty()) return out;

    for (const FontFileFinder::FaceSource& source : finder->FindFaces(faces)) {
        if (source.inRom) continue;
        std::vector<uint8_t> bytes;
        if (source.path.empty() || !ReadFont(source.path, bytes)) {
            out.unprovided.push_back(source.face);
            continue;
        }
        const std::wstring name = source.path.substr(source.path.find_last_of(L"\\/") + 1);
        bool carried = false;
        for (const FontFile& f : out.files) carried = carried || SameNameIgnoringCase(f.name, name);
        if (!carried) out.files.push_back({name, std::move(bytes)});
    }
    return out;
}
