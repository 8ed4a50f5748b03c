// A fixture that starts the program's main window in the test process, on a clean registry
// and object store, as the device would start it, and tears it down afterwards.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the main window, menu bar, sheet and pages.
    void StartProgram();
    // Every page's window handle in list order.
    HWND PageWindow(int index) const;
    // The sheet's title line text.
    std::wstring TitleText() const;
    // The Configuration menu's item texts and which one is checked.
    std::wstring MenuItems() const;
};

// Clears the program's keys below HKEY_LOCAL_MACHINE.
void ClearProgramKeys();
// Writes a file (UTF-8 bytes) below the object store; returns its path.
std::wstring WriteStoreFile(const wchar_t* path, const char* content);
bool FileExists(const wchar_t* path);
