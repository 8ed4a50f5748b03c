#include "platform/file_dialog_base.h"

#include <algorithm>

#include "base/strings.h"
#include "resources/resource.h"

namespace {

// What CommDlgExtendedError reports: the last dialog's failure on this thread, 0 after a cancel.
thread_local DWORD lastDialogError = 0;

// An empty full-screen dialog in the device's font; the dialog makes its controls itself.
std::vector<WORD> EmptyTemplate() {
    constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN | DS_SETFONT | DS_3DLOOK;
    std::vector<WORD> words = {
        LOWORD(kStyle), HIWORD(kStyle), 0, 0,   // style, no extended style
        0, 0, 0, 100, 100,                      // no items; position and size are set later
        0, 0, 0,                                // no menu, the dialog class, no title
        8,                                      // point size, then the face
    };
    for (const wchar_t* face = L"Tahoma"; *face; ++face) words.push_back(*face);
    words.push_back(0);
    return words;
}

}  // namespace

namespace {
constexpr DocumentRoot kDevicePlaces[] = {
    {L"\\My Documents", IDS_FD_MAIN_MEMORY, IDS_FD_MY_DOCUMENTS, false, false},
    {L"\\Storage Card", IDS_FD_STORAGE_CARD, IDS_FD_STORAGE_CARD, true, true},
};
}  // namespace
const std::span<const DocumentRoot> kDocumentRoots(kDevicePlaces);

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsPresent(const DocumentRoot& root) { return !root.removable || IsFolder(root.path); }

const DocumentRoot* RemovableRootOf(std::span<const DocumentRoot> roots, const std::wstring& path) {
    for (const DocumentRoot& root : roots)
        if (root.removable && StartsWithIgnoringCase(path, root.path)) return &root;
    return nullptr;
}

std::vector<std::wstring> SubFolders(const std::wstring& root) {
    std::vector<std::wstring> names;
    ForEachEntry(root, [&names](const WIN32_FIND_DATAW& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(data.cFileName);
    });
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
    return names;
}

std::wstring WindowString(HWND wnd) {
    std::wstring text(GetWindowTextLengthW(wnd) + 1, L'\0');
    text.resize(GetWindowTextW(wnd, text.data(), static_cast<int>(text.size())));
    return text;
}

bool CheckDialogRequest(const OPENFILENAMEW* ofn) {
    lastDialogError = 0;
    if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEW) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400W)) {
        lastDialogError = CDERR_STRUCTSIZE;
        return false;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        lastDialogError = CDERR_INITIALIZATION;
        return false;
    }
    return true;
}

void SetDialogError(DWORD error) { lastDialogError = error; }

DWORD WINAPI CommDlgExtendedError() { return lastDialogError; }

FileDialogBase::FileDialogBase(OPENFILENAMEW& ofn, UINT defaultTitle, std::span<const DocumentRoot> roots)
    : ofn_(ofn), roots_(roots), types_(ReadFileTypes(ofn.lpstrFilter)),
      title_(ofn.lpstrTitle && *ofn.lpstrTitle ? ofn.lpstrTitle : LoadResString(defaultTitle)) {}

BOOL FileDialogBase::Run() {
    std::vector<WORD> words = EmptyTemplate();
    INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(words.data()),
                                             ofn_.hwndOwner, Proc, reinterpret_cast<LPARAM>(this));
    if (result == -1) lastDialogError = CDERR_DIALOGFAILURE;
    return result == IDOK;
}

INT_PTR CALLBACK FileDialogBase::Proc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(wnd, DWLP_USER, lParam);
        reinterpret_cast<FileDialogBase*>(lParam)->wnd_ = wnd;
    }
    auto* self = reinterpret_cast<FileDialogBase*>(GetWindowLongPtrW(wnd, DWLP_USER));
    if (!self) return FALSE;
    try {
        return self->Handle(message, wParam, lParam);
    } catch (...) {   // nothing leaves a window procedure; the dialog stays as it was
        return FALSE;
    }
}

INT_PTR FileDialogBase::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextW(wnd_, title_.c_str());
        Start();
        Layout();
        SetFocus(Control(FirstFocus()));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            lastDialogError = 0;
            EndDialog(wnd_, IDCANCEL);
        } else {
            Command(LOWORD(wParam), HIWORD(wParam));
        }
        return TRUE;
    case WM_NOTIFY:
        Notify(*reinterpret_cast<NMHDR*>(lParam));
        return FALSE;
    case WM_DISPLAYCHANGE:
        TranslateDisplayChange(wnd_, lParam);
        return TRUE;
    case WM_SETTINGCHANGE:
        if (wParam == SETTINGCHANGE_RESET) Layout();
        return FALSE;
    }
    return FALSE;
}

HWND FileDialogBase::Add(const wchar_t* windowClass, int id, DWORD style, UINT textId, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, windowClass, textId ? LoadResString(textId) : L"",
                                   WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, wnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, SendMessageW(wnd_, WM_GETFONT, 0, 0), FALSE);
    return control;
}

void FileDialogBase::AddChoice(int labelId, UINT labelText, int comboId) {
    Add(L"STATIC", labelId, SS_LEFT | SS_NOPREFIX, labelText);
    Add(L"COMBOBOX", comboId, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
}

void FileDialogBase::FinishControls() {
    Add(L"BUTTON", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, IDS_FD_CANCEL);
    HWND types = Control(IDC_FILE_TYPE);
    for (const FileType& type : types_) SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type.label.c_str()));
    const DWORD index = ofn_.nFilterIndex;
    SendMessageW(types, CB_SETCURSEL, index >= 1 && index <= types_.size() ? index - 1 : 0, 0);
}

int FileDialogBase::ChosenType() const {
    return static_cast<int>(std::min<size_t>(std::max(0, Choice(IDC_FILE_TYPE)), types_.size() - 1));
}

int FileDialogBase::LabelWidth() const {
    WindowDc dc(wnd_);
    DcSelection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(wnd_, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (int id : {IDC_FILE_NAME_LABEL, IDC_FILE_FOLDER_LABEL, IDC_FILE_TYPE_LABEL, IDC_FILE_LOCATION_LABEL}) {
        if (!Control(id)) continue;
        const std::wstring text = WindowString(Control(id));
        SIZE size = {};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max<int>(widest, size.cx);
    }
    return widest;
}

void FileDialogBase::Grid::Put(int id, int x, int y, int w, int h) const {
    if (HWND control = GetDlgItem(wnd, id)) MoveWindow(control, x, y, std::max(0, w), std::max(0, h), TRUE);
}

void FileDialogBase::Grid::Choice(int labelId, int fieldId, int x, int y, int w, bool combo) const {
    Put(labelId, x, y + 3 * scale, label, field - 3 * scale);
    Put(fieldId, x + label, y, w - label, combo ? field + dropped : field);
}

void FileDialogBase::Layout() {
    const RECT area = DeviceDefaultWindowRect();
    const int width = area.right - area.left, height = area.bottom - area.top;
    SetWindowPos(wnd_, nullptr, area.left, area.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    const int scale = std::max(1, DeviceDpi() / 96);
    const int gap = 4 * scale;
    const Grid grid{wnd_, width, height, scale, gap, 24 * scale, 20 * scale, 120 * scale, kMenuBarHeight * scale,
                    LabelWidth() + gap};
    const int buttonY = height - grid.bar + 2 * scale, buttonHeight = grid.bar - 4 * scale;
    const int buttonWidth = (width - 3 * gap) / 2;
    grid.Put(IDCANCEL, width - gap - buttonWidth, buttonY, buttonWidth, buttonHeight);
    grid.Put(IDOK, gap, buttonY, buttonWidth, buttonHeight);
    LayOutFields(grid);
}

int FileDialogBase::Tell(UINT textId, UINT style, const std::wstring& detail) {
    const std::wstring text = FormatText(1024, LoadResString(textId), detail.c_str());
    return MessageBoxW(wnd_, text.c_str(), title_.c_str(), style);
}

void FileDialogBase::Deliver(const std::wstring& path, int type) {
    CopyText(ofn_.lpstrFile, ofn_.nMaxFile, path);
    const size_t name = path.rfind(L'\\') + 1;
    const size_t dot = path.rfind(L'.');
    ofn_.nFileOffset = static_cast<WORD>(name);
    ofn_.nFileExtension = static_cast<WORD>(dot != std::wstring::npos && dot >= name ? dot + 1 : path.size());
    if (ofn_.lpstrFileTitle && ofn_.nMaxFileTitle) CopyText(ofn_.lpstrFileTitle, ofn_.nMaxFileTitle, path.substr(name));
    ofn_.nFilterIndex = static_cast<DWORD>(std::max(type, 0) + 1);
    lastDialogError = 0;
    EndDialog(wnd_, IDOK);
}

bool FileDialogBase::TooLong(const std::wstring& path) {
    if (path.size() < MAX_PATH && path.size() < ofn_.nMaxFile) return false;
    Tell(IDS_FD_TOO_LONG, MB_OK | MB_ICONEXCLAMATION, path);
    return true;
}
