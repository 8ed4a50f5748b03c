// The program object: it owns everything the program holds while it runs (the instance, the
// main window and its menu bar, the sheet and its pages through the session, the active
// configuration and the counters) and handles the main window's messages.
#pragma once
#include <windows.h>

#include "config/session.h"
#include "platform/pocketpc.h"

class Program {
public:
    explicit Program(HINSTANCE instance);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The entry point's work: the installer hooks ("first", "last"), the running copy, the
    // main window, then the message loop; the process's exit code.
    int Main(const wchar_t* commandLine, int showCommand);

    // Start-up steps, usable on their own.
    bool CreateMainWindow(int showCommand);   // window, menu bar, sheet and pages
    // Until quit; the quit code, or -1 when no message could be got. The messages come from
    // GetMessageW unless a test hands in another source.
    using MessageSource = BOOL(WINAPI*)(MSG*, HWND, UINT, UINT);
    int RunMessageLoop(MessageSource getMessage = GetMessageW);
    // Carries out a menu or accelerator command; false for ids that are not the program's.
    bool HandleCommand(UINT id);
    // Reads the screen; true when its orientation differs from the one the pages have.
    bool CheckOrientation();
    // Relays every page out when the screen has turned; nothing otherwise.
    void RelayoutPages();
    // How many times the pages were relaid out since start.
    int relayouts() const { return relayouts_; }

    HINSTANCE instance() const { return instance_; }
    HWND mainWindow() const { return mainWindow_; }
    HWND menuBar() const { return menuBar_; }
    Session& session() { return session_; }
    bool isLandscape() const { return isLandscape_; }

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateMenuBarAndSheet(HWND wnd);
    void CreateSheet(HWND owner);
    void InstallHook();
    void RemovalHook();

    HINSTANCE instance_;
    HWND mainWindow_ = nullptr;
    HWND menuBar_ = nullptr;
    bool quitRunningInstance_ = false;   // set by the "last" hook: close a running copy, open none
    bool isLandscape_ = false;
    int relayouts_ = 0;
    SHACTIVATEINFO shellActivateInfo_ = {};
    Session session_;
};

// Makes the registered pages, in list order, into the session (their dialogs wait until shown).
void AddRegisteredPages(Session& session);

// "\Windows\delme_*.*": the files a font removal could not delete while they were in use.
void DeleteLeftoverFiles();

struct DialogTemplate;
// Moves a page's controls to the positions of another of its templates and refreshes what their
// look takes from it (labels, images, list selections); the images loaded go to `images`. FALSE
// when the template is missing or unreadable (nothing moves) or holds two unnamed items.
BOOL ApplyDialogLayout(HINSTANCE instance, HWND dialog, WORD templateId, ControlImages& images);
BOOL ApplyDialogTemplate(HINSTANCE instance, HWND dialog, const DialogTemplate& layout, ControlImages& images);
// Relays one page out for the orientation; a missing template is reported.
void RelayoutPage(HINSTANCE instance, SettingsPage* page, bool landscape);
