// Where the device takes a face from, for an export that carries a configuration's fonts.
#include <memory>

#include "base/strings.h"
#include "pages/fonts/fonts_page.h"

namespace {

// The full name is the face, or the face and a style after a space.
bool Provides(const wchar_t* fullName, const std::wstring& face) {
    const std::wstring_view full(fullName);
    if (face.empty() || full.size() < face.size()) return false;
    if (!SameNameIgnoringCase(full.substr(0, face.size()), face)) return false;
    return full.size() == face.size() || full[face.size()] == L' ';
}

// A file directly in \Windows (the system loads no font from a folder below it).
bool DirectlyInWindows(const FontFileEntry& entry) {
    const std::wstring_view path(entry.path);
    const std::wstring_view folder = path.substr(0, entry.nameOffset);
    return SameNameIgnoringCase(folder, L"\\Windows\\");
}

}  // namespace

std::vector<FontFileFinder::FaceSource> FontsPage::FindFaces(const std::vector<std::wstring>& faces) {
    std::vector<FaceSource> sources;
    for (const std::wstring& face : faces) sources.push_back({face, false, {}});
    if (faces.empty()) return sources;

    auto scan = std::make_unique<FontCatalogue>();   // too large for the stack
    FontFileEntry entry;
    for (DWORD i = 0; i < FontCatalogue::kMaxRomFiles && entry.InitFromRomIndex(i) == 0; ++i) {
        if (entry.HasFontExtension()) scan->Add(entry);
        entry.Reset();
    }
    scan->ScanDirectory(L"\\Windows");

    // An exact full name wins over a style of the face; the ROM over a file.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < scan->count; ++i) {
            FontFileEntry& file = scan->entries[i];
            const bool rom = file.romIndex >= 0;
            if (!rom && (!DirectlyInWindows(file) || !file.HasFontExtension())) continue;
            const wchar_t* fullName = file.FullName();
            file.ReleaseContent();
            for (FaceSource& source : sources) {
                if (source.inRom || (!rom && !source.path.empty())) continue;
                const bool match = pass == 0 ? SameNameIgnoringCase(fullName, source.face) : Provides(fullName, source.face);
                if (!match) continue;
                if (rom) source.inRom = true, source.path.clear();
                else source.path = file.RealPath();
            }
        }
    }
    return sources;
}
