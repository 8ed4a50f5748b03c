#include "config/apply.h"

#include "base/handles.h"
#include "base/strings.h"
#include "framework/page_queries.h"
#include "config/configurations.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/registry.h"

namespace {
constexpr wchar_t kKeptMarker[] = L"KeptBefore";

std::wstring KeptKey() { return StoreKeyOf(KeptConfigName()); }

DWORD StoredConfigCount() {
    RegKey program;
    DWORD count = 0;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, LoadResString(IDS_PROGRAM_KEY), 0, KEY_READ, program.put()) == ERROR_SUCCESS)
        RegQueryInfoKeyW(program.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
    return count;
}

// The marker in the kept settings' key.
constexpr ValueRef kMarkerAt{LiveRoot::System, L"", kKeptMarker};

bool WriteMarker(const std::wstring& key, std::wstring_view whileApplied) {
    return OpenRegistryStore(key, false)->WriteString(kMarkerAt, whileApplied);
}

std::optional<std::wstring> ReadMarker() {
    return OpenRegistryStore(KeptKey(), false)->ReadString(kMarkerAt, kNameChars * sizeof(wchar_t));
}


// Whether the pages' system colours are other than what the device held before they were written
// (`device`): only then has the window system anything to take up again. Without a page that
// keeps them, always.
bool SystemColorsChange(Session& session, const MemoryStore& written, const MemoryStore& device) {
    const auto* colors = FindPageAnswering<SystemColorsValue>(session);
    if (!colors) return true;
    const ValueRef at = colors->SystemColorsRef();
    return written.Stored(at) != device.Stored(at);
}

// Before the device is written: keeps what it holds where the pages write, or asks whether to
// go on without a way back (refused on No). A device that already holds everything keeps the
// way back it has: an Apply that changes nothing must not make the last one irreversible.
Outcome KeepOrAsk(Session& session, Store& live, const MemoryStore& written, std::wstring_view applied,
                  bool* colorsChange) {
    MemoryStore device = written.ReadSame(live);
    *colorsChange = SystemColorsChange(session, written, device);
    if (written.HeldBy(device)) return {};
    if (KeepDeviceSettings(device, applied)) return {};
    if (session.Ask(Session::Question::NoWayBack, LoadResString(IDS_NO_WAY_BACK), LoadResString(IDS_ATTENTION),
                    MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) != IDYES)
        return Outcome::Refused(LoadResString(IDS_CMD_NO_WAY_BACK));
    Outcome outcome;
    outcome.withoutWayBack = true;
    return outcome;
}

// Asks the window system to take up the system colours again, and repaints with them.
void RefreshSystemColors(Session& session) {
    int scratch[1] = {};
    SetSysColors(0, scratch, reinterpret_cast<const COLORREF*>(scratch));
    if (session.sheet)
        RedrawWindow(session.sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

// The pages hold settings kept before an Apply (or edits of them): they go to the device, whose
// settings are kept in their place first, and the configuration applied when they were kept is
// the applied and edited one again. The kept configuration itself is never saved into.
Outcome WriteKeptToDevice(Session& session, const std::wstring& whileApplied) {
    wchar_t applied[kNameChars] = {};
    ReadCurrName(applied, sizeof(applied));
    auto live = OpenRegistryStore(kSystemStoreKey, true);   // open for the whole undo
    bool colorsChange = true;
    Outcome outcome = KeepOrAsk(session, *live, PagesWrite(session), applied, &colorsChange);
    if (!outcome.done()) return outcome;
    outcome.Add(SavePagesToDevice(session, *live));

    const bool known = !whileApplied.empty() && !IsKeptConfig(whileApplied) &&
                       KeyExists(LoadResString(IDS_PROGRAM_KEY), whileApplied.c_str());
    if (known) {
        WriteCurrName(whileApplied.c_str());
        CopyText(session.activeConfigName, kNameChars, whileApplied);
    } else {
        ClearCurrName();   // what the device holds now was applied with no configuration we know
    }
    session.marks.Saved();
    RebuildConfigMenu(session, nullptr);
    session.RefreshTitle();
    if (colorsChange) RefreshSystemColors(session);
    outcome.resetWanted = true;
    OfferReset(session);
    return outcome;
}

}  // namespace

Outcome ApplyConfig(Session& session, const wchar_t* name) {
    wchar_t chosen[kNameChars];
    lstrcpynW(chosen, name ? name : L"", kNameChars);
    if (IsKeptConfig(chosen)) return WriteKeptToDevice(session, KeptWhileApplied());

    const bool pending = session.marks.Pending();
    wchar_t applied[kNameChars] = {};
    const bool appliedChanges = !ReadCurrName(applied, sizeof(applied)) || !SameName(applied, chosen);
    auto live = OpenRegistryStore(kSystemStoreKey, true);   // open for the whole Apply
    bool colorsChange = true;
    Outcome outcome = KeepOrAsk(session, *live, PagesWrite(session), applied, &colorsChange);
    if (!outcome.done()) return outcome;

    const bool recorded = WriteCurrName(chosen) != FALSE;
    outcome.Add(SaveConfig(session, chosen, live.get()));
    // Only the applied configuration is written to the device: one the registry would not record
    // as applied never got there.
    wchar_t now[kNameChars] = {};
    if (!recorded && (!ReadCurrName(now, sizeof(now)) || !SameName(now, chosen))) {
        std::wstring text = FormatText(kNameChars * 2, LoadResString(IDS_APPLY_UNRECORDED), chosen);
        session.ShowMessage(text.c_str(), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
        outcome.Add(Outcome::Failed(text));
    }

    if (colorsChange) RefreshSystemColors(session);
    if (pending || appliedChanges) {
        outcome.resetWanted = true;
        OfferReset(session);
    }
    return outcome;
}

const wchar_t* KeptConfigName() { return LoadResString(IDS_KEPT_NAME); }

bool HasKeptConfig() { return ReadMarker().has_value(); }

bool IsKeptConfig(std::wstring_view name) { return SameNameIgnoringCase(name, KeptConfigName()) && HasKeptConfig(); }

std::wstring KeptWhileApplied() { return ReadMarker().value_or(L""); }

MemoryStore PagesWrite(Session& session) {
    MemoryStore written;
    for (SettingsPage* page : session.pages)
        if (page && !page->SavesToDevice()) page->Save(written);
    return written;
}

MemoryStore CaptureDevice(Session& session) {
    auto live = OpenRegistryStore(kSystemStoreKey, true);
    return PagesWrite(session).ReadSame(*live);
}

bool KeepDeviceSettings(const MemoryStore& device, std::wstring_view whileApplied) {
    const std::wstring key = KeptKey();
    const bool replacing = KeyExists(LoadResString(IDS_PROGRAM_KEY), KeptConfigName()) != FALSE;
    if (replacing) {
        if (!HasKeptConfig()) return false;   // a user's own configuration of the name
    } else if (StoredConfigCount() >= static_cast<DWORD>(kMaxConfigs)) {
        return false;
    }
    // The kept settings there are, read whole first: should the registry refuse any of the new
    // ones, they are put back as they were. (A value the registry refused was never changed.)
    const std::vector<KeyValueCopy> before = replacing ? ReadKeyTree(HKEY_LOCAL_MACHINE, key) : std::vector<KeyValueCopy>{};
    // The marker goes first: a key without it would pass for a user's configuration.
    bool kept = WriteMarker(key, whileApplied);
    if (kept) kept = device.CopyTo(*OpenRegistryStore(key, false));
    // What the kept settings before held and these do not is taken out, or, refused, what these
    // put there.
    auto at = [&](const std::wstring& subkey) { return subkey.empty() ? key : key + L"\\" + subkey; };
    auto held = [&](const std::wstring& subkey, const std::wstring& name) {
        if (subkey.empty() && SameNameIgnoringCase(name, kKeptMarker)) return true;
        for (const MemoryStore::Value& v : device.values())
            if (SameNameIgnoringCase(v.subkey, subkey) && SameNameIgnoringCase(v.name, name)) return true;
        return false;
    };
    if (!replacing) {
        if (!kept) DeleteKeyTree(HKEY_LOCAL_MACHINE, key.c_str());
        return kept;
    }
    if (kept) {
        for (const KeyValueCopy& old : before)
            if (!held(old.subkey, old.name))
                RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, at(old.subkey).c_str(), old.name.c_str());
        return true;
    }
    for (const MemoryStore::Value& v : device.values()) {
        bool wasThere = false;
        for (const KeyValueCopy& old : before)
            wasThere = wasThere || (SameNameIgnoringCase(old.subkey, v.subkey) && SameNameIgnoringCase(old.name, v.name));
        if (!wasThere) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, at(v.subkey).c_str(), v.name.c_str());
    }
    WriteKeyValues(HKEY_LOCAL_MACHINE, key, before);
    return false;
}

Outcome UndoApply(Session& session) {
    if (!HasKeptConfig()) return Outcome::Refused(LoadResString(IDS_NOTHING_KEPT));
    const std::wstring whileApplied = KeptWhileApplied();
    // Named only when the kept settings were taken while a configuration we know was applied.
    const std::wstring question =
        whileApplied.empty() || IsKeptConfig(whileApplied)
            ? std::wstring(LoadResString(IDS_UNDO_QUESTION_UNNAMED))
            : FormatText(kNameChars * 3, LoadResString(IDS_UNDO_QUESTION), whileApplied.c_str());
    if (session.Ask(Session::Question::UndoApply, question.c_str(), LoadResString(IDS_CONFIRM), MB_YESNO) != IDYES)
        return Outcome::Refused(question);
    Outcome outcome = AskToSaveChanges(session);
    if (outcome.state == Outcome::State::Refused) return outcome;

    // Only the pages whose settings the kept ones change take them: a page that already holds
    // them exactly (as stored) has nothing to load, redraw or rebuild.
    auto kept = OpenStore(KeptKey(), session.sheet);
    for (SettingsPage* page : session.pages) {
        if (!page || page->SavesToDevice()) continue;
        MemoryStore holds;
        page->Save(holds);
        if (!holds.HeldBy(*kept)) page->Load(*kept);
    }
    outcome.Add(WriteKeptToDevice(session, whileApplied));
    return outcome;
}

void OfferReset(Session& session) {
    if (session.Ask(Session::Question::Reset, LoadResString(IDS_RESET_QUESTION), LoadResString(IDS_ATTENTION),
                    MB_YESNO) == IDYES)
        ResetDevice();
}

void ResetDevice() {
    DWORD buffer = 0, returned = 0;
    KernelIoControl(IOCTL_HAL_REBOOT, &buffer, sizeof(buffer), &buffer, sizeof(buffer), &returned);
}
