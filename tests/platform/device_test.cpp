// The emulated device: screen geometry, the ROM file table over a folder, the reboot request.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "platform/pocketpc.h"

namespace {

TEST(PlatformDevice, ScreenFromOverrideEnvironmentOrHost) {
    SetDeviceScreenForTests(240, 320, 96);
    RECT work = DeviceWorkArea();
    EXPECT_EQ(work.left, 0);
    EXPECT_EQ(work.top, 26);
    EXPECT_EQ(work.right, 240);
    EXPECT_EQ(work.bottom, 320 - 26);
    RECT window = DeviceDefaultWindowRect();
    EXPECT_EQ(window.top, 26);
    EXPECT_EQ(window.bottom, 320);
    SetDeviceScreenForTests(480, 640, 192);   // the bars double on a high-dpi screen
    EXPECT_EQ(DeviceWorkArea().top, 52);
    EXPECT_EQ(DeviceWorkArea().bottom, 640 - 52);
    SetDeviceScreenForTests(0, 0, 0);

    SetEnvironmentVariableW(L"ORVANEL_SCREEN", L"480x640@192");
    EXPECT_EQ(DeviceMetric(SM_CXSCREEN), 480);
    EXPECT_EQ(DeviceMetric(SM_CYSCREEN), 640);
    EXPECT_EQ(DeviceDpi(), 192);
    SetEnvironmentVariableW(L"ORVANEL_SCREEN", L"320x240");
    EXPECT_EQ(DeviceMetric(SM_CXSCREEN), 320);
    EXPECT_EQ(DeviceDpi(), 96);
    // Text that is not a screen falls back to the host.
    for (const wchar_t* bad : {L"480", L"480x", L"480x640@", L"480x640junk", L"0x640"}) {
        SetEnvironmentVariableW(L"ORVANEL_SCREEN", bad);
        EXPECT_EQ(DeviceMetric(SM_CXSCREEN), GetSystemMetrics(SM_CXSCREEN)) << bad;
    }
    SetEnvironmentVariableW(L"ORVANEL_SCREEN", nullptr);
    EXPECT_EQ(DeviceMetric(SM_CYSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

class PlatformRom : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"orvanel_rom_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
        CreateDirectoryW((dir_ + L"\\sub").c_str(), nullptr);   // folders are not ROM files
        SetEnvironmentVariableW(L"ORVANEL_ROM", dir_.c_str());   // no trailing backslash
        for (auto [name, bytes] : {std::pair{L"tahoma.ttf", "0123456789"}, {L"Arial.ttf", "AR"}, {L"b.bin", ""}}) {
            HANDLE file = CreateFileW((dir_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                      nullptr);
            DWORD written = 0;
            WriteFile(file, bytes, static_cast<DWORD>(strlen(bytes)), &written, nullptr);
            CloseHandle(file);
        }
    }
    void TearDown() override {
        for (const wchar_t* name : {L"tahoma.ttf", L"Arial.ttf", L"b.bin"}) DeleteFileW((dir_ + L"\\" + name).c_str());
        RemoveDirectoryW((dir_ + L"\\sub").c_str());
        RemoveDirectoryW(dir_.c_str());
        SetEnvironmentVariableW(L"ORVANEL_ROM", nullptr);
    }
    std::wstring dir_;
};

TEST_F(PlatformRom, ListsFilesByNameIgnoringCaseThenFails) {
    EXPECT_EQ(std::wstring(RomDirectory()), dir_ + L"\\");
    const wchar_t* names[] = {L"Arial.ttf", L"b.bin", L"tahoma.ttf"};
    const DWORD sizes[] = {2, 0, 10};
    WIN32_FIND_DATAW data;
    for (DWORD i = 0; i < 3; ++i) {
        ASSERT_TRUE(GetRomFileInfo(2, &data, i)) << i;
        EXPECT_STREQ(data.cFileName, names[i]);
        EXPECT_EQ(data.nFileSizeLow, sizes[i]);
    }
    SetLastError(0);
    EXPECT_FALSE(GetRomFileInfo(2, &data, 3));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_FALSE(GetRomFileInfo(1, &data, 0));   // only type 2, the files, exists

    SetEnvironmentVariableW(L"ORVANEL_ROM", nullptr);
    EXPECT_STREQ(RomDirectory(), L"R:\\");
}

TEST_F(PlatformRom, ReadsBytesFromPositionUpToTheEnd) {
    char buffer[16] = {};
    EXPECT_EQ(GetRomFileBytes(2, 2, 0, buffer, 10), 10u);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_EQ(GetRomFileBytes(2, 2, 7, buffer, 10), 3u);
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_EQ(GetRomFileBytes(2, 3, 0, buffer, 10), 0u);   // past the last file
}

int reboots = 0;

TEST(PlatformReboot, RebootGoesToTheHandlerOrEndsTheProgram) {
    SetRebootHandlerForTests([] { ++reboots; });
    DWORD in = 0, out = 0, returned = 0;
    EXPECT_TRUE(KernelIoControl(IOCTL_HAL_REBOOT, &in, 4, &out, 4, &returned));
    EXPECT_EQ(reboots, 1);
    SetLastError(0);
    EXPECT_FALSE(KernelIoControl(0x01010001, &in, 4, &out, 4, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(reboots, 1);

    SetRebootHandlerForTests(nullptr);
    EXPECT_EXIT(KernelIoControl(IOCTL_HAL_REBOOT, &in, 4, &out, 4, &returned),
                ::testing::ExitedWithCode(static_cast<int>(kRebootExitCode)), "");
}

}  // namespace
