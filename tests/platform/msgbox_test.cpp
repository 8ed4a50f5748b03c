// Message boxes fit the device screen.
#include <gtest/gtest.h>

#include "platform/pocketpc.h"
#include "support/modal.h"

namespace {

struct Fit {
    RECT box{};
    RECT text{};
    bool buttonsInside = true;
};

Fit Measure(HWND box) {
    Fit fit;
    GetWindowRect(box, &fit.box);
    GetWindowRect(GetDlgItem(box, 0xFFFF), &fit.text);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        if (r.left < fit.box.left || r.right > fit.box.right || r.bottom > fit.box.bottom) fit.buttonsInside = false;
    }
    return fit;
}

TEST(MessageBoxFit, AWideBoxIsNarrowedToTheScreenAndKeepsItsText) {
    SetDeviceScreenForTests(240, 320, 96);
    FitMessageBoxesToDeviceScreen();
    Fit fit;
    ModalScript boxes;
    boxes.Then([&fit](HWND box) {
        fit = Measure(box);
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    const wchar_t* text = L"You have made changes that will appear after reset.\n\nReset now?";
    EXPECT_EQ(MessageBoxW(nullptr, text, L"Attention!", MB_YESNO), IDNO);
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, text) << "the text is kept whole";
    EXPECT_GE(fit.box.left, 0);
    EXPECT_LE(fit.box.right, 240);
    EXPECT_LE(fit.text.right, fit.box.right);
    EXPECT_TRUE(fit.buttonsInside);

    // A box that fits is left as it is.
    boxes.Then([&fit](HWND box) {
        fit = Measure(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(nullptr, L"Short.", L"Error", MB_OK);
    EXPECT_LT(fit.box.right - fit.box.left, 240);
    SetDeviceScreenForTests(0, 0, 0);
}
}  // namespace
