// The device's Open dialog: the files of the chosen type in every place it was made with that is
// there, and in their folders one level down, or in one chosen folder, in a list sorted by a tap
// on a column; a tap on a file opens it.
#include <algorithm>

#include "base/strings.h"
#include "platform/file_dialog_base.h"
#include "resources/resource.h"

namespace {

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

class OpenDialog : public FileDialogBase {
public:
    OpenDialog(OPENFILENAMEW& ofn, std::span<const DocumentRoot> roots) : FileDialogBase(ofn, IDS_FD_OPEN_TITLE, roots) {}

private:
    void Start() override {
        AddChoice(IDC_FILE_FOLDER_LABEL, IDS_FD_FOLDER, IDC_FILE_FOLDER);
        AddChoice(IDC_FILE_TYPE_LABEL, IDS_FD_TYPE, IDC_FILE_TYPE);
        HWND list = Add(WC_LISTVIEWW, IDC_FILE_LIST, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, 0,
                        WS_EX_CLIENTEDGE);
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
        FinishControls();
        FillFolders();
        FillList();
    }

    int FirstFocus() const override { return IDC_FILE_LIST; }

    void LayOutFields(const Grid& grid) override {
        const int gap = grid.gap, row = grid.row;
        int listTop;
        if (grid.width > grid.height) {   // a wide work area: both choices in one row
            const int half = (grid.width - 3 * gap) / 2;
            grid.Choice(IDC_FILE_FOLDER_LABEL, IDC_FILE_FOLDER, gap, gap, half, true);
            grid.Choice(IDC_FILE_TYPE_LABEL, IDC_FILE_TYPE, 2 * gap + half, gap, half, true);
            listTop = gap + row;
        } else {
            grid.Choice(IDC_FILE_FOLDER_LABEL, IDC_FILE_FOLDER, gap, gap, grid.width - 2 * gap, true);
            grid.Choice(IDC_FILE_TYPE_LABEL, IDC_FILE_TYPE, gap, gap + row, grid.width - 2 * gap, true);
            listTop = gap + 2 * row;
        }
        HWND list = Control(IDC_FILE_LIST);
        grid.Put(IDC_FILE_LIST, gap, listTop, grid.width - 2 * gap, grid.height - grid.bar - gap - listTop);
        RECT client;
        GetClientRect(list, &client);
        const int columns = client.right - GetSystemMetrics(SM_CXVSCROLL);
        const int shares[kColumnCount] = {34, 20, 30, 16};
        for (int i = 0; i < kColumnCount; ++i) ListView_SetColumnWidth(list, i, std::max(1, columns * shares[i] / 100));
    }

    void Command(int id, int code) override {
        if (id == IDOK) Accept(ListView_GetNextItem(Control(IDC_FILE_LIST), -1, LVNI_SELECTED));
        else if (code == CBN_SELCHANGE && (id == IDC_FILE_FOLDER || id == IDC_FILE_TYPE)) FillList();
    }

    void Notify(const NMHDR& header) override {
        if (header.idFrom != IDC_FILE_LIST) return;
        if (header.code == NM_CLICK || header.code == LVN_ITEMACTIVATE) {
            const int item = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
            if (item >= 0) Accept(item);
        } else if (header.code == LVN_COLUMNCLICK) {
            order_.Tap(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
            SortAndShow();
        }
    }

    // Says why a folder of the list cannot be read: the card it was on is out, or it is gone.
    void TellFolderGone(const std::wstring& folder) {
        const DocumentRoot* root = RemovableRootOf(roots_, folder);
        if (root && !IsPresent(*root)) Tell(IDS_FD_NO_CARD, MB_OK | MB_ICONEXCLAMATION);
        else Tell(IDS_FD_FOLDER_GONE, MB_OK | MB_ICONEXCLAMATION, folder);
    }

    // "All Folders", then each place that is there and its folders. The choice made is kept
    // where it still exists.
    void FillFolders() {
        HWND combo = Control(IDC_FILE_FOLDER);
        const int chosen = Choice(IDC_FILE_FOLDER);
        const std::wstring kept = chosen > 0 && static_cast<size_t>(chosen) <= folders_.size() ? folders_[chosen - 1].path : L"";
        folders_.clear();
        for (const DocumentRoot& root : roots_) {
            if (!IsPresent(root)) continue;
            const std::wstring label = LoadResString(root.folderLabel);
            folders_.push_back({root.path, label, root.named ? label : L""});
            for (const std::wstring& name : SubFolders(root.path)) {
                const std::wstring shown = root.named ? label + L"\\" + name : name;
                folders_.push_back({std::wstring(root.path) + L"\\" + name, shown, shown});
            }
        }

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
            TellFolderGone(folders_[chosen - 1].path);
            FillFolders();
            chosen = Choice(IDC_FILE_FOLDER);
        }
        const FileType& type = types_.at(ChosenType());
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
        SortEntries(entries_, order_);
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

    // Opens the file in the list's row, unless its path is too long for the caller, or it or its
    // folder went away in the meantime. The length comes first: a path too long for the device
    // to open is not there for it either, and "cannot be found" would not say why.
    void Accept(int row) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (row < 0 || !ListView_GetItem(Control(IDC_FILE_LIST), &item)) return;
        if (item.lParam < 0 || static_cast<size_t>(item.lParam) >= entries_.size()) return;
        const FileEntry entry = entries_[item.lParam];
        if (TooLong(entry.path)) return;
        const std::wstring folder = entry.path.substr(0, entry.path.rfind(L'\\'));
        if (!IsFolder(folder)) {
            TellFolderGone(folder);
            FillFolders();
            FillList();
            return;
        }
        const DWORD attributes = GetFileAttributesW(entry.path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Tell(IDS_FD_FILE_GONE, MB_OK | MB_ICONEXCLAMATION, entry.name);
            FillList();
            return;
        }
        Deliver(entry.path, Choice(IDC_FILE_TYPE));
    }

    std::vector<Place> folders_;      // the Folder choices after "All Folders"
    std::vector<FileEntry> entries_;  // the list's rows, in their order
    SortOrder order_;
};

}  // namespace

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn) { return RunFileDialog<OpenDialog>(ofn, kDocumentRoots); }
