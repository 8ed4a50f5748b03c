// The configuration store: configurations under HKEY_LOCAL_MACHINE\Orvanel, the Configuration
// menu, the change counters and the title line.
#pragma once
#include <windows.h>

class SettingsPage;

constexpr int kMaxConfigs = 64;
constexpr int kNameChars = 260;         // names, titles and the name dialog's buffers

extern wchar_t activeConfigName[kNameChars];
extern wchar_t configNameTable[kMaxConfigs][kNameChars];
extern int changeCount;
extern int resetCount;
extern int fontFileChangeCount;

void RebuildConfigMenu(HMENU menu, const wchar_t* checkName);
// Save As when name is null; otherwise saves under the name (or into the "@" file it names).
void SaveConfig(SettingsPage** pages, int count, const wchar_t* name);
// Saves every page under the configuration's key and nothing else (the first-run capture).
void SaveConfigurationPages(SettingsPage** pages, int count, const wchar_t* name);
void LoadConfig(SettingsPage** pages, int count, const wchar_t* name);
void DeleteConfig(const wchar_t* name);
void RenameConfig(SettingsPage** pages, int count, const wchar_t* oldName);
// Delete command: asks, switches to "Original", deletes the configuration that was active.
void DeleteActiveConfig(HWND owner);
BOOL ReadCurrName(wchar_t* buffer, DWORD sizeInBytes);
BOOL WriteCurrName(const wchar_t* name);
// The name dialog: the typed name, or null on Cancel or an empty name.
const wchar_t* AskName(HWND owner, const wchar_t* title, const wchar_t* initialText);
void RefreshTitle();
// Formats the title line into buffer (at least 260 characters).
void FormatTitle(wchar_t* buffer, size_t chars);
// Recursive copy of root\source into root\destination.
void CopyKeyTree(const wchar_t* source, const wchar_t* destination, HKEY root);

// Marks a user change on a page: both counters up by one, title refreshed.
void NoteUserChange();
