#include "pages/fonts/fonts_page.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "base/handles.h"
#include "base/strings.h"
#include "config/configurations.h"
#include "framework/controls.h"
#include "resources/resource.h"
#include "store/registry.h"

namespace {

constexpr UINT kFileColumn = 3176;       // "Font file"
constexpr UINT kNameColumn = 3177;       // "Font name"
constexpr UINT kFullNameFormat = 3178;   // "Full font name: %s"
constexpr UINT kActiveRow = 3179;        // "%s"
constexpr UINT kOverrideRow = 3180;      // "%s (RAM)"
constexpr UINT kInstallTitle = 3181;     // "Install as"
constexpr UINT kNotAFileName = 3182;     // "... at most %d characters ..."
constexpr UINT kCannotCopy = 3183;       // "... (error #%d) ..."
constexpr UINT kOntoItself = 3184;
constexpr UINT kNotFromRom = 3185;
constexpr UINT kCannotRemove = 3186;     // "... (error #%d) ..."
constexpr UINT kDeleteQuestion = 3187;   // "... font "%s" ?"
constexpr UINT kWarning = 3188;
constexpr UINT kLowSpace = 3189;
constexpr UINT kKeepOriginal = 3190;     // "Keep original font file "%s"?"
constexpr UINT kConfirm = IDS_CONFIRM;
constexpr UINT kError = IDS_ERROR;
constexpr UINT kTextChars = 512;

// Room an install wants in the object store beyond the file itself.
constexpr ULONGLONG kSpareBytes = 0x80000;
// Pixels at 96 dpi: the active list's "Font file" column, and the room left for a scroll bar.
constexpr int kFileColumnWidth = 80;
constexpr int kListMargin = 13;
constexpr size_t kInstallDirBytes = 960;
constexpr wchar_t kInstallKey[] = L"Software\\Apps\\Talvern Software Orvanel";

// A path built from parts, or nothing when it would not fit a path buffer whole.
std::optional<std::wstring> WholePath(std::wstring path) {
    if (path.size() >= MAX_PATH) return std::nullopt;
    return path;
}

// The paths the page builds from a font's file name, around it.
constexpr wchar_t kInstalledPrefix[] = L"\\windows\\";
constexpr wchar_t kDisplacedSuffix[] = L"_rename";
constexpr wchar_t kTakenOutPrefix[] = L"\\Windows\\delme_";
constexpr wchar_t kTakenOutSuffix[] = L".del";

// The program's folder, where Remove keeps a copy of a font ("" when it is not known).
std::wstring InstallFolder() {
    // The key is made when missing, as the installer's own reading makes it.
    RegKey key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_READ, nullptr, key.put(), nullptr);
    if (!key) return {};
    return OpenRegistryStoreAt(HKEY_LOCAL_MACHINE, kInstallKey)
        ->ReadString({LiveRoot::System, L"", L"InstallDir"}, kInstallDirBytes)
        .value_or(L"");
}

// Where Remove keeps a copy of a font: the install folder, then "\" and the file name.
std::optional<std::wstring> BackupPath(const wchar_t* fileName) { return WholePath(InstallFolder() + L"\\" + fileName); }

int ShowBox(HWND owner, const std::wstring& text, UINT caption, UINT buttons) {
    return MessageBoxW(owner, text.c_str(), LoadResString(caption), buttons);
}

std::wstring ErrorText(UINT format, DWORD error) {
    return FormatText(kTextChars, LoadResString(format), static_cast<int>(error));
}

}  // namespace

FontsPage::FontsPage(PageHost& host) : KitPage(host, IDD_FONTS) {}

size_t FontsPage::MaxInstallName() {
    // Room left in a path shorter than MAX_PATH once the parts around the name are in.
    auto room = [](size_t around) { return around < MAX_PATH - 1 ? MAX_PATH - 1 - around : 0; };
    return std::min({room(wcslen(kInstalledPrefix) + wcslen(kDisplacedSuffix)),
                     room(wcslen(kTakenOutPrefix) + wcslen(kTakenOutSuffix)), room(InstallFolder().size() + 1)});
}

bool FontsPage::IsPlainFileName(std::wstring_view name) {
    if (name.empty()) return false;
    // The file system drops a trailing dot or space: the name would be another than typed.
    if (name.back() == L'.' || name.back() == L' ') return false;
    for (wchar_t c : name)
        if (c < 32 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
    // Names the program's own files take: every start deletes "delme_*.*", and a later install
    // deletes "<name>_str" and "<name>_rename". An installed font of such a name would go with them.
    if (StartsWithIgnoringCase(name, L"delme_") || EndsWithIgnoringCase(name, L"_str") ||
        EndsWithIgnoringCase(name, L"_rename"))
        return false;
    return !IsDeviceName(name);   // "." and ".." end in a dot
}

BOOL FontsPage::OnInitDialog() {
    SHINITDLGINFO info = {SHIDIM_FLAGS, hwnd, SHIDIF_SIZEDLG};
    SHInitDialog(&info);
    fileList = GetDlgItem(hwnd, IDC_FONTS_FILES);
    activeList = GetDlgItem(hwnd, IDC_FONTS_ACTIVE);
    fullNameLabel = GetDlgItem(hwnd, IDC_FONTS_FULL_NAME);

    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_ORDER;
    column.fmt = LVCFMT_LEFT;
    ListView_InsertColumn(fileList, 0, &column);
    ListView_SetExtendedListViewStyle(fileList, LVS_EX_FULLROWSELECT);
    column.mask |= LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(LoadResString(kFileColumn));
    ListView_InsertColumn(activeList, 0, &column);
    column.pszText = const_cast<wchar_t*>(LoadResString(kNameColumn));
    column.iOrder = 1;
    ListView_InsertColumn(activeList, 1, &column);
    ListView_SetExtendedListViewStyle(activeList, LVS_EX_FULLROWSELECT);
    SizeColumns();
    // Made after the start (a page added later): nothing to wait for.
    if (host().SheetComplete()) EnsureCatalogue();
    return TRUE;
}

void FontsPage::EnsureCatalogue() {
    if (catalogueShown_) return;
    catalogueShown_ = true;
    RebuildCatalogue();
    FillLists();
}

namespace {
// A list's client width without its vertical scroll bar, less room for one: the last column
// ends where the scroll bar begins, whether the list needs one or not.
int ColumnRoom(HWND list, int scale) {
    RECT client = {};
    GetClientRect(list, &client);
    const int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    if (GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) client.right += scrollBar;
    return client.right - (scrollBar > kListMargin * scale ? scrollBar : kListMargin * scale);
}
}  // namespace

bool FontsPage::SizeColumns() {
    const int scale = host().Scale();
    const int files = ColumnRoom(fileList, scale);
    const int active = ColumnRoom(activeList, scale);
    if (files == columnsWidth_ && active == activeColumnsWidth_) return false;
    columnsWidth_ = files;
    activeColumnsWidth_ = active;
    ListView_SetColumnWidth(fileList, 0, files);
    ListView_SetColumnWidth(activeList, 0, kFileColumnWidth * scale);
    ListView_SetColumnWidth(activeList, 1, active - kFileColumnWidth * scale);
    return true;
}

void FontsPage::ShowFullName() {
    if (selectedFile < 0 || selectedFile >= catalogue.count) return;   // the label keeps its text
    const wchar_t* name = catalogue.entries[selectedFile].FullName();
    SetWindowTextW(fullNameLabel, FormatText(kTextChars, LoadResString(kFullNameFormat), name).c_str());
}

void FontsPage::RebuildCatalogue() {
    catalogue.Rebuild(host().IsVersion421());
    listsShowCatalogue_ = false;
    selectedFile = 0;
    filling = false;
}

void FontsPage::FillLists() {
    if (!hwnd) return;
    filling = true;
    // Both lists keep their scroll position; the active list keeps its selection while the
    // catalogue is the one it shows (a new one starts at its first row).
    const int fileTop = ListView_GetTopIndex(fileList);
    const int activeTop = ListView_GetTopIndex(activeList);
    const FontFileEntry* activeEntry = listsShowCatalogue_ ? EntryOfSelection(activeList) : nullptr;
    const LPARAM keptActive = activeEntry ? activeEntry - catalogue.entries.data() : -1;
    int selectedActive = -1;
    // A shown list would redraw its rows and scroll bar at every row: both are drawn once, at the end.
    for (HWND list : {fileList, activeList}) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(fileList);
    ListView_DeleteAllItems(activeList);
    int activeRows = 0;
    for (int i = 0; i < catalogue.count; ++i) {
        FontFileEntry& entry = catalogue.entries[i];
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = entry.path;
        item.lParam = i;
        ListView_InsertItem(fileList, &item);
        if (i == selectedFile) {
            ListView_SetItemState(fileList, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_SetSelectionMark(fileList, i);
            ShowFullName();
        }
        if (!entry.active) continue;
        const std::wstring text =
            FormatText(kTextChars, LoadResString(entry.overridesRom ? kOverrideRow : kActiveRow), entry.FileName());
        item.iItem = activeRows;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        ListView_InsertItem(activeList, &item);
        ListView_SetItemText(activeList, activeRows, 1, const_cast<wchar_t*>(entry.FullName()));
        if (keptActive == i) selectedActive = activeRows;
        ++activeRows;
    }
    if (activeRows > 0) {
        if (selectedActive < 0) selectedActive = 0;
        ListView_SetItemState(activeList, selectedActive, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetSelectionMark(activeList, selectedActive);
    }
    for (HWND list : {fileList, activeList}) SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    KeepListInView(fileList, fileTop, selectedFile);
    KeepListInView(activeList, activeTop, selectedActive);
    for (HWND list : {fileList, activeList})
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    listsShowCatalogue_ = true;
    host().RefreshTitle();
    filling = false;
}

FontFileEntry* FontsPage::EntryOfSelection(HWND list) {
    const int row = ListView_GetSelectionMark(list);
    if (row < 0) return nullptr;
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!ListView_GetItem(list, &item) || item.lParam < 0 || item.lParam >= catalogue.count) return nullptr;
    return &catalogue.entries[item.lParam];
}

void FontsPage::InstallSelected() {
    FontFileEntry* entry = EntryOfSelection(fileList);
    if (!entry) return;
    const HWND owner = host().MessageOwner();
    std::optional<std::wstring> name = AskName(owner, LoadResString(kInstallTitle), entry->FileName());
    if (!name) return;
    // A typed path would write, displace and delete files outside \Windows.
    // So is a name too long for one of the font's paths: the font could never be removed.
    const size_t longest = MaxInstallName();
    if (!IsPlainFileName(*name) || name->size() > longest) {
        ShowBox(owner, FormatText(kTextChars, LoadResString(kNotAFileName), static_cast<int>(longest)), kError,
                MB_OK | MB_TOPMOST);
        return;
    }
    if (entry->romIndex < 0 && entry->active && SameName(*name, entry->FileName())) {
        ShowBox(owner, LoadResString(kOntoItself), kError, MB_OK | MB_TOPMOST);
        return;
    }
    STORE_INFORMATION store = {};
    if (storeInformation(&store) && store.dwFreeSize < entry->size + kSpareBytes &&
        ShowBox(owner, LoadResString(kLowSpace), kWarning, MB_YESNO | MB_TOPMOST) != IDYES)
        return;
    CopyIntoWindows(*entry, *name);
    host().NoteFontFileChange();
    RebuildCatalogue();
    FillLists();
}

DWORD FontsPage::CopyIntoWindows(FontFileEntry& entry, const std::wstring& newName) {
    DWORD error = 0;
    std::wstring source;
    if (entry.romIndex >= 0) {
        // A ROM file is first written out whole; that copy stays after an install that worked.
        const BYTE* bytes = entry.LoadContent();
        std::optional<std::wstring> copy = WholePath(std::wstring(L"\\Windows\\") + entry.FileName() + L"_str");
        if (!bytes) error = ERROR_OUTOFMEMORY;
        else if (!copy) error = ERROR_FILENAME_EXCED_RANGE;
        if (error == 0) {
            source = *copy;
            DeleteFileW(source.c_str());
            FileHandle file(CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) {
                error = GetLastError();
                if (error == 0) error = ERROR_GEN_FAILURE;
            }
            if (error == 0) error = WriteWhole(file.get(), bytes, entry.size);
        }
        entry.ReleaseContent();
    } else {
        source = entry.RealPath();
    }
    // A file from outside \Windows: its owner is asked whether to keep it once the copy is made.
    const bool keepQuestion = entry.romIndex < 0 && !entry.active;

    const std::wstring destination = kInstalledPrefix + newName;
    const std::wstring displaced = destination + kDisplacedSuffix;
    if (error == 0 && displaced.size() >= MAX_PATH) error = ERROR_FILENAME_EXCED_RANGE;
    // An installed font of that name goes out of the way first (it may be in use, and a copy
    // over it that runs out of room would leave it cut short); a failed copy puts it back whole.
    bool movedAside = false;
    bool destinationIsOurs = false;   // a failed copy there leaves nothing of anyone else's
    // A folder of that name is not a font to replace: it would be moved away for good.
    const DWORD attributes = GetFileAttributesW(destination.c_str());
    if (error == 0 && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        error = ERROR_ACCESS_DENIED;
    if (error == 0) {
        if (MoveFileExW(destination.c_str(), displaced.c_str(), MOVEFILE_REPLACE_EXISTING)) movedAside = true;
        const DWORD moveError = movedAside ? 0 : GetLastError();
        destinationIsOurs = movedAside || moveError == ERROR_FILE_NOT_FOUND;
        // A font that cannot be moved may still take the copy over it.
        if (!CopyFileW(source.c_str(), destination.c_str(), FALSE)) {
            error = GetLastError();
            if (error == 0) error = ERROR_GEN_FAILURE;
            // What the copy wrote before the store filled up is no font.
            if (destinationIsOurs) DeleteFileW(destination.c_str());
            if (movedAside) MoveFileExW(displaced.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    if (error != 0) {
        // The ROM file's copy of an install that failed goes too, whole or cut short.
        if (entry.romIndex >= 0 && !source.empty()) DeleteFileW(source.c_str());
        ShowBox(nullptr, ErrorText(kCannotCopy, error), kError, MB_OK | MB_TOPMOST);
        return error;
    }
    // The box has no owner: while it is up the sheet works, and a lookup may put another file
    // where the entry was. The answer is about the file named in the question.
    if (keepQuestion) {
        const std::wstring question = FormatText(kTextChars, LoadResString(kKeepOriginal), source.c_str());
        if (ShowBox(nullptr, question, IDS_APP_TITLE, MB_YESNO | MB_TOPMOST) == IDNO) DeleteFileW(source.c_str());
    }
    DeleteFileW(displaced.c_str());
    return 0;
}

void FontsPage::RemoveSelected(bool deleteIt) {
    FontFileEntry* entry = EntryOfSelection(activeList);
    if (!entry) return;
    const HWND owner = host().MessageOwner();
    if (entry->romIndex >= 0 || entry->inRom) {
        ShowBox(owner, LoadResString(kNotFromRom), kError, MB_OK | MB_TOPMOST);
        return;
    }
    if (deleteIt &&
        ShowBox(owner, FormatText(kTextChars, LoadResString(kDeleteQuestion), entry->FileName()), kConfirm, MB_YESNO) != IDYES)
        return;
    TakeOutFile(*entry, deleteIt);
    host().NoteFontFileChange();
    RebuildCatalogue();
    FillLists();
}

DWORD FontsPage::TakeOutFile(FontFileEntry& entry, bool deleteIt) {
    // Another file with the same bytes is a copy of this one: no backup then.
    if (!deleteIt && catalogue.HasCopyOf(entry)) deleteIt = true;
    DWORD error = 0;
    const std::optional<std::wstring> temporary =
        WholePath(kTakenOutPrefix + std::wstring(entry.FileName()) + kTakenOutSuffix);
    if (!temporary) error = ERROR_FILENAME_EXCED_RANGE;
    if (error == 0 && !deleteIt) {
        const std::optional<std::wstring> backup = BackupPath(entry.FileName());
        if (!backup) {
            error = ERROR_FILENAME_EXCED_RANGE;
        } else if (!CopyFileW(entry.RealPath(), backup->c_str(), FALSE)) {
            error = GetLastError();
            if (error == 0) error = ERROR_GEN_FAILURE;   // without its backup the font stays
        }
    }
    if (error == 0) {
        DeleteFileW(temporary->c_str());
        if (!MoveFileW(entry.RealPath(), temporary->c_str())) error = GetLastError();
        // While the system holds the font this fails; the next start deletes the file.
        DeleteFileW(temporary->c_str());
    }
    if (error != 0) ShowBox(nullptr, ErrorText(kCannotRemove, error), kError, MB_OK | MB_TOPMOST);
    return error;
}

void FontsPage::EnableButtons(bool install, bool remove) {
    EnableWindow(GetDlgItem(hwnd, IDC_FONTS_INSTALL), install);
    EnableWindow(GetDlgItem(hwnd, IDC_FONTS_REMOVE), remove);
    EnableWindow(GetDlgItem(hwnd, IDC_FONTS_DELETE), remove);
}

bool FontsPage::OnCommand(WORD id, WORD code) {
    if (filling || code != BN_CLICKED) return true;
    if (id == IDC_FONTS_LOOKUP) catalogueShown_ = false;
    EnsureCatalogue();
    switch (id) {
    case IDC_FONTS_INSTALL: InstallSelected(); break;
    case IDC_FONTS_DELETE: RemoveSelected(true); break;
    case IDC_FONTS_REMOVE: RemoveSelected(false); break;
    }
    return true;
}

std::optional<LRESULT> FontsPage::OnNotify(const NMHDR& header) {
    if (header.code == static_cast<UINT>(PSN_SETACTIVE)) {
        // The start visits every page; the catalogue waits until the user first comes here.
        if (host().SheetComplete()) EnsureCatalogue();
        return std::nullopt;
    }
    if (filling) return std::nullopt;
    if (header.hwndFrom == fileList && header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        // Only the row that becomes selected counts: the one losing its selection says nothing.
        const bool selected = (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
                              !(change.uOldState & LVIS_SELECTED);
        if (selected && change.iItem >= 0 && change.iItem < catalogue.count && change.iItem != selectedFile) {
            selectedFile = change.iItem;
            FillLists();
        }
    } else if (header.code == static_cast<UINT>(NM_SETFOCUS)) {
        if (header.idFrom == IDC_FONTS_FILES) EnableButtons(true, false);
        else if (header.idFrom == IDC_FONTS_ACTIVE) EnableButtons(false, true);
    } else if (header.code == static_cast<UINT>(NM_KILLFOCUS)) {
        if (header.idFrom == IDC_FONTS_FILES || header.idFrom == IDC_FONTS_ACTIVE) EnableButtons(true, true);
    }
    return std::nullopt;
}

void FontsPage::OnSettingChange() { ClearVerticalScrollBar(hwnd); }

std::optional<BOOL> FontsPage::OnOtherMessage(UINT message, WPARAM, LPARAM) {
    if (message == WM_PAINT) {
        ClearVerticalScrollBar(hwnd);
        // A relayout gave the lists other widths and the label its template's empty text.
        if (SizeColumns() && catalogueShown_) ShowFullName();
    }
    return std::nullopt;
}

std::unique_ptr<SettingsPage> CreateFontsPage(PageHost& host) { return std::make_unique<FontsPage>(host); }
