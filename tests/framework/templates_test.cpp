// Every registered page's two dialog templates: the same controls in both (a relayout moves the
// portrait template's controls to the landscape positions by id), each static that matters named,
// and every control inside the page on the screen the template is for.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "pages/page_registry.h"
#include "platform/pocketpc.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

constexpr WORD kUnnamed = 0xFFFF;
constexpr WORD kStaticClass = 0x82;

struct TemplateItem {
    WORD id;
    bool isStatic;
};

struct ParsedTemplate {
    bool ok = false;
    std::string error;
    std::vector<TemplateItem> items;
};

// Reads a resource with bounds checks: running past the end marks the read as failed.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    WORD Word() {
        if (!ok_ || pos_ + 2 > size_) { ok_ = false; return 0; }
        WORD w;
        std::memcpy(&w, data_ + pos_, 2);
        pos_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    void Skip(size_t bytes) {
        if (!ok_ || pos_ + bytes > size_) ok_ = false;
        else pos_ += bytes;
    }
    void AlignDword() {
        size_t aligned = (pos_ + 3) & ~size_t(3);
        if (aligned > size_) ok_ = false;
        else pos_ = aligned;
    }
    // A menu, class or title field: 0xFFFF and an ordinal, or a NUL-terminated string (whose
    // text is returned in `text`). Gives the ordinal, or 0 for a string.
    WORD Field(std::wstring* text = nullptr) {
        WORD first = Word();
        if (first == 0xFFFF) return Word();
        for (WORD c = first; c != 0 && ok_; c = Word())
            if (text) text->push_back(static_cast<wchar_t>(c));
        return 0;
    }

private:
    const BYTE* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// The controls of a dialog template, plain or extended.
ParsedTemplate ReadTemplate(WORD templateId) {
    ParsedTemplate result;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) {
        result.error = "no such dialog resource";
        return result;
    }
    Reader in(data, SizeofResource(instance, found));
    bool extended = in.Word() == 1 && in.Word() == 0xFFFF;
    DWORD style;
    if (extended) {
        in.Dword();                      // help id
        in.Dword();                      // extended style
        style = in.Dword();
    } else {
        in = Reader(data, SizeofResource(instance, found));
        style = in.Dword();
        in.Dword();                      // extended style
    }
    WORD count = in.Word();
    in.Skip(8);                          // x, y, cx, cy
    in.Field();                          // menu
    in.Field();                          // class
    in.Field();                          // title
    if (style & DS_SETFONT) {
        in.Word();                       // point size
        if (extended) in.Skip(4);        // weight, italic, character set
        in.Field();                      // face name
    }
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.AlignDword();
        if (extended) in.Skip(12);       // help id, extended style, style
        else in.Skip(8);                 // style, extended style
        in.Skip(8);                      // x, y, cx, cy
        WORD id = extended ? static_cast<WORD>(in.Dword()) : in.Word();
        std::wstring className;
        WORD classOrdinal = in.Field(&className);
        in.Field();                      // title
        in.Skip(in.Word());              // creation data
        bool isStatic = classOrdinal == kStaticClass ||
                        (classOrdinal == 0 && lstrcmpiW(className.c_str(), L"Static") == 0);
        result.items.push_back({id, isStatic});
    }
    result.ok = in.ok();
    if (!result.ok) result.error = "the template ends before its last control";
    return result;
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) out.push_back(*text < 128 ? static_cast<char>(*text) : '?');
    return out;
}

std::string Describe(const PageInfo& page, WORD templateId) {
    std::ostringstream out;
    out << "page \"" << Narrow(page.caption) << "\", template " << templateId;
    return out.str();
}

std::string IdList(const std::vector<WORD>& ids) {
    std::ostringstream out;
    for (size_t i = 0; i < ids.size(); ++i) out << (i ? ", " : "") << ids[i];
    return out.str();
}

TEST(Templates, BothOrientationsCarryTheSameNamedControls) {
    ASSERT_FALSE(RegisteredPages().empty());
    for (const PageInfo& page : RegisteredPages()) {
        std::map<WORD, int> seen[2];   // named id -> times it occurs, portrait and landscape
        const WORD templates[2] = {page.portraitDialogId, page.landscapeDialogId};
        bool read = true;
        for (int t = 0; t < 2; ++t) {
            ParsedTemplate parsed = ReadTemplate(templates[t]);
            if (!parsed.ok) {
                ADD_FAILURE() << Describe(page, templates[t]) << ": " << parsed.error;
                read = false;
                continue;
            }
            int unnamedStatics = 0;
            for (const TemplateItem& item : parsed.items) {
                if (item.id == kUnnamed || item.id == 0) {
                    if (item.isStatic) ++unnamedStatics;
                } else {
                    ++seen[t][item.id];
                }
            }
            EXPECT_LE(unnamedStatics, 1) << Describe(page, templates[t])
                                         << ": unnamed statics cannot be told apart by a relayout";
            for (const auto& [id, times] : seen[t])
                EXPECT_EQ(times, 1) << Describe(page, templates[t]) << ": control id " << id
                                    << " occurs more than once";
        }
        if (!read) continue;
        std::vector<WORD> onlyPortrait, onlyLandscape;
        for (const auto& entry : seen[0])
            if (!seen[1].count(entry.first)) onlyPortrait.push_back(entry.first);
        for (const auto& entry : seen[1])
            if (!seen[0].count(entry.first)) onlyLandscape.push_back(entry.first);
        EXPECT_TRUE(onlyPortrait.empty())
            << Describe(page, page.landscapeDialogId) << " lacks control ids " << IdList(onlyPortrait);
        EXPECT_TRUE(onlyLandscape.empty())
            << Describe(page, page.portraitDialogId) << " lacks control ids " << IdList(onlyLandscape);
    }
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// The page's client size in the program's real sheet on this screen.
SIZE MeasurePageArea(HWND page) {
    RECT client{};
    GetClientRect(page, &client);
    return SIZE{client.right - client.left, client.bottom - client.top};
}

class TemplatesOnScreen : public AppTest {};

TEST_F(TemplatesOnScreen, EveryControlLiesInsideThePage) {
    struct Screen { int width, height; bool landscape; };
    for (Screen screen : {Screen{240, 320, false}, Screen{320, 240, true}}) {
        SetDeviceScreenForTests(screen.width, screen.height, 96);
        std::vector<SIZE> areas;
        {
            // A start in landscape lays the pages out from their landscape templates, and a
            // template that fails there shows a message box: answered here, it fails the test.
            ModalScript unexpectedBoxes;
            StartProgram();
            if (HasFatalFailure()) return;
            for (size_t i = 0; i < session().pages.size(); ++i) areas.push_back(MeasurePageArea(PageWindow(i)));
            StopProgram();
        }

        HWND parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, screen.width, screen.height,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        size_t index = 0;
        for (const PageInfo& page : RegisteredPages()) {
            ASSERT_LT(index, areas.size()) << "the sheet has fewer pages than the registry";
            SIZE area = areas[index++];
            WORD templateId = screen.landscape ? page.landscapeDialogId : page.portraitDialogId;
            std::string where = Describe(page, templateId) + " on a " + std::to_string(screen.width) +
                                "x" + std::to_string(screen.height) + " screen (page area " +
                                std::to_string(area.cx) + "x" + std::to_string(area.cy) + ")";
            ASSERT_GT(area.cx, 0) << where;
            ASSERT_GT(area.cy, 0) << where;
            HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                             parent, QuietDialogProc, 0);
            if (!dialog) {
                ADD_FAILURE() << where << ": the dialog cannot be created";
                continue;
            }
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                RECT r{};
                GetWindowRect(child, &r);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
                EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= area.cx && r.bottom <= area.cy)
                    << where << ": control id " << GetDlgCtrlID(child) << " spans (" << r.left << ","
                    << r.top << ")-(" << r.right << "," << r.bottom << ")";
            }
            DestroyWindow(dialog);
        }
        DestroyWindow(parent);
    }
}

}  // namespace
