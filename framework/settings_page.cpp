#include "framework/settings_page.h"

#include <string>

#include "base/strings.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"

namespace {
// The property sheet's "help" notification.
constexpr int kHelpNotification = -205;

// Starts the device's help viewer on the program's help file. A device without the viewer
// shows nothing.
void StartHelpViewer() {
    wchar_t commandLine[] = L"peghelp file:orvanel.htc";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

SettingsPage* PageFromWindow(HWND dialog) {
    return reinterpret_cast<SettingsPage*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

SettingsPage* FindPage(const PageHost& host, DWORD tag) {
    for (SettingsPage* page : host.Pages())
        if (page && page->IsKind(tag)) return page;
    return nullptr;
}


}  // namespace

SettingsPage::SettingsPage(PageHost& host, WORD portraitId, const wchar_t* pageTitle)
    : portraitDialogId(portraitId), host_(host) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ZeroMemory(title, sizeof(title));
    ZeroMemory(&pageDesc, sizeof(pageDesc));
    pageDesc.dwSize = sizeof(pageDesc);
    pageDesc.dwFlags = PSP_USECALLBACK;
    pageDesc.hInstance = instance;
    pageDesc.pszTemplate = MAKEINTRESOURCEW(portraitId);
    if (pageTitle) {
        lstrcpynW(title, pageTitle, 64);
        pageDesc.dwFlags |= PSP_USETITLE;
        pageDesc.pszTitle = title;
    }
    pageDesc.pfnDlgProc = PageDialogProc;
    pageDesc.lParam = reinterpret_cast<LPARAM>(this);
    pageDesc.pfnCallback = PageCallback;
    pageHandle = CreatePropertySheetPageW(&pageDesc);
    if (!pageHandle) createError = GetLastError();
}

SettingsPage::~SettingsPage() = default;

ControlImages::~ControlImages() {
    for (const Entry& entry : held_) Destroy(entry);
}

void ControlImages::Destroy(const Entry& entry) {
    if (!entry.image) return;
    if (entry.type == IMAGE_ICON) DestroyIcon(static_cast<HICON>(entry.image));
    else DeleteObject(entry.image);
}

HANDLE ControlImages::Held(int id) const {
    for (const Entry& entry : held_)
        if (entry.id == id) return entry.image;
    return nullptr;
}

void ControlImages::Adopt(int id, UINT type, HANDLE image) {
    for (Entry& held : held_) {
        if (held.id != id) continue;
        if (held.image != image) Destroy(held);
        held = {id, type, image};
        return;
    }
    if (image) held_.push_back({id, type, image});
}

int SettingsPage::OnPageCallback(HWND, UINT, PROPSHEETPAGEW*) { return 1; }
BOOL SettingsPage::OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
BOOL SettingsPage::GrabSystem() { return LoadFrom(kSystemStoreKey); }
BOOL SettingsPage::ApplySystem() { return SaveTo(kSystemStoreKey); }
BOOL SettingsPage::Load(Store&) { return TRUE; }
BOOL SettingsPage::Save(Store&) { return TRUE; }

BOOL SettingsPage::LoadFrom(std::wstring_view storeKey) {
    auto store = OpenStore(storeKey, host_.MessageOwner());
    return Load(*store);
}

BOOL SettingsPage::SaveTo(std::wstring_view storeKey) {
    auto store = OpenStore(storeKey, host_.MessageOwner());
    return Save(*store);
}
BOOL SettingsPage::IsKind(DWORD tag) { return tag == kTagPage; }
INT_PTR SettingsPage::QueryItem(int, INT_PTR) { return 0; }
INT_PTR SettingsPage::QueryValue(int index, INT_PTR reserved) { return QueryItem(index, reserved); }
INT_PTR SettingsPage::QueryData(int index, INT_PTR reserved) { return QueryItem(index, reserved); }

INT_PTR CALLBACK PageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* desc = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
        auto* page = desc ? reinterpret_cast<SettingsPage*>(desc->lParam) : nullptr;
        SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
        SHINITDLGINFO info = {SHIDIM_FLAGS, dialog,
                              SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
        SHInitDialog(&info);
        SHDoneButton(dialog, SHDB_HIDE);
        if (page) {
            page->hwnd = dialog;
            if (!page->grabbed) GrabLiveSettings(*page);
            // The page fills its controls from what it holds, then is fitted to the screen.
            BOOL result = page->OnMessage(dialog, message, wParam, lParam);
            page->host().PageDialogMade(*page);
            return result;
        }
    } else if (message == WM_NOTIFY && lParam &&
               reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(kHelpNotification)) {
        StartHelpViewer();
    }
    SettingsPage* page = PageFromWindow(dialog);
    if (!page) return FALSE;
    return page->OnMessage(dialog, message, wParam, lParam);
}

UINT CALLBACK PageCallback(HWND wnd, UINT message, PROPSHEETPAGEW* desc) {
    auto* page = desc ? reinterpret_cast<SettingsPage*>(desc->lParam) : nullptr;
    if (!page) return 1;
    return static_cast<UINT>(page->OnPageCallback(wnd, message, desc));
}

INT_PTR FindPageValue(const PageHost& host, DWORD tag, int index, INT_PTR reserved) {
    SettingsPage* page = FindPage(host, tag);
    return page ? page->QueryValue(index, reserved) : 0;
}

INT_PTR FindPageItem(const PageHost& host, DWORD tag, int index, INT_PTR reserved) {
    SettingsPage* page = FindPage(host, tag);
    return page ? page->QueryItem(index, reserved) : 0;
}

void GrabLiveSettings(SettingsPage& page) {
    page.grabbed = true;
    if (!page.GrabSystem()) ShowCriticalError(LoadResString(IDS_CANT_GRAB));
}

void ShowCriticalError(const wchar_t* text) {
    std::wstring message = FormatText(260, L"%s%s", text ? text : L"", LoadResString(IDS_TERMINATE));
    if (MessageBoxW(nullptr, message.c_str(), LoadResString(IDS_CRITICAL_ERROR), MB_YESNO | MB_TOPMOST) == IDYES)
        PostQuitMessage(-1);
}
