// The device's Save dialog: a name, a folder of the chosen location (none, or one directly in it),
// a type, whose extension is added, and a location (one of the places the dialog was made with).
// The path is handed over only when the name is one the file system keeps as a file;
// OFN_OVERWRITEPROMPT asks before a file is replaced.
#include <algorithm>

#include "base/strings.h"
#include "platform/file_dialog_base.h"
#include "resources/resource.h"

namespace {

class SaveDialog : public FileDialogBase {
public:
    SaveDialog(OPENFILENAMEW& ofn, std::span<const DocumentRoot> roots) : FileDialogBase(ofn, IDS_FD_SAVE_TITLE, roots) {}

private:
    void Start() override {
        Add(L"STATIC", IDC_FILE_NAME_LABEL, SS_LEFT | SS_NOPREFIX, IDS_FD_NAME);
        Add(L"EDIT", IDC_FILE_NAME, ES_AUTOHSCROLL | WS_TABSTOP, 0, WS_EX_CLIENTEDGE);
        AddChoice(IDC_FILE_FOLDER_LABEL, IDS_FD_FOLDER, IDC_FILE_FOLDER);
        AddChoice(IDC_FILE_TYPE_LABEL, IDS_FD_TYPE, IDC_FILE_TYPE);
        AddChoice(IDC_FILE_LOCATION_LABEL, IDS_FD_LOCATION, IDC_FILE_LOCATION);
        Add(L"BUTTON", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, IDS_FD_OK);
        FinishControls();
        Preselect();
    }

    int FirstFocus() const override { return IDC_FILE_NAME; }

    void LayOutFields(const Grid& grid) override {
        const int gap = grid.gap, w = grid.width - 2 * gap;
        grid.Choice(IDC_FILE_NAME_LABEL, IDC_FILE_NAME, gap, gap, w, false);
        grid.Choice(IDC_FILE_FOLDER_LABEL, IDC_FILE_FOLDER, gap, gap + grid.row, w, true);
        grid.Choice(IDC_FILE_TYPE_LABEL, IDC_FILE_TYPE, gap, gap + 2 * grid.row, w, true);
        grid.Choice(IDC_FILE_LOCATION_LABEL, IDC_FILE_LOCATION, gap, gap + 3 * grid.row, w, true);
    }

    void Command(int id, int code) override {
        if (id == IDOK) Accept();
        else if (id == IDC_FILE_LOCATION && code == CBN_SELCHANGE) FillFolders();
        else if (id == IDC_FILE_LOCATION && code == CBN_DROPDOWN) FillLocations();
    }

    // The caller's file name (and its folder, or the initial folder) preselect the choices.
    void Preselect() {
        const std::wstring given(ofn_.lpstrFile, wcsnlen(ofn_.lpstrFile, ofn_.nMaxFile));
        const size_t slash = given.find_last_of(L"\\/");
        const std::wstring name = slash == std::wstring::npos ? given : given.substr(slash + 1);
        std::wstring folder = slash == std::wstring::npos ? std::wstring() : given.substr(0, slash);
        if (folder.empty() && ofn_.lpstrInitialDir) folder = ofn_.lpstrInitialDir;
        SetWindowTextW(Control(IDC_FILE_NAME), name.c_str());

        FillLocations();
        size_t location = 0;
        for (size_t i = 1; i < locations_.size(); ++i)
            if (StartsWithIgnoringCase(folder, locations_[i]->path)) location = i;
        SendMessageW(Control(IDC_FILE_LOCATION), CB_SETCURSEL, location, 0);
        FillFolders();
        for (size_t i = 1; i < folders_.size(); ++i)
            if (SameNameIgnoringCase(folders_[i].path, folder)) SendMessageW(Control(IDC_FILE_FOLDER), CB_SETCURSEL, i, 0);
    }

    // Every place there is, once; a place that goes away keeps its choice (Accept says it is gone).
    void FillLocations() {
        HWND combo = Control(IDC_FILE_LOCATION);
        for (const DocumentRoot& root : roots_) {
            if (std::find(locations_.begin(), locations_.end(), &root) != locations_.end() || !IsPresent(root)) continue;
            locations_.push_back(&root);
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadResString(root.locationLabel)));
        }
        if (Choice(IDC_FILE_LOCATION) < 0) SendMessageW(combo, CB_SETCURSEL, 0, 0);
    }

    const DocumentRoot& Location() const {
        const int chosen = Choice(IDC_FILE_LOCATION);
        return *locations_.at(chosen > 0 && static_cast<size_t>(chosen) < locations_.size() ? chosen : 0);
    }

    // "None" (the location's own folder) and the folders directly in it.
    void FillFolders() {
        const std::wstring root = Location().path;
        folders_.assign(1, Place{root, LoadResString(IDS_FD_NO_FOLDER_CHOICE), {}});
        for (const std::wstring& name : SubFolders(root)) folders_.push_back({root + L"\\" + name, name, name});
        // A caller's initial folder outside every place (a theme's \Windows) is offered too, in
        // the first place's list.
        if (&Location() == locations_.front() && ofn_.lpstrInitialDir && IsFolder(ofn_.lpstrInitialDir)) {
            const std::wstring extra = ofn_.lpstrInitialDir;
            bool inside = false;
            for (const DocumentRoot* place : locations_) inside = inside || StartsWithIgnoringCase(extra, place->path);
            if (!inside) {
                const std::wstring name = extra.substr(extra.find_last_of(L'\\') + 1);
                folders_.push_back({extra, name, name});
            }
        }
        HWND combo = Control(IDC_FILE_FOLDER);
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const Place& place : folders_) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(place.label.c_str()));
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
    }

    // Stays open, saying why, unless the name and the choices give a path the caller can have.
    void Accept() {
        HWND nameBox = Control(IDC_FILE_NAME);
        std::wstring name = TrimTypedName(WindowString(nameBox));
        auto refuse = [&](UINT textId, const std::wstring& detail = {}) {
            Tell(textId, MB_OK | MB_ICONEXCLAMATION, detail);
            SetFocus(nameBox);
        };
        switch (CheckFileName(name)) {
        case NameProblem::kNone: break;
        case NameProblem::kEmpty: return refuse(IDS_FD_EMPTY_NAME);
        case NameProblem::kBadCharacters: return refuse(IDS_FD_BAD_CHARACTERS);
        case NameProblem::kDeviceName: return refuse(IDS_FD_DEVICE_NAME, name);
        }
        if (!IsPresent(Location())) return refuse(IDS_FD_NO_CARD);
        const int folder = Choice(IDC_FILE_FOLDER);
        const Place place = folders_.at(folder >= 0 && static_cast<size_t>(folder) < folders_.size() ? folder : 0);
        if (!IsFolder(place.path)) {
            refuse(IDS_FD_FOLDER_GONE, place.path);
            FillFolders();
            return;
        }

        const int type = ChosenType();
        name = NameWithExtension(name, TypeExtension(types_.at(type)), ofn_.lpstrDefExt);
        const std::wstring path = place.path + L"\\" + name;
        if (TooLong(path)) {
            SetFocus(nameBox);
            return;
        }

        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) return refuse(IDS_FD_IS_FOLDER, name);
            if ((ofn_.Flags & OFN_OVERWRITEPROMPT) && Tell(IDS_FD_REPLACE, MB_YESNO | MB_ICONQUESTION, name) != IDYES) {
                SetFocus(nameBox);
                return;
            }
        }
        Deliver(path, type);
    }

    std::vector<const DocumentRoot*> locations_;   // the Location choices, in their order
    std::vector<Place> folders_;                   // the Folder choices, "None" first
};

}  // namespace

BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn) { return RunFileDialog<SaveDialog>(ofn, kDocumentRoots); }
