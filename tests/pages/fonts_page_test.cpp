// The font catalogue of the test device (ROM on R:, object store on O:) and the Fonts page on the
// real sheet: what is listed and active, and what Install, Remove and Delete do to the files.
// Every file and folder a test (or the page) makes is removed again at its end.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "pages/fonts/fonts_page.h"
#include "resources/resource.h"
#include "store/registry.h"
#include "support/app_fixture.h"
#include "support/font_bytes.h"
#include "support/modal.h"

namespace {

using fontbytes::Bytes;
constexpr wchar_t kInstallKey[] = L"Software\\Apps\\Talvern Software Orvanel";

void Tree(const std::wstring& folder, std::set<std::wstring>& paths) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        paths.insert(folder + L"\\" + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Tree(folder + L"\\" + name, paths);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

std::set<std::wstring> DeviceFiles() {
    std::set<std::wstring> paths;
    Tree(L"O:", paths);
    Tree(L"R:", paths);
    return paths;
}

DWORD freeBytes = 0x7FFFFFFF;
BOOL FakeStore(STORE_INFORMATION* info) {
    info->dwStoreSize = 0x7FFFFFFF;
    info->dwFreeSize = freeBytes;
    return TRUE;
}

class FontsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        before = DeviceFiles();
        installDir = QueryRegistryString(HKEY_LOCAL_MACHINE, kInstallKey, L"InstallDir", 960);
        installKeyExisted = KeyExists(kInstallKey, nullptr);
        freeBytes = 0x7FFFFFFF;
    }
    void TearDown() override {
        AppTest::TearDown();
        std::set<std::wstring> now = DeviceFiles();
        for (auto path = now.rbegin(); path != now.rend(); ++path)   // deepest first
            if (!before.count(*path) && !DeleteFileW(path->c_str())) RemoveDirectoryW(path->c_str());
        if (!installKeyExisted) DeleteKeyTree(HKEY_LOCAL_MACHINE, kInstallKey);
        else if (installDir) SetInstallDir(*installDir);
        else RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kInstallKey, L"InstallDir");
    }
    // Writes a file, making its folders; a path without a drive lies in the object store.
    static void Put(const std::wstring& path, const Bytes& bytes) {
        for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
            CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << testing::PrintToString(path);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    static Bytes Sized(size_t size) { return Bytes(size, 0x5A); }
    static void SetInstallDir(const std::wstring& dir) {
        SetRegistryValue(HKEY_LOCAL_MACHINE, kInstallKey, L"InstallDir", REG_SZ, dir.c_str(),
                         static_cast<DWORD>((dir.size() + 1) * sizeof(wchar_t)));
    }
    // Starts the program and shows the page, as the user tapping "Fonts".
    void Open() {
        StartProgram();
        page = FindPageAnswering<FontsPage>(session());
        ASSERT_NE(page, nullptr);
        page->storeInformation = FakeStore;
        EXPECT_EQ(ListView_GetItemCount(page->fileList), 0) << "nothing is looked for at start";
        PropSheet_SetCurSel(session().sheet, nullptr, 3);
    }
    std::vector<std::wstring> Rows(HWND list, int column = 0) {
        std::vector<std::wstring> rows;
        for (int i = 0; i < ListView_GetItemCount(list); ++i) {
            wchar_t text[300] = {};
            ListView_GetItemText(list, i, column, text, 300);
            rows.push_back(text);
        }
        return rows;
    }
    int Row(HWND list, const std::wstring& text) {
        std::vector<std::wstring> rows = Rows(list);
        auto found = std::find(rows.begin(), rows.end(), text);
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    }
    // The user taps a row.
    void Select(HWND list, const std::wstring& text) {
        const int row = Row(list, text);
        ASSERT_GE(row, 0) << testing::PrintToString(text);
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetSelectionMark(list, row);
    }
    void Press(int id) {
        SendMessageW(page->hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page->hwnd, id)));
    }
    // Install of the selected file under a typed name, then the answers to the boxes that follow.
    void Install(ModalScript& boxes, const std::wstring& file, const std::wstring& name,
                 std::initializer_list<int> answers = {}) {
        Select(page->fileList, file);
        boxes.Then([name](HWND dialog) {
            EXPECT_EQ(WindowText(dialog), L"Install as");
            SetDlgItemTextW(dialog, IDC_NAME_EDIT, name.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        for (int answer : answers) boxes.Press(answer);
        Press(IDC_FONTS_INSTALL);
    }

    FontsPage* page = nullptr;
    std::set<std::wstring> before;
    std::optional<std::wstring> installDir;
    bool installKeyExisted = false;
};

TEST_F(FontsTest, CatalogueOfRomAndStore) {
    const std::wstring rom = RomDirectory();
    Put(rom + L"Rom.ttf", fontbytes::FontNamed(u"Rom Sans"));
    Put(rom + L"rom2.TTC", fontbytes::Collection());
    Put(rom + L"readme.txt", Sized(10));
    Put(L"\\Windows\\Rom.ttf", Sized(3000));           // overrides the ROM font
    Put(L"\\Windows\\ROM2.ttc", Sized(3001));          // other letter case: does not
    Put(L"\\Windows\\UPPER.TTF", fontbytes::Font({{1, 0, 0, 4, fontbytes::Narrow("Upper")}}));
    Put(L"\\Windows\\x.ttf.bak", Sized(50));
    Put(L"\\Windows\\Sub\\inner.ttf", Sized(3000));    // a twin of the override
    Put(L"\\My Documents\\a\\b\\c\\deep.ttf", Sized(fontbytes::FontNamed(u"Rom Sans").size()));
    // A font file whose path is longer than a path may be: skipped, not cut.
    std::wstring longFolder = L"\\Temp\\";
    while (longFolder.size() < 250) longFolder += L"folder-of-a-long-path\\";
    Put(longFolder + L"lost.ttf", Sized(77));

    FontCatalogue catalogue;
    catalogue.Rebuild(false);
    std::vector<std::wstring> paths;
    for (int i = 0; i < catalogue.count; ++i) paths.push_back(catalogue.entries[i].path);
    const std::vector<std::wstring> expected = {L"rom://Rom.ttf", L"rom://rom2.TTC", L"\\My Documents\\a\\b\\c\\deep.ttf",
                                                L"\\Windows\\ROM2.ttc", L"\\Windows\\Rom.ttf", L"\\Windows\\Sub\\inner.ttf",
                                                L"\\Windows\\UPPER.TTF"};
    std::vector<std::wstring> sorted = paths;
    std::sort(sorted.begin() + 2, sorted.end());
    ASSERT_EQ(sorted, expected) << "ROM files first; .ttf.bak, .txt and the long path left out";
    auto entry = [&](const wchar_t* path) -> FontFileEntry& {
        return catalogue.entries[std::find(paths.begin(), paths.end(), path) - paths.begin()];
    };
    EXPECT_FALSE(entry(L"rom://Rom.ttf").active);
    EXPECT_TRUE(entry(L"\\Windows\\Rom.ttf").overridesRom);
    EXPECT_TRUE(entry(L"rom://rom2.TTC").active);
    EXPECT_FALSE(entry(L"\\Windows\\ROM2.ttc").overridesRom);
    EXPECT_TRUE(entry(L"\\Windows\\UPPER.TTF").active);
    EXPECT_FALSE(entry(L"\\Windows\\Sub\\inner.ttf").active);
    EXPECT_FALSE(entry(L"\\My Documents\\a\\b\\c\\deep.ttf").active);
    // Twins: the override and the inner file; the deep file only twins the overridden ROM entry,
    // which itself is not marked.
    EXPECT_TRUE(entry(L"\\Windows\\Rom.ttf").sameSizeTwin);
    EXPECT_TRUE(entry(L"\\Windows\\Sub\\inner.ttf").sameSizeTwin);
    EXPECT_TRUE(entry(L"\\My Documents\\a\\b\\c\\deep.ttf").sameSizeTwin);
    EXPECT_FALSE(entry(L"rom://Rom.ttf").sameSizeTwin);
    EXPECT_FALSE(entry(L"\\Windows\\UPPER.TTF").sameSizeTwin);
    // Names from the ROM and the store; a collection; a file that is no font.
    EXPECT_STREQ(entry(L"rom://Rom.ttf").FullName(), L"Rom Sans");
    EXPECT_STREQ(entry(L"rom://rom2.TTC").FullName(), L"Font collection");
    EXPECT_STREQ(entry(L"\\Windows\\UPPER.TTF").FullName(), L"Upper");
    EXPECT_STREQ(entry(L"\\Windows\\Rom.ttf").FullName(), L" ");
    EXPECT_STREQ(entry(L"\\Windows\\Rom.ttf").RealPath(), L"\\Windows\\Rom.ttf");
    EXPECT_STREQ(entry(L"rom://Rom.ttf").RealPath(), L"Rom.ttf");
}

TEST_F(FontsTest, NoFontFileAnywhereLeavesBothListsEmptyAndTheButtonsQuiet) {
    Open();
    ModalScript noBoxes;
    for (int id : {IDC_FONTS_INSTALL, IDC_FONTS_REMOVE, IDC_FONTS_DELETE, IDC_FONTS_LOOKUP}) Press(id);
    EXPECT_EQ(ListView_GetItemCount(page->fileList), 0);
    EXPECT_EQ(ListView_GetItemCount(page->activeList), 0);
    EXPECT_EQ(session().marks.fontFiles(), 0);
    // The buttons follow the list in focus.
    SetFocus(page->activeList);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page->hwnd, IDC_FONTS_INSTALL)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page->hwnd, IDC_FONTS_DELETE)));
    SetFocus(page->fileList);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page->hwnd, IDC_FONTS_INSTALL)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page->hwnd, IDC_FONTS_REMOVE)));
    SetFocus(GetDlgItem(page->hwnd, IDC_FONTS_LOOKUP));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page->hwnd, IDC_FONTS_REMOVE)));
}

TEST_F(FontsTest, RomFontInstalledUnderItsOwnNameOverridesItUntilDeleted) {
    const Bytes font = fontbytes::FontNamed(u"Rom Sans");
    Put(RomDirectory() + std::wstring(L"romfont.ttf"), font);
    Open();
    EXPECT_EQ(Rows(page->fileList), std::vector<std::wstring>{L"rom://romfont.ttf"});
    EXPECT_EQ(WindowText(page->fullNameLabel), L"Full font name: Rom Sans");
    // A turn of the device keeps the name line and fits the columns to the lists' new widths.
    const int portraitWidth = ListView_GetColumnWidth(page->activeList, 1);
    SetDeviceScreenForTests(320, 240, 96);
    SendMessageW(program().mainWindow(), WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    UpdateWindow(page->hwnd);
    EXPECT_EQ(WindowText(page->fullNameLabel), L"Full font name: Rom Sans");
    EXPECT_NE(ListView_GetColumnWidth(page->activeList, 1), portraitWidth);
    {
        ModalScript boxes;
        Install(boxes, L"rom://romfont.ttf", L"romfont.ttf");
        EXPECT_EQ(boxes.seen().size(), 1u);
    }
    EXPECT_EQ(FileBytes(L"\\Windows\\romfont.ttf_str"), font);
    EXPECT_EQ(FileBytes(L"\\Windows\\romfont.ttf"), font);
    EXPECT_EQ(Rows(page->activeList), std::vector<std::wstring>{L"romfont.ttf (RAM)"});
    EXPECT_EQ(Rows(page->activeList, 1), std::vector<std::wstring>{L"Rom Sans"});
    EXPECT_EQ(session().marks.fontFiles(), 1);
    EXPECT_EQ(session().marks.changes(), 1);
    EXPECT_EQ(session().marks.resets(), 1);

    // Delete of the override asks, and the ROM font is active again.
    ModalScript boxes;
    boxes.Press(IDYES);
    Select(page->activeList, L"romfont.ttf (RAM)");
    Press(IDC_FONTS_DELETE);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].caption, L"Confirm");
    EXPECT_EQ(boxes.seen()[0].text, L"Are you sure you want to delete font \"romfont.ttf\" ?");
    EXPECT_FALSE(FileExists(L"\\Windows\\romfont.ttf"));
    EXPECT_EQ(Rows(page->activeList), std::vector<std::wstring>{L"romfont.ttf"});
    boxes.Press(IDOK);
    Select(page->activeList, L"romfont.ttf");
    Press(IDC_FONTS_REMOVE);
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(boxes.seen()[1].text, L"Orvanel can not delete file from ROM. Sorry.");
    EXPECT_EQ(session().marks.fontFiles(), 2);
}

TEST_F(FontsTest, InstallNamesMustBePlainAndNotTheFileItself) {
    const Bytes font = fontbytes::FontNamed(u"Self");
    Put(L"\\Windows\\Self.ttf", font);
    Open();
    const std::set<std::wstring> files = DeviceFiles();
    ModalScript boxes;
    for (const wchar_t* name : {L"..\\Temp\\x.ttf", L"\\Temp\\x.ttf", L"a/b.ttf", L"O:x.ttf", L"..", L"x.ttf.",
                                L"x.ttf ", L"wh?t.ttf", L"tab\t.ttf"})
        Install(boxes, L"\\Windows\\Self.ttf", name, {IDOK});
    // Names the program's own files take (deleted at the next start or by a later install), and
    // devices, which take a copy and keep nothing.
    for (const wchar_t* name : {L"delme_x.ttf", L"DelMe_Font", L"x.ttf_str", L"x.ttf_STR", L"x.ttf_Rename", L"NUL",
                                L"nul.ttf", L"Con .ttf", L"aux.font.ttf", L"COM1.ttf", L"lpt9"})
        Install(boxes, L"\\Windows\\Self.ttf", name, {IDOK});
    Install(boxes, L"\\Windows\\Self.ttf", L"Self.ttf", {IDOK});
    ASSERT_EQ(boxes.seen().size(), 42u);
    EXPECT_EQ(boxes.seen()[1].caption, L"Error");
    EXPECT_EQ(boxes.seen()[1].text.substr(0, 50), L"A font is installed under a plain file name: no fo");
    for (size_t i = 19; i < 41; i += 2) EXPECT_EQ(boxes.seen()[i].text, boxes.seen()[1].text) << i;
    EXPECT_EQ(boxes.seen()[41].text, L"Orvanel cowardly rejects to copy font onto itself.");
    EXPECT_EQ(DeviceFiles(), files) << "nothing copied, moved or deleted";
    EXPECT_EQ(session().marks.fontFiles(), 0);

    // A folder of the typed name is not replaced, nor moved away.
    Put(L"\\Windows\\Sub\\inner.ttf", Sized(5));
    Install(boxes, L"\\Windows\\Self.ttf", L"Sub", {IDOK});
    EXPECT_EQ(boxes.seen().back().text, L"Can not copy file (error #5). Reset the device and try again.");
    EXPECT_EQ(FileBytes(L"\\Windows\\Sub\\inner.ttf"), Sized(5));
    EXPECT_FALSE(FileExists(L"\\Windows\\Sub_rename"));

    // Another letter case is not the same name, but the same file: the copy onto itself fails,
    // and the file moved aside for it comes back.
    Install(boxes, L"\\Windows\\Self.ttf", L"self.ttf", {IDOK});
    EXPECT_EQ(boxes.seen().back().text.substr(0, 26), L"Can not copy file (error #");
    EXPECT_EQ(FileBytes(L"\\Windows\\Self.ttf"), font);
    EXPECT_EQ(session().marks.fontFiles(), 2);
}

// An installed font must be removable again: its name leaves room for Remove's backup in the
// program's folder and for the "\\Windows\\delme_<name>.del" that Remove and Delete move it to.
TEST_F(FontsTest, InstallNamesLeaveRoomForEveryPathOfTheFont) {
    CreateDirectoryW(L"\\Program Files", nullptr);
    CreateDirectoryW(L"\\Program Files\\Orvanel", nullptr);
    SetInstallDir(L"\\Program Files\\Orvanel");   // the backup's path limits the name to 236
    Put(L"\\Temp\\one.ttf", Sized(100));
    Put(L"\\Temp\\two.ttf", Sized(200));
    Open();
    ModalScript boxes;
    const std::wstring backedUp = std::wstring(232, L'b') + L".ttf";
    Install(boxes, L"\\Temp\\one.ttf", L"b" + backedUp, {IDOK});
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_NE(boxes.seen()[1].text.find(L"at most 236 characters"), std::wstring::npos) << boxes.seen()[1].text;
    EXPECT_FALSE(FileExists((L"\\Windows\\b" + backedUp).c_str()));
    Install(boxes, L"\\Temp\\one.ttf", backedUp, {IDNO});   // the original goes: no twin stands for the backup
    Select(page->activeList, backedUp);
    Press(IDC_FONTS_REMOVE);
    EXPECT_EQ(boxes.seen().size(), 4u) << "removed without an error";
    EXPECT_FALSE(FileExists((L"\\Windows\\" + backedUp).c_str()));
    EXPECT_EQ(FileBytes(L"\\Program Files\\Orvanel\\" + backedUp), Sized(100));

    SetInstallDir(L"\\B");   // now "\\Windows\\delme_<name>.del" limits it to 240
    const std::wstring deleted = std::wstring(236, L'd') + L".ttf";
    Install(boxes, L"\\Temp\\two.ttf", L"d" + deleted, {IDOK});
    ASSERT_EQ(boxes.seen().size(), 6u);
    EXPECT_NE(boxes.seen()[5].text.find(L"at most 240 characters"), std::wstring::npos) << boxes.seen()[5].text;
    Install(boxes, L"\\Temp\\two.ttf", deleted, {IDNO});
    ASSERT_TRUE(FileExists((L"\\Windows\\" + deleted).c_str()));
    Select(page->activeList, deleted);
    boxes.Press(IDYES);
    Press(IDC_FONTS_DELETE);
    ASSERT_EQ(boxes.seen().size(), 9u) << "the question only";
    EXPECT_FALSE(FileExists((L"\\Windows\\" + deleted).c_str()));
}

TEST_F(FontsTest, InstallFromAStorageCardKeepsTheOriginalOnlyOnYes) {
    Put(L"\\Storage Card\\Fonts\\card.ttf", Sized(1000));
    Put(L"\\Storage Card\\Fonts\\kept.ttf", Sized(1001));
    Open();
    ModalScript boxes;
    freeBytes = 1000 + 524287;   // one byte short: warned, and No copies nothing
    Install(boxes, L"\\Storage Card\\Fonts\\card.ttf", L"card.ttf", {IDNO});
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(boxes.seen()[1].caption, L"Warning");
    EXPECT_FALSE(FileExists(L"\\Windows\\card.ttf"));
    freeBytes = 1000 + 524288;   // exactly enough: no warning
    Install(boxes, L"\\Storage Card\\Fonts\\card.ttf", L"card.ttf", {IDNO});
    ASSERT_EQ(boxes.seen().size(), 4u);
    EXPECT_EQ(boxes.seen()[3].caption, L"Orvanel");
    EXPECT_EQ(boxes.seen()[3].text, L"Keep original font file \"\\Storage Card\\Fonts\\card.ttf\"?");
    EXPECT_EQ(FileBytes(L"\\Windows\\card.ttf"), Sized(1000));
    EXPECT_FALSE(FileExists(L"\\Storage Card\\Fonts\\card.ttf"));
    freeBytes = 0x7FFFFFFF;
    Install(boxes, L"\\Storage Card\\Fonts\\kept.ttf", L"Kept Font.ttf", {IDYES});
    EXPECT_EQ(FileBytes(L"\\Windows\\Kept Font.ttf"), Sized(1001));
    EXPECT_TRUE(FileExists(L"\\Storage Card\\Fonts\\kept.ttf"));
    std::vector<std::wstring> active = Rows(page->activeList);
    std::sort(active.begin(), active.end());
    EXPECT_EQ(active, (std::vector<std::wstring>{L"Kept Font.ttf", L"card.ttf"}));
}

TEST_F(FontsTest, ADestinationInUseIsMovedAsideAndReplaced) {
    Put(L"\\Windows\\busy.ttf", Sized(10));
    Put(L"\\My Documents\\new.ttf", Sized(20));
    Open();
    // The system holds the installed font: it may be renamed and deleted, not written.
    HANDLE held = CreateFileW(L"\\Windows\\busy.ttf", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ModalScript boxes;
    Install(boxes, L"\\My Documents\\new.ttf", L"busy.ttf", {IDYES});
    CloseHandle(held);
    EXPECT_EQ(boxes.seen().size(), 2u) << "the name and the question about the original, no error";
    EXPECT_EQ(FileBytes(L"\\Windows\\busy.ttf"), Sized(20));
    EXPECT_FALSE(FileExists(L"\\Windows\\busy.ttf_rename"));
}

// The device's reset, seen from the GUI page: this test program started again, in a new process
// (the window system reads the fonts of \\Windows at a process's start), for the one test that
// looks whether `face` is offered. True when that test ran and passed.
bool FaceOfferedAfterReset(const wchar_t* face, bool offered) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=AppearanceTest.AfterResetTheFaceListIsTheInstalledFonts";
    SetEnvironmentVariableW(L"ORVANEL_RESET_FACE", face);
    SetEnvironmentVariableW(L"ORVANEL_RESET_OFFERED", offered ? L"1" : L"0");
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION child = {};
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    CloseHandle(writeEnd);
    SetEnvironmentVariableW(L"ORVANEL_RESET_FACE", nullptr);
    SetEnvironmentVariableW(L"ORVANEL_RESET_OFFERED", nullptr);
    std::string output;
    char buffer[4096];
    DWORD got = 0;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) output.append(buffer, got);
    CloseHandle(readEnd);
    if (!started) return false;
    DWORD code = 1;
    if (WaitForSingleObject(child.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    // A filter that matched nothing would pass as well: the one test must have run.
    return code == 0 && output.find("[  PASSED  ] 1 test.") != std::string::npos;
}

// A user's first journey with the page: a font file in \My Documents is not offered; installed
// into \Windows it is, after the reset; removed, it is gone after the next.
TEST_F(FontsTest, AFontInstalledIsOfferedAfterTheResetAndARemovedOneIsGone) {
    const std::vector<BYTE> serif = FileBytes(L"Z:\\usr\\share\\fonts\\truetype\\liberation\\LiberationSerif-Regular.ttf");
    ASSERT_FALSE(serif.empty()) << "fonts-liberation is installed with the build's packages";
    Put(L"\\My Documents\\LiberationSerif-Regular.ttf", Bytes(serif.begin(), serif.end()));
    EXPECT_TRUE(FaceOfferedAfterReset(L"Liberation Serif", false)) << "a file outside \\Windows is not loaded";

    Open();
    ModalScript boxes;
    Install(boxes, L"\\My Documents\\LiberationSerif-Regular.ttf", L"LiberationSerif-Regular.ttf", {IDYES});
    ASSERT_TRUE(FileExists(L"\\Windows\\LiberationSerif-Regular.ttf"));
    StopProgram();
    EXPECT_TRUE(FaceOfferedAfterReset(L"Liberation Serif", true));

    SetInstallDir(L"\\Backup");   // where a removed font is kept, but its twin in \\My Documents stands for it
    CreateDirectoryW(L"\\Backup", nullptr);
    Open();
    Select(page->activeList, L"LiberationSerif-Regular.ttf");
    Press(IDC_FONTS_REMOVE);
    ASSERT_FALSE(FileExists(L"\\Windows\\LiberationSerif-Regular.ttf"));
    StopProgram();
    EXPECT_TRUE(FaceOfferedAfterReset(L"Liberation Serif", false));
}

TEST_F(FontsTest, RemoveKeepsABackupUnlessATwinExistsAndKeepsTheFontWhenTheBackupFails) {
    SetInstallDir(L"\\Backup");
    CreateDirectoryW(L"\\Backup", nullptr);
    Put(L"\\Windows\\one.ttf", Sized(100));
    Put(L"\\Windows\\two.ttf", Sized(200));
    Put(L"\\Temp\\two-again.ttf", Sized(200));
    Put(L"\\Windows\\three.ttf", Sized(300));
    Put(L"\\Windows\\four.ttf", Sized(400));
    Put(L"\\Temp\\not-four.ttf", Bytes(400, 0x33));   // its size, not its bytes
    Open();
    ModalScript boxes;
    for (const wchar_t* name : {L"one.ttf", L"two.ttf", L"four.ttf"}) {
        Select(page->activeList, name);
        Press(IDC_FONTS_REMOVE);
    }
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_FALSE(FileExists(L"\\Windows\\one.ttf"));
    EXPECT_EQ(FileBytes(L"\\Backup\\one.ttf"), Sized(100));
    EXPECT_FALSE(FileExists(L"\\Windows\\two.ttf"));
    EXPECT_FALSE(FileExists(L"\\Backup\\two.ttf")) << "its twin stands for the backup";
    EXPECT_EQ(FileBytes(L"\\Backup\\four.ttf"), Sized(400)) << "a file of its size only is no copy";
    EXPECT_FALSE(FileExists(L"\\Windows\\delme_one.ttf.del"));

    SetInstallDir(L"\\No Such Folder");
    boxes.Press(IDOK);
    Select(page->activeList, L"three.ttf");
    Press(IDC_FONTS_REMOVE);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, L"Can not remove file (error #3). Reset the device and try again.");
    EXPECT_EQ(FileBytes(L"\\Windows\\three.ttf"), Sized(300));
    EXPECT_EQ(Rows(page->activeList), std::vector<std::wstring>{L"three.ttf"});
    EXPECT_EQ(session().marks.fontFiles(), 4);
}

TEST_F(FontsTest, AFontFileThatVanishesAfterTheCatalogueIsReportedAndNothingElseChanges) {
    Put(L"\\Windows\\busy.ttf", Sized(10));
    Put(L"\\Windows\\doomed.ttf", Sized(30));
    const std::wstring gone = L"\\My Documents\\gone.ttf";
    const wchar_t copyFailed[] = L"Can not copy file (error #2). Reset the device and try again.";
    Open();
    // Removed while the user types the name: under a new name, and over an installed font.
    for (const wchar_t* name : {L"fresh.ttf", L"busy.ttf"}) {
        Put(gone, Sized(20));
        Press(IDC_FONTS_LOOKUP);
        Select(page->fileList, gone);
        ModalScript boxes;
        boxes.Then([name, gone](HWND dialog) {
            DeleteFileW(gone.c_str());
            SetDlgItemTextW(dialog, IDC_NAME_EDIT, name);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        boxes.Press(IDOK);
        Press(IDC_FONTS_INSTALL);
        ASSERT_EQ(boxes.seen().size(), 2u) << testing::PrintToString(name);
        EXPECT_EQ(boxes.seen()[1].text, copyFailed);
    }
    EXPECT_FALSE(FileExists(L"\\Windows\\fresh.ttf"));
    EXPECT_EQ(FileBytes(L"\\Windows\\busy.ttf"), Sized(10)) << "the installed font is put back";
    EXPECT_FALSE(FileExists(L"\\Windows\\busy.ttf_rename"));

    // Removed while Delete asks whether it may.
    ModalScript boxes;
    boxes.Then([](HWND box) {
        DeleteFileW(L"\\Windows\\doomed.ttf");
        PostMessageW(box, WM_COMMAND, IDYES, 0);
    });
    boxes.Press(IDOK);
    Select(page->activeList, L"doomed.ttf");
    Press(IDC_FONTS_DELETE);
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(boxes.seen()[1].text, L"Can not remove file (error #2). Reset the device and try again.");
    EXPECT_EQ(Rows(page->activeList), std::vector<std::wstring>{L"busy.ttf"});
}

// The keep-original question has no owner: a lookup while it is up puts a ROM font where the
// card's file stood, and the answer still goes to the file it named.
TEST_F(FontsTest, AQuestionLeftOpenActsOnTheFileItAskedAbout) {
    Put(L"\\Storage Card\\card.ttf", Sized(1000));
    Open();
    Select(page->fileList, L"\\Storage Card\\card.ttf");
    ModalScript boxes;
    boxes.Press(IDOK).Then([this](HWND box) {   // "Install as" its own name, then the question
        Put(RomDirectory() + std::wstring(L"first.ttf"), Sized(50));
        Press(IDC_FONTS_LOOKUP);
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    Press(IDC_FONTS_INSTALL);
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_FALSE(FileExists(L"\\Storage Card\\card.ttf"));
    EXPECT_EQ(FileBytes(L"\\Windows\\card.ttf"), Sized(1000));
}

// A tap in the file list rebuilds both lists: each keeps where it was scrolled, and the active
// list its row, in sight.
TEST_F(FontsTest, ListsKeepTheirScrollPositionAndShowTheSelection) {
    for (int i = 0; i < 30; ++i) Put(L"\\Windows\\f" + std::to_wstring(10 + i) + L".ttf", Sized(100 + i));
    Open();
    for (HWND list : {page->activeList, page->fileList}) {   // the user scrolls down and taps
        ListView_EnsureVisible(list, 27, FALSE);
        Select(list, Rows(list)[27]);
    }
    ASSERT_EQ(page->selectedFile, 27);
    const int top = ListView_GetTopIndex(page->activeList);
    EXPECT_GT(top, 0);
    EXPECT_LT(27 - top, ListView_GetCountPerPage(page->activeList));
    EXPECT_EQ(ListView_GetNextItem(page->activeList, -1, LVNI_SELECTED), 27);
    EXPECT_GT(ListView_GetTopIndex(page->fileList), 0);
}

}  // namespace
