// What a page may ask of the program that hosts it. The program object implements it; pages
// hold a reference and never reach for program state any other way.
#pragma once
#include <windows.h>

#include "platform/pocketpc.h"   // the device's file dialogs

#include <span>

class SettingsPage;

class PageHost {
public:
    virtual ~PageHost() = default;

    // The owner of the message boxes and dialogs a page shows: the property sheet.
    virtual HWND MessageOwner() const = 0;
    // A message or a question, as the program shows its own (a box over the sheet, or its
    // caller's answer); the button pressed, as MessageBoxW gives it.
    virtual int ShowMessage(const wchar_t* text, const wchar_t* caption, UINT type) = 0;
    // The device's Save or Open dialog, as the program asks for its own files.
    virtual BOOL AskFileName(bool save, OPENFILENAMEW* ofn) = 0;
    // A user change on a page: a change to save and one to reset for, title line refreshed.
    virtual void NoteUserChange() = 0;
    // A user change that only needs marking: marked unsaved and wanting a reset, title refreshed.
    virtual void MarkChanged() = 0;
    virtual void RefreshTitle() = 0;
    // A font file installed, removed or deleted (or tried): marked as a user change that no save
    // clears (the mark stays until the program ends), title refreshed.
    virtual void NoteFontFileChange() = 0;
    // A colour chosen in the colour chooser: a change to save, none to reset for.
    virtual void NoteColorChoice() = 0;
    // The colour chooser's current colour, kept from one opening to the next (grey at first).
    virtual COLORREF& ChooserColor() = 0;
    // Any page's settings changed (a user's edit, a load): previews drawn before are out of date.
    virtual void SettingsChanged() = 0;
    // Goes up with every such change; a preview remembers the one it was drawn at.
    virtual unsigned SettingsVersion() const = 0;
    // The sheet is made, every page holds the live settings, and the start is over: work a page
    // put off until it is first shown may be done now.
    virtual bool SheetComplete() const = 0;
    // A page's dialog was made, which happens when the page is first shown: the program fits it
    // to the screen as it is now.
    virtual void PageDialogMade(SettingsPage& page) = 0;
    // Every page in list order.
    virtual std::span<SettingsPage* const> Pages() const = 0;
    // Screen pixels per inch divided by 96, at least 1.
    virtual int Scale() const = 0;
    // Platform version 4.21 or later.
    virtual bool IsVersion421() const = 0;
};
