// A registry that refuses writes, made read-only through the keys' own security: Apply and Save
// say which pages' settings did not reach the device or the configuration, instead of claiming
// success, and the reset question stays as it was.
#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "config/apply.h"
#include "config/configurations.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/registry.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

// Denies everyone the setting of values and the making of subkeys in one key, while it lives.
class ReadOnlyKey {
public:
    ReadOnlyKey(HKEY root, const wchar_t* path) {
        RegOpenKeyExW(root, path, 0, READ_CONTROL | WRITE_DAC, key_.put());
        DWORD size = 0;
        RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) return;
        PSECURITY_DESCRIPTOR denied = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &denied,
                                                             nullptr);
        locked_ = RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, denied) == ERROR_SUCCESS;
        LocalFree(denied);
    }
    ~ReadOnlyKey() {
        if (locked_) RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, saved_.data());
    }
    bool locked() const { return locked_; }

private:
    RegKey key_;
    std::vector<BYTE> saved_;
    bool locked_ = false;
};

bool Writable(HKEY root, const wchar_t* path) {
    RegKey key;
    return RegOpenKeyExW(root, path, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS;
}

int reboots = 0;
void CountReboot() { ++reboots; }

const wchar_t kResetText[] = L"You have made changes that will appear after reset.\n\nReset now?";

class RefusedWrites : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        reboots = 0;
        SetRebootHandlerForTests(CountReboot);
        StartProgram();
    }
    void TearDown() override {
        SetRebootHandlerForTests(nullptr);
        AppTest::TearDown();
    }
    void Command(UINT id) { SendMessageW(program().mainWindow(), WM_COMMAND, id, 0); }
};

TEST_F(RefusedWrites, ApplyNamesThePagesTheDeviceRefusedAndStillOffersTheReset) {
    ReadOnlyKey gwe(HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE");
    ASSERT_TRUE(gwe.locked());
    ASSERT_FALSE(Writable(HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE"));
    const DWORD before = ReadDword(L"SYSTEM", L"GWE", L"cyCap");

    // The applied configuration, unchanged: nothing is asked, but the refusal is told.
    {
        ModalScript boxes;
        boxes.Press(IDOK);
        Command(IDM_APPLY);
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].caption, L"Error");
        EXPECT_EQ(boxes.seen()[0].text, L"These settings could not be written to the device: GUI, Size, Misc.");
    }
    // With an edit: the refusal first, then the reset question twice, as always.
    session().NoteUserChange();
    {
        ModalScript boxes;
        boxes.Press(IDOK).Press(IDNO).Press(IDNO);
        Command(IDM_APPLY);
        ASSERT_EQ(boxes.seen().size(), 3u);
        EXPECT_EQ(boxes.seen()[0].caption, L"Error");
        EXPECT_EQ(boxes.seen()[1].text, kResetText);
        EXPECT_EQ(boxes.seen()[2].text, kResetText);
    }
    EXPECT_EQ(ReadDword(L"SYSTEM", L"GWE", L"cyCap"), before);
    EXPECT_EQ(reboots, 0);
}

TEST_F(RefusedWrites, ASaveTheConfigurationRefusedKeepsTheChangesMarked) {
    ReadOnlyKey gwe(HKEY_LOCAL_MACHINE, L"Orvanel\\Current\\GWE");
    ASSERT_TRUE(gwe.locked());
    session().NoteUserChange();
    ModalScript boxes;
    boxes.Press(IDOK).Press(IDNO);
    Command(IDM_SAVE);   // "Current" is the applied configuration: the device is written too
    ASSERT_EQ(boxes.seen().size(), 2u);
    EXPECT_EQ(boxes.seen()[0].caption, L"Error");
    EXPECT_EQ(boxes.seen()[0].text,
              L"These settings could not be saved in configuration \"Current\": GUI, Size, Misc.");
    EXPECT_EQ(boxes.seen()[1].text, kResetText);
    EXPECT_EQ(TitleText(), L"Configuration: \"Current\"  *  ") << "what was not saved stays marked";
}

TEST_F(RefusedWrites, ApplyThatCannotRecordTheNameSaysTheDeviceWasNotWritten) {
    // A value the device lacks: the Apply would change the device, so it must keep its settings.
    const DWORD caption = 31;
    SetRegistryValue(HKEY_LOCAL_MACHINE, L"Orvanel\\Original\\GWE", L"cyCap", REG_DWORD, &caption, sizeof caption);
    LoadConfig(session(), L"Original");
    ReadOnlyKey program(HKEY_LOCAL_MACHINE, L"Orvanel");
    ASSERT_TRUE(program.locked());
    ModalScript boxes;
    boxes.Press(IDYES).Press(IDOK).Press(IDNO);
    Command(IDM_APPLY);
    ASSERT_EQ(boxes.seen().size(), 3u);
    EXPECT_NE(boxes.seen()[0].text.find(L"could not be kept as \"Before Apply\""), std::wstring::npos)
        << "nowhere to keep the device's settings: asked first";
    EXPECT_EQ(boxes.seen()[1].caption, L"Error");
    EXPECT_EQ(boxes.seen()[1].text,
              L"Configuration \"Original\" could not be recorded as the applied one, so it was not written to the "
              L"device.");
    EXPECT_EQ(boxes.seen()[2].text, kResetText) << "another configuration: the question as always";
    EXPECT_NE(MenuItems().find(L"*Current"), std::wstring::npos);
}

// The kept settings are replaced only once the new ones are written whole: a refusal leaves them.
TEST_F(RefusedWrites, ARefusedKeepLeavesTheWayBackThereWhateverTheAnswer) {
    // The device gets what is applied here: it is put back at the end.
    struct PutBack {
        MemoryStore device;
        ~PutBack() { device.CopyTo(*OpenRegistryStore(kSystemStoreKey, true)); }
    } putBack{CaptureDevice(session())};
    auto caption = [](DWORD value) {
        SetRegistryValue(HKEY_LOCAL_MACHINE, L"Orvanel\\Current\\GWE", L"cyCap", REG_DWORD, &value, sizeof value);
    };
    caption(31);
    LoadConfig(session(), L"Current");
    Command(IDM_APPLY);   // the applied one, unchanged: nothing is asked
    const std::optional<DWORD> kept = QueryRegistryDword(HKEY_LOCAL_MACHINE, L"Orvanel\\Before Apply\\GWE", L"cyCap");
    ASSERT_TRUE(kept.has_value());
    const std::vector<KeyValueCopy> before = ReadKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel\\Before Apply");
    // Refused at once (the kept key itself), or part of the way (one of its subkeys).
    DWORD next = 32;   // a caption height the device does not have yet, each time
    for (const wchar_t* refusing : {L"Orvanel\\Before Apply", L"Orvanel\\Before Apply\\GWE"}) {
        for (int answer : {IDNO, IDYES}) {
            caption(next++);
            LoadConfig(session(), L"Current");
            ReadOnlyKey locked(HKEY_LOCAL_MACHINE, refusing);
            ASSERT_TRUE(locked.locked());
            ModalScript boxes;
            boxes.Press(answer);
            Command(IDM_APPLY);
            ASSERT_FALSE(boxes.seen().empty());
            EXPECT_NE(boxes.seen()[0].text.find(L"could not be kept"), std::wstring::npos);
            const std::vector<KeyValueCopy> after = ReadKeyTree(HKEY_LOCAL_MACHINE, L"Orvanel\\Before Apply");
            ASSERT_EQ(after.size(), before.size()) << "locked: " << std::string(refusing, refusing + wcslen(refusing));
            for (size_t i = 0; i < after.size(); ++i) {
                EXPECT_EQ(after[i].name, before[i].name);
                EXPECT_EQ(after[i].bytes, before[i].bytes) << std::string(after[i].name.begin(), after[i].name.end());
            }
        }
    }
}

// The input method page writes the device whatever the configuration: a refusal is the device's,
// told once, also when the configuration is the applied one and the device is written twice.
TEST_F(RefusedWrites, TheInputMethodsRefusedAreAWriteToTheDevice) {
    PropSheet_SetCurSel(session().sheet, nullptr, 2);   // the page reads the device when shown
    ReadOnlyKey sip(HKEY_CURRENT_USER, L"ControlPanel\\Sip");
    ASSERT_TRUE(sip.locked());
    ModalScript boxes;
    boxes.Press(IDOK).Press(IDOK);
    SaveConfig(session(), L"Other");
    Command(IDM_APPLY);
    ASSERT_EQ(boxes.seen().size(), 2u);
    for (const SeenBox& box : boxes.seen())
        EXPECT_EQ(box.text, L"These settings could not be written to the device: Sip.");
}

}  // namespace
