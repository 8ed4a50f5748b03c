// The state the configuration store works on: the pages, the sheet and its title line, the
// Configuration menu, the active configuration's name and the change counters. The program
// object owns one and hands it to the pages as their host.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "framework/page_host.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"

constexpr int kMaxConfigs = 64;
constexpr int kNameChars = 260;         // names, titles and the name dialog's buffers
constexpr int kMaxConfigNameChars = 255;   // a configuration is a registry key: its name's limit

// How the Export and Import commands ask for a path (the device's file dialogs from the platform
// layer, or a test's answer).
using FileDialogFn = BOOL(WINAPI*)(OPENFILENAMEW*);

// The marks the title line shows: changes not saved, changes that want a reset, and the font
// file operations of this run, which no configuration saves and which stay marked until the
// program ends.
class ChangeMarks {
public:
    // A user's edit on a page: a change to save and to reset for.
    void Changed() { ++changes_, ++resets_; }
    // A change that only needs marking: at least one of each.
    void Marked() {
        if (changes_ == 0) changes_ = 1;
        if (resets_ == 0) resets_ = 1;
    }
    // A font file installed, removed or deleted (or tried).
    void FontFileChanged() { ++fontFiles_, Changed(); }
    // A colour chosen in the colour chooser: to save, not to reset for.
    void ColorChosen() { ++changes_; }
    // What the pages hold is saved (or thrown away): only the font file operations stay marked.
    void Saved() { changes_ = resets_ = fontFiles_; }
    // Marks as given (the title's own test; a test that starts without marks).
    void Set(int changes, int resets) { changes_ = changes, resets_ = resets; }

    // Whether "Save changes?" has anything to ask about.
    bool Pending() const { return changes_ != 0 || resets_ != 0; }
    int changes() const { return changes_; }
    int resets() const { return resets_; }
    int fontFiles() const { return fontFiles_; }

private:
    int changes_ = 0;
    int resets_ = 0;
    int fontFiles_ = 0;
};

class Session : public PageHost {
public:
    Session();
    ~Session() override;

    // PageHost.
    HWND MessageOwner() const override { return sheet; }
    BOOL AskFileName(bool save, OPENFILENAMEW* ofn) override {
        FileDialogFn dialog = save ? saveFileDialog : openFileDialog;
        return dialog ? dialog(ofn) : FALSE;
    }
    void NoteUserChange() override;
    void MarkChanged() override;
    void RefreshTitle() override;
    void NoteFontFileChange() override;
    void NoteColorChoice() override;
    void SettingsChanged() override { ++settingsVersion_; }
    unsigned SettingsVersion() const override { return settingsVersion_; }
    COLORREF& ChooserColor() override { return chooserColor; }
    std::span<SettingsPage* const> Pages() const override { return pages; }
    bool SheetComplete() const override { return sheetComplete; }
    void PageDialogMade(SettingsPage& page) override {
        if (onPageDialogMade) onPageDialogMade(page);
    }
    int Scale() const override { return scale; }
    bool IsVersion421() const override { return isVersion421; }

    // Takes a page into the list (at its end) and keeps it until the session goes.
    SettingsPage* AddPage(std::unique_ptr<SettingsPage> page);
    // Puts another page in a page's place in the list (tests stand in for a page this way);
    // the replaced page stays owned by the session. Returns the page that was there.
    SettingsPage* ReplacePage(size_t index, SettingsPage* page);

    std::vector<SettingsPage*> pages;       // list order: tabs, saving, loading, export
    HWND sheet = nullptr;                   // owner of the store's message boxes and dialogs
    HWND titleControl = nullptr;            // the sheet's title line
    HMENU configMenu = nullptr;             // the Configuration drop-down of the menu bar
    wchar_t activeConfigName[kNameChars] = {};
    std::array<std::array<wchar_t, kNameChars>, kMaxConfigs> configNameTable = {};
    ChangeMarks marks;
    COLORREF chooserColor = 0x808080;
    bool sheetComplete = false;             // set once the sheet is made and every page grabbed
    std::function<void(SettingsPage&)> onPageDialogMade;   // the program's fitting of a new page
    int scale = 1;
    bool isVersion421 = false;
    FileDialogFn saveFileDialog;
    FileDialogFn openFileDialog;
    HMENU toolsMenu = nullptr;              // the Tools drop-down (Undo Apply is greyed there)
    // The questions the store asks, by what they ask: a caller that answers them itself answers
    // by this, never by their words.
    enum class Question {
        None,          // a message: only OK
        SaveChanges,   // "Save changes?" before the pages take other settings
        Reset,         // the reset offer after the device was written
        NoWayBack,     // whether to write the device although its settings could not be kept
        UndoApply,     // the confirmation of Undo Apply
    };
    // How the store's messages and questions reach the user: a message box over the sheet, or,
    // when set, a caller that shows and answers them itself (the command line). Returns the
    // button pressed, as MessageBoxW does.
    using MessageFn = std::function<int(const wchar_t* text, const wchar_t* caption, UINT type, Question question)>;
    MessageFn messageSink;
    int ShowMessage(const wchar_t* text, const wchar_t* caption, UINT type) override;
    int Ask(Question question, const wchar_t* text, const wchar_t* caption, UINT type);

private:
    // Every notifier: the marks changed as `change` says, the title refreshed.
    void Note(void (ChangeMarks::*change)(), bool settingsChanged);

    std::vector<std::unique_ptr<SettingsPage>> owned_;
    unsigned settingsVersion_ = 0;
};
