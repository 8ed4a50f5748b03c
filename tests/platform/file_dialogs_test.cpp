// The device's file dialogs, driven as a user would: typing, choosing, tapping; and what they say
// to input they cannot take.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/strings.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

constexpr wchar_t kFilter[] = L"Orvanel config\0*.ov\0All files\0*.*\0";
constexpr wchar_t kFolder[] = L"\\My Documents\\Dialog test";
constexpr wchar_t kCard[] = L"\\Storage Card";

// \My Documents with a folder of the test's own, and a storage card; what the test made goes
// again at its end.
class FileDialogs : public testing::Test {
protected:
    void SetUp() override {
        SetDeviceScreenForTests(240, 320, 96);
        madeDocuments_ = CreateDirectoryW(L"\\My Documents", nullptr);
        madeCard_ = CreateDirectoryW(kCard, nullptr);
        CreateDirectoryW(kFolder, nullptr);
    }
    void TearDown() override {
        for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
            DeleteFileW(it->c_str());
            RemoveDirectoryW(it->c_str());
        }
        RemoveDirectoryW(kFolder);
        if (madeCard_) RemoveDirectoryW(kCard);
        if (madeDocuments_) RemoveDirectoryW(L"\\My Documents");
        SetDeviceScreenForTests(0, 0, 0);
    }

    // A file of `size` bytes, removed at the end; a folder when size is negative.
    void Make(const std::wstring& path, int size) {
        files_.push_back(path);
        if (size < 0) {
            CreateDirectoryW(path.c_str(), nullptr);
            return;
        }
        WriteStoreFile(path.c_str(), std::string(size, 'x').c_str());
    }

    // Runs a dialog; `drive` gets it as it opens and must end it. Message boxes it raises are
    // answered by `presses`, in order.
    BOOL Run(bool save, std::function<void(HWND)> drive, ModalScript& script, std::initializer_list<int> presses = {},
             const wchar_t* initial = L"") {
        path_.assign(MAX_PATH, L'\0');
        lstrcpynW(path_.data(), initial, MAX_PATH);
        ofn_ = {};
        ofn_.lStructSize = sizeof ofn_;
        ofn_.lpstrFilter = kFilter;
        ofn_.nFilterIndex = 1;
        ofn_.lpstrFile = path_.data();
        ofn_.nMaxFile = MAX_PATH;
        ofn_.lpstrTitle = save ? L"Export to:" : L"Import from:";
        ofn_.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        script.Then(std::move(drive));
        for (int press : presses) script.Press(press);
        return save ? GetSaveFileNameW(&ofn_) : GetOpenFileNameW(&ofn_);
    }
    std::wstring Chosen() const { return path_.c_str(); }

    std::vector<std::wstring> files_;
    std::wstring path_;
    OPENFILENAMEW ofn_{};
    bool madeDocuments_ = false, madeCard_ = false;
};

void Choose(HWND dialog, int id, const wchar_t* text) {
    HWND combo = GetDlgItem(dialog, id);
    const LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text));
    ASSERT_NE(index, CB_ERR) << testing::PrintToString(std::wstring(text));
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// Types a name into the Save dialog and presses OK.
void SaveAs(HWND dialog, const std::wstring& name) {
    SetDlgItemTextW(dialog, IDC_FILE_NAME, name.c_str());
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

std::wstring NameTyped(HWND dialog) { return WindowText(GetDlgItem(dialog, IDC_FILE_NAME)); }

// The list's rows of files this test made, "name|folder" each, in the list's order.
std::vector<std::wstring> Rows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    std::vector<std::wstring> rows;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        wchar_t name[MAX_PATH] = {}, folder[MAX_PATH] = {};
        ListView_GetItemText(list, i, 0, name, MAX_PATH);
        ListView_GetItemText(list, i, 1, folder, MAX_PATH);
        if (wcsncmp(name, L"dlg-", 4) == 0) rows.push_back(std::wstring(name) + L"|" + folder);
    }
    return rows;
}

int RowOf(HWND dialog, const wchar_t* name) {
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        wchar_t text[MAX_PATH] = {};
        ListView_GetItemText(list, i, 0, text, MAX_PATH);
        if (wcscmp(text, name) == 0) return i;
    }
    return -1;
}

void ListNotify(HWND dialog, UINT code, int item, int column = 0) {
    NMLISTVIEW note = {};
    note.hdr.hwndFrom = GetDlgItem(dialog, IDC_FILE_LIST);
    note.hdr.idFrom = IDC_FILE_LIST;
    note.hdr.code = code;
    note.iItem = item;
    note.iSubItem = column;
    SendMessageW(dialog, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&note));
}

void Tap(HWND dialog, const wchar_t* name) {
    NMITEMACTIVATE note = {};
    note.hdr.hwndFrom = GetDlgItem(dialog, IDC_FILE_LIST);
    note.hdr.idFrom = IDC_FILE_LIST;
    note.hdr.code = NM_CLICK;
    note.iItem = RowOf(dialog, name);
    SendMessageW(dialog, WM_NOTIFY, IDC_FILE_LIST, reinterpret_cast<LPARAM>(&note));
}

// Every visible control lies inside the dialog, and the dialog covers the screen below the
// navigation bar.
void ExpectFitsScreen(HWND dialog, const char* where) {
    RECT frame;
    GetWindowRect(dialog, &frame);
    const RECT area = DeviceDefaultWindowRect();
    EXPECT_TRUE(EqualRect(&frame, &area)) << where;
    int controls = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        if (GetDlgCtrlID(child) == IDC_FILE_FOLDER || GetDlgCtrlID(child) == IDC_FILE_TYPE ||
            GetDlgCtrlID(child) == IDC_FILE_LOCATION)
            r.bottom = r.top + 20;   // a closed drop-down list
        ++controls;
        EXPECT_TRUE(r.left >= frame.left && r.right <= frame.right && r.top >= frame.top && r.bottom <= frame.bottom &&
                    r.right > r.left && r.bottom > r.top)
            << where << ": control " << GetDlgCtrlID(child) << " at " << r.left << "," << r.top << "-" << r.right
            << "," << r.bottom;
    }
    EXPECT_GE(controls, 6) << where;   // Open: two choices, the list and Cancel
}

TEST_F(FileDialogs, SaveBuildsThePathFromNameFolderTypeAndLocation) {
    ModalScript script;
    // A folder of \My Documents and the first type: the type's extension is added.
    EXPECT_TRUE(Run(true, [](HWND dialog) {
        Choose(dialog, IDC_FILE_FOLDER, L"Dialog test");
        SaveAs(dialog, L"  report ");
    }, script));
    EXPECT_EQ(Chosen(), std::wstring(kFolder) + L"\\report.ov");
    EXPECT_EQ(ofn_.nFileOffset, wcslen(kFolder) + 1);
    EXPECT_EQ(std::wstring(path_.c_str() + ofn_.nFileExtension), L"ov");
    EXPECT_EQ(ofn_.nFilterIndex, 1u);

    // The storage card, no folder, a name that has the extension already.
    EXPECT_TRUE(Run(true, [](HWND dialog) {
        Choose(dialog, IDC_FILE_LOCATION, L"Storage Card");
        SaveAs(dialog, L"notes.OV");
    }, script));
    EXPECT_EQ(Chosen(), L"\\Storage Card\\notes.OV");

    // "All files" adds nothing; a path handed in preselects its folder and name.
    EXPECT_TRUE(Run(true, [](HWND dialog) {
        EXPECT_EQ(NameTyped(dialog), L"plain");
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_FILE_FOLDER)), L"Dialog test");
        Choose(dialog, IDC_FILE_TYPE, L"All files");
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }, script, {}, L"\\My Documents\\Dialog test\\plain"));
    EXPECT_EQ(Chosen(), std::wstring(kFolder) + L"\\plain");
    EXPECT_EQ(ofn_.nFilterIndex, 2u);

    // Cancel returns FALSE with no error, and leaves the caller's buffer alone.
    EXPECT_FALSE(Run(true, [](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_FILE_NAME, L"dropped");
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }, script, {}, L"kept"));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(Chosen(), L"kept");
    EXPECT_EQ(script.seen().front().caption, L"Export to:");
}

TEST_F(FileDialogs, SaveRefusesBadInputAndKeepsWhatWasTyped) {
    Make(std::wstring(kFolder) + L"\\taken.ov", 5);
    Make(L"\\My Documents\\Dialog gone", -1);
    ModalScript script;
    std::vector<std::wstring> kept;
    const std::wstring longName(250, L'n');
    EXPECT_TRUE(Run(true, [&](HWND dialog) {
        for (const std::wstring& name : {std::wstring(L"   "), std::wstring(L"a:b?"), longName}) {
            SaveAs(dialog, name);
            kept.push_back(NameTyped(dialog));
        }
        Choose(dialog, IDC_FILE_FOLDER, L"Dialog gone");
        RemoveDirectoryW(L"\\My Documents\\Dialog gone");   // the folder goes while the dialog is open
        SaveAs(dialog, L"fresh");
        kept.push_back(NameTyped(dialog));

        Choose(dialog, IDC_FILE_LOCATION, L"Storage Card");
        MoveFileW(kCard, L"\\Card away");                     // the card is taken out
        SaveAs(dialog, L"fresh");
        kept.push_back(NameTyped(dialog));
        MoveFileW(L"\\Card away", kCard);

        Choose(dialog, IDC_FILE_LOCATION, L"Main memory");
        Choose(dialog, IDC_FILE_FOLDER, L"Dialog test");
        SaveAs(dialog, L"taken");                               // answered No: stays
        kept.push_back(NameTyped(dialog));
        SaveAs(dialog, L"taken");                               // answered Yes
    }, script, {IDOK, IDOK, IDOK, IDOK, IDOK, IDNO, IDYES}));

    EXPECT_EQ(kept, (std::vector<std::wstring>{L"   ", L"a:b?", longName, L"fresh", L"fresh", L"taken"}));
    EXPECT_EQ(Chosen(), std::wstring(kFolder) + L"\\taken.ov");
    const auto& seen = script.seen();
    ASSERT_EQ(seen.size(), 8u);
    EXPECT_EQ(seen[1].text, LoadResString(IDS_FD_EMPTY_NAME));
    EXPECT_EQ(seen[2].text, LoadResString(IDS_FD_BAD_CHARACTERS));
    EXPECT_EQ(seen[3].text, FormatText(1024, LoadResString(IDS_FD_TOO_LONG), (L"\\My Documents\\" + longName + L".ov").c_str()));
    EXPECT_EQ(seen[4].text, L"The folder \"\\My Documents\\Dialog gone\" no longer exists. Choose another folder.");
    EXPECT_EQ(seen[5].text, LoadResString(IDS_FD_NO_CARD));
    EXPECT_EQ(seen[6].text, L"\"taken.ov\" already exists.\nDo you want to replace it?");
    EXPECT_EQ(seen[7].text, seen[6].text);
    EXPECT_EQ(seen[1].caption, L"Export to:");
}

TEST_F(FileDialogs, SaveRefusesDeviceNamesBeforeAskingToReplace) {
    ModalScript script;
    std::vector<std::wstring> kept;
    const std::vector<std::wstring> names = {L"nul", L"CON.ov", L"Aux.txt", L"com1 ", L"lpt9."};
    EXPECT_FALSE(Run(true, [&](HWND dialog) {
        for (const std::wstring& name : names) {
            SaveAs(dialog, name);
            kept.push_back(NameTyped(dialog));
        }
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }, script, {IDOK, IDOK, IDOK, IDOK, IDOK}));
    EXPECT_EQ(kept, names);
    const auto& seen = script.seen();
    ASSERT_EQ(seen.size(), 6u);
    const wchar_t* trimmed[] = {L"nul", L"CON.ov", L"Aux.txt", L"com1", L"lpt9"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(seen[i + 1].text, FormatText(1024, LoadResString(IDS_FD_DEVICE_NAME), trimmed[i])) << i;
    EXPECT_EQ(seen[1].text.substr(0, 34), L"\"nul\" is the name of a device (CON");
}

TEST_F(FileDialogs, OpenSaysAPathIsTooLongBeforeLookingForTheFile) {
    // Too long for the device to open: there it is not found at all, as here once it is deleted.
    const std::wstring name = L"dlg-" + std::wstring(240, L'x') + L".ov";
    const std::wstring path = std::wstring(kFolder) + L"\\" + name;
    Make(path, 1);
    ModalScript script;
    EXPECT_FALSE(Run(false, [&](HWND dialog) {
        DeleteFileW(path.c_str());
        Tap(dialog, name.c_str());
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }, script, {IDOK}));
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(script.seen()[1].text, FormatText(1024, LoadResString(IDS_FD_TOO_LONG), path.c_str()));
}

TEST_F(FileDialogs, OpenListsTheTypesFilesSortsThemAndOpensATappedOne) {
    Make(L"\\My Documents\\dlg-b.ov", 10);
    Make(L"\\My Documents\\dlg-note.txt", 1);
    Make(std::wstring(kFolder) + L"\\dlg-a.ov", 5000);
    Make(std::wstring(kFolder) + L"\\Deeper", -1);
    Make(std::wstring(kFolder) + L"\\Deeper\\dlg-deep.ov", 1);   // two levels down: not listed
    Make(L"\\Storage Card\\dlg-c.ov", 200);
    ModalScript script;
    std::vector<std::vector<std::wstring>> seenRows;
    EXPECT_TRUE(Run(false, [&](HWND dialog) {
        seenRows.push_back(Rows(dialog));                    // by name
        ListNotify(dialog, LVN_COLUMNCLICK, -1, 3);          // by size
        seenRows.push_back(Rows(dialog));
        ListNotify(dialog, LVN_COLUMNCLICK, -1, 3);          // by size, largest first
        seenRows.push_back(Rows(dialog));
        Choose(dialog, IDC_FILE_TYPE, L"All files");
        seenRows.push_back(Rows(dialog));
        Choose(dialog, IDC_FILE_FOLDER, L"Dialog test");
        seenRows.push_back(Rows(dialog));
        Choose(dialog, IDC_FILE_FOLDER, L"All Folders");
        Choose(dialog, IDC_FILE_TYPE, L"Orvanel config");

        DeleteFileW(L"\\My Documents\\dlg-b.ov");            // gone before the tap
        Tap(dialog, L"dlg-b.ov");
        seenRows.push_back(Rows(dialog));
        Tap(dialog, L"dlg-c.ov");
    }, script, {IDOK}));
    EXPECT_EQ(Chosen(), L"\\Storage Card\\dlg-c.ov");
    EXPECT_EQ(ofn_.nFilterIndex, 1u);

    using Names = std::vector<std::wstring>;
    ASSERT_EQ(seenRows.size(), 6u);
    EXPECT_EQ(seenRows[0], (Names{L"dlg-a.ov|Dialog test", L"dlg-b.ov|", L"dlg-c.ov|Storage Card"}));
    EXPECT_EQ(seenRows[1], (Names{L"dlg-b.ov|", L"dlg-c.ov|Storage Card", L"dlg-a.ov|Dialog test"}));
    EXPECT_EQ(seenRows[2], (Names{L"dlg-a.ov|Dialog test", L"dlg-c.ov|Storage Card", L"dlg-b.ov|"}));
    EXPECT_EQ(seenRows[3], (Names{L"dlg-a.ov|Dialog test", L"dlg-c.ov|Storage Card", L"dlg-b.ov|", L"dlg-note.txt|"}));
    EXPECT_EQ(seenRows[4], (Names{L"dlg-a.ov|Dialog test"}));
    EXPECT_EQ(seenRows[5], (Names{L"dlg-a.ov|Dialog test", L"dlg-c.ov|Storage Card"}));
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(script.seen()[1].text, L"The file \"dlg-b.ov\" cannot be found.");

    // Without a card its files are not offered; Cancel gives FALSE and no error.
    MoveFileW(kCard, L"\\Card away");
    EXPECT_FALSE(Run(false, [&](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_FILE_FOLDER, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"Storage Card")),
                  CB_ERR);
        EXPECT_EQ(Rows(dialog), (std::vector<std::wstring>{L"dlg-a.ov|Dialog test"}));
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }, script));
    MoveFileW(L"\\Card away", kCard);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(FileDialogs, BothFitEveryScreenAndTurnWithIt) {
    struct Screen { int width, height, dpi; };
    for (Screen screen : {Screen{240, 320, 96}, Screen{480, 640, 192}}) {
        for (bool save : {true, false}) {
            SetDeviceScreenForTests(screen.width, screen.height, screen.dpi);
            ModalScript script;
            EXPECT_FALSE(Run(save, [&](HWND dialog) {
                const std::string where = std::to_string(screen.width) + (save ? " save" : " open");
                ExpectFitsScreen(dialog, where.c_str());
                SetDeviceScreenForTests(screen.height, screen.width, screen.dpi);   // the screen turns
                SendMessageW(dialog, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
                ExpectFitsScreen(dialog, (where + " turned").c_str());
                SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }, script));
        }
    }
}

}  // namespace
