// A fixture that starts the program in the test process, on a clean registry and object store,
// as the device would start it, and tears it down afterwards.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>
#include <string>

#include "shell/program.h"

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the program object, its main window, menu bar, sheet and pages.
    void StartProgram();
    // Destroys the program object and everything it made.
    void StopProgram();
    Program& program() { return *program_; }
    Session& session() { return program_->session(); }
    // A page's window handle, by list index; a page not shown yet is made (shown, then the page
    // that was on show is shown again).
    HWND PageWindow(size_t index);
    // The sheet's title line text.
    std::wstring TitleText();
    // The Configuration menu's item texts and which one is checked.
    std::wstring MenuItems();

    std::unique_ptr<Program> program_;
};

// Clears the program's keys below HKEY_LOCAL_MACHINE.
void ClearProgramKeys();
// Writes a file (UTF-8 bytes) below the object store; returns its path.
std::wstring WriteStoreFile(const wchar_t* path, const char* content);
bool FileExists(const wchar_t* path);
// Stands in for the Export and Import file dialogs: both answer `path`, as if the user had chosen
// it; an empty path cancels them.
void AnswerFileDialogs(Session& session, const std::wstring& path);
// A file's whole content; empty when it cannot be read.
std::vector<BYTE> FileBytes(const std::wstring& path);
