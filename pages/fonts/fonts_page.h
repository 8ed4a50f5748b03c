// The fonts page: every TrueType font file of the device, the ones the system loads, and Install,
// Remove and Delete of font files in \Windows. It acts on the file system at once; nothing of it
// belongs to a configuration.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "framework/page_kit.h"
#include "framework/page_queries.h"
#include "pages/fonts/font_catalogue.h"
#include "platform/pocketpc.h"

class FontsPage : public KitPage, public FontFileFinder {
public:
    // The longest install name from which every path the page builds for the font fits MAX_PATH:
    // the font "\windows\<name>", an earlier font of that name moved aside to "<name>_rename",
    // Remove's backup "<install folder>\<name>" and the "\Windows\delme_<name>.del" that Remove
    // and Delete move the font to. It depends on the install folder (236 in "\Program Files\Orvanel").
    static size_t MaxInstallName();

    explicit FontsPage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagFont; }
    BOOL Load(Store&) override { return TRUE; }
    BOOL Save(Store&) override { return TRUE; }

    // Both lists from the catalogue; full names are read as they are needed.
    void FillLists();
    void InstallSelected();
    // Copies the entry's file to "\windows\<newName>"; 0 or the error code, which is shown.
    DWORD CopyIntoWindows(FontFileEntry& entry, const std::wstring& newName);
    void RemoveSelected(bool deleteIt);
    // Moves the file out of the system's way and deletes it, with a backup copy first unless
    // deleteIt or another catalogued file holds the same bytes; 0 or the error code, which is shown.
    DWORD TakeOutFile(FontFileEntry& entry, bool deleteIt);
    // A name Install may write under \Windows: a bare file name the file system keeps as typed,
    // no device's name, and none that the program's own files take there (its length is
    // MaxInstallName's to judge).
    static bool IsPlainFileName(std::wstring_view name);

    // The ROM's fonts and those directly in \Windows, scanned anew (the page's own catalogue may
    // not be built yet), each file's full name read (pages/fonts/font_faces.cpp).
    std::vector<FaceSource> FindFaces(const std::vector<std::wstring>& faces) override;

    bool filling = false;
    FontCatalogue catalogue;
    HWND fileList = nullptr;
    HWND activeList = nullptr;
    HWND fullNameLabel = nullptr;
    int selectedFile = 0;
    // Where the object store's free space comes from (tests answer for the device).
    BOOL (*storeInformation)(STORE_INFORMATION*) = GetStoreInformation;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    std::optional<LRESULT> OnNotify(const NMHDR& header) override;
    void OnSettingChange() override;
    std::optional<BOOL> OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Scanning the device and reading the names takes a while: the catalogue is first built and
    // shown when the page is first shown (or pressed), not while the program starts.
    void EnsureCatalogue();

private:
    void RebuildCatalogue();
    // Column widths follow the lists' width, which a relayout changes; true when they changed.
    bool SizeColumns();
    // "Full font name: %s" of the selected file.
    void ShowFullName();
    FontFileEntry* EntryOfSelection(HWND list);
    void EnableButtons(bool install, bool remove);

    int columnsWidth_ = -1;
    int activeColumnsWidth_ = -1;
    bool catalogueShown_ = false;
    bool listsShowCatalogue_ = false;   // the lists' rows stand for the catalogue's entries
};

std::unique_ptr<SettingsPage> CreateFontsPage(PageHost& host);
