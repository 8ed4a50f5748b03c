// A \Windows that is full or read-only for real: scripts/windows-folder-test.sh mounts a small
// tmpfs over it (read-only for the second set) and runs these tests there; the ordinary run
// leaves them out (see test_main.cpp). Installing, removing and deleting fonts and exporting a
// configuration fail with their message, claim no success and leave no part of a file behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "pages/fonts/fonts_page.h"
#include "resources/resource.h"
#include "store/registry.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

using Bytes = std::vector<BYTE>;
constexpr wchar_t kInstallKey[] = L"Software\\Apps\\Talvern Software Orvanel";

std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    std::wstring text;
    for (const char* c = value ? value : ""; *c; ++c) text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return text;
}

void Tree(const std::wstring& folder, std::set<std::wstring>& paths) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        paths.insert(folder + L"\\" + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Tree(folder + L"\\" + name, paths);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// Writes the whole file; false with the error code in `error` when it did not fit.
bool Put(const std::wstring& path, const Bytes& bytes, DWORD* error = nullptr) {
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    // Wine writes what fits and says so; the next write fails with the reason.
    for (size_t done = 0; ok && done < bytes.size();) {
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr);
        done += written;
    }
    if (error) *error = ok ? 0 : GetLastError();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return ok;
}

Bytes Filled(size_t size, BYTE value) { return Bytes(size, value); }

// The folder is mounted by the script as `mode`; a test run without it is skipped.
class WindowsFolderTest : public AppTest {
protected:
    explicit WindowsFolderTest(const wchar_t* mode) : mode_(mode) {}
    void SetUp() override {
        if (Env("ORVANEL_WINDOWS_FOLDER") != mode_)
            GTEST_SKIP() << "needs \\Windows mounted by scripts/windows-folder-test.sh";
        writable_ = Env("ORVANEL_WINDOWS_WRITABLE");
        ASSERT_FALSE(writable_.empty());
        AppTest::SetUp();
        before_ = Files();
        SetRegistryValue(HKEY_LOCAL_MACHINE, kInstallKey, L"InstallDir", REG_SZ, L"\\Backup", 16);
    }
    void TearDown() override {
        if (writable_.empty()) return;
        AppTest::TearDown();
        const std::set<std::wstring> now = Files();
        for (auto path = now.rbegin(); path != now.rend(); ++path)   // deepest first
            if (!before_.count(*path) && !DeleteFileW(path->c_str())) RemoveDirectoryW(path->c_str());
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kInstallKey);
    }
    std::set<std::wstring> Files() const {
        std::set<std::wstring> paths;
        for (const std::wstring& root : {std::wstring(L"O:"), std::wstring(L"R:"), writable_}) Tree(root, paths);
        return paths;
    }
    // A file of \Windows, written past the mount's read-only view.
    void PutInWindows(const wchar_t* name, const Bytes& bytes) { ASSERT_TRUE(Put(writable_ + L"\\" + name, bytes)); }
    std::set<std::wstring> WindowsFiles() const {
        std::set<std::wstring> names;
        Tree(writable_, names);
        std::set<std::wstring> plain;
        for (const std::wstring& path : names) plain.insert(path.substr(writable_.size() + 1));
        return plain;
    }

    void Open() {
        StartProgram();
        page = FindPageAnswering<FontsPage>(session());
        ASSERT_NE(page, nullptr);
        PropSheet_SetCurSel(session().sheet, nullptr, 3);
    }
    std::vector<std::wstring> Rows(HWND list) {
        std::vector<std::wstring> rows;
        for (int i = 0; i < ListView_GetItemCount(list); ++i) {
            wchar_t text[300] = {};
            ListView_GetItemText(list, i, 0, text, 300);
            rows.push_back(text);
        }
        return rows;
    }
    std::set<std::wstring> ActiveRows() {
        const std::vector<std::wstring> rows = Rows(page->activeList);
        return {rows.begin(), rows.end()};
    }
    void Select(HWND list, const std::wstring& text) {
        const std::vector<std::wstring> rows = Rows(list);
        int row = -1;
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == text) row = static_cast<int>(i);
        ASSERT_GE(row, 0) << testing::PrintToString(text);
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetSelectionMark(list, row);
    }
    void Press(int id) {
        SendMessageW(page->hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page->hwnd, id)));
    }
    // Install of a listed file under a name; the boxes seen after the name dialog.
    std::vector<SeenBox> Install(const std::wstring& file, const std::wstring& name) {
        Select(page->fileList, file);
        ModalScript boxes;
        boxes.Then([name](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_NAME_EDIT, name.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        boxes.Press(IDOK);
        Press(IDC_FONTS_INSTALL);
        return {boxes.seen().begin() + (boxes.seen().empty() ? 0 : 1), boxes.seen().end()};
    }
    std::vector<SeenBox> Export(const std::wstring& path) {
        AnswerFileDialogs(session(), path);
        ModalScript boxes;
        boxes.Press(IDOK);
        SendMessageW(program().mainWindow(), WM_COMMAND, IDM_EXPORT, 0);
        return boxes.seen();
    }

    FontsPage* page = nullptr;
    std::wstring mode_;
    std::wstring writable_;
    std::set<std::wstring> before_;
};

class WindowsFolderFull : public WindowsFolderTest {
protected:
    WindowsFolderFull() : WindowsFolderTest(L"full") {}
};
class WindowsFolderReadOnly : public WindowsFolderTest {
protected:
    WindowsFolderReadOnly() : WindowsFolderTest(L"read-only") {}
};

const wchar_t kDiskFull[] = L"Can not copy file (error #112). Reset the device and try again.";

TEST_F(WindowsFolderFull, AnInstallThatDoesNotFitLeavesNoPartOfAFileAndTheInstalledFontInPlace) {
    // The mount holds 128 KiB; Wine reports the full tmpfs as a full disk.
    DWORD error = 0;
    EXPECT_FALSE(Put(L"\\Windows\\probe", Filled(200000, 1), &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DISK_FULL));
    DeleteFileW(L"\\Windows\\probe");

    PutInWindows(L"old.ttf", Filled(8192, 0x0D));
    ASSERT_TRUE(Put(L"\\My Documents\\big.ttf", Filled(200000, 0xB1)));
    ASSERT_TRUE(Put(RomDirectory() + std::wstring(L"romhalf.ttf"), Filled(80000, 0x4A)));    // its copy fits once
    ASSERT_TRUE(Put(RomDirectory() + std::wstring(L"romwhole.ttf"), Filled(200000, 0x4B)));  // not even once
    Open();
    const std::set<std::wstring> files = WindowsFiles();
    const struct {
        const wchar_t* file;
        const wchar_t* name;
    } installs[] = {{L"\\My Documents\\big.ttf", L"old.ttf"},   // displaces the installed font
                    {L"\\My Documents\\big.ttf", L"new.ttf"},
                    {L"rom://romhalf.ttf", L"romhalf.ttf"},
                    {L"rom://romwhole.ttf", L"romwhole.ttf"},
                    {L"rom://romhalf.ttf", L"old.ttf"}};
    for (const auto& install : installs) {
        const std::vector<SeenBox> boxes = Install(install.file, install.name);
        ASSERT_EQ(boxes.size(), 1u) << testing::PrintToString(install.name) << ": no question about the original";
        EXPECT_EQ(boxes[0].text, kDiskFull);
        EXPECT_EQ(WindowsFiles(), files) << "no part of a copy, no _str or _rename file left";
        EXPECT_EQ(FileBytes(L"\\Windows\\old.ttf"), Filled(8192, 0x0D));
    }
    EXPECT_TRUE(FileExists(L"\\My Documents\\big.ttf"));
    EXPECT_EQ(ActiveRows(), (std::set<std::wstring>{L"old.ttf", L"romhalf.ttf", L"romwhole.ttf"}));
}

TEST_F(WindowsFolderFull, AnExportThatDoesNotFitIsReportedAndLeavesNoPartOfTheFile) {
    StartProgram();
    // The folder filled to its last byte.
    for (int i = 0; Put(L"\\Windows\\filler" + std::to_wstring(i), Filled(4096, 0)); ++i) {}
    for (int i = 0; Put(L"\\Windows\\tail" + std::to_wstring(i), Filled(1, 0)); ++i) {}
    // No room for the header, then room for the header (a page of the tmpfs) but not the records.
    for (int round = 0; round < 2; ++round) {
        if (round == 1) DeleteFileW(L"\\Windows\\filler0");
        const std::set<std::wstring> files = WindowsFiles();
        const std::vector<SeenBox> boxes = Export(L"\\Windows\\settings.ov");
        ASSERT_EQ(boxes.size(), 1u) << round;
        EXPECT_EQ(boxes[0].caption, L"Error");
        EXPECT_EQ(boxes[0].text, L"File error #112.");
        EXPECT_EQ(WindowsFiles(), files);
    }
}

TEST_F(WindowsFolderReadOnly, InstallRemoveAndDeleteFailWithTheirMessageAndLoseNothing) {
    DWORD error = 0;
    EXPECT_FALSE(Put(L"\\Windows\\probe", Filled(10, 1), &error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "Wine's answer to a read-only file system";

    PutInWindows(L"kept.ttf", Filled(1000, 0x01));
    PutInWindows(L"other.ttf", Filled(2000, 0x02));
    ASSERT_TRUE(Put(L"\\My Documents\\new.ttf", Filled(3000, 0x03)));
    ASSERT_TRUE(Put(RomDirectory() + std::wstring(L"rom.ttf"), Filled(4000, 0x04)));
    CreateDirectoryW(L"\\Backup", nullptr);
    Open();
    const std::set<std::wstring> files = WindowsFiles();
    const std::wstring refused = L"(error #" + std::to_wstring(ERROR_ACCESS_DENIED) + L")";
    for (const wchar_t* name : {L"kept.ttf", L"fresh.ttf"}) {
        const std::vector<SeenBox> boxes = Install(L"\\My Documents\\new.ttf", name);
        ASSERT_EQ(boxes.size(), 1u) << testing::PrintToString(name);
        EXPECT_EQ(boxes[0].text, L"Can not copy file " + refused + L". Reset the device and try again.");
    }
    const std::vector<SeenBox> boxes = Install(L"rom://rom.ttf", L"rom.ttf");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Can not copy file " + refused + L". Reset the device and try again.");
    EXPECT_EQ(FileBytes(L"\\My Documents\\new.ttf"), Filled(3000, 0x03));

    // Remove (with its backup) and Delete (after its question).
    ModalScript answers;
    answers.Press(IDOK).Press(IDYES).Press(IDOK);
    Select(page->activeList, L"kept.ttf");
    Press(IDC_FONTS_REMOVE);
    Select(page->activeList, L"other.ttf");
    Press(IDC_FONTS_DELETE);
    ASSERT_EQ(answers.seen().size(), 3u);
    const std::wstring cannotRemove = L"Can not remove file " + refused + L". Reset the device and try again.";
    EXPECT_EQ(answers.seen()[0].text, cannotRemove);
    EXPECT_EQ(answers.seen()[1].caption, L"Confirm");
    EXPECT_EQ(answers.seen()[2].text, cannotRemove);

    EXPECT_EQ(WindowsFiles(), files);
    EXPECT_EQ(FileBytes(L"\\Windows\\kept.ttf"), Filled(1000, 0x01));
    EXPECT_EQ(FileBytes(L"\\Windows\\other.ttf"), Filled(2000, 0x02));
    EXPECT_EQ(ActiveRows(), (std::set<std::wstring>{L"kept.ttf", L"other.ttf", L"rom.ttf"}));
}

TEST_F(WindowsFolderReadOnly, AnExportIntoTheFolderOrOverAFileInItIsRefusedOnce) {
    PutInWindows(L"old.ov", Filled(10, 0x0F));
    StartProgram();
    for (const wchar_t* path : {L"\\Windows\\new.ov", L"\\Windows\\old.ov"}) {
        const std::vector<SeenBox> boxes = Export(path);
        ASSERT_EQ(boxes.size(), 1u) << testing::PrintToString(path);
        EXPECT_EQ(boxes[0].caption, L"Error");
        EXPECT_EQ(boxes[0].text, L"Can not open \"" + std::wstring(path) + L"\" for writing.");
    }
    EXPECT_FALSE(FileExists(L"\\Windows\\new.ov"));
    EXPECT_EQ(FileBytes(L"\\Windows\\old.ov"), Filled(10, 0x0F));
}

}  // namespace
