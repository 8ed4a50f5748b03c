#include "config/configurations.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/handles.h"
#include "base/strings.h"
#include "config/apply.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/registry.h"
#include "store/store.h"

namespace {
constexpr wchar_t kCurrNameValue[] = L"CurrName";

bool IsFileName(std::wstring_view name) { return IsFileStoreKey(name); }

// Passes every call on to a store and remembers whether a write failed.
class WriteWatch final : public Store {
public:
    explicit WriteWatch(Store& store) : store_(store) {}
    const std::wstring& Key() const override { return store_.Key(); }
    bool IsLive() const override { return store_.IsLive(); }
    std::optional<DWORD> ReadDword(const ValueRef& v) override { return store_.ReadDword(v); }
    std::optional<std::wstring> ReadString(const ValueRef& v, size_t maxBytes) override {
        return store_.ReadString(v, maxBytes);
    }
    std::optional<std::vector<BYTE>> ReadBinary(const ValueRef& v, size_t maxBytes) override {
        return store_.ReadBinary(v, maxBytes);
    }
    bool WriteDword(const ValueRef& v, DWORD data) override { return Note(store_.WriteDword(v, data)); }
    bool WriteString(const ValueRef& v, std::wstring_view text) override { return Note(store_.WriteString(v, text)); }
    bool WriteBinary(const ValueRef& v, const void* data, size_t size) override {
        return Note(store_.WriteBinary(v, data, size));
    }
    // True when a write failed since the last call.
    bool TakeFailure() { return std::exchange(failed_, false); }

private:
    bool Note(bool ok) {
        if (!ok) failed_ = true;
        return ok;
    }
    Store& store_;
    bool failed_ = false;
};

}  // namespace

std::wstring PageCaption(const Session& session, size_t index) {
    const SettingsPage& page = *session.pages[index];
    if (page.title[0]) return page.title;
    wchar_t caption[64] = {};
    if (HWND tabs = session.sheet ? PropSheet_GetTabControl(session.sheet) : nullptr) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = caption;
        item.cchTextMax = 64;
        TabCtrl_GetItem(tabs, static_cast<int>(index), &item);
    }
    if (!caption[0] && page.hwnd) GetWindowTextW(page.hwnd, caption, 64);
    return caption;
}

namespace {

// The pages (by list index) that could not write everything: into the store, and into the live
// device by the pages that write it whatever the store.
struct Unwritten {
    std::set<size_t> store;
    std::set<size_t> device;
    bool file = false;   // a file that could not take the records (it said so itself)
};

// The pages' names in list order, each once.
std::wstring PageNames(const Session& session, const std::set<size_t>& pages) {
    std::wstring names;
    for (size_t i : pages) names += (names.empty() ? L"" : L", ") + PageCaption(session, i);
    return names;
}

// Saves every page into a registry store already open.
Unwritten SaveAllPagesTo(Session& session, Store& store) {
    Unwritten failed;
    WriteWatch watch(store);
    for (size_t i = 0; i < session.pages.size(); ++i) {
        SettingsPage* page = session.pages[i];
        if (!page) continue;
        const bool saved = page->Save(watch) != FALSE;
        if (watch.TakeFailure() || !saved)
            (page->SavesToDevice() && !store.IsLive() ? failed.device : failed.store).insert(i);
    }
    return failed;
}

// Saves every page into one store; a configuration in the registry exists as a key even before
// any page writes a value into it. A file reports its own failures; what the pages that write
// the device could not write is told all the same.
Unwritten SaveAllPages(Session& session, const std::wstring& storeKey) {
    Unwritten failed;
    if (IsFileName(storeKey)) {
        auto file = OpenFileStoreForWriting(storeKey, [&session](const std::wstring& text) {
            session.ShowMessage(text.c_str(), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
        });
        for (size_t i = 0; i < session.pages.size(); ++i) {
            SettingsPage* page = session.pages[i];
            if (page && !page->Save(*file) && page->SavesToDevice()) failed.device.insert(i);
        }
        failed.file = !file->Commit();
        return failed;
    }
    if (!IsSystemStoreKey(storeKey)) CreateRegistryKey(HKEY_LOCAL_MACHINE, storeKey);
    auto store = OpenStore(storeKey, session.sheet);
    return SaveAllPagesTo(session, *store);
}

// The name dialog's texts in, the typed name out.
struct AskNameState {
    const wchar_t* title;
    const wchar_t* initial;
    std::wstring typed;
};

INT_PTR CALLBACK AskNameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<AskNameState*>(lParam);
        SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, 0};
        SHInitDialog(&info);
        SendDlgItemMessageW(dialog, IDC_NAME_EDIT, EM_LIMITTEXT, kNameChars - 1, 0);
        SetDlgItemTextW(dialog, IDC_NAME_EDIT, state->initial);
        SetWindowTextW(dialog, state->title);
        SipShowIM(SIPF_ON);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            auto* state = reinterpret_cast<AskNameState*>(GetWindowLongPtrW(dialog, DWLP_USER));
            // The whole text, however long: a name too long to be one is refused, not cut.
            HWND edit = GetDlgItem(dialog, IDC_NAME_EDIT);
            std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
            text.resize(GetWindowTextW(edit, text.data(), static_cast<int>(text.size())));
            if (state && !text.empty()) {
                state->typed = text;
                SipShowIM(SIPF_OFF);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            [[fallthrough]];
        }
        case IDCANCEL:
            SipShowIM(SIPF_OFF);
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

HWND FindTitleControl(Session& session) {
    if (session.titleControl && IsWindow(session.titleControl)) return session.titleControl;
    session.titleControl = nullptr;
    if (!session.sheet) return nullptr;
    for (HWND child = GetWindow(session.sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (SameNameIgnoringCase(cls, L"static")) {
            session.titleControl = child;
            break;
        }
    }
    return session.titleControl;
}
}  // namespace

void ReportUnwritten(Session& session, const std::wstring& text) {
    session.ShowMessage(text.c_str(), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
}

std::wstring StoreKeyOf(std::wstring_view name) {
    if (IsFileName(name)) return std::wstring(name);
    return std::wstring(LoadResString(IDS_PROGRAM_KEY)) + L"\\" + std::wstring(name);
}

bool IsAcceptableConfigName(std::wstring_view name) {
    bool onlySpaces = name.find_first_not_of(L' ') == std::wstring_view::npos;
    return !onlySpaces && name.front() != L'@' && name.find(L'\\') == std::wstring_view::npos &&
           name.size() <= kMaxConfigNameChars;
}

bool AcceptConfigName(HWND owner, std::wstring_view name) {
    if (!IsAcceptableConfigName(name)) {
        MessageBoxW(owner, LoadResString(IDS_BAD_CONFIG_NAME), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
        return false;
    }
    if (SameNameIgnoringCase(name, KeptConfigName())) {
        MessageBoxW(owner, LoadResString(IDS_KEPT_NAME_TAKEN), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
        return false;
    }
    return true;
}

BOOL ReadCurrName(wchar_t* buffer, DWORD sizeInBytes) {
    return ReadString(L"", LoadResString(IDS_PROGRAM_KEY), kCurrNameValue, buffer, sizeInBytes);
}

BOOL WriteCurrName(const wchar_t* name) {
    return WriteString(L"", LoadResString(IDS_PROGRAM_KEY), kCurrNameValue, name);
}

void ClearCurrName() {
    RegKey program;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, LoadResString(IDS_PROGRAM_KEY), 0, KEY_SET_VALUE, program.put()) ==
        ERROR_SUCCESS)
        RegDeleteValueW(program.get(), kCurrNameValue);
}

void FormatTitle(const Session& session, wchar_t* buffer, size_t chars) {
    if (!buffer || !chars) return;
    _snwprintf(buffer, chars, LoadResString(IDS_TITLE_FORMAT), session.activeConfigName,
               session.marks.changes() ? LoadResString(IDS_CHANGE_MARK) : L"",
               session.marks.resets() ? LoadResString(IDS_RESET_MARK) : L"");
    buffer[chars - 1] = L'\0';
}

void Session::RefreshTitle() {
    wchar_t title[kNameChars];
    FormatTitle(*this, title, kNameChars);
    if (HWND control = FindTitleControl(*this)) SetWindowTextW(control, title);
}

void RebuildConfigMenu(Session& session, const wchar_t* checkName) {
    wchar_t applied[kNameChars] = {};
    if (!checkName && ReadCurrName(applied, sizeof(applied))) checkName = applied;

    if (session.configMenu)
        while (DeleteMenu(session.configMenu, 0, MF_BYPOSITION)) {}
    for (auto& slot : session.configNameTable) slot[0] = L'\0';

    RegKey program;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, LoadResString(IDS_PROGRAM_KEY), 0, nullptr, 0, KEY_READ, nullptr,
                    program.put(), nullptr);
    if (!program) return;
    for (DWORD i = 0; i < kMaxConfigs; ++i) {
        wchar_t name[kNameChars];
        DWORD chars = kNameChars;
        if (RegEnumKeyExW(program.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!IsAcceptableConfigName(name)) continue;   // no configuration's: a draft of kept settings
        bool checked = checkName && SameNameIgnoringCase(name, checkName);
        if (session.configMenu)
            AppendMenuW(session.configMenu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), IDM_CONFIG_FIRST + i,
                        name);
        CopyText(session.configNameTable[i].data(), kNameChars, name);
    }
    if (session.toolsMenu)
        EnableMenuItem(session.toolsMenu, IDM_UNDO_APPLY, MF_BYCOMMAND | (HasKeptConfig() ? MF_ENABLED : MF_GRAYED));
}

std::optional<std::wstring> AskName(HWND owner, const wchar_t* title, const wchar_t* initialText) {
    AskNameState state{title ? title : L"", initialText ? initialText : L"", {}};
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ASK_NAME), owner, AskNameProc,
                                     reinterpret_cast<LPARAM>(&state));
    SipShowIM(SIPF_OFF);
    if (result != IDOK) return std::nullopt;
    return state.typed;
}

Outcome SavePagesToDevice(Session& session, Store& device) {
    Outcome outcome;
    outcome.deviceWritten = true;
    const Unwritten live = SaveAllPagesTo(session, device);
    std::set<size_t> refused = live.store;
    refused.insert(live.device.begin(), live.device.end());
    if (!refused.empty()) {
        std::wstring text = FormatText(kNameChars * 3, LoadResString(IDS_DEVICE_UNWRITTEN),
                                       PageNames(session, refused).c_str());
        ReportUnwritten(session, text);
        outcome.Add(Outcome::Failed(text));
    }
    return outcome;
}

void SaveConfigurationPages(Session& session, const wchar_t* name) {
    SaveAllPages(session, StoreKeyOf(name ? name : L""));
}

Outcome SaveConfig(Session& session, const wchar_t* name, Store* device) {
    bool fromDialog = false;
    std::wstring chosen;
    if (name && !IsFileName(name) && IsKeptConfig(name)) name = nullptr;   // only Apply writes it
    if (!name) {
        auto typed = AskName(session.sheet, LoadResString(IDS_SAVE_AS_TITLE), session.activeConfigName);
        if (!typed) return Outcome::Refused(LoadResString(IDS_CMD_REFUSED));
        if (!AcceptConfigName(session.sheet, *typed)) return Outcome::Refused(LoadResString(IDS_BAD_CONFIG_NAME));
        fromDialog = true;
        chosen = *typed;
    } else {
        chosen = name;   // the caller's buffer may be rewritten while the pages save
    }

    Outcome outcome;
    Unwritten first = SaveAllPages(session, StoreKeyOf(chosen));
    const std::wstring unsaved = PageNames(session, first.store);
    if (!unsaved.empty()) {
        std::wstring text = FormatText(kNameChars * 3, LoadResString(IDS_CONFIG_UNWRITTEN), chosen.c_str(),
                                       unsaved.c_str());
        ReportUnwritten(session, text);
        outcome.Add(Outcome::Failed(text));
    }
    if (first.file) outcome.Add(Outcome::Failed(FormatText(kNameChars * 3, LoadResString(IDS_EXPORT_NOT_WRITTEN),
                                                           session.activeConfigName, chosen.c_str() + 1)));

    wchar_t applied[kNameChars] = {};
    ReadCurrName(applied, sizeof(applied));
    const bool toDevice = SameName(chosen, applied);
    std::set<size_t> refused = first.device;
    if (toDevice) {
        const Unwritten live = device ? SaveAllPagesTo(session, *device) : SaveAllPages(session, kSystemStoreKey);
        refused.insert(live.store.begin(), live.store.end());
        refused.insert(live.device.begin(), live.device.end());
        outcome.deviceWritten = true;
    }
    // Told before the reset is offered: a reset would not bring what was not written.
    if (!refused.empty()) {
        std::wstring text = FormatText(kNameChars * 3, LoadResString(IDS_DEVICE_UNWRITTEN),
                                       PageNames(session, refused).c_str());
        ReportUnwritten(session, text);
        outcome.Add(Outcome::Failed(text));
    }
    if (toDevice) {
        if (session.marks.Pending()) {
            outcome.resetWanted = true;
            OfferReset(session);
            SipShowIM(SIPF_OFF);
        }
    }

    // Changes that did not reach the configuration stay marked as unsaved.
    if (!IsFileName(chosen) && unsaved.empty()) {
        session.marks.Saved();
        if (fromDialog) CopyText(session.activeConfigName, kNameChars, chosen);
    }
    RebuildConfigMenu(session, nullptr);
    session.RefreshTitle();
    return outcome;
}

void LoadPagesFrom(Session& session, Store& store) {
    for (SettingsPage* page : session.pages)
        if (page) page->Load(store);
}

Outcome AskToSaveChanges(Session& session) {
    if (!session.marks.Pending()) return {};
    std::wstring question = FormatText(kNameChars * 2, LoadResString(IDS_SAVE_CHANGES), session.activeConfigName);
    int answer = session.Ask(Session::Question::SaveChanges, question.c_str(), LoadResString(IDS_CONFIRM),
                             MB_YESNOCANCEL);
    Outcome outcome;
    if (answer == IDCANCEL) return Outcome::Refused(question);
    // Under the kept configuration's name this is a Save As, which may be cancelled in its turn.
    if (answer == IDYES) outcome = SaveConfig(session, std::wstring(session.activeConfigName).c_str());
    SipShowIM(SIPF_OFF);
    return outcome;
}

Outcome LoadConfig(Session& session, const wchar_t* name) {
    // The name may live in the menu's slot table, which a save below refills.
    std::wstring chosen = name ? name : L"";
    Outcome outcome = AskToSaveChanges(session);
    if (outcome.state == Outcome::State::Refused) return outcome;

    auto store = OpenStore(StoreKeyOf(chosen), session.sheet);
    LoadPagesFrom(session, *store);

    if (!IsFileName(chosen)) CopyText(session.activeConfigName, kNameChars, chosen);
    session.marks.Saved();
    session.RefreshTitle();
    RebuildConfigMenu(session, nullptr);
    return outcome;
}

Outcome DeleteConfig(Session& session, const wchar_t* name) {
    Outcome outcome;
    if (name && *name && !DeleteKeyTree(HKEY_LOCAL_MACHINE, StoreKeyOf(name).c_str()))
        outcome = Outcome::Failed(FormatText(kNameChars * 2, LoadResString(IDS_CMD_NO_CONFIG), name));
    RebuildConfigMenu(session, nullptr);
    return outcome;
}

Outcome DeleteActiveConfig(Session& session, HWND owner) {
    std::wstring question = FormatText(kNameChars * 2, LoadResString(IDS_DELETE_QUESTION), session.activeConfigName);
    if (MessageBoxW(owner, question.c_str(), LoadResString(IDS_CONFIRM), MB_YESNO) != IDYES)
        return Outcome::Refused(question);
    std::wstring doomed = session.activeConfigName;
    // Deleted even when the switch was cancelled at the save question.
    Outcome outcome = LoadConfig(session, LoadResString(IDS_ORIGINAL));
    outcome.Add(DeleteConfig(session, doomed.c_str()));
    RebuildConfigMenu(session, nullptr);
    return outcome;
}

Outcome RenameConfig(Session& session, const wchar_t* oldName) {
    std::wstring from = oldName ? oldName : L"";
    if (IsKeptConfig(from)) {
        // Renamed, it would carry the kept settings' marker to a name no undo looks for.
        ReportUnwritten(session, LoadResString(IDS_KEPT_READ_ONLY));
        return Outcome::Refused(LoadResString(IDS_KEPT_READ_ONLY));
    }
    auto typed = AskName(session.sheet, LoadResString(IDS_RENAME_TITLE), from.c_str());
    if (!typed || SameNameIgnoringCase(*typed, from)) return Outcome::Refused(LoadResString(IDS_CMD_REFUSED));
    if (!AcceptConfigName(session.sheet, *typed)) return Outcome::Refused(LoadResString(IDS_BAD_CONFIG_NAME));
    std::wstring to = *typed;

    // Values that no page writes move with the configuration.
    CopyKeyTree(StoreKeyOf(from).c_str(), StoreKeyOf(to).c_str(), HKEY_LOCAL_MACHINE);
    Outcome outcome = SaveConfig(session, to.c_str());
    // Without the new configuration (the registry refused it, and said so) the old one stays.
    if (!KeyExists(LoadResString(IDS_PROGRAM_KEY), to.c_str())) {
        outcome.Add(Outcome::Failed(FormatText(kNameChars * 2, LoadResString(IDS_CMD_NO_CONFIG), to.c_str())));
        return outcome;
    }
    outcome.Add(DeleteConfig(session, from.c_str()));
    outcome.Add(LoadConfig(session, to.c_str()));
    RebuildConfigMenu(session, nullptr);
    return outcome;
}
