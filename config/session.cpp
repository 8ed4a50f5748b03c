#include "config/session.h"

#include "platform/pocketpc.h"

Session::Session() : saveFileDialog(GetSaveFileNameW), openFileDialog(GetOpenFileNameW) {}

// The pages go before the windows they know of are gone; the program destroys the sheet first.
Session::~Session() = default;

void Session::NoteUserChange() {
    SettingsChanged();
    ++changeCount;
    ++resetCount;
    RefreshTitle();
}

void Session::NoteFontFileChange() {
    ++fontFileChangeCount;
    ++changeCount;
    ++resetCount;
    RefreshTitle();
}

void Session::MarkChanged() {
    SettingsChanged();
    if (resetCount == 0) resetCount = 1;
    if (changeCount == 0) changeCount = 1;
    RefreshTitle();
}

void Session::NoteColorChoice() {
    SettingsChanged();
    ++changeCount;
    RefreshTitle();
}

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
