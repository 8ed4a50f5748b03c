// Files and names that go wrong under the configuration store: an export file made read-only or
// removed while the pages write it, an import file changed while the user answers a question,
// and configuration names at the edge of what the registry takes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "config/configurations.h"
#include "pages/misc/misc_page.h"
#include "resources/resource.h"
#include "store/registry.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

std::wstring exportPath;

// Stands in for the fonts page (which writes nothing): while the pages save, it does to the
// file what the test asks.
class MeddlingPage : public SettingsPage {
public:
    explicit MeddlingPage(PageHost& host) : SettingsPage(host, IDD_FONTS) {}
    BOOL Save(Store&) override {
        if (meddle) meddle();
        return TRUE;
    }
    std::function<void()> meddle;
};

class FileFaults : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        exportPath = std::wstring(dir) + L"orvanel_faults.ov";
        Clean();
        StartProgram();
        AnswerFileDialogs(session(), exportPath);
        misc = FindPageAnswering<MiscPage>(session());
        ASSERT_NE(misc, nullptr);
        meddler = std::make_unique<MeddlingPage>(session());
        fonts = session().ReplacePage(3, meddler.get());
    }
    void TearDown() override {
        if (program_) session().ReplacePage(3, fonts);
        Clean();
        AppTest::TearDown();
    }
    static void Clean() {
        SetFileAttributesW(exportPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(exportPath.c_str());
    }
    void Command(UINT id) { SendMessageW(program().mainWindow(), WM_COMMAND, id, 0); }
    static std::function<void(HWND)> TypeName(const std::wstring& name) {
        return [name](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_NAME_EDIT, name.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        };
    }

    MiscPage* misc = nullptr;
    std::unique_ptr<MeddlingPage> meddler;
    SettingsPage* fonts = nullptr;
};

TEST_F(FileFaults, AnExportFileTakenOrRemovedWhileWrittenIsReportedOnce) {
    // Wine run as root ignores the read-only attribute; a file another program holds refuses
    // writes the same way.
    HANDLE held = INVALID_HANDLE_VALUE;
    struct Case {
        std::function<void()> meddle;
        const wchar_t* text;
    };
    const Case cases[] = {
        {[&] { held = CreateFileW(exportPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr); },
         L"File error #32."},
        {[] { DeleteFileW(exportPath.c_str()); }, L"File error #2."},
    };
    for (const Case& c : cases) {
        Clean();
        meddler->meddle = c.meddle;
        ModalScript boxes;
        boxes.Press(IDOK);
        Command(IDM_EXPORT);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].caption, L"Error");
        EXPECT_EQ(boxes.seen()[0].text, c.text);
    }
    // A folder where the file should be: the export cannot even begin.
    meddler->meddle = nullptr;
    Clean();
    ASSERT_TRUE(CreateDirectoryW(exportPath.c_str(), nullptr));
    ModalScript boxes;
    boxes.Press(IDOK);
    Command(IDM_EXPORT);
    RemoveDirectoryW(exportPath.c_str());
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, L"Can not open \"" + exportPath + L"\" for writing.");
}

TEST_F(FileFaults, AnImportFileChangedWhileTheUserAnswersLoadsWhatWasChecked) {
    misc->glyphCacheLimit = 2048;
    Command(IDM_EXPORT);
    misc->glyphCacheLimit = 4096;
    session().NoteUserChange();
    // While the question about the unsaved change is up, the file becomes something else: a
    // file with another value, then none at all.
    for (bool remove : {false, true}) {
        ModalScript boxes;
        boxes.Then([remove](HWND box) {
            if (remove) DeleteFileW(exportPath.c_str());
            else WriteStoreFile(exportPath.c_str(), "no configuration file");
            PostMessageW(box, WM_COMMAND, IDNO, 0);
        });
        if (remove) {
            // Import again from a fresh export first.
            misc->glyphCacheLimit = 2048;
            Command(IDM_EXPORT);
            misc->glyphCacheLimit = 4096;
        }
        Command(IDM_IMPORT);
        ASSERT_EQ(boxes.seen().size(), 1u) << "the question only: no file error";
        EXPECT_EQ(boxes.seen()[0].caption, L"Confirm");
        EXPECT_EQ(misc->glyphCacheLimit, 2048) << "the file as its tag was checked";
        EXPECT_EQ(TitleText(), L"Configuration: \"Current\"  *  ");
        misc->glyphCacheLimit = 4096;
    }
}

TEST_F(FileFaults, NamesLongerThanAKeyNameAreRefusedAndTheLongestOneIsKeptWhole) {
    misc->glyphCacheLimit = 2048;
    session().NoteUserChange();
    // The registry takes key names of at most 255 characters: a longer name was taken as saved
    // (the title lost its mark) while nothing was, and renaming to it deleted the configuration.
    for (size_t length : {256u, 259u}) {
        const std::wstring name(length, L'n');
        ModalScript boxes;
        boxes.Then(TypeName(name)).Press(IDOK).Then(TypeName(name)).Press(IDOK);
        Command(IDM_SAVE_AS);
        Command(IDM_RENAME);
        ASSERT_EQ(boxes.seen().size(), 4u) << length;
        EXPECT_EQ(boxes.seen()[1].text.substr(0, 40), L"A configuration name must not be empty, ");
        EXPECT_EQ(boxes.seen()[3].text, boxes.seen()[1].text);
    }
    EXPECT_EQ(MenuItems(), L"*Current|Original");
    EXPECT_EQ(TitleText(), L"Configuration: \"Current\"  *  ");

    const std::wstring longest(255, L'n'), other(255, L'o');
    {
        ModalScript boxes;
        boxes.Then(TypeName(longest));
        Command(IDM_SAVE_AS);
        EXPECT_EQ(boxes.seen().size(), 1u);
    }
    EXPECT_EQ(ReadDword((L"Orvanel\\" + longest).c_str(), L"GDI\\GLYPHCACHE", L"limit"), 2048u);
    EXPECT_EQ(session().activeConfigName, longest);
    EXPECT_EQ(session().marks.changes(), 0) << "saved: the title line (cut at 259 characters) has no mark";
    {
        ModalScript boxes;
        boxes.Then(TypeName(other));
        Command(IDM_RENAME);
        EXPECT_EQ(boxes.seen().size(), 1u);
    }
    EXPECT_FALSE(KeyExists(L"Orvanel", longest.c_str()));
    EXPECT_EQ(ReadDword((L"Orvanel\\" + other).c_str(), L"GDI\\GLYPHCACHE", L"limit"), 2048u);
    EXPECT_EQ(session().activeConfigName, other);
    EXPECT_NE(MenuItems().find(other), std::wstring::npos);
}

}  // namespace
