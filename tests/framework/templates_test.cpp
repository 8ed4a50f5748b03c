// Every registered page's two dialog templates, built as real dialogs: the same controls in both
// (a relayout moves the portrait template's controls to the landscape positions by id), at most
// one unnamed static, and every control inside the page on the screen the template is for.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "pages/page_registry.h"
#include "platform/pocketpc.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

constexpr int kUnnamed = 0xFFFF;

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::string Describe(const PageInfo& page, WORD templateId) {
    std::string caption;
    for (const wchar_t* c = page.caption; *c; ++c) caption += static_cast<char>(*c);
    return "page \"" + caption + "\", template " + std::to_string(templateId);
}

struct Control {
    int id;
    RECT rect;   // in the dialog's client coordinates
};

std::vector<Control> Controls(HWND parent, WORD templateId) {
    std::vector<Control> controls;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent,
                                     QuietDialogProc, 0);
    if (!dialog) return controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        controls.push_back({GetDlgCtrlID(child) & 0xFFFF, r});
    }
    DestroyWindow(dialog);
    return controls;
}

class Templates : public AppTest {};

TEST_F(Templates, BothOrientationsCarryTheSameControlsInsideThePage) {
    struct Screen { int width, height; bool landscape; };
    std::vector<std::set<int>> ids[2];
    for (Screen screen : {Screen{240, 320, false}, Screen{320, 240, true}}) {
        SetDeviceScreenForTests(screen.width, screen.height, 96);
        std::vector<SIZE> areas;
        {
            ModalScript unexpectedBoxes;   // a template that fails the relayout says so in a box
            StartProgram();
            if (HasFatalFailure()) return;
            for (size_t i = 0; i < session().pages.size(); ++i) {
                RECT client{};
                GetClientRect(PageWindow(i), &client);
                areas.push_back({client.right, client.bottom});
            }
            StopProgram();
            EXPECT_TRUE(unexpectedBoxes.seen().empty()) << "a relayout failed";
        }
        HWND parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, screen.width, screen.height, nullptr,
                                      nullptr, nullptr, nullptr);
        size_t index = 0;
        for (const PageInfo& page : RegisteredPages()) {
            ASSERT_LT(index, areas.size());
            SIZE area = areas[index++];
            WORD templateId = screen.landscape ? page.landscapeDialogId : page.portraitDialogId;
            std::string where = Describe(page, templateId) + " at " + std::to_string(screen.width) + "x" +
                                std::to_string(screen.height);
            std::vector<Control> controls = Controls(parent, templateId);
            int unnamed = 0;
            std::set<int> named;
            for (const Control& c : controls) {
                if (c.id == kUnnamed) ++unnamed;
                else EXPECT_TRUE(named.insert(c.id).second) << where << ": id " << c.id << " twice";
                EXPECT_TRUE(c.rect.left >= 0 && c.rect.top >= 0 && c.rect.right <= area.cx &&
                            c.rect.bottom <= area.cy)
                    << where << ": control " << c.id << " spans (" << c.rect.left << "," << c.rect.top << ")-("
                    << c.rect.right << "," << c.rect.bottom << ") of a " << area.cx << "x" << area.cy << " page";
            }
            EXPECT_LT(unnamed, 2) << where << " holds two unnamed statics";
            ids[screen.landscape].push_back(named);
        }
        DestroyWindow(parent);
    }
    size_t index = 0;
    for (const PageInfo& page : RegisteredPages()) {
        EXPECT_EQ(ids[0][index], ids[1][index]) << Describe(page, page.landscapeDialogId)
                                                << " and its portrait twin differ in their control ids";
        ++index;
    }
}

}  // namespace
