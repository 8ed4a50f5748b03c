#include "config/config_file.h"

#include <string>

#include "base/handles.h"
#include "base/strings.h"
#include "config/store.h"
#include "resources/resource.h"
#include "store/config_codec.h"
#include "store/file_values.h"
#include "store/store.h"

namespace {

constexpr int kPathChars = 260;           // the file dialogs' name buffer
constexpr int kFilterChars = 324;         // the dialogs' filter pairs
constexpr DWORD kDialogFlags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// Runs one of the file dialogs; the chosen path lands in `path` (kPathChars long).
bool AskFilePath(const Session& session, FileDialogFn dialog, UINT titleId, wchar_t* path) {
    // The filter resource separates its fields with "#"; the dialog wants NULs and a final
    // empty field. The buffer keeps two NULs at its end whatever the resource holds.
    wchar_t filter[kFilterChars] = {};
    const wchar_t* source = LoadResString(IDS_FILE_FILTER);
    for (int i = 0; i < kFilterChars - 2 && source[i]; ++i)
        filter[i] = source[i] == L'#' ? L'\0' : source[i];

    path[0] = L'\0';
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = session.sheet;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = kPathChars;
    ofn.lpstrTitle = LoadResString(titleId);
    ofn.Flags = kDialogFlags;
    if (!dialog || !dialog(&ofn)) return false;
    path[kPathChars - 1] = L'\0';
    return path[0] != L'\0';
}

}  // namespace

void ExportConfig(Session& session) {
    wchar_t path[kPathChars];
    if (!AskFilePath(session, session.saveFileDialog, IDS_EXPORT_TITLE, path)) return;

    {
        FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            ShowFileError(session.sheet, IDS_CANT_WRITE, path);
            return;
        }
        // The header goes without its NUL: the records follow it directly.
        const std::wstring header = LoadResString(IDS_FILE_HEADER);
        const DWORD error =
            WriteWhole(file.get(), header.data(), static_cast<DWORD>(header.size() * sizeof(wchar_t)));
        if (error != ERROR_SUCCESS) {
            // No room even for the header: no file is left, and the pages are not asked.
            file.reset();
            DeleteFileW(path);
            ShowFileError(session.sheet, IDS_FILE_ERROR_DOT, static_cast<int>(error));
            return;
        }
    }

    // Every page's Save gathers its records; they reach the file in one write.
    SaveConfig(session, (std::wstring(L"@") + path).c_str());
}

std::optional<ChosenConfigFile> AskConfigFile(Session& session, UINT titleId) {
    wchar_t path[kPathChars];
    if (!AskFilePath(session, session.openFileDialog, titleId, path)) return std::nullopt;

    auto content = ReadFileHead(path, kSearchBytes);
    if (!content) {
        ShowFileError(session.sheet, IDS_CANT_OPEN, path);
        return std::nullopt;
    }
    // The tag test looks at the first 32 code units; a shorter file reads as zeros there.
    if (!HasConfigFileTag(content->data(), content->size(), LoadResString(IDS_FILE_TAG))) {
        ShowFileError(session.sheet, IDS_INVALID_FILE);
        return std::nullopt;
    }
    return ChosenConfigFile{std::wstring(L"@") + path, std::move(*content)};
}

void ImportConfig(Session& session) {
    auto chosen = AskConfigFile(session, IDS_IMPORT_TITLE);
    if (!chosen) return;

    if (!AskToSaveChanges(session)) return;
    auto store = OpenFileStoreForReading(chosen->storeKey, std::move(chosen->head));
    LoadPagesFrom(session, *store);
    // The imported settings belong to no configuration yet: mark them unsaved.
    session.changeCount = 1;
    session.resetCount = 1;
    session.RefreshTitle();
    RebuildConfigMenu(session, nullptr);
}
