#include "config/config_file.h"

#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "base/strings.h"
#include "config/configurations.h"
#include "config/device_forms.h"
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
    // empty field. The buffer keeps two NULs at its end whatever the resource holds. Besides
    // configuration files it offers the device's own forms (config/device_forms.h).
    wchar_t filter[kFilterChars] = {};
    const wchar_t* source = LoadResString(IDS_FORMS_FILTER);
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
std::optional<std::vector<BYTE>> ReadConfigFile(Session& session, const wchar_t* path, std::wstring* why = nullptr) {
    auto content = ReadFileHead(path, kSearchBytes);
    std::wstring fault;
    // The tag test looks at the first 32 code units; a shorter file reads as zeros there.
    if (!content) fault = FileErrorText(IDS_CANT_OPEN, path);
    else if (!HasConfigFileTag(content->data(), content->size(), LoadResString(IDS_FILE_TAG)))
        fault = LoadResString(IDS_INVALID_FILE);
    if (fault.empty()) return content;
    ReportFileError(session, fault);
    if (why) *why = fault;
    return std::nullopt;
}

}  // namespace

void ExportConfig(Session& session) {
    wchar_t path[kPathChars];
    if (!AskFilePath(session, session.saveFileDialog, IDS_EXPORT_TITLE, path)) return;
    ExportConfigTo(session, path);
}

Outcome ExportConfigTo(Session& session, const wchar_t* path) {
    const std::wstring_view fileName = std::wstring_view(path).substr(std::wstring_view(path).find_last_of(L"\\/:") + 1);
    if (IsDeviceName(fileName)) {
        std::wstring text = FormatText(kPathChars * 2, LoadResString(IDS_DEVICE_FILE_NAME), std::wstring(fileName).c_str());
        ReportFileError(session, text);
        return Outcome::Refused(text);
    }
    if (const ConfigForm form = FormOfPath(path); form != ConfigForm::File) return ExportDeviceForm(session, path, form);
    {
        FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            std::wstring text = FileErrorText(IDS_CANT_WRITE, path);
            ReportFileError(session, text);
            return Outcome::Failed(text);
        }
        // The header goes without its NUL: the records follow it directly.
        const std::wstring header = LoadResString(IDS_FILE_HEADER);
        const DWORD error =
            WriteWhole(file.get(), header.data(), static_cast<DWORD>(header.size() * sizeof(wchar_t)));
        if (error != ERROR_SUCCESS) {
            // No room even for the header: no file is left, and the pages are not asked.
            file.reset();
            DeleteFileW(path);
            std::wstring text = FileErrorText(IDS_FILE_ERROR_DOT, static_cast<int>(error));
            ReportFileError(session, text);
            return Outcome::Failed(text);
        }
    }

    // Every page's Save gathers its records; they reach the file in one write.
    Outcome outcome = SaveConfig(session, (std::wstring(L"@") + path).c_str());
    if (!outcome.done()) return outcome;
    // What the file system took must read back as the file written: a name that is no file (a
    // device, a pipe) swallows everything and keeps nothing.
    auto written = ReadFileHead(path, kTagCheckBytes);
    if (!written || !HasConfigFileTag(written->data(), written->size(), LoadResString(IDS_FILE_TAG))) {
        std::wstring text = FormatText(kPathChars * 3, LoadResString(IDS_EXPORT_NOT_WRITTEN),
                                       session.activeConfigName, path);
        ReportFileError(session, text);
        return Outcome::Failed(text);
    }
    return outcome;
}

namespace {

// Loads every page from a file already read and checked, into the configuration being edited.
Outcome ImportChosen(Session& session, Store& store) {
    Outcome outcome = AskToSaveChanges(session);
    if (outcome.state == Outcome::State::Refused) return outcome;
    LoadPagesFrom(session, store);
    // The imported settings belong to no configuration yet: mark them unsaved.
    session.marks.Set(1, 1);
    session.RefreshTitle();
    RebuildConfigMenu(session, nullptr);
    return outcome;
}

}  // namespace

std::optional<ChosenConfigFile> AskConfigFile(Session& session, UINT titleId) {
    wchar_t path[kPathChars];
    if (!AskFilePath(session, session.openFileDialog, titleId, path)) return std::nullopt;
    auto store = OpenConfigFile(session, path);
    if (!store) return std::nullopt;
    return ChosenConfigFile{std::wstring(L"@") + path, std::move(store)};
}

void ImportConfig(Session& session) {
    if (auto chosen = AskConfigFile(session, IDS_IMPORT_TITLE)) ImportChosen(session, *chosen->store);
}

bool IsConfigFile(Session& session, const wchar_t* path) { return ReadConfigFile(session, path).has_value(); }

std::unique_ptr<Store> OpenConfigFile(Session& session, const wchar_t* path, std::wstring* why) {
    if (const ConfigForm form = FormOfPath(path); form != ConfigForm::File) return ReadDeviceForm(session, path, form, why);
    auto content = ReadConfigFile(session, path, why);
    if (!content) return nullptr;
    return OpenFileStoreForReading(std::wstring(L"@") + path, std::move(*content));
}

Outcome ImportConfigFrom(Session& session, const wchar_t* path) {
    std::wstring why;
    auto store = OpenConfigFile(session, path, &why);
    if (!store) return Outcome::Failed(why);
    return ImportChosen(session, *store);
}
