// The registry helpers against the real registry of the test device.
#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <string>

#include "base/handles.h"
#include "store/registry.h"
#include "store/store.h"

namespace {
constexpr wchar_t kStore[] = L"OrvanelTest\\Store";

class RegistryHelpers : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, L"OrvanelTest");
        DeleteKeyTree(HKEY_CURRENT_USER, L"OrvanelTest");
        DeleteKeyTree(HKEY_CLASSES_ROOT, L"OrvanelTest");
    }
    static bool HklmKeyExists(const wchar_t* path) {
        RegKey key;
        return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    }
};

TEST_F(RegistryHelpers, DwordRoundTripAndMissingValues) {
    EXPECT_EQ(ReadDword(kStore, L"GWE", L"cxVScr"), 0xFFFFFFFFu) << "missing key";
    ASSERT_TRUE(WriteDword(kStore, L"GWE", L"cxVScr", 16));
    EXPECT_EQ(ReadDword(kStore, L"GWE", L"cxVScr"), 16u);
    EXPECT_EQ(ReadDword(kStore, L"GWE", L"cyVScr"), 0xFFFFFFFFu) << "missing value";

    // A value longer than four bytes cannot be read as a number.
    BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(WriteBinary(kStore, L"GWE", L"Long", eight, sizeof(eight)));
    EXPECT_EQ(ReadDword(kStore, L"GWE", L"Long"), 0xFFFFFFFFu);
    // The type is not checked for numbers: four binary bytes read as one.
    ASSERT_TRUE(WriteBinary(kStore, L"GWE", L"Four", eight, 4));
    EXPECT_EQ(ReadDword(kStore, L"GWE", L"Four"), 0x04030201u);
}

TEST_F(RegistryHelpers, StringsCheckTheirTypeAndKeepTheirTerminator) {
    wchar_t buffer[32];
    ASSERT_TRUE(WriteString(kStore, L"GDI\\SYSFNT", L"Nm", L""));
    DWORD type = 0, bytes = 0;
    {
        RegKey key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"OrvanelTest\\Store\\GDI\\SYSFNT", 0, KEY_READ, key.put()),
                  ERROR_SUCCESS);
        RegQueryValueExW(key.get(), L"Nm", nullptr, &type, nullptr, &bytes);
    }
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 2u) << "the empty text is stored as its NUL alone";

    ASSERT_TRUE(WriteString(kStore, L"GDI\\SYSFNT", L"Nm", L"Tahoma"));
    lstrcpyW(buffer, L"unchanged");
    ASSERT_TRUE(ReadString(kStore, L"GDI\\SYSFNT", L"Nm", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, L"Tahoma");

    ASSERT_TRUE(WriteDword(kStore, L"GDI\\SYSFNT", L"Ht", 12));
    lstrcpyW(buffer, L"unchanged");
    EXPECT_FALSE(ReadString(kStore, L"GDI\\SYSFNT", L"Ht", buffer, sizeof(buffer))) << "a number is no string";
    EXPECT_STREQ(buffer, L"unchanged") << "a failed read leaves the caller's buffer alone";

    // A text longer than the buffer fails without touching it.
    ASSERT_TRUE(WriteString(kStore, L"GDI\\SYSFNT", L"Nm", L"A face name much longer than the buffer"));
    wchar_t small[8];
    lstrcpyW(small, L"keep");
    EXPECT_FALSE(ReadString(kStore, L"GDI\\SYSFNT", L"Nm", small, sizeof(small)));
    EXPECT_STREQ(small, L"keep");

    BYTE bin[4];
    EXPECT_FALSE(ReadBinary(kStore, L"GDI\\SYSFNT", L"Ht", bin, sizeof(bin))) << "a number is no binary";
}

TEST_F(RegistryHelpers, StringStoredWithoutTerminatorIsTerminated) {
    {
        RegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"OrvanelTest\\Store\\X", 0, nullptr, 0, KEY_WRITE, nullptr,
                                  key.put(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key.get(), L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abcd"), 8);
    }
    wchar_t buffer[8];
    wmemset(buffer, L'z', 8);
    ASSERT_TRUE(ReadString(kStore, L"X", L"Raw", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, L"abcd") << "what followed in the buffer is not part of the text";
}

TEST_F(RegistryHelpers, EmptyStoreKeyAddressesTheSubkeyUnderTheRoot) {
    ASSERT_TRUE(WriteDword(L"", L"OrvanelTest\\SOFTWARE\\Microsoft\\Color", L"4", 0x00FF00FF));
    EXPECT_EQ(ReadDword(L"OrvanelTest", L"SOFTWARE\\Microsoft\\Color", L"4"), 0x00FF00FFu);
    EXPECT_EQ(ReadDword(L"", L"OrvanelTest\\SOFTWARE\\Microsoft\\Color", L"4"), 0x00FF00FFu);
    EXPECT_TRUE(KeyExists(L"OrvanelTest", L"SOFTWARE\\Microsoft"));
    EXPECT_TRUE(KeyExists(L"OrvanelTest\\SOFTWARE", nullptr));
    EXPECT_FALSE(KeyExists(L"OrvanelTest", L"Nothing"));
}

TEST_F(RegistryHelpers, DirectFamilyReadsCreateTheirKeys) {
    wchar_t buffer[16] = L"keep";
    EXPECT_FALSE(GetUserString(L"OrvanelTest\\Sip", L"", L"DefaultIm", buffer, sizeof(buffer)));
    RegKey key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"OrvanelTest\\Sip", 0, KEY_READ, key.put()), ERROR_SUCCESS)
        << "the read leaves the key created";

    ASSERT_TRUE(PutUserString(L"OrvanelTest", L"Sip", L"DefaultIm", L"{GUID}"));
    ASSERT_TRUE(GetUserString(L"OrvanelTest", L"Sip", L"DefaultIm", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, L"{GUID}");

    ASSERT_TRUE(PutUserDword(L"OrvanelTest", L"Main", L"ZoomSetting", 3));
    EXPECT_EQ(GetUserDword(L"OrvanelTest", L"Main", L"ZoomSetting"), 3u);
    EXPECT_EQ(GetUserDword(L"OrvanelTest", L"Main", L"Missing"), 0xFFFFFFFFu);

    ASSERT_TRUE(PutClassString(L"OrvanelTest\\CLSID", L"", L"", L"Keyboard"));
    ASSERT_TRUE(GetClassString(L"OrvanelTest\\CLSID", L"", L"", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, L"Keyboard");
}

TEST_F(RegistryHelpers, UserStringsAreBelowTheCurrentUser) {
    ASSERT_TRUE(WriteUserString(L"OrvanelTest", L"Inbox", L"MsgListReadFont", L"Small"));
    wchar_t buffer[16] = {};
    ASSERT_TRUE(GetUserString(L"OrvanelTest", L"Inbox", L"MsgListReadFont", buffer, sizeof(buffer)));
    EXPECT_STREQ(buffer, L"Small");
    EXPECT_FALSE(HklmKeyExists(L"OrvanelTest\\Inbox"));
}

TEST_F(RegistryHelpers, DeleteKeyTreeRemovesEverythingBelow) {
    ASSERT_TRUE(WriteDword(kStore, L"A\\B\\C", L"v", 1));
    ASSERT_TRUE(DeleteKeyTree(HKEY_LOCAL_MACHINE, L"OrvanelTest\\Store"));
    EXPECT_FALSE(HklmKeyExists(L"OrvanelTest\\Store"));
    EXPECT_TRUE(HklmKeyExists(L"OrvanelTest"));
    EXPECT_FALSE(DeleteKeyTree(HKEY_LOCAL_MACHINE, L"")) << "never the root";
}
}  // namespace

// A registry store opens each key once and holds it for its own life, one operation: when it
// goes, every handle it opened goes with it, a key that refused a write included.
TEST_F(RegistryHelpers, AStoreClosesEveryKeyItHeldWhenItGoes) {
    WriteDword(kStore, L"Locked", L"x", 1);
    RegKey locked;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"OrvanelTest\\Store\\Locked", 0, READ_CONTROL | WRITE_DAC, locked.put());
    PSECURITY_DESCRIPTOR denied = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                     &denied, nullptr));
    ASSERT_EQ(RegSetKeySecurity(locked.get(), DACL_SECURITY_INFORMATION, denied), ERROR_SUCCESS);
    LocalFree(denied);

    DWORD before = 0, during = 0, after = 0;
    GetProcessHandleCount(GetCurrentProcess(), &before);
    {
        auto store = OpenRegistryStore(kStore, false);
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(store->WriteDword({LiveRoot::System, L"GWE", L"cxVScr"}, 16 + i));
            EXPECT_EQ(store->ReadDword({LiveRoot::System, L"GWE", L"cxVScr"}), 16u + i);
            EXPECT_FALSE(store->WriteDword({LiveRoot::System, L"Locked", L"x"}, 2)) << "refused, as before";
            EXPECT_EQ(store->ReadDword({LiveRoot::System, L"Locked", L"x"}), 1u);
            EXPECT_FALSE(store->ReadDword({LiveRoot::System, L"Absent", L"x"}));
        }
        GetProcessHandleCount(GetCurrentProcess(), &during);
    }
    GetProcessHandleCount(GetCurrentProcess(), &after);
    EXPECT_LE(during, before + 4) << "each key once: GWE to read and to write, Locked to read";
    EXPECT_EQ(after, before);
    PSECURITY_DESCRIPTOR open = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KA;;;WD)", SDDL_REVISION_1, &open, nullptr);
    RegSetKeySecurity(locked.get(), DACL_SECURITY_INFORMATION, open);
    LocalFree(open);
}
