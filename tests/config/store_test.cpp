// The configuration store driven through the real main window, sheet and Configuration menu:
// Save As, switching, Delete, Rename, Apply and the reset question, export and import.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/apply.h"
#include "store/config_codec.h"
#include "config/config_file.h"
#include "config/configurations.h"
#include "base/handles.h"
#include "store/registry.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "shell/program.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

constexpr wchar_t kProbeKey[] = L"OrvanelProbe\\GWE";

// Stands in for a settings page: one number and one text below the store key, read and written
// through the same helpers the pages use.
class ValuePage : public SettingsPage {
public:
    explicit ValuePage(PageHost& host) : SettingsPage(host, IDD_SIZE) {}
    BOOL IsKind(DWORD tag) override { return tag == kTagSize; }
    BOOL Load(Store& store) override {
        ++loads;
        number = store.ReadDword({LiveRoot::System, kProbeKey, L"cxVScr"}).value_or(13);   // missing: the default
        text = store.ReadString({LiveRoot::System, kProbeKey, L"Nm"}, 64).value_or(L"Tahoma");
        return TRUE;
    }
    BOOL Save(Store& store) override {
        store.WriteDword({LiveRoot::System, kProbeKey, L"cxVScr"}, number);
        store.WriteString({LiveRoot::System, kProbeKey, L"Nm"}, text);
        return TRUE;
    }
    DWORD number = 13;
    std::wstring text = L"Tahoma";
    int loads = 0;
};

int reboots = 0;
void CountReboot() { ++reboots; }

std::wstring typedName;
BOOL WINAPI AnswerFileDialog(OPENFILENAMEW* ofn) {
    if (typedName.empty()) return FALSE;
    lstrcpynW(ofn->lpstrFile, typedName.c_str(), ofn->nMaxFile);
    return TRUE;
}

class Store : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, L"SYSTEM\\OrvanelProbe");
        reboots = 0;
        SetRebootHandlerForTests(CountReboot);
        StartProgram();
        // The size page's place in the list goes to the probe; its real window stays.
        probe = std::make_unique<ValuePage>(session());
        saved_ = session().ReplacePage(1, probe.get());
        // As if the first run had captured the probe too.
        SaveConfigurationPages(session(), L"Original");
        SaveConfigurationPages(session(), L"Current");
    }
    void TearDown() override {
        if (program_) session().ReplacePage(1, saved_);
        SetRebootHandlerForTests(nullptr);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, L"SYSTEM\\OrvanelProbe");
        AppTest::TearDown();
    }

    static DWORD Stored(const wchar_t* config) {
        return ReadDword((std::wstring(L"Orvanel\\") + config).c_str(), kProbeKey, L"cxVScr");
    }
    static DWORD Device() { return ReadDword(L"SYSTEM", kProbeKey, L"cxVScr"); }
    static std::wstring CurrName() {
        wchar_t name[260] = {};
        return ReadCurrName(name, sizeof(name)) ? name : L"<none>";
    }
    // Chooses the Configuration menu entry with this name.
    void Choose(const wchar_t* name) {
        for (int i = 0; i < kMaxConfigs; ++i) {
            if (lstrcmpW(session().configNameTable[i].data(), name) == 0) {
                SendMessageW(program().mainWindow(), WM_COMMAND, IDM_CONFIG_FIRST + i, 0);
                return;
            }
        }
        ADD_FAILURE() << "no menu entry for the name";
    }
    void Command(UINT id) { SendMessageW(program().mainWindow(), WM_COMMAND, id, 0); }
    // The user edits the probe's number.
    void Edit(DWORD number) {
        probe->number = number;
        session().NoteUserChange();
    }
    // Answers the name dialog by typing a name and pressing OK; checks its caption.
    static std::function<void(HWND)> TypeName(const wchar_t* name, const wchar_t* expectedTitle) {
        std::wstring typed = name, title = expectedTitle;
        return [typed, title](HWND dialog) {
            EXPECT_EQ(WindowText(dialog), title);
            SetDlgItemTextW(dialog, IDC_NAME_EDIT, typed.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        };
    }

    std::unique_ptr<ValuePage> probe;
    SettingsPage* saved_ = nullptr;
};

const wchar_t kResetText[] = L"You have made changes that will appear after reset.\n\nReset now?";

TEST_F(Store, SaveAsOverAnExistingNameOverwritesItWithoutTouchingTheDevice) {
    WriteDword(L"Orvanel\\Mine", kProbeKey, L"cxVScr", 5);
    WriteDword(L"Orvanel\\Mine", L"Other", L"Kept", 7);
    RebuildConfigMenu(session(), nullptr);
    Edit(16);
    ModalScript boxes;
    boxes.Then([](HWND dialog) {
        wchar_t initial[64] = {};
        GetDlgItemTextW(dialog, IDC_NAME_EDIT, initial, 64);
        EXPECT_STREQ(initial, L"Current") << "the dialog starts with the active name";
        TypeName(L"Mine", L"Save As...")(dialog);
    });
    Command(IDM_SAVE_AS);
    EXPECT_EQ(boxes.seen().size(), 1u) << "no question about overwriting or resetting";
    EXPECT_EQ(Stored(L"Mine"), 16u);
    EXPECT_EQ(ReadDword(L"Orvanel\\Mine", L"Other", L"Kept"), 7u) << "values no page writes stay";
    EXPECT_EQ(Device(), 0xFFFFFFFFu) << "only the applied configuration reaches the device";
    EXPECT_STREQ(session().activeConfigName, L"Mine");
    EXPECT_EQ(CurrName(), L"Current");
    EXPECT_EQ(TitleText(), L"Configuration: \"Mine\" ");
    EXPECT_NE(MenuItems().find(L"*Current"), std::wstring::npos);
    EXPECT_FALSE(IsInputPanelUp());
}

TEST_F(Store, SaveAsCancelledOrEmptySavesNothing) {
    Edit(16);
    ModalScript boxes;
    boxes.Press(IDCANCEL).Then(TypeName(L"", L"Save As..."));
    Command(IDM_SAVE_AS);
    Command(IDM_SAVE_AS);
    EXPECT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(Stored(L"Current"), 13u);
    EXPECT_EQ(session().marks.changes(), 1);
}

TEST_F(Store, SavingTheAppliedConfigurationWritesTheDeviceAndOffersTheReset) {
    Edit(16);
    ModalScript boxes;
    boxes.Press(IDNO).Press(IDYES);
    Command(IDM_SAVE);
    EXPECT_EQ(Stored(L"Current"), 16u);
    EXPECT_EQ(Device(), 16u);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].caption, L"Attention!");
    EXPECT_EQ(boxes.seen()[0].text, kResetText);
    EXPECT_EQ(reboots, 0);
    EXPECT_EQ(session().marks.changes() + session().marks.resets(), 0);
    EXPECT_EQ(TitleText(), L"Configuration: \"Current\" ");

    Edit(17);
    Command(IDM_SAVE);
    EXPECT_EQ(reboots, 1) << "Yes resets the device";
    EXPECT_EQ(Device(), 17u);
}

TEST_F(Store, SwitchingWithChangesAsksAndHonoursEachAnswer) {
    WriteDword(L"Orvanel\\Original", kProbeKey, L"cxVScr", 11);
    RebuildConfigMenu(session(), nullptr);
    Edit(16);
    {
        ModalScript boxes;
        boxes.Press(IDCANCEL);
        Choose(L"Original");
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].caption, L"Confirm");
        EXPECT_EQ(boxes.seen()[0].text, L"Configuration \"Current\" was changed\n\nSave changes?");
        EXPECT_EQ(probe->number, 16u);
        EXPECT_STREQ(session().activeConfigName, L"Current");
        EXPECT_EQ(TitleText(), L"Configuration: \"Current\"  *  ");
    }
    {
        ModalScript boxes;
        boxes.Press(IDNO);
        Choose(L"Original");
        EXPECT_EQ(probe->number, 11u);
        EXPECT_EQ(Stored(L"Current"), 13u) << "the changes were dropped";
        EXPECT_STREQ(session().activeConfigName, L"Original");
        EXPECT_EQ(TitleText(), L"Configuration: \"Original\" ");
        EXPECT_EQ(CurrName(), L"Current") << "switching applies nothing";
        EXPECT_EQ(Device(), 0xFFFFFFFFu);
    }
    Edit(18);
    {
        // Yes saves first; "Original" is not the applied configuration, so no reset question.
        ModalScript boxes;
        boxes.Press(IDYES);
        Choose(L"Current");
        EXPECT_EQ(Stored(L"Original"), 18u);
        EXPECT_STREQ(session().activeConfigName, L"Current");
        EXPECT_EQ(probe->number, 13u);
    }
}

TEST_F(Store, YesToSavingTheAppliedConfigurationAlsoOffersTheReset) {
    Edit(16);
    ModalScript boxes;
    boxes.Press(IDYES).Press(IDNO);
    Choose(L"Original");
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(boxes.seen()[1].text, kResetText);
    EXPECT_EQ(Device(), 16u);
    EXPECT_STREQ(session().activeConfigName, L"Original");
}

TEST_F(Store, ACommandForAnUnlistedSlotSwitchesNowhere) {
    int before = probe->loads;
    Command(IDM_CONFIG_LAST);
    EXPECT_EQ(probe->loads, before);
    EXPECT_STREQ(session().activeConfigName, L"Current");
}

TEST_F(Store, ChoosingTheActiveEntryLoadsItAgain) {
    probe->number = 20;   // not a user change: no question
    int before = probe->loads;
    ModalScript boxes;
    Choose(L"Current");
    EXPECT_EQ(probe->loads, before + 1);
    EXPECT_EQ(probe->number, 13u);
}

TEST_F(Store, TheMenuListsAtMost64AndLongNamesLoadTheirOwnConfiguration) {
    for (int i = 0; i < 63; ++i) WriteDword((L"Orvanel\\C" + std::to_wstring(100 + i)).c_str(), L"", L"x", 1);
    RebuildConfigMenu(session(), nullptr);
    EXPECT_EQ(GetMenuItemCount(session().configMenu), 64) << "65 configurations, 64 entries";

    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel");
    std::wstring longName(200, L'L');
    WriteDword((L"Orvanel\\" + longName).c_str(), kProbeKey, L"cxVScr", 25);
    WriteString(L"", L"Orvanel", L"CurrName", longName.c_str());
    RebuildConfigMenu(session(), nullptr);
    EXPECT_EQ(MenuItems(), L"*" + longName) << "a long applied name is recognised";
    Choose(longName.c_str());
    EXPECT_EQ(probe->number, 25u);
    EXPECT_EQ(session().activeConfigName, longName);
}

TEST_F(Store, RenameToTheSameNameInAnotherCaseDoesNothing) {
    ModalScript boxes;
    boxes.Then(TypeName(L"CURRENT", L"Rename to..."));
    Command(IDM_RENAME);
    EXPECT_STREQ(session().activeConfigName, L"Current");
    EXPECT_NE(MenuItems().find(L"Current"), std::wstring::npos);
    EXPECT_EQ(MenuItems().find(L"CURRENT"), std::wstring::npos);
}

TEST_F(Store, NamesThatCannotNameAConfigurationAreRefused) {
    const wchar_t refused[] =
        L"A configuration name must not be empty, begin with \"@\" or contain a backslash, and may have at most "
        L"255 characters.";
    Edit(16);
    const std::wstring names[] = {L"@x", L"Current\\x", L"   ", std::wstring(260, L'n')};
    for (const std::wstring& name : names) {
        ModalScript boxes;
        boxes.Then(TypeName(name.c_str(), L"Save As...")).Press(IDOK);
        boxes.Then(TypeName(name.c_str(), L"Rename to...")).Press(IDOK);
        Command(IDM_SAVE_AS);
        Command(IDM_RENAME);
        ASSERT_EQ(boxes.seen().size(), 4u) << name.size();
        EXPECT_EQ(boxes.seen()[1].text, refused);
        EXPECT_EQ(boxes.seen()[1].caption, L"Error");
        EXPECT_EQ(boxes.seen()[3].text, refused);
    }
    EXPECT_EQ(MenuItems(), L"*Current|Original") << "nothing saved, nothing renamed";
    EXPECT_EQ(Stored(L"Current"), 13u);
    EXPECT_STREQ(session().activeConfigName, L"Current");
    EXPECT_FALSE(FileExists(L"x")) << "an \"@\" name is no file";
}

TEST_F(Store, NamesCompareCodeUnitByCodeUnit) {
    // A soft hyphen is nothing to the locale's collation, but another name to the registry.
    const wchar_t hyphenated[] = L"Cur\u00ADrent";
    SaveConfigurationPages(session(), hyphenated);
    WriteCurrName(hyphenated);
    RebuildConfigMenu(session(), nullptr);
    EXPECT_EQ(MenuItems().find(L"*Current"), std::wstring::npos) << MenuItems().size();
    EXPECT_NE(MenuItems().find(std::wstring(L"*") + hyphenated), std::wstring::npos);

    ModalScript boxes;
    boxes.Press(IDNO);
    Command(IDM_APPLY);   // "Current" is not the configuration the device has
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].caption, L"Attention!");
    EXPECT_EQ(CurrName(), L"Current");
    DeleteConfig(session(), hyphenated);
}

TEST_F(Store, RenameMovesEverythingAndLeavesCurrNameBehind) {
    WriteDword(L"Orvanel\\Current", L"Other", L"Kept", 7);
    Edit(16);
    ModalScript boxes;
    boxes.Then(TypeName(L"Mine", L"Rename to..."));
    Command(IDM_RENAME);
    EXPECT_EQ(boxes.seen().size(), 1u) << "Mine is not applied: no reset question";
    EXPECT_FALSE(KeyExists(L"Orvanel", L"Current"));
    EXPECT_EQ(Stored(L"Mine"), 16u);
    EXPECT_EQ(ReadDword(L"Orvanel\\Mine", L"Other", L"Kept"), 7u) << "values no page writes move too";
    EXPECT_STREQ(session().activeConfigName, L"Mine");
    EXPECT_EQ(CurrName(), L"Current");
    EXPECT_EQ(MenuItems().find(L"*"), std::wstring::npos) << "no check mark until the next Apply";
}

TEST_F(Store, DeletingOriginalReloadsItDeletesItAndTheNextStartCapturesItAgain) {
    WriteDword(L"Orvanel\\Original", kProbeKey, L"cxVScr", 11);
    ModalScript boxes;
    boxes.Press(IDNO);
    Command(IDM_DELETE);   // No: nothing happens
    EXPECT_TRUE(KeyExists(L"Orvanel", L"Current"));

    LoadConfig(session(), L"Original");
    boxes.Press(IDYES);
    Command(IDM_DELETE);
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(boxes.seen()[1].caption, L"Confirm");
    EXPECT_EQ(boxes.seen()[1].text, L"Are you sure you want to delete configuration \"Original\" ?");
    EXPECT_EQ(probe->number, 11u);
    EXPECT_FALSE(KeyExists(L"Orvanel", L"Original"));
    EXPECT_EQ(MenuItems(), L"*Current");

    // The next start captures "Original" again, and leaves the edited "Current" as it is.
    WriteDword(L"Orvanel\\Current", L"GWE", L"Animation", 77);
    session().ReplacePage(1, saved_);
    StopProgram();
    StartProgram();
    saved_ = session().ReplacePage(1, probe.get());
    EXPECT_TRUE(KeyExists(L"Orvanel", L"Original"));
    EXPECT_EQ(ReadDword(L"Orvanel\\Current", L"GWE", L"Animation"), 77u);
    EXPECT_EQ(CurrName(), L"Current");
}

TEST_F(Store, DeleteCancelledAtTheSaveQuestionStillDeletes) {
    Edit(16);
    ModalScript boxes;
    boxes.Press(IDYES).Press(IDCANCEL);
    Command(IDM_DELETE);
    EXPECT_FALSE(KeyExists(L"Orvanel", L"Current"));
    EXPECT_STREQ(session().activeConfigName, L"Current") << "the switch did not take place";
}

TEST_F(Store, ApplyAfterASwitchAsksOnce) {
    ModalScript boxes;
    Choose(L"Original");
    boxes.Press(IDNO);
    Command(IDM_APPLY);
    EXPECT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(CurrName(), L"Original");
    EXPECT_EQ(Device(), 13u);
    EXPECT_EQ(MenuItems().find(L"*Current"), std::wstring::npos);
    EXPECT_NE(MenuItems().find(L"*Original"), std::wstring::npos);
}

TEST_F(Store, ApplyWithEditsAnsweredNoAsksTwice) {
    Edit(16);
    ModalScript boxes;
    boxes.Press(IDNO).Press(IDNO);
    Command(IDM_APPLY);
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(boxes.seen()[0].text, kResetText);
    EXPECT_EQ(boxes.seen()[1].text, kResetText);
    EXPECT_EQ(Device(), 16u);
    EXPECT_EQ(TitleText(), L"Configuration: \"Current\" ");
}

TEST_F(Store, ApplyOfTheAppliedConfigurationWithoutEditsAsksNothing) {
    WriteDword(L"SYSTEM", kProbeKey, L"cxVScr", 99);
    ModalScript boxes;
    Command(IDM_APPLY);
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_EQ(Device(), 13u) << "the device keys are written again";
}

TEST_F(Store, MarkAppliedRecordsTheActiveNameOnly) {
    Choose(L"Original");
    Command(IDM_MARK_APPLIED);
    EXPECT_EQ(CurrName(), L"Original");
    EXPECT_EQ(Device(), 0xFFFFFFFFu);
    EXPECT_NE(MenuItems().find(L"*Original"), std::wstring::npos);
}

TEST_F(Store, FontFileChangesKeepTheMarkAfterSaving) {
    session().marks.FontFileChanged();
    ModalScript boxes;
    boxes.Then(TypeName(L"Mine", L"Save As..."));
    Command(IDM_SAVE_AS);
    EXPECT_EQ(TitleText(), L"Configuration: \"Mine\"  *  ");
    boxes.Press(IDCANCEL);
    Choose(L"Current");
    EXPECT_EQ(boxes.seen().size(), 2u) << "every switch asks";
}

class StoreFiles : public Store {
protected:
    void SetUp() override {
        Store::SetUp();
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        path_ = std::wstring(dir) + L"orvanel_store_test.ov";
        DeleteFileW(path_.c_str());
        session().saveFileDialog = session().openFileDialog = AnswerFileDialog;
        typedName = path_;
    }
    void TearDown() override {
        DeleteFileW(path_.c_str());
        Store::TearDown();
    }
    std::string FileBytes() const {
        std::string bytes;
        FileHandle file(CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        char chunk[4096];
        DWORD got = 0;
        while (file && ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got) bytes.append(chunk, got);
        return bytes;
    }
    static std::string Utf16(const std::wstring& text) {
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    }
    std::wstring path_;
};

TEST_F(StoreFiles, ExportWritesTheHeaderAndOneRecordPerValue) {
    WriteStoreFile(path_.c_str(), "an older and much longer file that the export replaces completely");
    probe->number = 20;
    probe->text = L"A";
    ModalScript boxes;
    Command(IDM_EXPORT);
    EXPECT_TRUE(boxes.seen().empty());
    DWORD number = 20;
    std::wstring probeRecords = EncodeValueKey(kProbeKey, L"cxVScr") + EncodeValueData(&number, 4) +
                                EncodeValueKey(kProbeKey, L"Nm") + EncodeValueData(L"A", 4);
    // The header, then the pages' records in list order: the probe stands in for the size page,
    // after the appearance page's records and before the misc page's.
    const std::string bytes = FileBytes();
    EXPECT_EQ(bytes.substr(0, Utf16(kConfigFileHeader).size()), Utf16(kConfigFileHeader));
    const size_t probeAt = bytes.find(Utf16(probeRecords));
    ASSERT_NE(probeAt, std::string::npos);
    EXPECT_LT(bytes.find(Utf16(EncodeValueKey(L"GWE", L"SysColor"))), probeAt);
    EXPECT_GT(bytes.find(Utf16(EncodeValueKey(L"GWE", L"Animation"))), probeAt);
    EXPECT_EQ(Utf16(EncodeValueData(L"A", 4)), Utf16(L"ebaaaaaa\r\n"));
    EXPECT_FALSE(KeyExists(L"Orvanel", L"@")) << "nothing of the file reaches the registry";
}

TEST_F(StoreFiles, ImportRestoresTheExportedValuesIntoTheActiveConfiguration) {
    probe->number = 21;
    probe->text = L"Courier";
    Command(IDM_EXPORT);
    Choose(L"Original");
    ASSERT_EQ(probe->number, 13u);
    ModalScript boxes;
    Command(IDM_IMPORT);
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_EQ(probe->number, 21u);
    EXPECT_EQ(probe->text, L"Courier");
    EXPECT_STREQ(session().activeConfigName, L"Original") << "the imported values belong to the active configuration";
    EXPECT_EQ(TitleText(), L"Configuration: \"Original\"  *  ");
    EXPECT_EQ(Stored(L"Original"), 13u) << "nothing saved until the user saves";
}

TEST_F(StoreFiles, StoreKeyHelpersSendAnAtKeyToTheFileOnly) {
    WriteStoreFile(path_.c_str(), "");
    std::wstring key = L"@" + path_;
    ASSERT_TRUE(WriteDword(key.c_str(), L"GWE", L"cyCap", 23));
    ASSERT_TRUE(WriteDword(key.c_str(), L"GWE", L"cyCap", 99));
    EXPECT_EQ(ReadDword(key.c_str(), L"GWE", L"cyCap"), 23u) << "the first record wins";
    EXPECT_EQ(Utf16(L"aaehaafhaaefaafmaagdaahjaaedaagbaaha=bhaaaaaa\r\n"),
              FileBytes().substr(0, 47 * 2));
    EXPECT_EQ(ReadDword(key.c_str(), L"GWE", L"CYCAP"), 0xFFFFFFFFu);
    EXPECT_FALSE(KeyExists(key.c_str(), nullptr));
    EXPECT_FALSE(KeyExists(key.c_str() + 1, L"GWE"));

    // A record of fewer than four bytes gives a number that starts from zero.
    BYTE two[2] = {0x34, 0x12};
    ASSERT_TRUE(WriteBinary(key.c_str(), L"GWE", L"Short", two, 2));
    EXPECT_EQ(ReadDword(key.c_str(), L"GWE", L"Short"), 0x1234u);
}
}  // namespace

namespace {
TEST_F(StoreFiles, AnUnopenableFileIsReportedOnce) {
    std::wstring key = L"@" + path_;   // the file does not exist
    ModalScript boxes;
    boxes.Press(IDOK);
    SaveConfig(session(), key.c_str());
    ASSERT_EQ(boxes.seen().size(), 1u) << "one message for the whole export, not one per value";
    EXPECT_EQ(boxes.seen()[0].caption, L"Error");
    EXPECT_EQ(boxes.seen()[0].text, L"File error #2.");
    EXPECT_FALSE(FileExists(path_.c_str())) << "appending never creates the file";

    boxes.Press(IDOK);
    probe->number = 40;
    LoadConfig(session(), key.c_str());
    ASSERT_EQ(boxes.seen().size(), 2u) << "one message for the whole import";
    EXPECT_EQ(boxes.seen()[1].text, L"File error #2");
    EXPECT_EQ(probe->number, 13u) << "a value that cannot be read counts as missing";
    EXPECT_STREQ(session().activeConfigName, L"Current");
}
}  // namespace

namespace {
// A configuration file of 200 KiB: what lies within the first 128 KiB is imported, what lies past
// it is not looked at, and the large file changes nothing else.
TEST_F(StoreFiles, ABigFileImportsWhatLiesWithinTheSearchedPart) {
    probe->number = 21;
    probe->text = L"Courier";
    Command(IDM_EXPORT);
    const std::string exported = FileBytes();
    DWORD other = 30;
    std::string filler;
    const std::string record = Utf16(EncodeValueKey(L"Elsewhere", L"Unread") + EncodeValueData(&other, 4));
    while (filler.size() + record.size() <= 200 * 1024 - exported.size()) filler += record;
    auto importFile = [&](const std::string& bytes) {
        FileHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        file.reset();
        probe->number = 13;
        probe->text = L"Tahoma";
        session().marks.Set(0, 0);
        ModalScript boxes;
        Command(IDM_IMPORT);
        EXPECT_TRUE(boxes.seen().empty());
    };

    importFile(exported + filler);   // the records first, then 200 KiB of others
    EXPECT_GE(FileBytes().size(), 190u * 1024);
    EXPECT_EQ(probe->number, 21u);
    EXPECT_EQ(probe->text, L"Courier");

    // The header, the others, then the records from byte 180 KiB on: past the searched part.
    const std::string header = Utf16(kConfigFileHeader);
    importFile(header + filler.substr(0, 180 * 1024 - header.size() - (180 * 1024 - header.size()) % record.size()) +
               exported.substr(header.size()));
    EXPECT_EQ(probe->number, 13u) << "beyond the searched part a value counts as missing";
    EXPECT_EQ(probe->text, L"Tahoma");
    EXPECT_EQ(session().marks.changes(), 1) << "imported all the same, and marked unsaved";
}
}  // namespace
