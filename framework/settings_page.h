// The base of the six settings pages: the property-page descriptor and window, and the one
// virtual interface through which the shell and the configuration store drive every page.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/page_host.h"
#include "store/store.h"

// Kind tags, as multi-character constants.
constexpr DWORD kTagPage = 0x50414745;   // 'PAGE'
constexpr DWORD kTagGui = 0x00475549;    // 'GUI'
constexpr DWORD kTagSize = 0x53495A45;   // 'SIZE'
constexpr DWORD kTagSip = 0x00534950;    // 'SIP'
constexpr DWORD kTagFont = 0x464F4E54;   // 'FONT'
constexpr DWORD kTagAnim = 0x414E494D;   // 'ANIM'
constexpr DWORD kTagTheme = 0x5448454D;  // 'THEM'

// Icons and bitmaps a relayout loaded into a page's controls. The page owns them: one that is
// replaced is destroyed then, the last ones when the page goes.
class ControlImages {
public:
    ControlImages() = default;
    ControlImages(const ControlImages&) = delete;
    ControlImages& operator=(const ControlImages&) = delete;
    ~ControlImages();
    // Takes `image` (IMAGE_ICON or IMAGE_BITMAP) as the image of control `id`; the one held
    // for that control before is destroyed.
    void Adopt(int id, UINT type, HANDLE image);
    // The image held for control `id`, or null.
    HANDLE Held(int id) const;
    size_t size() const { return held_.size(); }

private:
    struct Entry { int id; UINT type; HANDLE image; };
    static void Destroy(const Entry& entry);
    std::vector<Entry> held_;
};

// One setting in the page's own words, as a comparison shows it.
struct SettingWords {
    std::wstring key;                      // matches it with the other side's; the setting's words when empty
    std::wstring setting;
    std::optional<std::wstring> value;     // nullopt: the store lacks it
    COLORREF color = 0xFFFFFFFF;           // the colour of a colour setting, else none
    UINT absentText = 0;                   // what a side without this line shows (0: "missing")
    // The stored values the line speaks for, as subkey and value name. A line with places is
    // shown exactly when one of them differs; a line without is told apart by its words.
    std::vector<std::pair<std::wstring, std::wstring>> places = {};
};

class SettingsPage {
public:
    SettingsPage(PageHost& host, WORD portraitDialogId, const wchar_t* title = nullptr);
    SettingsPage(const SettingsPage&) = delete;
    SettingsPage& operator=(const SettingsPage&) = delete;
    virtual ~SettingsPage();

    virtual int OnPageCallback(HWND wnd, UINT message, PROPSHEETPAGEW* desc);
    virtual BOOL OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // The live settings: Load and Save with the store of the live device.
    virtual BOOL GrabSystem();
    virtual BOOL ApplySystem();
    // The page's settings from and to a store; missing values take the page's defaults.
    virtual BOOL Load(Store& store);
    virtual BOOL Save(Store& store);
    virtual BOOL IsKind(DWORD tag);
    virtual INT_PTR QueryItem(int index, INT_PTR reserved);
    virtual INT_PTR QueryValue(int index, INT_PTR reserved);
    virtual INT_PTR QueryData(int index, INT_PTR reserved);
    // True for a page whose Save writes the live device whatever the store it is given: what it
    // cannot write the device refused, not the configuration.
    virtual bool SavesToDevice() const { return false; }
    // The page's settings in words: as the page holds them (store null) or as the store holds
    // them, without touching the page. nullopt: the page has nothing to compare there.
    virtual std::optional<std::vector<SettingWords>> Describe(Store* store) { return std::nullopt; }

    // Load and Save with a store key, resolved into its store for this one call.
    BOOL LoadFrom(std::wstring_view storeKey);
    BOOL SaveTo(std::wstring_view storeKey);

    PageHost& host() const { return host_; }

    wchar_t title[64];
    PROPSHEETPAGEW pageDesc;
    HPROPSHEETPAGE pageHandle = nullptr;   // owned by the sheet once the sheet has it
    DWORD createError = 0;
    WORD portraitDialogId = 0;
    WORD landscapeDialogId = 0;
    HWND hwnd = nullptr;     // made when the page is first shown
    bool grabbed = false;    // the live settings were taken, at start-up
    ControlImages images;   // what the relayout set into the page's image controls

private:
    PageHost& host_;
};

// The shared dialog procedure and page callback of every page.
INT_PTR CALLBACK PageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
UINT CALLBACK PageCallback(HWND wnd, UINT message, PROPSHEETPAGEW* desc);

// Takes the live settings into a page, once: at its dialog's initialisation for the start page,
// right after the sheet is made for the others, whose dialogs are made when first shown. A
// failure shows the fatal-error prompt.
void GrabLiveSettings(SettingsPage& page);

// The fatal-error prompt: the text, then "\nTerminate program?", caption "Critical Error".
// Yes posts quit with code -1.
void ShowCriticalError(const wchar_t* text);

// Page lookup by tag over the host's pages: the first page of that kind answers, else 0.
INT_PTR FindPageValue(const PageHost& host, DWORD tag, int index, INT_PTR reserved);
INT_PTR FindPageItem(const PageHost& host, DWORD tag, int index, INT_PTR reserved);

// The first page that answers a typed question, or null. Questions between pages are small
// interfaces that the answering page implements (see framework/page_queries.h).
template <class Query>
Query* FindPageAnswering(const PageHost& host) {
    for (SettingsPage* page : host.Pages())
        if (auto* answer = dynamic_cast<Query*>(page)) return answer;
    return nullptr;
}

// A registry value (always below HKEY_LOCAL_MACHINE) with a key path and a value name.
class RegistryValue {
public:
    virtual void Reset();
    virtual ~RegistryValue() = default;
    virtual void Bind(const wchar_t* keyPath, const wchar_t* valueName);
    virtual BOOL Save(const wchar_t* storeKey);
    virtual BOOL Load(const wchar_t* storeKey);

    HKEY rootKey = HKEY_LOCAL_MACHINE;
    wchar_t keyPath[260] = {};
    wchar_t valueName[260] = {};
};

// An unsigned 32-bit registry value kept within [minimum, maximum].
class DwordValue : public RegistryValue {
public:
    void Reset() override;
    void Bind(const wchar_t* keyPath, const wchar_t* valueName) override;
    BOOL Save(const wchar_t* storeKey) override;
    BOOL Load(const wchar_t* storeKey) override;

    void BindRange(const wchar_t* keyPath, const wchar_t* valueName,
                   DWORD minimum, DWORD maximum, DWORD initial);
    void SetValue(DWORD v);

    DWORD value = 0;
    DWORD minimum = 0;
    DWORD maximum = 0xFFFFFFFF;
    DWORD initial = 0;
};
