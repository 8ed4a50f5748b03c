// What the device's Save and Open dialogs share (platform/save_dialog.cpp,
// platform/open_dialog.cpp): the places documents live, the full-screen dialog made from an empty
// template and laid out in code for the screen as it is (and again when it turns), the Type
// choice from the caller's filter, the boxes that say why a choice cannot be honoured, and the
// hand-over of the chosen path. Whatever the user typed stays in the dialog when a choice is
// refused: the dialog says why and stays open.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>
#include <vector>

#include "base/handles.h"
#include "platform/file_dialog_rules.h"
#include "platform/pocketpc.h"

// A place documents live in: one of Save's Location choices and a root of Open's list. A
// removable place (the storage card, the folder \Storage Card of the object store) is offered
// only while its folder exists. Save offers the place and the folders directly in it; Open lists
// the place's files and those of its folders one level down.
struct DocumentRoot {
    const wchar_t* path;
    UINT locationLabel;   // Save's Location choice
    UINT folderLabel;     // Open's Folder choice
    bool removable;       // offered only while its folder exists
    bool named;           // Open shows its folders as "<label>\<folder>" and its files' folder as the label
};
// The device's places, in the order the dialogs offer them: main memory (\My Documents), then
// the storage card. GetSaveFileNameW and GetOpenFileNameW offer these; a dialog made with other
// places (a folder of the system's for a kind of file) offers those instead.
extern const std::span<const DocumentRoot> kDocumentRoots;

// A folder a dialog offers: where it is, the name shown for it in the choices and in the list.
struct Place {
    std::wstring path;
    std::wstring label;
    std::wstring column;
};

bool IsFolder(const std::wstring& path);
bool IsPresent(const DocumentRoot& root);
// The removable place the path lies in, if any.
const DocumentRoot* RemovableRootOf(std::span<const DocumentRoot> roots, const std::wstring& path);
// The folders directly in `root`, by name.
std::vector<std::wstring> SubFolders(const std::wstring& root);
// Calls `visit` with the find data of every entry of a folder but "." and "..".
template <typename Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) visit(data);
    } while (FindNextFileW(find.get(), &data));
}
std::wstring WindowString(HWND wnd);

class FileDialogBase {
public:
    FileDialogBase(OPENFILENAMEW& ofn, UINT defaultTitle, std::span<const DocumentRoot> roots);
    virtual ~FileDialogBase() = default;
    // TRUE when a path was handed over; CommDlgExtendedError() tells a failure from a cancel.
    BOOL Run();

protected:
    // Positions in the work area for the screen as it is now.
    struct Grid {
        HWND wnd;
        int width, height, scale, gap, row, field, dropped, bar, label;
        void Put(int id, int x, int y, int w, int h) const;
        // A label and its field in one row, from x for `w` pixels.
        void Choice(int labelId, int fieldId, int x, int y, int w, bool combo) const;
    };

    // Makes the dialog's controls (ending with FinishControls) and fills them.
    virtual void Start() = 0;
    // The control that has the focus when the dialog opens.
    virtual int FirstFocus() const = 0;
    virtual void LayOutFields(const Grid& grid) = 0;
    virtual void Command(int id, int code) = 0;
    virtual void Notify(const NMHDR&) {}

    HWND Control(int id) const { return GetDlgItem(wnd_, id); }
    int Choice(int id) const { return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0)); }
    HWND Add(const wchar_t* windowClass, int id, DWORD style, UINT textId = 0, DWORD exStyle = 0);
    void AddChoice(int labelId, UINT labelText, int comboId);
    // The type chosen, an index into types_.
    int ChosenType() const;
    int Tell(UINT textId, UINT style, const std::wstring& detail = {});
    // Hands the chosen path to the caller and closes the dialog.
    void Deliver(const std::wstring& path, int type);
    // Says so when the path does not fit MAX_PATH or the caller's buffer.
    bool TooLong(const std::wstring& path);
    // Cancel after the dialog's own controls, and the Type choice filled from the caller's
    // filter with its index chosen.
    void FinishControls();

    OPENFILENAMEW& ofn_;
    const std::span<const DocumentRoot> roots_;
    const std::vector<FileType> types_;
    const std::wstring title_;
    HWND wnd_ = nullptr;

private:
    static INT_PTR CALLBACK Proc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    int LabelWidth() const;
    // Fills the work area of the screen: the buttons along the bottom where the menu bar is,
    // the dialog's fields above them.
    void Layout();
};

// The checks of the caller's structure every dialog makes, then the dialog itself.
bool CheckDialogRequest(const OPENFILENAMEW* ofn);
void SetDialogError(DWORD error);

template <typename Dialog>
BOOL RunFileDialog(LPOPENFILENAMEW ofn, std::span<const DocumentRoot> roots) {
    if (!CheckDialogRequest(ofn)) return FALSE;
    try {
        Dialog dialog(*ofn, roots);
        return dialog.Run();
    } catch (...) {
        SetDialogError(CDERR_MEMALLOCFAILURE);
        return FALSE;
    }
}
