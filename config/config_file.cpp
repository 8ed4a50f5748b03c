#include "config/config_file.h"

#include <optional>
#include <string>
#include <vector>

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

// A file message as the window shows it: caption "Error", top-most, over the sheet.
void ReportFileError(Session& session, const std::wstring& text) {
    session.ShowMessage(text.c_str(), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
}

// The searched part of a configuration file; nullopt, said through the session, when the file
// cannot be read or is no configuration file.
std::optional<std::vector<BYTE>> ReadConfigFile(Session& session, const wchar_t* path) {
    auto content = ReadFileHead(path, kSearchBytes);
    if (!content) {
        ReportFileError(session, FileErrorText(IDS_CANT_OPEN, path));
        return std::nullopt;
    }
    // The tag test looks at the first 32 code units; a shorter file reads as zeros there.
    if (!HasConfigFileTag(content->data(), content->size(), LoadResString(IDS_FILE_TAG))) {
        ReportFileError(session, LoadResString(IDS_INVALID_FILE));
        return std::nullopt;
    }
    return content;
}

}  // namespace

void ExportConfig(Session& session) {
    wchar_t path[kPathChars];
    if (!AskFilePath(session, session.saveFileDialog, IDS_EXPORT_TITLE, path)) return;
    ExportConfigTo(session, path);
}

bool ExportConfigTo(Session& session, const wchar_t* path) {
    {
        FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            ReportFileError(session, FileErrorText(IDS_CANT_WRITE, path));
            return false;
        }
        // The header goes without its NUL: the records follow it directly.
        const std::wstring header = LoadResString(IDS_FILE_HEADER);
        const DWORD error =
            WriteWhole(file.get(), header.data(), static_cast<DWORD>(header.size() * sizeof(wchar_t)));
        if (error != ERROR_SUCCESS) {
            // No room even for the header: no file is left, and the pages are not asked.
            file.reset();
            DeleteFileW(path);
            ReportFileError(session, FileErrorText(IDS_FILE_ERROR_DOT, static_cast<int>(error)));
            return false;
        }
    }

    // Every page's Save gathers its records; they reach the file in one write.
    SaveConfig(session, (std::wstring(L"@") + path).c_str());
    return true;
}

namespace {

// Loads every page from a file already read and checked, into the configuration being edited.
bool ImportChosen(Session& session, ChosenConfigFile chosen) {
    if (!AskToSaveChanges(session)) return false;
    auto store = OpenFileStoreForReading(chosen.storeKey, std::move(chosen.head));
    LoadPagesFrom(session, *store);
    // The imported settings belong to no configuration yet: mark them unsaved.
    session.changeCount = 1;
    session.resetCount = 1;
    session.RefreshTitle();
    RebuildConfigMenu(session, nullptr);
    return true;
}

}  // namespace

std::optional<ChosenConfigFile> AskConfigFile(Session& session, UINT titleId) {
    wchar_t path[kPathChars];
    if (!AskFilePath(session, session.openFileDialog, titleId, path)) return std::nullopt;
    auto content = ReadConfigFile(session, path);
    if (!content) return std::nullopt;
    return ChosenConfigFile{std::wstring(L"@") + path, std::move(*content)};
}

void ImportConfig(Session& session) {
    if (auto chosen = AskConfigFile(session, IDS_IMPORT_TITLE)) ImportChosen(session, std::move(*chosen));
}

bool IsConfigFile(Session& session, const wchar_t* path) { return ReadConfigFile(session, path).has_value(); }

bool ImportConfigFrom(Session& session, const wchar_t* path) {
    auto content = ReadConfigFile(session, path);
    if (!content) return false;
    return ImportChosen(session, {std::wstring(L"@") + path, std::move(*content)});
}
