// The device's file dialogs: GetSaveFileNameW and GetOpenFileNameW as the Pocket PC shows them.
// Each is a full-screen window below the navigation bar, laid out from the screen's size and laid
// out again when the screen turns. Save asks for a name, a folder of \My Documents (or of the
// storage card), a type and a location; Open lists the files of the chosen type in \My Documents,
// its folders one level down and the storage card's, and a tap on a file opens it. Documents live
// in those folders only, as on the device.
//
// The storage card is the folder \Storage Card of the object store: present while that folder
// exists. Whatever the user typed stays in the dialog when a choice cannot be honoured: the
// dialog says why and stays open.
#include <algorithm>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

#include "base/handles.h"
#include "base/strings.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {

// What CommDlgExtendedError reports: the last dialog's failure on this thread, 0 after a cancel.
thread_local DWORD lastDialogError = 0;

constexpr wchar_t kMainRoot[] = L"\\My Documents";
constexpr wchar_t kCardRoot[] = L"\\Storage Card";
constexpr wchar_t kUnsafeCharacters[] = L"\\/:*?\"<>|";
constexpr size_t kMaxTypes = 64;
constexpr int kCardLocation = 1;   // the Location choices: main memory, then the storage card

// One type of the caller's filter: its label and its patterns ("*.ov;*.txt").
struct FileType {
    std::wstring label;
    std::vector<std::wstring> patterns;
};

// A folder the dialogs offer: where it is, the name shown for it in the choices and in the list.
struct Place {
    std::wstring path;
    std::wstring label;
    std::wstring column;
};

struct FileEntry {
    std::wstring name;
    std::wstring folder;   // the list's Folder column
    std::wstring path;
    FILETIME written;
    ULONGLONG size;
};

enum Column { kNameColumn, kFolderColumn, kDateColumn, kSizeColumn, kColumnCount };

bool SameLetters(wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); }

// A file name against one pattern with "*" and "?", letter case ignored; "*.*" takes any name.
bool Matches(std::wstring_view name, std::wstring_view pattern) {
    if (pattern == L"*.*" || pattern == L"*") return true;
    size_t n = 0, p = 0, star = std::wstring_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            mark = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || SameLetters(pattern[p], name[n]))) {
            ++n;
            ++p;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

bool MatchesType(std::wstring_view name, const FileType& type) {
    return std::any_of(type.patterns.begin(), type.patterns.end(),
                       [name](const std::wstring& pattern) { return Matches(name, pattern); });
}

// The caller's filter: pairs of NUL-terminated label and patterns, ended by an empty string.
std::vector<FileType> ReadTypes(const wchar_t* filter) {
    std::vector<FileType> types;
    while (filter && *filter && types.size() < kMaxTypes) {
        FileType type{filter, {}};
        filter += type.label.size() + 1;
        if (!*filter) break;   // a label without patterns ends the list
        const std::wstring spec = filter;
        filter += spec.size() + 1;
        for (size_t start = 0; start <= spec.size();) {
            size_t end = std::min(spec.find(L';', start), spec.size());
            std::wstring pattern = spec.substr(start, end - start);
            pattern.erase(0, pattern.find_first_not_of(L' '));
            pattern.erase(pattern.find_last_not_of(L' ') + 1);
            if (!pattern.empty()) type.patterns.push_back(pattern);
            start = end + 1;
        }
        if (!type.patterns.empty()) types.push_back(std::move(type));
    }
    if (types.empty()) types.push_back({L"*.*", {L"*.*"}});
    return types;
}

// The extension a Save adds for a type: ".ov" for "*.ov"; none for "*.*" or a pattern with more
// wildcards.
std::wstring TypeExtension(const FileType& type) {
    const std::wstring& pattern = type.patterns.front();
    if (pattern.size() < 3 || pattern.compare(0, 2, L"*.") != 0) return {};
    if (pattern.find_first_of(L"*?", 2) != std::wstring::npos) return {};
    return pattern.substr(1);
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CardPresent() { return IsFolder(kCardRoot); }

bool OnCard(const std::wstring& path) {
    return path.size() >= wcslen(kCardRoot) && SameNameIgnoringCase(std::wstring_view(path).substr(0, wcslen(kCardRoot)), kCardRoot);
}

// Calls `visit` with the find data of every entry of a folder but "." and "..".
template <typename Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) visit(data);
    } while (FindNextFileW(find.get(), &data));
}

// The folders directly in `root`, by name.
std::vector<std::wstring> SubFolders(const std::wstring& root) {
    std::vector<std::wstring> names;
    ForEachEntry(root, [&names](const WIN32_FIND_DATAW& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(data.cFileName);
    });
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
    return names;
}

std::wstring DateText(const FILETIME& written) {
    FILETIME local;
    SYSTEMTIME time;
    wchar_t text[64] = {};
    if (FileTimeToLocalFileTime(&written, &local) && FileTimeToSystemTime(&local, &time))
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 64);
    return text;
}

std::wstring SizeText(ULONGLONG size) {
    constexpr ULONGLONG kKilo = 1024, kMega = 1024 * 1024;
    if (size < kKilo) return FormatText(32, LoadResString(IDS_FD_SIZE_BYTES), static_cast<unsigned>(size));
    if (size < kMega) return FormatText(32, LoadResString(IDS_FD_SIZE_KB), static_cast<unsigned>((size + kKilo - 1) / kKilo));
    const ULONGLONG tenths = size * 10 / kMega;
    return FormatText(32, LoadResString(IDS_FD_SIZE_MB), static_cast<unsigned>(tenths / 10), static_cast<unsigned>(tenths % 10));
}

std::wstring WindowString(HWND wnd) {
    std::wstring text(GetWindowTextLengthW(wnd) + 1, L'\0');
    text.resize(GetWindowTextW(wnd, text.data(), static_cast<int>(text.size())));
    return text;
}

// An empty full-screen dialog in the device's font; the dialog makes its controls itself.
std::vector<WORD> EmptyTemplate() {
    constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN | DS_SETFONT | DS_3DLOOK;
    std::vector<WORD> words = {
        LOWORD(kStyle), HIWORD(kStyle), 0, 0,   // style, no extended style
        0, 0, 0, 100, 100,                      // no items; position and size are set later
        0, 0, 0,                                // no menu, the dialog class, no title
        8,                                      // point size, then the face
    };
    for (const wchar_t* face = L"Tahoma"; *face; ++face) words.push_back(*face);
    words.push_back(0);
    return words;
}

class FileDialog {
public:
    FileDialog(OPENFILENAMEW& ofn, bool save)
        : ofn_(ofn), save_(save), types_(ReadTypes(ofn.lpstrFilter)),
          title_(ofn.lpstrTitle && *ofn.lpstrTitle ? ofn.lpstrTitle
                                                   : LoadResString(save ? IDS_FD_SAVE_TITLE : IDS_FD_OPEN_TITLE)) {}

    BOOL Run() {
        std::vector<WORD> words = EmptyTemplate();
        INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(words.data()),
                                                 ofn_.hwndOwner, Proc, reinterpret_cast<LPARAM>(this));
        if (result == -1) lastDialogError = CDERR_DIALOGFAILURE;
        return result == IDOK;
    }

private:
    static INT_PTR CALLBACK Proc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(wnd, DWLP_USER, lParam);
            reinterpret_cast<FileDialog*>(lParam)->wnd_ = wnd;
        }
        auto* self = reinterpret_cast<FileDialog*>(GetWindowLongPtrW(wnd, DWLP_USER));
        if (!self) return FALSE;
        try {
            return self->Handle(message, wParam, lParam);
        } catch (...) {   // nothing leaves a window procedure; the dialog stays as it was
            return FALSE;
        }
    }

    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_INITDIALOG:
            SetWindowTextW(wnd_, title_.c_str());
            MakeControls();
            if (save_) {
                StartSave();
            } else {
                FillOpenFolders();
                FillList();
            }
            Layout();
            SetFocus(GetDlgItem(wnd_, save_ ? IDC_FILE_NAME : IDC_FILE_LIST));
            return FALSE;
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY:
            return Notify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_DISPLAYCHANGE:
            TranslateDisplayChange(wnd_, lParam);
            return TRUE;
        case WM_SETTINGCHANGE:
            if (wParam == SETTINGCHANGE_RESET) Layout();
            return FALSE;
        }
        return FALSE;
    }

    void Command(int id, int code) {
        if (id == IDCANCEL) {
            lastDialogError = 0;
            EndDialog(wnd_, IDCANCEL);
        } else if (id == IDOK) {
            if (save_) AcceptSave();
            else AcceptOpen(ListView_GetNextItem(Control(IDC_FILE_LIST), -1, LVNI_SELECTED));
        } else if (code == CBN_SELCHANGE && save_ && id == IDC_FILE_LOCATION) {
            FillSaveFolders();
        } else if (code == CBN_DROPDOWN && save_ && id == IDC_FILE_LOCATION) {
            FillLocations();
        } else if (code == CBN_SELCHANGE && !save_ && (id == IDC_FILE_FOLDER || id == IDC_FILE_TYPE)) {
            FillList();
        }
    }

    INT_PTR Notify(const NMHDR& header) {
        if (header.idFrom != IDC_FILE_LIST) return FALSE;
        if (header.code == NM_CLICK || header.code == LVN_ITEMACTIVATE) {
            const int item = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
            if (item >= 0) AcceptOpen(item);
        } else if (header.code == LVN_COLUMNCLICK) {
            const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
            sortDown_ = column == sortColumn_ ? !sortDown_ : false;
            sortColumn_ = column;
            SortAndShow();
        }
        return FALSE;
    }

    // ---- Controls and layout --------------------------------------------------------------
    HWND Control(int id) const { return GetDlgItem(wnd_, id); }
    int Choice(int id) const { return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0)); }

    HWND Add(const wchar_t* windowClass, int id, DWORD style, UINT textId = 0, DWORD exStyle = 0) {
        HWND control = CreateWindowExW(exStyle, windowClass, textId ? LoadResString(textId) : L"",
                                       WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, wnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, SendMessageW(wnd_, WM_GETFONT, 0, 0), FALSE);
        return control;
    }

    void AddChoice(int labelId, UINT labelText, int comboId) {
        Add(L"STATIC", labelId, SS_LEFT | SS_NOPREFIX, labelText);
        Add(L"COMBOBOX", comboId, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
    }

    void MakeControls() {
        if (save_) {
            Add(L"STATIC", IDC_FILE_NAME_LABEL, SS_LEFT | SS_NOPREFIX, IDS_FD_NAME);
            Add(L"EDIT", IDC_FILE_NAME, ES_AUTOHSCROLL | WS_TABSTOP, 0, WS_EX_CLIENTEDGE);
            AddChoice(IDC_FILE_FOLDER_LABEL, IDS_FD_FOLDER, IDC_FILE_FOLDER);
            AddChoice(IDC_FILE_TYPE_LABEL, IDS_FD_TYPE, IDC_FILE_TYPE);
            AddChoice(IDC_FILE_LOCATION_LABEL, IDS_FD_LOCATION, IDC_FILE_LOCATION);
            Add(L"BUTTON", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, IDS_FD_OK);
        } else {
            AddChoice(IDC_FILE_FOLDER_LABEL, IDS_FD_FOLDER, IDC_FILE_FOLDER);
            AddChoice(IDC_FILE_TYPE_LABEL, IDS_FD_TYPE, IDC_FILE_TYPE);
            HWND list = Add(WC_LISTVIEWW, IDC_FILE_LIST, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                            0, WS_EX_CLIENTEDGE);
            ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
            const UINT captions[kColumnCount] = {IDS_FD_COLUMN_NAME, IDS_FD_COLUMN_FOLDER, IDS_FD_COLUMN_DATE, IDS_FD_COLUMN_SIZE};
            for (int i = 0; i < kColumnCount; ++i) {
                LVCOLUMNW column = {};
                column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
                column.fmt = i == kSizeColumn ? LVCFMT_RIGHT : LVCFMT_LEFT;
                column.pszText = const_cast<wchar_t*>(LoadResString(captions[i]));
                column.iSubItem = i;
                ListView_InsertColumn(list, i, &column);
            }
        }
        Add(L"BUTTON", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, IDS_FD_CANCEL);

        HWND types = Control(IDC_FILE_TYPE);
        for (const FileType& type : types_) SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type.label.c_str()));
        const DWORD index = ofn_.nFilterIndex;
        SendMessageW(types, CB_SETCURSEL, index >= 1 && index <= types_.size() ? index - 1 : 0, 0);
    }

    // The widest of the labels in the dialog's font.
    int LabelWidth() const {
        WindowDc dc(wnd_);
        DcSelection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(wnd_, WM_GETFONT, 0, 0)));
        int widest = 0;
        for (int id : {IDC_FILE_NAME_LABEL, IDC_FILE_FOLDER_LABEL, IDC_FILE_TYPE_LABEL, IDC_FILE_LOCATION_LABEL}) {
            if (!Control(id)) continue;
            const std::wstring text = WindowString(Control(id));
            SIZE size = {};
            GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
            widest = std::max<int>(widest, size.cx);
        }
        return widest;
    }

    // Fills the work area of the screen as it is now: rows of label and field from the top, the
    // buttons along the bottom where the menu bar is, the file list between them.
    void Layout() {
        const RECT area = DeviceDefaultWindowRect();
        const int width = area.right - area.left, height = area.bottom - area.top;
        SetWindowPos(wnd_, nullptr, area.left, area.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

        const int scale = std::max(1, DeviceDpi() / 96);
        const int gap = 4 * scale, row = 24 * scale, field = 20 * scale, dropped = 120 * scale;
        const int bar = kMenuBarHeight * scale;
        const int label = LabelWidth() + gap;
        auto place = [&](int id, int x, int y, int w, int h) {
            if (HWND control = Control(id)) MoveWindow(control, x, y, std::max(0, w), std::max(0, h), TRUE);
        };
        // A label and its field in one row, from x for `w` pixels.
        auto choice = [&](int labelId, int fieldId, int x, int y, int w, bool combo) {
            place(labelId, x, y + 3 * scale, label, field - 3 * scale);
            place(fieldId, x + label, y, w - label, combo ? field + dropped : field);
        };

        const int buttonY = height - bar + 2 * scale, buttonHeight = bar - 4 * scale;
        const int buttonWidth = (width - 3 * gap) / 2;
        place(IDCANCEL, width - gap - buttonWidth, buttonY, buttonWidth, buttonHeight);
        if (save_) {
            place(IDOK, gap, buttonY, buttonWidth, buttonHeight);
            const int w = width - 2 * gap;
            choice(IDC_FILE_NAME_LABEL, IDC_FILE_NAME, gap, gap, w, false);
            choice(IDC_FILE_FOLDER_LABEL, IDC_FILE_FOLDER, gap, gap + row, w, true);
            choice(IDC_FILE_TYPE_LABEL, IDC_FILE_TYPE, gap, gap + 2 * row, w, true);
            choice(IDC_FILE_LOCATION_LABEL, IDC_FILE_LOCATION, gap, gap + 3 * row, w, true);
            return;
        }
        int listTop;
        if (width > height) {   // landscape: both choices in one row
            const int half = (width - 3 * gap) / 2;
            choice(IDC_FILE_FOLDER_LABEL, IDC_FILE_FOLDER, gap, gap, half, true);
            choice(IDC_FILE_TYPE_LABEL, IDC_FILE_TYPE, 2 * gap + half, gap, half, true);
            listTop = gap + row;
        } else {
            choice(IDC_FILE_FOLDER_LABEL, IDC_FILE_FOLDER, gap, gap, width - 2 * gap, true);
            choice(IDC_FILE_TYPE_LABEL, IDC_FILE_TYPE, gap, gap + row, width - 2 * gap, true);
            listTop = gap + 2 * row;
        }
        HWND list = Control(IDC_FILE_LIST);
        place(IDC_FILE_LIST, gap, listTop, width - 2 * gap, height - bar - gap - listTop);
        RECT client;
        GetClientRect(list, &client);
        const int columns = client.right - GetSystemMetrics(SM_CXVSCROLL);
        const int shares[kColumnCount] = {34, 20, 30, 16};
        for (int i = 0; i < kColumnCount; ++i) ListView_SetColumnWidth(list, i, std::max(1, columns * shares[i] / 100));
    }

    int Tell(UINT textId, UINT style, const std::wstring& detail = {}) {
        const std::wstring text = FormatText(1024, LoadResString(textId), detail.c_str());
        return MessageBoxW(wnd_, text.c_str(), title_.c_str(), style);
    }

    // Hands the chosen path to the caller and closes the dialog.
    void Deliver(const std::wstring& path, int type) {
        CopyText(ofn_.lpstrFile, ofn_.nMaxFile, path);
        const size_t name = path.rfind(L'\\') + 1;
        const size_t dot = path.rfind(L'.');
        ofn_.nFileOffset = static_cast<WORD>(name);
        ofn_.nFileExtension = static_cast<WORD>(dot != std::wstring::npos && dot >= name ? dot + 1 : path.size());
        if (ofn_.lpstrFileTitle && ofn_.nMaxFileTitle) CopyText(ofn_.lpstrFileTitle, ofn_.nMaxFileTitle, path.substr(name));
        ofn_.nFilterIndex = static_cast<DWORD>(std::max(type, 0) + 1);
        lastDialogError = 0;
        EndDialog(wnd_, IDOK);
    }

    bool TooLong(const std::wstring& path) {
        if (path.size() < MAX_PATH && path.size() < ofn_.nMaxFile) return false;
        Tell(IDS_FD_TOO_LONG, MB_OK | MB_ICONEXCLAMATION, path);
        return true;
    }

    // ---- Save -----------------------------------------------------------------------------
    // The caller's file name (and its folder, or the initial folder) preselect the choices.
    void StartSave() {
        const std::wstring given(ofn_.lpstrFile, wcsnlen(ofn_.lpstrFile, ofn_.nMaxFile));
        const size_t slash = given.find_last_of(L"\\/");
        const std::wstring name = slash == std::wstring::npos ? given : given.substr(slash + 1);
        std::wstring folder = slash == std::wstring::npos ? std::wstring() : given.substr(0, slash);
        if (folder.empty() && ofn_.lpstrInitialDir) folder = ofn_.lpstrInitialDir;
        SetWindowTextW(Control(IDC_FILE_NAME), name.c_str());

        FillLocations();
        const bool card = OnCard(folder) && CardPresent();
        SendMessageW(Control(IDC_FILE_LOCATION), CB_SETCURSEL, card ? kCardLocation : 0, 0);
        FillSaveFolders();
        for (size_t i = 1; i < folders_.size(); ++i)
            if (SameNameIgnoringCase(folders_[i].path, folder))
                SendMessageW(Control(IDC_FILE_FOLDER), CB_SETCURSEL, i, 0);
    }

    // Main memory, and the storage card while it is there; the choice made is kept.
    void FillLocations() {
        HWND locations = Control(IDC_FILE_LOCATION);
        const int count = static_cast<int>(SendMessageW(locations, CB_GETCOUNT, 0, 0));
        if (count == 0) SendMessageW(locations, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadResString(IDS_FD_MAIN_MEMORY)));
        if (count <= kCardLocation && CardPresent())
            SendMessageW(locations, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadResString(IDS_FD_STORAGE_CARD)));
        if (Choice(IDC_FILE_LOCATION) < 0) SendMessageW(locations, CB_SETCURSEL, 0, 0);
    }

    // "None" (the location's own folder) and the folders directly in it.
    void FillSaveFolders() {
        const std::wstring root = Choice(IDC_FILE_LOCATION) == kCardLocation ? kCardRoot : kMainRoot;
        folders_.assign(1, Place{root, LoadResString(IDS_FD_NO_FOLDER_CHOICE), {}});
        for (const std::wstring& name : SubFolders(root)) folders_.push_back({root + L"\\" + name, name, name});
        // A caller's initial folder outside the documents (a theme's \Windows) is offered too.
        if (root == kMainRoot && ofn_.lpstrInitialDir && IsFolder(ofn_.lpstrInitialDir) &&
            !StartsWithIgnoringCase(ofn_.lpstrInitialDir, kMainRoot) && !OnCard(ofn_.lpstrInitialDir)) {
            std::wstring extra = ofn_.lpstrInitialDir;
            const std::wstring name = extra.substr(extra.find_last_of(L'\\') + 1);
            folders_.push_back({extra, name, name});
        }
        HWND combo = Control(IDC_FILE_FOLDER);
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const Place& place : folders_) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(place.label.c_str()));
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
    }

    // Stays open, saying why, unless the name and the choices give a path the caller can have.
    void AcceptSave() {
        HWND nameBox = Control(IDC_FILE_NAME);
        std::wstring name = WindowString(nameBox);
        name.erase(0, name.find_first_not_of(L' '));
        name.erase(name.find_last_not_of(L". ") + 1);   // the file system drops trailing dots and spaces
        auto refuse = [&](UINT textId, const std::wstring& detail = {}) {
            Tell(textId, MB_OK | MB_ICONEXCLAMATION, detail);
            SetFocus(nameBox);
        };
        if (name.empty()) return refuse(IDS_FD_EMPTY_NAME);
        if (name.find_first_of(kUnsafeCharacters) != std::wstring::npos ||
            std::any_of(name.begin(), name.end(), [](wchar_t c) { return c < 32; }))
            return refuse(IDS_FD_BAD_CHARACTERS);
        if (Choice(IDC_FILE_LOCATION) == kCardLocation && !CardPresent()) return refuse(IDS_FD_NO_CARD);
        const int folder = Choice(IDC_FILE_FOLDER);
        const Place place = folders_.at(folder >= 0 && static_cast<size_t>(folder) < folders_.size() ? folder : 0);
        if (!IsFolder(place.path)) {
            refuse(IDS_FD_FOLDER_GONE, place.path);
            FillSaveFolders();
            return;
        }

        const int type = std::max(0, Choice(IDC_FILE_TYPE));
        std::wstring extension = TypeExtension(types_.at(std::min<size_t>(type, types_.size() - 1)));
        if (extension.empty() && ofn_.lpstrDefExt && *ofn_.lpstrDefExt && name.find(L'.') == std::wstring::npos)
            extension = std::wstring(L".") + ofn_.lpstrDefExt;
        if (!EndsWithIgnoringCase(name, extension)) name += extension;
        const std::wstring path = place.path + L"\\" + name;
        if (TooLong(path)) {
            SetFocus(nameBox);
            return;
        }

        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) return refuse(IDS_FD_IS_FOLDER, name);
            if ((ofn_.Flags & OFN_OVERWRITEPROMPT) && Tell(IDS_FD_REPLACE, MB_YESNO | MB_ICONQUESTION, name) != IDYES) {
                SetFocus(nameBox);
                return;
            }
        }
        Deliver(path, type);
    }

    // ---- Open -----------------------------------------------------------------------------
    // "All Folders", then \My Documents, its folders, and the storage card and its folders while
    // the card is there. The choice made is kept where it still exists.
    void FillOpenFolders() {
        HWND combo = Control(IDC_FILE_FOLDER);
        const int chosen = Choice(IDC_FILE_FOLDER);
        const std::wstring kept = chosen > 0 && static_cast<size_t>(chosen) <= folders_.size() ? folders_[chosen - 1].path : L"";
        folders_.clear();
        auto addRoot = [this](const wchar_t* root, UINT labelId, bool rootColumn) {
            const std::wstring label = LoadResString(labelId);
            folders_.push_back({root, label, rootColumn ? label : L""});
            for (const std::wstring& name : SubFolders(root)) {
                const std::wstring shown = rootColumn ? label + L"\\" + name : name;
                folders_.push_back({std::wstring(root) + L"\\" + name, shown, shown});
            }
        };
        addRoot(kMainRoot, IDS_FD_MY_DOCUMENTS, false);
        if (CardPresent()) addRoot(kCardRoot, IDS_FD_STORAGE_CARD, true);

        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadResString(IDS_FD_ALL_FOLDERS)));
        int select = 0;
        for (size_t i = 0; i < folders_.size(); ++i) {
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folders_[i].label.c_str()));
            if (!kept.empty() && SameNameIgnoringCase(folders_[i].path, kept)) select = static_cast<int>(i) + 1;
        }
        SendMessageW(combo, CB_SETCURSEL, select, 0);
    }

    // The files of the chosen type in the chosen folder (or in all of them).
    void FillList() {
        int chosen = Choice(IDC_FILE_FOLDER);
        if (chosen > 0 && static_cast<size_t>(chosen) <= folders_.size() && !IsFolder(folders_[chosen - 1].path)) {
            const std::wstring gone = folders_[chosen - 1].path;
            if (OnCard(gone) && !CardPresent()) Tell(IDS_FD_NO_CARD, MB_OK | MB_ICONEXCLAMATION);
            else Tell(IDS_FD_FOLDER_GONE, MB_OK | MB_ICONEXCLAMATION, gone);
            FillOpenFolders();
            chosen = Choice(IDC_FILE_FOLDER);
        }
        const FileType& type = types_.at(std::min<size_t>(std::max(0, Choice(IDC_FILE_TYPE)), types_.size() - 1));
        entries_.clear();
        for (size_t i = 0; i < folders_.size(); ++i) {
            if (chosen > 0 && static_cast<size_t>(chosen) != i + 1) continue;
            const Place& place = folders_[i];
            ForEachEntry(place.path, [&](const WIN32_FIND_DATAW& data) {
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || !MatchesType(data.cFileName, type)) return;
                entries_.push_back({data.cFileName, place.column, place.path + L"\\" + data.cFileName, data.ftLastWriteTime,
                                    (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
            });
        }
        SortAndShow();
    }

    void SortAndShow() {
        auto byName = [](const FileEntry& a, const FileEntry& b) { return lstrcmpiW(a.name.c_str(), b.name.c_str()); };
        auto order = [&](const FileEntry& a, const FileEntry& b) {
            int difference = 0;
            switch (sortColumn_) {
            case kFolderColumn: difference = lstrcmpiW(a.folder.c_str(), b.folder.c_str()); break;
            case kDateColumn: difference = CompareFileTime(&a.written, &b.written); break;
            case kSizeColumn: difference = a.size < b.size ? -1 : a.size > b.size ? 1 : 0; break;
            }
            if (difference == 0) difference = byName(a, b);
            return sortDown_ ? difference > 0 : difference < 0;
        };
        std::stable_sort(entries_.begin(), entries_.end(), order);

        HWND list = Control(IDC_FILE_LIST);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ListView_DeleteAllItems(list);
        for (size_t i = 0; i < entries_.size(); ++i) {
            const FileEntry& entry = entries_[i];
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<wchar_t*>(entry.name.c_str());
            item.lParam = static_cast<LPARAM>(i);
            const int row = ListView_InsertItem(list, &item);
            const std::wstring cells[] = {entry.folder, DateText(entry.written), SizeText(entry.size)};
            for (int column = kFolderColumn; column < kColumnCount; ++column)
                ListView_SetItemText(list, row, column, const_cast<wchar_t*>(cells[column - 1].c_str()));
        }
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }

    // Opens the file in the list's row, unless it or its folder went away in the meantime.
    void AcceptOpen(int row) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (row < 0 || !ListView_GetItem(Control(IDC_FILE_LIST), &item)) return;
        if (item.lParam < 0 || static_cast<size_t>(item.lParam) >= entries_.size()) return;
        const FileEntry entry = entries_[item.lParam];
        const std::wstring folder = entry.path.substr(0, entry.path.rfind(L'\\'));
        if (!IsFolder(folder)) {
            if (OnCard(folder) && !CardPresent()) Tell(IDS_FD_NO_CARD, MB_OK | MB_ICONEXCLAMATION);
            else Tell(IDS_FD_FOLDER_GONE, MB_OK | MB_ICONEXCLAMATION, folder);
            FillOpenFolders();
            FillList();
            return;
        }
        const DWORD attributes = GetFileAttributesW(entry.path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Tell(IDS_FD_FILE_GONE, MB_OK | MB_ICONEXCLAMATION, entry.name);
            FillList();
            return;
        }
        if (TooLong(entry.path)) return;
        Deliver(entry.path, Choice(IDC_FILE_TYPE));
    }

    OPENFILENAMEW& ofn_;
    const bool save_;
    const std::vector<FileType> types_;
    const std::wstring title_;
    HWND wnd_ = nullptr;
    std::vector<Place> folders_;     // Save: the folder choices; Open: those after "All Folders"
    std::vector<FileEntry> entries_; // Open: the list's rows, in their order
    int sortColumn_ = kNameColumn;
    bool sortDown_ = false;
};

BOOL RunFileDialog(OPENFILENAMEW* ofn, bool save) {
    lastDialogError = 0;
    if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEW) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400W)) {
        lastDialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        lastDialogError = CDERR_INITIALIZATION;
        return FALSE;
    }
    try {
        FileDialog dialog(*ofn, save);
        return dialog.Run();
    } catch (...) {
        lastDialogError = CDERR_MEMALLOCFAILURE;
        return FALSE;
    }
}

}  // namespace

BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn) { return RunFileDialog(ofn, true); }

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn) { return RunFileDialog(ofn, false); }

DWORD WINAPI CommDlgExtendedError() { return lastDialogError; }
