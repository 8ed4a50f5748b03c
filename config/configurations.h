// The configuration store: configurations under HKEY_LOCAL_MACHINE\Orvanel, the Configuration
// menu, the change counters and the title line.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "config/outcome.h"
#include "config/session.h"

void RebuildConfigMenu(Session& session, const wchar_t* checkName);
// Save As when name is null; otherwise saves under the name (or into the "@" file it names).
// The configuration is written to the device too when it is the applied one. The kept
// configuration ("Before Apply") is written only by Apply and Undo Apply: a save under its name
// is a Save As.
// `device`, when given, is the live device's store, open for the whole operation.
Outcome SaveConfig(Session& session, const wchar_t* name, Store* device = nullptr);
// Writes every page's settings to the device and nothing else; what it refused is said.
Outcome SavePagesToDevice(Session& session, Store& device);
// Saves every page under the configuration's key and nothing else (the first-run capture).
void SaveConfigurationPages(Session& session, const wchar_t* name);
Outcome LoadConfig(Session& session, const wchar_t* name);
// Asks whether to save unsaved changes first; refused when the user cancels.
Outcome AskToSaveChanges(Session& session);
// Every page loads from the store, in list order; nothing is asked.
void LoadPagesFrom(Session& session, Store& store);
Outcome DeleteConfig(Session& session, const wchar_t* name);
// Rename: asks for the new name. The kept configuration cannot be renamed.
Outcome RenameConfig(Session& session, const wchar_t* oldName);
// Delete command: asks, switches to "Original", deletes the configuration that was active.
Outcome DeleteActiveConfig(Session& session, HWND owner);
// The applied configuration's name, the value "CurrName" under the program key: FALSE when none
// is recorded (or it is no text that fits).
BOOL ReadCurrName(wchar_t* buffer, DWORD sizeInBytes);
BOOL WriteCurrName(const wchar_t* name);
// No configuration is the applied one any more.
void ClearCurrName();
// Says which pages could not write everything, in one message.
void ReportUnwritten(Session& session, const std::wstring& text);
// The name dialog: the typed name, or nullopt on Cancel or an empty name.
std::optional<std::wstring> AskName(HWND owner, const wchar_t* title, const wchar_t* initialText);
// The title line: "Configuration: "<active>" " with the change mark while changes are unsaved
// and the reset mark while a reset is wanted, cut to `chars` (at least 260).
void FormatTitle(const Session& session, wchar_t* buffer, size_t chars);
// The store key of a configuration: a file name ("@" and a path) as it is, else
// "Orvanel\<name>".
std::wstring StoreKeyOf(std::wstring_view name);
// Whether a typed name can name a configuration: not empty or only spaces, no "@" first, no
// "\", at most 255 characters (the longest key name the registry takes). A refused name is said
// so over `owner`.
// The name Apply keeps the device's settings under ("Before Apply", any case) is refused too.
bool AcceptConfigName(HWND owner, std::wstring_view name);
// The same test without a word to the user.
bool IsAcceptableConfigName(std::wstring_view name);
// The name the page at `index` goes by on its tab (its dialog may not be made yet).
std::wstring PageCaption(const Session& session, size_t index);
