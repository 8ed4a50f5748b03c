// The colour chooser driven as a user drives it: swatches, typed values, the sample, and what
// the caller and the change counters see after each button.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "base/handles.h"
#include "config/session.h"
#include "framework/color_chooser.h"
#include "resources/resource.h"
#include "support/modal.h"

namespace {

struct Edits {
    std::wstring red, green, blue;
    bool operator==(const Edits&) const = default;
};
void PrintTo(const Edits& e, std::ostream* os) { *os << testing::PrintToString(e.red + L"," + e.green + L"," + e.blue); }

Edits ReadEdits(HWND dialog) {
    return {WindowText(GetDlgItem(dialog, IDC_CHOOSER_RED)), WindowText(GetDlgItem(dialog, IDC_CHOOSER_GREEN)),
            WindowText(GetDlgItem(dialog, IDC_CHOOSER_BLUE))};
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The colour in the middle of the sample as its own painting leaves it.
COLORREF SamplePixel(HWND dialog) {
    HWND sample = GetDlgItem(dialog, IDC_CHOOSER_SAMPLE);
    InvalidateRect(sample, nullptr, TRUE);
    UpdateWindow(sample);
    RECT r{};
    GetClientRect(sample, &r);
    WindowDc dc(sample);
    return GetPixel(dc.get(), r.right / 2, r.bottom / 2);
}

TEST(Chooser, SwatchesTypedValuesAndButtonsReachTheCallerAndTheCounters) {
    Session session;
    COLORREF color = 0x123456;   // red 0x56, green 0x34, blue 0x12
    const Edits initial = {L"86", L"52", L"18"};
    std::vector<Edits> seen;
    COLORREF sampleAfterTyping = 0;
    {
        ModalScript script;
        // First opening: chosen as it came, which still counts as a choice.
        script.Then([&](HWND dialog) {
            seen.push_back(ReadEdits(dialog));
            // Each arrow pair found its edit, and the whole box fits a 240 x 320 screen.
            for (int id = IDC_CHOOSER_RED; id <= IDC_CHOOSER_BLUE; ++id)
                EXPECT_EQ(SendDlgItemMessageW(dialog, id + 3, UDM_GETBUDDY, 0, 0),
                          reinterpret_cast<LRESULT>(GetDlgItem(dialog, id)));
            RECT r{};
            GetWindowRect(dialog, &r);
            EXPECT_TRUE(r.right - r.left <= 240 && r.bottom - r.top <= 320) << r.right - r.left << "x" << r.bottom - r.top;
            Click(dialog, IDOK);
        });
        // Second opening on the same colour: the edits are filled again. Grey, then 300 in red,
        // then an empty blue.
        script.Then([&](HWND dialog) {
            seen.push_back(ReadEdits(dialog));
            Click(dialog, IDC_CHOOSER_SWATCH_FIRST + 8);
            seen.push_back(ReadEdits(dialog));
            SetDlgItemTextW(dialog, IDC_CHOOSER_RED, L"300");
            SetDlgItemTextW(dialog, IDC_CHOOSER_BLUE, L"");
            seen.push_back(ReadEdits(dialog));
            sampleAfterTyping = SamplePixel(dialog);
            Click(dialog, IDOK);
        });
        // Third opening: white, then Cancel.
        script.Then([&](HWND dialog) {
            Click(dialog, IDC_CHOOSER_SWATCH_FIRST);
            seen.push_back(ReadEdits(dialog));
            Click(dialog, IDCANCEL);
        });

        EXPECT_TRUE(PickColor(session, color, nullptr));
        EXPECT_EQ(color, 0x123456u);
        EXPECT_TRUE(PickColor(session, color, nullptr));
        EXPECT_EQ(color, 0x0080FFu);
        EXPECT_EQ(session.marks.changes(), 2);   // both choices count, the first one too
        EXPECT_FALSE(PickColor(session, color, nullptr));
        EXPECT_EQ(color, 0x0080FFu);
        EXPECT_EQ(session.marks.changes(), 2);
        EXPECT_EQ(session.marks.resets(), 0);

        ASSERT_EQ(script.seen().size(), 3u);
        for (const SeenBox& box : script.seen()) EXPECT_EQ(box.caption, L"Choose Color");
    }
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], initial);
    EXPECT_EQ(seen[1], initial);
    EXPECT_EQ(seen[2], (Edits{L"128", L"128", L"128"}));
    EXPECT_EQ(seen[3], (Edits{L"255", L"128", L""}));
    EXPECT_EQ(sampleAfterTyping, RGB(255, 128, 0));
    EXPECT_EQ(seen[4], (Edits{L"255", L"255", L"255"}));
}

// The landscape twin carries the portrait template's controls and fits a 320 x 240 screen.
TEST(Chooser, LandscapeTwinHasTheSameControls) {
    auto controls = [](WORD templateId, SIZE& size) {
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                                         [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR { return message == WM_INITDIALOG; }, 0);
        std::vector<int> ids;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ids.push_back(GetDlgCtrlID(child));
        RECT r{};
        GetWindowRect(dialog, &r);
        size = {r.right - r.left, r.bottom - r.top};
        DestroyWindow(dialog);
        return ids;
    };
    SIZE portrait{}, landscape{};   // the portrait box is measured open, above
    std::vector<int> ids = controls(IDD_CHOOSE_COLOR, portrait);
    EXPECT_EQ(ids.size(), 28u);
    EXPECT_EQ(controls(IDD_CHOOSE_COLOR_LAND, landscape), ids);
    EXPECT_TRUE(landscape.cx <= 320 && landscape.cy <= 240) << landscape.cx << "x" << landscape.cy;
}

}  // namespace
