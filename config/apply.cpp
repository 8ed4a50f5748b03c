#include "config/apply.h"

#include "base/strings.h"
#include "config/store.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

void ApplyConfig(Session& session, const wchar_t* name) {
    bool pending = session.changeCount != 0 || session.resetCount != 0;
    wchar_t chosen[kNameChars];
    lstrcpynW(chosen, name ? name : L"", kNameChars);
    wchar_t applied[kNameChars] = {};
    bool appliedChanges = !ReadCurrName(applied, sizeof(applied)) || !SameName(applied, chosen);

    const bool recorded = WriteCurrName(chosen) != FALSE;
    SaveConfig(session, chosen);
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

    if (pending || appliedChanges) OfferReset(session);
}

void OfferReset(Session& session) {
    if (session.ShowMessage(LoadResString(IDS_RESET_QUESTION), LoadResString(IDS_ATTENTION), MB_YESNO) == IDYES)
        ResetDevice();
}

void ResetDevice() {
    DWORD buffer = 0, returned = 0;
    KernelIoControl(IOCTL_HAL_REBOOT, &buffer, sizeof(buffer), &buffer, sizeof(buffer), &returned);
}
