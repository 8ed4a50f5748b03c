#include "config/apply.h"

#include "base/handles.h"
#include "base/strings.h"
#include "config/store.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/registry.h"

namespace {
constexpr wchar_t kKeptMarker[] = L"KeptBefore";

std::wstring KeptKey() { return StoreKeyOf(KeptConfigName()); }

// Writes the kept configuration's marker anew; false when there is no kept configuration of ours
// or the registry refuses.
bool MarkKept(std::wstring_view whileApplied) {
    if (!HasKeptConfig()) return false;
    const std::wstring marker(whileApplied);
    return SetRegistryValue(HKEY_LOCAL_MACHINE, KeptKey(), kKeptMarker, REG_SZ, marker.c_str(),
                            static_cast<DWORD>((marker.size() + 1) * sizeof(wchar_t))) != FALSE;
}

DWORD StoredConfigCount() {
    RegKey program;
    DWORD count = 0;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, LoadResString(IDS_PROGRAM_KEY), 0, KEY_READ, program.put()) == ERROR_SUCCESS)
        RegQueryInfoKeyW(program.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
    return count;
}

// Apply, with the device's settings kept first. An undo writes other settings to the device even
// when it applies the configuration already applied: `deviceChanges` offers the reset then too.
void ApplyKeeping(Session& session, const wchar_t* name, bool deviceChanges) {
    bool pending = session.changeCount != 0 || session.resetCount != 0;
    wchar_t chosen[kNameChars];
    lstrcpynW(chosen, name ? name : L"", kNameChars);
    wchar_t applied[kNameChars] = {};
    bool appliedChanges = !ReadCurrName(applied, sizeof(applied)) || !SameName(applied, chosen);

    const MemoryStore device = CaptureDevice(session);
    // Applying "Before Apply" itself saves the pages over it, so what the device had goes there
    // only afterwards; before, its marker is written again to learn that the key takes writes.
    const bool undoing = SameNameIgnoringCase(chosen, KeptConfigName());
    const bool canKeep = undoing ? MarkKept(applied) : KeepDeviceSettings(device, applied);
    if (!canKeep &&
        session.ShowMessage(LoadResString(IDS_NO_WAY_BACK), LoadResString(IDS_ATTENTION),
                            MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) != IDYES)
        return;

    const bool recorded = WriteCurrName(chosen) != FALSE;
    SaveConfig(session, chosen);
    if (undoing && canKeep) {
        KeepDeviceSettings(device, applied);
        RebuildConfigMenu(session, nullptr);
    }
    // Only the applied configuration is written to the device: one the registry would not record
    // as applied never got there.
    wchar_t now[kNameChars] = {};
    if (!recorded && (!ReadCurrName(now, sizeof(now)) || !SameName(now, chosen))) {
        std::wstring text = FormatText(kNameChars * 2, LoadResString(IDS_APPLY_UNRECORDED), chosen);
        session.ShowMessage(text.c_str(), LoadResString(IDS_ERROR), MB_OK | MB_TOPMOST);
    }

    // Ask the window system to take up the system colours again, and repaint with them.
    int scratch[1] = {};
    SetSysColors(0, scratch, reinterpret_cast<const COLORREF*>(scratch));
    if (session.sheet)
        RedrawWindow(session.sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);

    if (pending || appliedChanges || deviceChanges) OfferReset(session);
}
}  // namespace

void ApplyConfig(Session& session, const wchar_t* name) { ApplyKeeping(session, name, false); }

const wchar_t* KeptConfigName() { return LoadResString(IDS_KEPT_NAME); }

bool HasKeptConfig() {
    return QueryRegistryString(HKEY_LOCAL_MACHINE, KeptKey(), kKeptMarker, kNameChars * sizeof(wchar_t)).has_value();
}

std::wstring KeptWhileApplied() {
    return QueryRegistryString(HKEY_LOCAL_MACHINE, KeptKey(), kKeptMarker, kNameChars * sizeof(wchar_t)).value_or(L"");
}

MemoryStore CaptureDevice(Session& session) {
    MemoryStore written;
    for (SettingsPage* page : session.pages)
        if (page && !page->SavesToDevice()) page->Save(written);
    auto live = OpenRegistryStore(kSystemStoreKey, true);
    return written.ReadSame(*live);
}

bool KeepDeviceSettings(const MemoryStore& device, std::wstring_view whileApplied) {
    const std::wstring key = KeptKey();
    if (KeyExists(LoadResString(IDS_PROGRAM_KEY), KeptConfigName())) {
        if (!HasKeptConfig()) return false;
        DeleteKeyTree(HKEY_LOCAL_MACHINE, key.c_str());
    } else if (StoredConfigCount() >= static_cast<DWORD>(kMaxConfigs)) {
        return false;
    }
    // The marker goes first: a key without it would pass for a user's configuration.
    const std::wstring marker(whileApplied);
    bool kept = SetRegistryValue(HKEY_LOCAL_MACHINE, key, kKeptMarker, REG_SZ, marker.c_str(),
                                 static_cast<DWORD>((marker.size() + 1) * sizeof(wchar_t))) != FALSE;
    if (kept) {
        auto store = OpenRegistryStore(key, false);
        kept = device.CopyTo(*store);
    }
    if (!kept) DeleteKeyTree(HKEY_LOCAL_MACHINE, key.c_str());
    return kept;
}

void UndoApply(Session& session) {
    if (!HasKeptConfig()) return;
    std::wstring before = KeptWhileApplied();
    if (before.empty()) before = KeptConfigName();
    const std::wstring question = FormatText(kNameChars * 3, LoadResString(IDS_UNDO_QUESTION), before.c_str());
    if (session.ShowMessage(question.c_str(), LoadResString(IDS_CONFIRM), MB_YESNO) != IDYES) return;
    if (!AskToSaveChanges(session)) return;

    auto kept = OpenStore(KeptKey(), session.sheet);
    LoadPagesFrom(session, *kept);
    CopyText(session.activeConfigName, kNameChars, KeptConfigName());
    session.changeCount = session.fontFileChangeCount;
    session.resetCount = session.fontFileChangeCount;
    session.RefreshTitle();
    ApplyKeeping(session, KeptConfigName(), true);
}

void OfferReset(Session& session) {
    if (session.ShowMessage(LoadResString(IDS_RESET_QUESTION), LoadResString(IDS_ATTENTION), MB_YESNO) == IDYES)
        ResetDevice();
}

void ResetDevice() {
    DWORD buffer = 0, returned = 0;
    KernelIoControl(IOCTL_HAL_REBOOT, &buffer, sizeof(buffer), &buffer, sizeof(buffer), &returned);
}
