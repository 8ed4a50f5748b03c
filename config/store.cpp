#include "config/store.h"

#include <string>
#include <vector>

#include "config/apply.h"
#include "framework/handles.h"
#include "framework/registry.h"
#include "framework/settings_page.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "shell/app.h"
#include "shell/main_window.h"

wchar_t activeConfigName[kNameChars] = {};
wchar_t configNameTable[kMaxConfigs][kNameChars] = {};
int changeCount = 0;
int resetCount = 0;
int fontFileChangeCount = 0;

namespace {
constexpr wchar_t kCurrNameValue[] = L"CurrName";

bool IsFileName(const wchar_t* name) { return name && name[0] == L'@'; }

// The store key of a configuration: a file name as it is, else "Orvanel\<name>".
std::wstring StoreKeyOf(const wchar_t* name) {
    if (IsFileName(name)) return name;
    return std::wstring(LoadResString(IDS_PROGRAM_KEY)) + L"\\" + name;
}

// Saves every page; a configuration in the registry exists as a key even before any page
// writes a value into it.
void SaveAllPages(SettingsPage** pages, int count, const wchar_t* storeKey) {
    if (storeKey[0] != L'@') {
        RegKey key;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, storeKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr);
    }
    for (int i = 0; i < count; ++i)
        if (pages[i]) pages[i]->Save(storeKey);
}

bool HasPendingChanges() { return changeCount != 0 || resetCount != 0; }

void SetCountersToFontFileChanges() {
    changeCount = fontFileChangeCount;
    resetCount = fontFileChangeCount;
}

// The name dialog's buffers.
wchar_t askInitial[kNameChars];
wchar_t askTitle[kNameChars];
wchar_t askResult[kNameChars];

INT_PTR CALLBACK AskNameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, 0};
        SHInitDialog(&info);
        SetDlgItemTextW(dialog, IDC_NAME_EDIT, askInitial);
        SetWindowTextW(dialog, askTitle);
        SipShowIM(SIPF_ON);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            askResult[0] = L'\0';
            GetDlgItemTextW(dialog, IDC_NAME_EDIT, askResult, kNameChars);
            if (askResult[0]) {
                SipShowIM(SIPF_OFF);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            [[fallthrough]];
        case IDCANCEL:
            SipShowIM(SIPF_OFF);
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

HWND FindTitleControl() {
    if (titleControl && IsWindow(titleControl)) return titleControl;
    titleControl = nullptr;
    if (!propertySheet) return nullptr;
    for (HWND child = GetWindow(propertySheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowOfClass(child, L"static")) {
            titleControl = child;
            break;
        }
    }
    return titleControl;
}
}  // namespace

BOOL ReadCurrName(wchar_t* buffer, DWORD sizeInBytes) {
    return ReadString(L"", LoadResString(IDS_PROGRAM_KEY), kCurrNameValue, buffer, sizeInBytes);
}

BOOL WriteCurrName(const wchar_t* name) {
    return WriteString(L"", LoadResString(IDS_PROGRAM_KEY), kCurrNameValue, name);
}

void FormatTitle(wchar_t* buffer, size_t chars) {
    if (!buffer || !chars) return;
    _snwprintf(buffer, chars, LoadResString(IDS_TITLE_FORMAT), activeConfigName,
               changeCount ? LoadResString(IDS_CHANGE_MARK) : L"",
               resetCount ? LoadResString(IDS_RESET_MARK) : L"");
    buffer[chars - 1] = L'\0';
}

void RefreshTitle() {
    wchar_t title[kNameChars];
    FormatTitle(title, kNameChars);
    if (HWND control = FindTitleControl()) SetWindowTextW(control, title);
}

void NoteUserChange() {
    ++changeCount;
    ++resetCount;
    RefreshTitle();
}

void RebuildConfigMenu(HMENU menu, const wchar_t* checkName) {
    wchar_t applied[kNameChars] = {};
    if (!checkName && ReadCurrName(applied, sizeof(applied))) checkName = applied;

    if (menu)
        while (DeleteMenu(menu, 0, MF_BYPOSITION)) {}
    for (auto& slot : configNameTable) slot[0] = L'\0';

    RegKey program;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, LoadResString(IDS_PROGRAM_KEY), 0, nullptr, 0, KEY_READ, nullptr,
                    program.put(), nullptr);
    if (!program) return;
    for (DWORD i = 0; i < kMaxConfigs; ++i) {
        wchar_t name[kNameChars];
        DWORD chars = kNameChars;
        if (RegEnumKeyExW(program.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        bool checked = checkName && lstrcmpiW(name, checkName) == 0;
        if (menu)
            AppendMenuW(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), IDM_CONFIG_FIRST + i, name);
        lstrcpynW(configNameTable[i], name, kNameChars);
    }
}

const wchar_t* AskName(HWND owner, const wchar_t* title, const wchar_t* initialText) {
    lstrcpynW(askInitial, initialText ? initialText : L"", kNameChars);
    lstrcpynW(askTitle, title ? title : L"", kNameChars);
    askResult[0] = L'\0';
    INT_PTR result = DialogBoxParamW(instanceHandle, MAKEINTRESOURCEW(IDD_ASK_NAME), owner, AskNameProc, 0);
    SipShowIM(SIPF_OFF);
    return result == IDOK ? askResult : nullptr;
}

void SaveConfigurationPages(SettingsPage** pages, int count, const wchar_t* name) {
    SaveAllPages(pages, count, StoreKeyOf(name).c_str());
}

void SaveConfig(SettingsPage** pages, int count, const wchar_t* name) {
    bool fromDialog = false;
    std::wstring chosen;
    if (!name) {
        const wchar_t* typed = AskName(propertySheet, LoadResString(IDS_SAVE_AS_TITLE), activeConfigName);
        if (!typed) return;
        fromDialog = true;
        chosen = typed;
    } else {
        chosen = name;   // the caller's buffer may be rewritten while the pages save
    }

    SaveAllPages(pages, count, StoreKeyOf(chosen.c_str()).c_str());

    wchar_t applied[kNameChars] = {};
    ReadCurrName(applied, sizeof(applied));
    if (chosen == applied) {
        SaveAllPages(pages, count, kSystemStoreKey);
        if (HasPendingChanges()) {
            OfferReset();
            SipShowIM(SIPF_OFF);
        }
    }

    if (!IsFileName(chosen.c_str())) {
        SetCountersToFontFileChanges();
        if (fromDialog) lstrcpynW(activeConfigName, chosen.c_str(), kNameChars);
    }
    RebuildConfigMenu(configMenu, nullptr);
    RefreshTitle();
}

void LoadConfig(SettingsPage** pages, int count, const wchar_t* name) {
    // The name may live in the menu's slot table, which a save below refills.
    std::wstring chosen = name ? name : L"";
    if (HasPendingChanges()) {
        wchar_t question[kNameChars * 2];
        _snwprintf(question, kNameChars * 2, LoadResString(IDS_SAVE_CHANGES), activeConfigName);
        question[kNameChars * 2 - 1] = L'\0';
        int answer = MessageBoxW(propertySheet, question, LoadResString(IDS_CONFIRM), MB_YESNOCANCEL);
        if (answer == IDCANCEL) return;
        if (answer == IDYES) SaveConfig(pages, count, std::wstring(activeConfigName).c_str());
        SipShowIM(SIPF_OFF);
    }

    std::wstring storeKey = StoreKeyOf(chosen.c_str());
    for (int i = 0; i < count; ++i)
        if (pages[i]) pages[i]->Load(storeKey.c_str());

    if (!IsFileName(chosen.c_str())) lstrcpynW(activeConfigName, chosen.c_str(), kNameChars);
    SetCountersToFontFileChanges();
    RefreshTitle();
    RebuildConfigMenu(configMenu, nullptr);
}

void DeleteConfig(const wchar_t* name) {
    if (name && *name) DeleteKeyTree(HKEY_LOCAL_MACHINE, StoreKeyOf(name).c_str());
    RebuildConfigMenu(configMenu, nullptr);
}

void DeleteActiveConfig(HWND owner) {
    wchar_t question[kNameChars * 2];
    _snwprintf(question, kNameChars * 2, LoadResString(IDS_DELETE_QUESTION), activeConfigName);
    question[kNameChars * 2 - 1] = L'\0';
    if (MessageBoxW(owner, question, LoadResString(IDS_CONFIRM), MB_YESNO) != IDYES) return;
    std::wstring doomed = activeConfigName;
    LoadConfig(pageList, pageCount, LoadResString(IDS_ORIGINAL));
    DeleteConfig(doomed.c_str());
    RebuildConfigMenu(configMenu, nullptr);
}

void RenameConfig(SettingsPage** pages, int count, const wchar_t* oldName) {
    std::wstring from = oldName ? oldName : L"";
    const wchar_t* typed = AskName(propertySheet, LoadResString(IDS_RENAME_TITLE), from.c_str());
    if (!typed || lstrcmpiW(typed, from.c_str()) == 0) return;
    std::wstring to = typed;

    // Values that no page writes move with the configuration.
    CopyKeyTree(StoreKeyOf(from.c_str()).c_str(), StoreKeyOf(to.c_str()).c_str(), HKEY_LOCAL_MACHINE);
    SaveConfig(pages, count, to.c_str());
    DeleteConfig(from.c_str());
    LoadConfig(pages, count, to.c_str());
    RebuildConfigMenu(configMenu, nullptr);
}

void CopyKeyTree(const wchar_t* source, const wchar_t* destination, HKEY root) {
    RegKey from;
    if (RegOpenKeyExW(root, source, 0, KEY_READ, from.put()) != ERROR_SUCCESS) return;
    RegKey to;
    if (RegCreateKeyExW(root, destination, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, to.put(), nullptr) !=
        ERROR_SUCCESS)
        return;

    // Buffers sized from the key itself, so no value is too long to be copied.
    DWORD maxName = 0, maxData = 0;
    RegQueryInfoKeyW(from.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                     &maxData, nullptr, nullptr);
    std::vector<wchar_t> name(std::max<DWORD>(maxName + 1, kNameChars));
    std::vector<BYTE> data(std::max<DWORD>(maxData, 4096));
    for (DWORD i = 0;; ++i) {
        DWORD nameChars = static_cast<DWORD>(name.size());
        DWORD bytes = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(from.get(), i, name.data(), &nameChars, nullptr, &type, data.data(), &bytes) !=
            ERROR_SUCCESS)
            break;
        RegSetValueExW(to.get(), name.data(), 0, type, data.data(), bytes);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t subkey[kNameChars];
        DWORD chars = kNameChars;
        if (RegEnumKeyExW(from.get(), i, subkey, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::wstring childSource = std::wstring(source) + L"\\" + subkey;
        std::wstring childDestination = std::wstring(destination) + L"\\" + subkey;
        CopyKeyTree(childSource.c_str(), childDestination.c_str(), root);
    }
}
