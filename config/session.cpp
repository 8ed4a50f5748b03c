#include "config/session.h"

#include "platform/pocketpc.h"

Session::Session() : saveFileDialog(GetSaveFileNameW), openFileDialog(GetOpenFileNameW) {}

// The pages go before the windows they know of are gone; the program destroys the sheet first.
Session::~Session() = default;

void Session::Note(void (ChangeMarks::*change)(), bool settingsChanged) {
    if (settingsChanged) SettingsChanged();
    (marks.*change)();
    RefreshTitle();
}

void Session::NoteUserChange() { Note(&ChangeMarks::Changed, true); }
void Session::NoteFontFileChange() { Note(&ChangeMarks::FontFileChanged, false); }
void Session::MarkChanged() { Note(&ChangeMarks::Marked, true); }
void Session::NoteColorChoice() { Note(&ChangeMarks::ColorChosen, true); }

int Session::ShowMessage(const wchar_t* text, const wchar_t* caption, UINT type) {
    return Ask(Question::None, text, caption, type);
}

int Session::Ask(Question question, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (messageSink) return messageSink(text, caption, type, question);
    return MessageBoxW(sheet, text, caption, type);
}

SettingsPage* Session::AddPage(std::unique_ptr<SettingsPage> page) {
    SettingsPage* added = page.get();
    owned_.push_back(std::move(page));
    pages.push_back(added);
    return added;
}

SettingsPage* Session::ReplacePage(size_t index, SettingsPage* page) {
    if (index >= pages.size()) return nullptr;
    SettingsPage* old = pages[index];
    pages[index] = page;
    return old;
}
