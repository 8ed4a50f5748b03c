// What the program knows of a settings page before it exists: its place among the tabs, its
// caption, its kind tag, its two templates and how to make it.
#pragma once
#include <windows.h>

#include <memory>

class PageHost;
class SettingsPage;

struct PageInfo {
    const wchar_t* caption;        // the tab text, as the portrait template's caption gives it
    DWORD tag;                     // the kind tag the page answers
    WORD portraitDialogId;
    WORD landscapeDialogId;
    std::unique_ptr<SettingsPage> (*create)(PageHost& host);
};
