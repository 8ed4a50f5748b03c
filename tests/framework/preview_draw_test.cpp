// The preview routines drawn into a white 240 x 200 bitmap: colours at known points, the sizes
// they take from the metrics, the DC left as it was, and no GDI objects lost.
#include "framework/preview_draw.h"

#include <commctrl.h>   // CLR_NONE
#include <gtest/gtest.h>

#include "support/gdi.h"

#include <functional>
#include <optional>
#include <tuple>
#include <vector>

#include "base/handles.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0),
                   kGreen = RGB(0, 160, 0), kBlue = RGB(0, 0, 200), kYellow = RGB(255, 255, 0),
                   kTeal = RGB(0, 128, 128), kPurple = RGB(128, 0, 128), kOrange = RGB(255, 128, 0);

struct Canvas {
    Canvas() : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), 240, -200, 1, 32, BI_RGB}};
        void* bits = nullptr;
        bitmap.reset(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        select.emplace(dc.get(), bitmap.get());
        PatBlt(dc.get(), 0, 0, 240, 200, WHITENESS);
    }
    void Expect(std::initializer_list<std::tuple<int, int, COLORREF>> pixels) const {
        for (auto [x, y, color] : pixels) EXPECT_EQ(GetPixel(dc.get(), x, y), color) << x << "," << y;
    }
    int Count(RECT r, COLORREF color) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += GetPixel(dc.get(), x, y) == color;
        return n;
    }
    HDC operator*() const { return dc.get(); }

    MemoryDc dc;
    OwnedBitmap bitmap;
    std::optional<DcSelection> select;
};

OwnedFont SharpFont(int height) {
    return OwnedFont(CreateFontW(-height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, L"Tahoma"));
}

}  // namespace

TEST(PreviewDraw, WindowFrameAndScrollBarsAtTheirSizes) {
    OwnedFont font = SharpFont(11);
    const RECT r = {10, 10, 150, 120};
    for (int scale : {1, 2}) {
        Canvas c;
        DrawWindowFrame(*c, r, L"Mm", font.get(), kRed, kBlue, kGreen, {.scale = scale, .captionHeight = 20});
        const int edge = 10 + 20 * scale + 1;
        c.Expect({{13, 12, kBlue}, {140, edge - 1, kBlue}, {140, edge, kBlack}, {140, edge + 1, kGreen},
                  {10, 100, kBlack}, {149, 100, kBlack}});
        // The caption text starts 11 and 6 pixels in, at either scale.
        EXPECT_EQ(c.Count({10, 10, 21, edge}, kRed) + c.Count({10, 10, 150, 16}, kRed), 0) << scale;
        EXPECT_GT(c.Count({21, 16, 25, edge}, kRed), 0) << scale;
    }
    Canvas c;
    SetBkColor(*c, kBlack);   // on a black background the outline is white
    DrawWindowFrame(*c, r, L"", nullptr, kRed, kBlue, kGreen, {});
    const int edge = 10 + GetSystemMetrics(SM_CYCAPTION) + 1;
    c.Expect({{140, edge - 1, kBlue}, {140, edge, kWhite}, {140, edge + 1, kGreen}});

    // Buttons 14 high, the thumb 20 below the up button, grip lines at 52, 54 and 56.
    DrawVScrollBar(*c, {200, 10, 216, 190}, kYellow, kTeal, {.vScrollHeight = 14});
    c.Expect({{202, 12, kTeal}, {208, 17, kBlack}, {208, 35, kYellow}, {202, 47, kTeal}, {208, 54, kBlack},
              {208, 53, kTeal}, {202, 176, kBlack}, {202, 175, kYellow}, {208, 183, kBlack}, {200, 100, kBlack}});
    // At scale 2: buttons 14 wide, the thumb 40 wide from x 64, grip lines at 80, 84 and 88.
    DrawHScrollBar(*c, {10, 150, 190, 166}, kYellow, kTeal, {.scale = 2, .hScrollHeight = 7});
    c.Expect({{12, 152, kTeal}, {17, 158, kBlack}, {40, 158, kYellow}, {70, 152, kTeal}, {84, 157, kBlack},
              {82, 157, kTeal}, {176, 152, kBlack}, {175, 152, kYellow}, {183, 158, kBlack}, {100, 165, kBlack}});
}

TEST(PreviewDraw, LabelBoxesAndMenus) {
    OwnedFont font = SharpFont(12);
    Canvas c;
    DrawLabelBox(*c, {20, 20, 0, 0}, L"Window", font.get(), kYellow, kRed, CLR_NONE, 0);
    DrawLabelBox(*c, {20, 60, 0, 0}, L"Button", font.get(), kYellow, kBlue, kBlack, 2);
    c.Expect({{19, 19, kYellow}, {18, 18, kWhite}, {19, 59, kYellow}, {17, 66, kBlack}, {14, 66, kWhite}});
    EXPECT_TRUE(c.Count({19, 19, 120, 45}, kRed) > 10 && c.Count({19, 59, 120, 85}, kBlue) > 10);

    // Items 20 high: the popup covers y 131 to 170 above the bar, its upper row selected.
    const RECT bar = {0, 170, 240, 200};
    DrawPopupMenu(*c, bar, font.get(), L"Popup", kTeal, kOrange, kRed, kYellow, L"Selected", {.menuItemHeight = 20});
    c.Expect({{1, 130, kWhite}, {1, 133, kTeal}, {1, 160, kOrange}, {0, 160, kBlack}});
    EXPECT_TRUE(c.Count({0, 131, 120, 151}, kYellow) > 10 && c.Count({0, 151, 120, 170}, kRed) > 10);

    DrawMenuBar(*c, bar, font.get(), L"Edit", kGreen, kOrange, kRed, L"Disabled", kPurple, L"Menu", kYellow, kBlue,
                {.menuItemHeight = 20});
    c.Expect({{1, 171, kOrange}, {1, 175, kBlue}, {1, 191, kBlue}, {1, 193, kBlack}, {120, 197, kGreen},
              {120, 199, kBlack}});
    for (COLORREF text : {kYellow, kRed, kPurple}) EXPECT_GT(c.Count({0, 170, 240, 194}, text), 10) << text;
}

TEST(PreviewDraw, LeavesTheDcAsItFoundItAndKeepsNoObjects) {
    Canvas c;
    const HDC dc = *c;
    OwnedFont font = SharpFont(12), own = SharpFont(9);
    OwnedPen pen(CreatePen(PS_DOT, 1, kRed));
    OwnedBrush brush(CreateSolidBrush(kTeal));
    DcSelection p(dc, pen.get()), b(dc, brush.get()), f(dc, own.get());
    SetTextColor(dc, kPurple);
    SetBkMode(dc, OPAQUE);
    const auto state = [dc] {
        return std::tuple(GetCurrentObject(dc, OBJ_PEN), GetCurrentObject(dc, OBJ_BRUSH),
                          GetCurrentObject(dc, OBJ_FONT), GetTextColor(dc), GetBkMode(dc));
    };
    const auto found = state();
    const PreviewMetrics m = {.scale = 2};
    const RECT r = {5, 5, 230, 190}, bar = {0, 170, 240, 200};
    const std::function<void()> routines[] = {
        [&] { DrawWindowFrame(dc, r, L"Active", font.get(), kWhite, kBlue, kWhite, m); },
        [&] { DrawVScrollBar(dc, r, kWhite, kTeal, m); },
        [&] { DrawHScrollBar(dc, r, kWhite, kTeal, m); },
        [&] { DrawLabelBox(dc, r, L"Button", font.get(), kTeal, kBlack, kBlack, 2); },
        [&] { DrawLabelBox(dc, r, L"Text", nullptr, kTeal, kBlack, CLR_NONE, 0); },
        [&] { DrawPopupMenu(dc, bar, font.get(), L"Popup", kBlue, kWhite, kBlack, kWhite, L"Selected", m); },
        [&] { DrawMenuBar(dc, bar, nullptr, L"Edit", kTeal, kWhite, kBlack, L"-", kRed, L"Menu", kWhite, kBlue, m); },
    };
    for (size_t i = 0; i < std::size(routines); ++i) {
        routines[i]();
        EXPECT_EQ(state(), found) << "routine " << i;
    }
    const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const size_t free = FreeGdiSlots();
    for (int round = 0; round < 1000; ++round)
        for (auto& draw : routines) draw();
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);
    EXPECT_EQ(FreeGdiSlots(), free);
}
