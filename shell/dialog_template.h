// A reader for the platform's standard dialog templates (DLGTEMPLATE and its DLGITEMTEMPLATE
// items). Pure: it reads bytes and nothing else, checks every read against the buffer's end, and
// reports a template that ends early as unreadable instead of reading past it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string_view>
#include <vector>

// A class or title field: 0xFFFF and an ordinal, or a NUL-terminated string (empty: one 0 word).
struct TemplateField {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring_view text;   // points into the template; empty for an ordinal
};

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect = {};   // in dialog units: x, y, x + width, y + height
    WORD id = 0;
    TemplateField windowClass;
    TemplateField title;
    WORD creationDataSize = 0;   // bytes, the size word included; 0 for none
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    WORD itemCount = 0;
    RECT rect = {};
    TemplateField menu;
    TemplateField windowClass;
    TemplateField title;
    WORD pointSize = 0;   // with the set-font style bit only
    std::wstring_view face;
    std::vector<TemplateItem> items;
};

// Predefined control classes by ordinal.
constexpr WORD kTemplateButton = 0x80;
constexpr WORD kTemplateStatic = 0x82;
constexpr WORD kTemplateListBox = 0x83;
constexpr WORD kTemplateComboBox = 0x85;

// Reads the header and every item. False, with `out` incomplete, when the data ends before the
// template does; the item count is the header's.
bool ReadDialogTemplate(const void* data, size_t size, DialogTemplate& out);
