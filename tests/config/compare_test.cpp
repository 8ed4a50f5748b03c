// Compare and Undo Apply through the real program: the differences in the pages' words against a
// configuration, the device and a file; the list the command shows; the configuration "Before
// Apply" that every Apply keeps, and the undo that applies it.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "base/handles.h"
#include "base/strings.h"
#include "config/apply.h"
#include "config/compare.h"
#include "config/config_file.h"
#include "config/configurations.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "shell/program.h"
#include "store/memory_store.h"
#include "store/registry.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

int reboots = 0;
void CountReboot() { ++reboots; }

constexpr wchar_t kReset[] = L"You have made changes that will appear after reset.\n\nReset now?";

// Every key and value below HKEY_LOCAL_MACHINE\path, as text.
std::wstring Dump(const std::wstring& path) {
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return L"-";
    std::wstring out = L"[" + path + L"]";
    for (DWORD i = 0;; ++i) {
        wchar_t name[300];
        DWORD chars = 300, type = 0, size = 4096;
        BYTE data[4096];
        if (RegEnumValueW(key.get(), i, name, &chars, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        out += std::wstring(name) + L"=" + std::to_wstring(type) + L":";
        for (DWORD b = 0; b < size; ++b) out += std::to_wstring(data[b]) + L",";
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[300];
        DWORD chars = 300;
        if (RegEnumKeyExW(key.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        out += Dump(path + L"\\" + name);
    }
    return out;
}

// The device's values at every place the pages write, as bytes.
std::vector<std::vector<BYTE>> DeviceValues(Session& session) {
    std::vector<std::vector<BYTE>> values;
    const MemoryStore device = CaptureDevice(session);
    for (const auto& value : device.values()) values.push_back(value.bytes);
    return values;
}

class Compare : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        reboots = 0;
        SetRebootHandlerForTests(CountReboot);
        StartProgram();
        device_ = DeviceValues(session());
    }
    void TearDown() override {
        restoreDevice_();
        SetRebootHandlerForTests(nullptr);
        AppTest::TearDown();
    }
    void Command(UINT id) { SendMessageW(program().mainWindow(), WM_COMMAND, id, 0); }
    void TypeCaptionHeight(const wchar_t* text) { SetDlgItemTextW(PageWindow(1), IDC_SIZE_VALUE, text); }
    bool UndoEnabled() {
        return !(GetMenuState(session().toolsMenu, IDM_UNDO_APPLY, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    }
    // Puts the device back as SetUp found it (tests that apply change it).
    std::function<void()> restoreDevice_ = [] {};
    void RestoreDeviceAtEnd() {
        MemoryStore original = CaptureDevice(session());
        restoreDevice_ = [original] {
            auto live = OpenRegistryStore(kSystemStoreKey, true);
            original.CopyTo(*live);
        };
    }
    std::vector<std::vector<BYTE>> device_;
};

void SetDword(const wchar_t* path, const wchar_t* name, DWORD value) {
    SetRegistryValue(HKEY_LOCAL_MACHINE, path, name, REG_DWORD, &value, sizeof value);
}

TEST_F(Compare, OneValueOnEachPageListsThoseLinesInPageOrderAndInWords) {
    SaveConfigurationPages(session(), L"CmpA");
    CopyKeyTree(L"Orvanel\\CmpA", L"Orvanel\\CmpB", HKEY_LOCAL_MACHINE);
    auto colors = QueryRegistryBinary(HKEY_LOCAL_MACHINE, L"Orvanel\\CmpB\\GWE", L"SysColor", 4096);
    ASSERT_TRUE(colors && colors->size() >= 12);
    const COLORREF titleBar = *reinterpret_cast<const COLORREF*>(colors->data() + 8);
    const COLORREF changed = RGB(1, 2, 3);
    std::memcpy(colors->data() + 8, &changed, 4);
    SetRegistryValue(HKEY_LOCAL_MACHINE, L"Orvanel\\CmpB\\GWE", L"SysColor", REG_BINARY, colors->data(),
                     static_cast<DWORD>(colors->size()));
    SetDword(L"Orvanel\\CmpB\\GWE", L"cyCap", 30);
    SetDword(L"Orvanel\\CmpB\\Software\\Microsoft\\Internet Explorer\\Main", L"ZoomSetting", 5);
    SetDword(L"Orvanel\\CmpB\\SOFTWARE\\Microsoft\\Color", L"7", RGB(10, 20, 30));
    LoadConfig(session(), L"CmpA");

    const auto d = CompareWith(session(), L"Orvanel\\CmpB");
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].page, L"GUI");
    EXPECT_EQ(d[0].setting, L"Active Title Bar");
    EXPECT_EQ(d[0].here, FormatText(32, L"%d, %d, %d", GetRValue(titleBar), GetGValue(titleBar), GetBValue(titleBar)));
    EXPECT_EQ(d[0].there, L"1, 2, 3");
    EXPECT_EQ(d[0].hereColor, titleBar);
    EXPECT_EQ(d[0].thereColor, changed);
    EXPECT_EQ(d[1].page, L"Size");
    EXPECT_EQ(d[1].setting, L"Caption height");
    EXPECT_EQ(d[1].here, L"23 pixels");
    EXPECT_EQ(d[1].there, L"30 pixels");
    EXPECT_EQ(d[2].page, L"Misc");
    EXPECT_EQ(d[2].setting, L"Internet Explorer text size");
    EXPECT_EQ(d[2].here, L"+0");
    EXPECT_EQ(d[2].there, L"+3") << "as the list shows it";
    EXPECT_EQ(d[3].page, L"Theme");
    EXPECT_EQ(d[3].setting, L"Status bar");
    EXPECT_EQ(d[3].there, L"10, 20, 30");

    EXPECT_TRUE(CompareWith(session(), L"Orvanel\\CmpA").empty());
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel\\CmpA");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel\\CmpB");
}

TEST_F(Compare, WithTheDeviceAFileAndAMissingValueChangingNothing) {
    TypeCaptionHeight(L"30");
    const std::wstring title = TitleText();
    const std::wstring stored = Dump(L"Orvanel");
    const int changes = session().marks.changes();

    auto d = CompareWith(session(), kSystemStoreKey);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].setting, L"Caption height");
    EXPECT_EQ(d[0].here, L"30 pixels");
    EXPECT_EQ(d[0].there, L"23 pixels");
    EXPECT_EQ(session().marks.changes(), changes);

    // The input methods compare with the device, by name.
    HWND sip = PageWindow(2);
    SendMessageW(sip, WM_COMMAND, MAKEWPARAM(IDC_SIP_TOGGLE, BN_CLICKED), 0);
    d = CompareWith(session(), kSystemStoreKey);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[1].page, L"Sip");
    EXPECT_NE(d[1].here.find(L"abled"), std::wstring::npos);
    EXPECT_NE(d[1].here.substr(0, 2), d[1].there.substr(0, 2)) << d[1].here << L" / " << d[1].there;
    EXPECT_TRUE(CompareWith(session(), L"Orvanel\\Original").size() == 1u) << "configurations hold no input methods";
    SendMessageW(sip, WM_COMMAND, MAKEWPARAM(IDC_SIP_TOGGLE, BN_CLICKED), 0);

    EXPECT_EQ(TitleText(), title);
    EXPECT_EQ(Dump(L"Orvanel"), stored);
    EXPECT_EQ(DeviceValues(session()), device_);

    // A file: what was exported, after the pages went back to the device's values.
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"orvanel_compare_test.ov";
    AnswerFileDialogs(session(), path);
    ExportConfig(session());
    {
        ModalScript boxes;
        boxes.Press(IDNO);
        LoadConfig(session(), L"Original");
    }
    d = CompareWith(session(), L"@" + path);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].here, L"23 pixels");
    EXPECT_EQ(d[0].there, L"30 pixels");
    DeleteFileW(path.c_str());

    // A value one side lacks.
    RegKey gwe;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Orvanel\\Original\\GWE", 0, KEY_SET_VALUE, gwe.put());
    RegDeleteValueW(gwe.get(), L"cyCap");
    d = CompareWith(session(), L"Orvanel\\Original");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].setting, L"Caption height");
    EXPECT_EQ(d[0].here, L"23 pixels");
    EXPECT_EQ(d[0].there, L"missing");
}

TEST_F(Compare, TheCommandShowsTheListOrNoDifferencesFullScreen) {
    auto chooseDevice = [](HWND dialog) {
        HWND sides = GetDlgItem(dialog, IDC_COMPARE_SIDES);
        EXPECT_EQ(WindowText(dialog), L"Compare with");
        EXPECT_GE(SendMessageW(sides, LB_GETCOUNT, 0, 0), 4) << "the device, Original, Current, a file";
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    std::vector<std::wstring> rows;
    bool noneShown = false;
    RECT screen = {};
    auto readList = [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_COMPARE_LIST);
        // The box itself may not be on screen yet: the label's own style says whether it shows.
        noneShown = (GetWindowLongW(GetDlgItem(dialog, IDC_COMPARE_NONE), GWL_STYLE) & WS_VISIBLE) != 0;
        GetWindowRect(dialog, &screen);
        rows.clear();
        for (int i = 0; i < ListView_GetItemCount(list); ++i) {
            std::wstring row;
            for (int c = 0; c < 3; ++c) {
                wchar_t text[128] = {};
                ListView_GetItemText(list, i, c, text, 128);
                row += std::wstring(c ? L"|" : L"") + text;
            }
            rows.push_back(row);
        }
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    {
        ModalScript boxes;
        boxes.Then(chooseDevice).Then(readList);
        Command(IDM_COMPARE);
    }
    EXPECT_TRUE(noneShown);
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(screen.right - screen.left, DeviceMetric(SM_CXSCREEN));

    TypeCaptionHeight(L"30");
    {
        ModalScript boxes;
        boxes.Then(chooseDevice).Then(readList);
        Command(IDM_COMPARE);
    }
    EXPECT_FALSE(noneShown);
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"Size||", L"Caption height|30 pixels|23 pixels"}));
}

TEST_F(Compare, UndoApplyRestoresWhatTheDeviceHadAndASecondUndoTheApply) {
    RestoreDeviceAtEnd();
    EXPECT_FALSE(UndoEnabled());
    TypeCaptionHeight(L"30");
    {
        ModalScript boxes;
        boxes.Press(IDNO).Press(IDNO);
        Command(IDM_APPLY);
        EXPECT_EQ(boxes.seen().size(), 2u) << "Apply keeps its own flow";
    }
    const auto applied = DeviceValues(session());
    ASSERT_NE(applied, device_);
    EXPECT_NE(MenuItems().find(L"Before Apply"), std::wstring::npos);
    EXPECT_TRUE(UndoEnabled());

    for (const std::vector<std::vector<BYTE>>* expected : {&std::as_const(device_), &applied}) {
        ModalScript boxes;
        boxes.Press(IDYES).Press(IDNO);
        Command(IDM_UNDO_APPLY);
        ASSERT_EQ(boxes.seen().size(), 2u);
        EXPECT_NE(boxes.seen()[0].text.find(L"\"Current\" was applied"), std::wstring::npos) << boxes.seen()[0].text;
        EXPECT_EQ(boxes.seen()[1].text, kReset);
        EXPECT_EQ(DeviceValues(session()), *expected);
    }
    // No at the confirmation changes nothing.
    ModalScript boxes;
    boxes.Press(IDNO);
    Command(IDM_UNDO_APPLY);
    EXPECT_EQ(DeviceValues(session()), applied);
    EXPECT_EQ(reboots, 0);
}

TEST_F(Compare, WithoutAWayBackApplyAsksAndAUserConfigurationOfTheNameStays) {
    RestoreDeviceAtEnd();
    // A user's configuration named so before the name was refused: never overwritten.
    SetDword(L"Orvanel\\before apply\\GWE", L"cyCap", 41);
    TypeCaptionHeight(L"30");
    const std::wstring stored = Dump(L"Orvanel");
    {
        ModalScript boxes;
        boxes.Press(IDNO);
        Command(IDM_APPLY);
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].text,
                  L"The device's settings could not be kept as \"Before Apply\", so this Apply could not be undone."
                  L"\n\nApply anyway?");
    }
    EXPECT_EQ(Dump(L"Orvanel"), stored) << "No writes nothing";
    EXPECT_EQ(DeviceValues(session()), device_);
    {
        ModalScript boxes;
        boxes.Press(IDYES).Press(IDNO).Press(IDNO);
        Command(IDM_APPLY);
    }
    EXPECT_EQ(ReadDword(L"Orvanel\\before apply", L"GWE", L"cyCap"), 41u);
    EXPECT_FALSE(UndoEnabled());
    {
        ModalScript boxes;
        boxes.Press(IDOK);
        EXPECT_FALSE(AcceptConfigName(session().sheet, L"BEFORE APPLY"));
        EXPECT_EQ(boxes.seen().size(), 1u);
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel\\before apply");

    // 64 configurations: nowhere to keep either.
    for (int i = 0; RebuildConfigMenu(session(), nullptr), GetMenuItemCount(session().configMenu) < 64; ++i)
        SetDword((L"Orvanel\\Filler " + std::to_wstring(i)).c_str(), L"x", 1);
    TypeCaptionHeight(L"31");   // a change the device does not hold yet
    ModalScript boxes;
    boxes.Press(IDNO);
    Command(IDM_APPLY);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_NE(boxes.seen()[0].text.find(L"Apply anyway?"), std::wstring::npos);
}

}  // namespace

namespace {

// A copy of a store's values with one of them changed as `change` says (nullopt: left out).
MemoryStore CopyChanging(const MemoryStore& from, size_t which,
                         const std::function<std::optional<MemoryStore::Value>(MemoryStore::Value)>& change) {
    MemoryStore to;
    for (size_t i = 0; i < from.values().size(); ++i) {
        std::optional<MemoryStore::Value> v = from.values()[i];
        if (i == which) v = change(*v);
        if (!v) continue;
        switch (v->kind) {
        case MemoryStore::Kind::Dword: {
            DWORD d = 0;
            std::memcpy(&d, v->bytes.data(), std::min<size_t>(4, v->bytes.size()));
            to.WriteDword(v->Ref(), d);
            break;
        }
        case MemoryStore::Kind::String:
            to.WriteString(v->Ref(), std::wstring(reinterpret_cast<const wchar_t*>(v->bytes.data()),
                                                  v->bytes.size() / 2 - (v->bytes.size() >= 2 ? 1 : 0)));
            break;
        case MemoryStore::Kind::Binary: to.WriteBinary(v->Ref(), v->bytes.data(), v->bytes.size()); break;
        }
    }
    return to;
}

}  // namespace

TEST_F(Compare, EveryValueThePagesWriteCountsAsStoredWhateverItsWords) {
    MemoryStore mine;
    for (SettingsPage* page : session().pages)
        if (!page->SavesToDevice()) page->Save(mine);
    ASSERT_GT(mine.values().size(), 20u);
    MemoryStore copy = CopyChanging(mine, SIZE_MAX, nullptr);
    EXPECT_TRUE(CompareStores(session(), mine, copy).empty()) << "a store and its exact copy";

    using Value = MemoryStore::Value;
    const std::pair<const char*, std::function<std::optional<Value>(Value)>> changes[] = {
        {"missing", [](Value) { return std::nullopt; }},
        {"one more", [](Value v) { v.bytes.front() ^= 1; return v; }},   // out of range, or a face's first letter
        {"last byte", [](Value v) {   // past the words: a colour's unused high byte, a name's last letter
             v.bytes[v.bytes.size() - (v.kind == MemoryStore::Kind::String ? 4 : 1)] ^= 0x40;
             return v;
         }},
        {"too large", [](Value v) { v.bytes.assign(v.bytes.size(), 0xFF); return v; }},
        {"another type", [](Value v) {
             v.kind = v.kind == MemoryStore::Kind::String ? MemoryStore::Kind::Binary : MemoryStore::Kind::String;
             if (v.bytes.size() % 2) v.bytes.push_back(0);
             v.bytes.push_back(0), v.bytes.push_back(0);
             return v;
         }},
    };
    for (size_t i = 0; i < mine.values().size(); ++i) {
        for (const auto& [what, change] : changes) {
            MemoryStore other = CopyChanging(mine, i, change);
            const auto d = CompareStores(session(), mine, other);
            EXPECT_FALSE(d.empty()) << what << ": " << std::string(mine.values()[i].name.begin(), mine.values()[i].name.end());
            for (const Difference& line : d) EXPECT_NE(line.here, line.there) << "a line tells the sides apart";
        }
    }
}

TEST_F(Compare, TheWayBackSurvivesSavesRenamesAndRefusalsAndTheQuestionNamesWhatItRestores) {
    RestoreDeviceAtEnd();
    TypeCaptionHeight(L"30");
    {
        ModalScript boxes;
        boxes.Press(IDNO).Press(IDNO);
        Command(IDM_APPLY);
    }
    const auto applied = DeviceValues(session());
    {
        ModalScript boxes;
        boxes.Press(IDYES).Press(IDNO);
        Command(IDM_UNDO_APPLY);
    }
    ASSERT_EQ(DeviceValues(session()), device_);
    EXPECT_STREQ(session().activeConfigName, L"Current") << "the configuration applied then is the edited one";
    const std::wstring kept = Dump(L"Orvanel\\Before Apply");

    // Between the undo and the next one: a switch to the kept settings and their Save (a Save
    // As), an edit saved with Yes to the question, a refused rename.
    LoadConfig(session(), L"Before Apply");
    {
        ModalScript boxes;
        boxes.Then([](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_NAME_EDIT, L"Mine");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        Command(IDM_SAVE);
        EXPECT_EQ(boxes.seen().size(), 1u) << "a Save As";
    }
    EXPECT_STREQ(session().activeConfigName, L"Mine");
    LoadConfig(session(), L"Before Apply");
    TypeCaptionHeight(L"35");
    {
        ModalScript boxes;
        boxes.Press(IDYES).Press(IDCANCEL);   // save changes: the name dialog, cancelled
        LoadConfig(session(), L"Original");
    }
    {
        ModalScript boxes;
        boxes.Press(IDOK);
        Command(IDM_RENAME);
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_NE(boxes.seen()[0].text.find(L"only Apply and Undo Apply write it"), std::wstring::npos);
    }
    EXPECT_EQ(Dump(L"Orvanel\\Before Apply"), kept);
    EXPECT_STREQ(session().activeConfigName, L"Before Apply") << "the cancelled save cancelled the switch";
    {
        ModalScript boxes;
        boxes.Press(IDNO);
        LoadConfig(session(), L"Current");
    }
    // A second undo restores what the first replaced, and says whose settings they were.
    {
        ModalScript boxes;
        boxes.Press(IDYES).Press(IDNO);
        Command(IDM_UNDO_APPLY);
        ASSERT_EQ(boxes.seen().size(), 2u);
        EXPECT_NE(boxes.seen()[0].text.find(L"\"Current\" was applied"), std::wstring::npos);
    }
    EXPECT_EQ(DeviceValues(session()), applied);

    // Kept while no configuration we know was applied: the question does not make one up.
    SetRegistryValue(HKEY_LOCAL_MACHINE, L"Orvanel\\Before Apply", L"KeptBefore", REG_SZ, L"", sizeof(wchar_t));
    ModalScript boxes;
    boxes.Press(IDNO);
    Command(IDM_UNDO_APPLY);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text.find(L"Give the device back the settings it had before the last Apply?"), 0u);
}
