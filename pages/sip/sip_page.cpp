#include "pages/sip/sip_page.h"

#include <commctrl.h>

#include <tuple>

#include "base/handles.h"
#include "base/strings.h"
#include "framework/controls.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/registry.h"

namespace {

constexpr wchar_t kSipPath[] = L"ControlPanel";
constexpr wchar_t kSipKey[] = L"Sip";
constexpr wchar_t kMethodKey[] = L"IsSIPInputMethod";
constexpr UINT kDefaultFormat = 3174;   // "Default: %s"
constexpr UINT kUnlistedFormat = 3400;  // "Default: %s (not listed)"
constexpr UINT kUnlistedDefault = 3401; // "Default: not listed"
constexpr UINT kRiskyQuestion = 3203;
constexpr UINT kWarning = 3188;
constexpr DWORD kNone = 0xFFFFFFFF;

// Methods that must not become the default without the user's word.
constexpr const wchar_t* kRiskyDefaultMethods[] = {L"{F0034DD0-2AD4-11d1-9CB0-E84BE8000000}", nullptr};

bool IsRisky(const std::wstring& clsid) {
    for (const wchar_t* const* risky = kRiskyDefaultMethods; *risky; ++risky)
        if (SameNameIgnoringCase(clsid, *risky)) return true;
    return false;
}

std::wstring ClassKey(const std::wstring& clsid) { return L"CLSID\\" + clsid; }

std::wstring Cut(const std::wstring& text, size_t chars) { return text.substr(0, chars); }

}  // namespace

SipPage::SipPage(PageHost& host) : KitPage(host, IDD_SIP) {}

bool SipPage::ReadMethod(InputMethodEntry& entry, HKEY classes, const std::wstring& clsid) {
    entry = InputMethodEntry{};
    // Most classes are no input method: one open tells. Every key is opened read-only: listing the
    // device's classes must not leave an empty key behind in each.
    RegKey method;
    if (RegOpenKeyExW(classes, (clsid + L"\\" + kMethodKey).c_str(), 0, KEY_QUERY_VALUE, method.put()) != ERROR_SUCCESS)
        return false;
    // The class's values through a store of its key, for this one reading.
    auto store = OpenRegistryStoreAt(classes, clsid);
    // The first name, with room for a whole name: a long one survives a rename.
    const ValueRef first{LiveRoot::System, kMethodKey, L"origname"}, stateAt{LiveRoot::System, kMethodKey, nullptr};
    std::wstring origName = store->ReadString(first, (kNameChars + 1) * sizeof(wchar_t)).value_or(L"");
    auto state = store->ReadString(stateAt, 128);
    if (!state) return false;
    const bool enabled = !state->empty() && state->front() == L'1';
    if (!enabled && origName.empty()) return false;
    auto name = store->ReadString({LiveRoot::System, L"", nullptr}, (kNameChars + 1) * sizeof(wchar_t));
    if (!name) return false;
    entry.clsid = clsid;
    entry.name = Cut(*name, kNameChars);
    entry.origName = origName.empty() ? entry.name : Cut(origName, kNameChars);
    entry.enabled = enabled ? 1 : 0;
    return true;
}

bool SipPage::WriteMethod(const InputMethodEntry& entry) {
    const std::wstring key = ClassKey(entry.clsid);
    bool ok = PutClassString(key.c_str(), kMethodKey, L"origname", entry.origName.c_str()) != FALSE;
    ok = PutClassString(key.c_str(), kMethodKey, nullptr, entry.enabled ? L"1" : L"0") != FALSE && ok;
    return PutClassString(key.c_str(), L"", nullptr, entry.name.c_str()) != FALSE && ok;
}

BOOL SipPage::Load(Store& store) {
    methodsRead_ = false;
    for (auto& entry : methods) entry = InputMethodEntry{};
    methodCount = 0;
    // On show (an import or a switch while the page is up): read at once.
    if (hwnd && IsWindowVisible(hwnd) && host().SheetComplete()) {
        ReadMethods();
        if (!SameName(store.Key(), L"SYSTEM")) RefreshControls();
    }
    return TRUE;
}

void SipPage::EnsureMethods() {
    if (methodsRead_) return;
    ReadMethods();
    RefreshControls();
}

void SipPage::ReadMethods() {
    methodsRead_ = true;
    for (auto& entry : methods) entry = InputMethodEntry{};
    methodCount = 0;
    defaultIndex = 0;
    defaultUnlisted_ = false;
    unlistedDefaultName_.clear();
    allowChange = 0;
    // Only a number is one: a text "1" would read as 49.
    auto allow = OpenRegistryStoreAt(HKEY_CURRENT_USER, kSipPath)->ReadDword({LiveRoot::System, kSipKey, L"AllowChange"});
    if (allow && *allow != kNone) allowChange = static_cast<int>(*allow);
    wchar_t defaultIm[130] = {};
    GetUserString(kSipPath, kSipKey, L"DefaultIm", defaultIm, sizeof defaultIm);

    RegKey classes;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, nullptr, 0, KEY_READ, nullptr, classes.put(), nullptr);
    bool matched = false;
    for (DWORD i = 0; classes; ++i) {
        wchar_t name[260];
        DWORD chars = 260;
        if (RegEnumKeyExW(classes.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        // Methods past the last place are neither kept nor let to overwrite the ones that are.
        if (methodCount >= kMaxMethods) continue;
        InputMethodEntry entry;
        if (!ReadMethod(entry, classes.get(), name)) continue;
        // A class identifier is the same in any letter case.
        if (defaultIm[0] && !matched && SameNameIgnoringCase(name, defaultIm)) {
            defaultIndex = methodCount;
            matched = true;
        }
        methods[methodCount++] = std::move(entry);
    }
    // A default the list does not hold (past the last place, disabled without a first name, or
    // no input method at all) stays the device's default: a save leaves it as it is, and the
    // default line names it by its class's name where it has one.
    if (defaultIm[0] && !matched) {
        defaultUnlisted_ = true;
        if (classes)
            unlistedDefaultName_ = Cut(OpenRegistryStoreAt(classes.get(), defaultIm)
                                           ->ReadString({LiveRoot::System, L"", nullptr}, (kNameChars + 1) * sizeof(wchar_t))
                                           .value_or(L""),
                                       kNameChars);
    }
}

BOOL SipPage::Save(Store&) {
    // Until the page has read the device (shown, or used), it holds nothing of its own: the
    // registry has what the page would write. A save then skips walking every class of the
    // device, which is most of an export's time.
    if (!methodsRead_) return TRUE;
    bool ok = true;
    for (int i = 0; i < methodCount; ++i) ok = WriteMethod(methods[i]) && ok;
    ok = PutUserDword(kSipPath, kSipKey, L"AllowChange", static_cast<DWORD>(allowChange)) && ok;
    // With no method listed there is no default to record, and a default past the last place is
    // not to be replaced by the first listed method: the one the device has stays.
    if (methodCount > 0 && !defaultUnlisted_)
        ok = PutUserString(kSipPath, kSipKey, L"DefaultIm", methods[defaultIndex].clsid.c_str()) && ok;
    return ok ? TRUE : FALSE;
}

// Each method under its first name: enabled or not, the default, the name it shows when renamed.
// A method one side does not list shows as not listed there.
std::vector<SettingWords> SipPage::DescribeMethods() const {
    std::vector<SettingWords> out;
    for (int i = 0; i < methodCount; ++i) {
        const InputMethodEntry& m = methods[i];
        std::wstring words = LoadResString(m.enabled ? IDS_COMPARE_ENABLED : IDS_COMPARE_DISABLED);
        if (i == defaultIndex && !defaultUnlisted_) words += LoadResString(IDS_COMPARE_DEFAULT);
        if (!SameName(m.name, m.origName)) words += FormatText(128, LoadResString(IDS_COMPARE_NAMED), m.name.c_str());
        out.push_back({m.clsid, m.origName, words, 0xFFFFFFFF, IDS_COMPARE_NOT_LISTED});
    }
    out.push_back({{}, LoadResString(IDS_SIP_ALLOW_CHANGE), LoadResString(allowChange ? IDS_COMPARE_ON : IDS_COMPARE_OFF)});
    return out;
}

std::optional<std::vector<SettingWords>> SipPage::Describe(Store* store) {
    if (store && !store->IsLive()) return std::nullopt;
    // A page that has not read the device holds just what the device has.
    if (!methodsRead_) return std::nullopt;
    if (!store) return DescribeMethods();
    // The device, read as the page reads it; the page's own list is put back untouched (reading
    // shows nothing in the controls).
    auto held = std::make_tuple(methods, methodCount, defaultIndex, allowChange, defaultUnlisted_);
    ReadMethods();
    std::vector<SettingWords> device = DescribeMethods();
    std::tie(methods, methodCount, defaultIndex, allowChange, defaultUnlisted_) = std::move(held);
    return device;
}

int SipPage::SelectedIndex() const {
    LRESULT mark = SendDlgItemMessageW(hwnd, IDC_SIP_LIST, LVM_GETSELECTIONMARK, 0, 0);
    return mark >= 0 && mark < methodCount ? static_cast<int>(mark) : 0;
}

BOOL SipPage::OnInitDialog() {
    SHINITDLGINFO info = {SHIDIM_FLAGS, hwnd, SHIDIF_SIZEDLG};
    SHInitDialog(&info);
    SetUpReportList(hwnd, IDC_SIP_LIST, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RefreshControls();
    return TRUE;
}

void SipPage::RefreshControls() {
    if (!hwnd) return;
    UpdatingControls guard(*this);
    HWND list = GetDlgItem(hwnd, IDC_SIP_LIST);
    LRESULT mark = SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0);
    const int selected = mark >= 0 ? static_cast<int>(mark) : defaultIndex;
    const int top = ListView_GetTopIndex(list);
    ListView_DeleteAllItems(list);
    for (int i = 0; i < methodCount; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = const_cast<wchar_t*>(methods[i].name.c_str());
        item.lParam = i;
        ListView_InsertItem(list, &item);
        ListView_SetItemState(list, i, INDEXTOSTATEIMAGEMASK(methods[i].enabled ? 2 : 1), LVIS_STATEIMAGEMASK);
        if (i == selected) {
            ListView_SetItemState(list, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_SetSelectionMark(list, i);
        }
    }
    KeepListInView(list, top, selected);
    std::wstring line;
    if (!defaultUnlisted_)
        line = FormatText(128, LoadResString(kDefaultFormat), methodCount > 0 ? methods[defaultIndex].name.c_str() : L"");
    else if (!unlistedDefaultName_.empty())
        line = FormatText(128, LoadResString(kUnlistedFormat), unlistedDefaultName_.c_str());
    else
        line = LoadResString(kUnlistedDefault);
    SetDlgItemTextW(hwnd, IDC_SIP_DEFAULT_LINE, line.c_str());
    SetChecked(hwnd, IDC_SIP_ALLOW_CHANGE, allowChange != 0);
    host().RefreshTitle();
}

bool SipPage::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) return true;
    EnsureMethods();
    if (id != IDC_SIP_SET_DEFAULT && id != IDC_SIP_RESTORE && id != IDC_SIP_RENAME && id != IDC_SIP_TOGGLE &&
        id != IDC_SIP_ALLOW_CHANGE)
        return true;
    HWND list = GetDlgItem(hwnd, IDC_SIP_LIST);
    SetFocus(list);
    if (id == IDC_SIP_ALLOW_CHANGE) {
        allowChange = IsChecked(hwnd, id) ? 1 : 0;
        RefreshControls();
        return true;
    }
    if (methodCount == 0) return true;
    const int i = SelectedIndex();
    switch (id) {
    case IDC_SIP_RENAME:
        ListView_EditLabel(list, i);
        return true;
    case IDC_SIP_SET_DEFAULT:
        if (IsRisky(methods[i].clsid) &&
            MessageBoxW(host().MessageOwner(), LoadResString(kRiskyQuestion), LoadResString(kWarning),
                        MB_YESNO | MB_TOPMOST) != IDYES)
            return true;
        host().NoteUserChange();
        defaultIndex = i;
        defaultUnlisted_ = false;
        methods[i].enabled = 1;
        break;
    case IDC_SIP_RESTORE:
        host().NoteUserChange();
        methods[i].name = Cut(methods[i].origName, kNameChars);
        break;
    case IDC_SIP_TOGGLE:
        host().NoteUserChange();
        methods[i].enabled = methods[i].enabled ? 0 : 1;
        break;
    }
    RefreshControls();
    return true;
}

std::optional<LRESULT> SipPage::OnNotify(const NMHDR& header) {
    if (header.code == static_cast<UINT>(PSN_SETACTIVE)) {
        if (host().SheetComplete()) EnsureMethods();
        return std::nullopt;
    }
    if (header.idFrom != IDC_SIP_LIST || Updating()) return std::nullopt;
    if (header.code == LVN_ENDLABELEDITW) {
        const auto& edit = reinterpret_cast<const NMLVDISPINFOW&>(header);
        if (!edit.item.pszText) return std::nullopt;   // cancelled
        const int i = SelectedIndex();
        host().NoteUserChange();
        methods[i].name = Cut(edit.item.pszText, kNameChars);
        RefreshControls();
    } else if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (change.iItem < 0 || change.iItem >= methodCount || !(change.uChanged & LVIF_STATE)) return std::nullopt;
        if (!((change.uOldState ^ change.uNewState) & LVIS_STATEIMAGEMASK)) return std::nullopt;
        const int ticked = ((change.uNewState & LVIS_STATEIMAGEMASK) >> 12) != 1 ? 1 : 0;
        InputMethodEntry& method = methods[change.iItem];
        if (ticked != method.enabled) {
            host().NoteUserChange();
            method.enabled = ticked;
            RefreshControls();
        }
    }
    return std::nullopt;
}

std::optional<BOOL> SipPage::OnOtherMessage(UINT message, WPARAM, LPARAM) {
    // A relayout gave the list another width: its column follows, so a selected row is marked
    // across the whole list.
    if (message == WM_PAINT) FitListColumn(GetDlgItem(hwnd, IDC_SIP_LIST));
    return std::nullopt;
}

std::unique_ptr<SettingsPage> CreateSipPage(PageHost& host) { return std::make_unique<SipPage>(host); }
