// The preview routines drawn into a white 240 x 200 bitmap: colours at known points, the sizes
// they take from the metrics, the DC left as it was, and no GDI objects lost.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

#include "base/handles.h"
#include "config/session.h"
#include "framework/page_queries.h"
#include "framework/preview_draw.h"
#include "resources/resource.h"

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
        RECT all = {0, 0, 240, 200};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    COLORREF At(int x, int y) const { return GetPixel(dc.get(), x, y); }
    int Count(RECT r, COLORREF c) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
        return n;
    }
    // The top-left of the pixels of one colour within r.
    POINT First(RECT r, COLORREF c) const {
        POINT p = {r.right, r.bottom};
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) == c) p = {std::min(p.x, static_cast<LONG>(x)), std::min(p.y, static_cast<LONG>(y))};
        return p;
    }
    MemoryDc dc;
    OwnedBitmap bitmap;
    std::optional<DcSelection> select;
};

OwnedFont SharpFont(int height) {
    return OwnedFont(CreateFontW(-height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, L"Tahoma"));
}

// Handle slots still free: Wine's GetGuiResources always answers 0, so the test counts how many
// brushes can still be made; a lost object takes one slot for good.
size_t FreeGdiSlots() {
    std::vector<OwnedBrush> brushes;
    brushes.reserve(70000);
    while (brushes.size() < 70000 && brushes.emplace_back(CreateSolidBrush(0))) {}
    return brushes.size();
}

}  // namespace

TEST(PreviewDraw, WindowFrameAndScrollBarsAtTheirSizes) {
    OwnedFont font = SharpFont(11);
    const RECT r = {10, 10, 150, 120};
    POINT ink[2];
    for (int scale : {1, 2}) {
        Canvas c;
        DrawWindowFrame(c.dc.get(), r, L"Mm", font.get(), kRed, kBlue, kGreen, {.scale = scale, .captionHeight = 20});
        const int barBottom = 10 + 20 * scale + 1;   // the caption's lower outline
        EXPECT_EQ(c.At(13, 12), kBlue);
        EXPECT_EQ(c.At(140, barBottom - 1), kBlue) << scale;
        EXPECT_EQ(c.At(140, barBottom), kBlack) << scale;
        EXPECT_EQ(c.At(140, barBottom + 1), kGreen) << scale;
        EXPECT_EQ(c.At(10, 100), kBlack);
        EXPECT_EQ(c.At(149, 100), kBlack);
        ink[scale - 1] = c.First({10, 10, 150, barBottom}, kRed);
    }
    EXPECT_EQ(ink[0].x, ink[1].x) << "the caption text offsets are plain pixels";
    EXPECT_EQ(ink[0].y, ink[1].y);
    EXPECT_GE(ink[0].x, 21);
    EXPECT_LE(ink[0].x, 24);
    EXPECT_GE(ink[0].y, 16);

    Canvas c;
    SetBkColor(c.dc.get(), kBlack);   // the outline turns white on a black background
    DrawWindowFrame(c.dc.get(), r, L"", nullptr, kRed, kBlue, kGreen, {});
    const int system = 10 + GetSystemMetrics(SM_CYCAPTION) + 1;
    EXPECT_EQ(c.At(140, system - 1), kBlue);
    EXPECT_EQ(c.At(140, system), kWhite);
    EXPECT_EQ(c.At(140, system + 1), kGreen);

    // Vertical: buttons 14 high, thumb 20 below the up button, grip lines at 52, 54, 56.
    DrawVScrollBar(c.dc.get(), {200, 10, 216, 190}, kYellow, kTeal, {.vScrollHeight = 14});
    for (auto [x, y, want] : {std::tuple{202, 12, kTeal}, {208, 17, kBlack}, {208, 35, kYellow}, {202, 47, kTeal},
                              {208, 54, kBlack}, {208, 53, kTeal}, {208, 100, kYellow}, {202, 188, kTeal},
                              {208, 183, kBlack}, {202, 176, kBlack}, {202, 175, kYellow}, {200, 100, kBlack}})
        EXPECT_EQ(c.At(x, y), want) << x << "," << y;
    // Horizontal at scale 2: buttons 14 wide, thumb 40 from x 64, grip lines at 80, 84, 88.
    DrawHScrollBar(c.dc.get(), {10, 150, 190, 166}, kYellow, kTeal, {.scale = 2, .hScrollHeight = 7});
    for (auto [x, y, want] : {std::tuple{12, 152, kTeal}, {17, 158, kBlack}, {40, 158, kYellow}, {70, 152, kTeal},
                              {84, 157, kBlack}, {82, 157, kTeal}, {120, 158, kYellow}, {188, 152, kTeal},
                              {183, 158, kBlack}, {176, 152, kBlack}, {175, 152, kYellow}, {100, 165, kBlack}})
        EXPECT_EQ(c.At(x, y), want) << x << "," << y;
}

TEST(PreviewDraw, LabelBoxesAndMenus) {
    OwnedFont font = SharpFont(12);
    Canvas c;
    DrawLabelBox(c.dc.get(), {20, 20, 0, 0}, L"Window", font.get(), kYellow, kRed, CLR_NONE, 0);
    DrawLabelBox(c.dc.get(), {20, 60, 0, 0}, L"Button", font.get(), kYellow, kBlue, kBlack, 2);
    EXPECT_EQ(c.At(19, 19), kYellow) << "one pixel around the text";
    EXPECT_EQ(c.At(18, 18), kWhite);
    EXPECT_GT(c.Count({19, 19, 120, 45}, kRed), 10);
    EXPECT_EQ(c.At(19, 59), kYellow);
    EXPECT_EQ(c.At(17, 66), kBlack) << "outline around the text's margin";
    EXPECT_EQ(c.At(14, 66), kWhite);
    EXPECT_GT(c.Count({19, 59, 120, 85}, kBlue), 10);

    // Items 20 high: the popup covers y 131..170 above the bar at 170..200, its first row selected.
    const RECT bar = {0, 170, 240, 200};
    const PreviewMetrics m = {.menuItemHeight = 20};
    DrawPopupMenu(c.dc.get(), bar, font.get(), L"Popup", kTeal, kOrange, kRed, kYellow, L"Selected", m);
    EXPECT_EQ(c.At(1, 133), kTeal);
    EXPECT_EQ(c.At(1, 160), kOrange);
    EXPECT_EQ(c.At(0, 160), kBlack);
    EXPECT_GT(c.Count({0, 131, 120, 151}, kYellow), 10);
    EXPECT_GT(c.Count({0, 151, 120, 170}, kRed), 10);
    EXPECT_EQ(c.At(1, 130), kWhite);

    DrawMenuBar(c.dc.get(), bar, font.get(), L"Edit", kGreen, kOrange, kRed, L"Disabled", kPurple, L"Menu", kYellow,
                kBlue, m);
    EXPECT_EQ(c.At(1, 171), kOrange);
    EXPECT_EQ(c.At(1, 175), kBlue);
    EXPECT_EQ(c.At(1, 191), kBlue);
    EXPECT_EQ(c.At(1, 193), kBlack) << "the item box is an item and 4 pixels high";
    EXPECT_EQ(c.At(120, 197), kGreen);
    EXPECT_EQ(c.At(120, 199), kBlack);
    EXPECT_GT(c.Count({0, 172, 60, 192}, kYellow), 10);
    for (COLORREF text : {kRed, kPurple}) EXPECT_GT(c.Count({0, 170, 240, 194}, text), 10) << text;
}

TEST(PreviewDraw, LeavesTheDcAsItFoundItAndKeepsNoObjects) {
    Canvas c;
    HDC dc = c.dc.get();
    OwnedFont font = SharpFont(12);
    OwnedPen pen(CreatePen(PS_DOT, 1, kRed));
    OwnedBrush brush(CreateSolidBrush(kTeal));
    OwnedFont own = SharpFont(9);
    DcSelection p(dc, pen.get()), b(dc, brush.get()), f(dc, own.get());
    SetTextColor(dc, kPurple);
    SetBkMode(dc, OPAQUE);
    const PreviewMetrics m = {.scale = 2};
    const RECT r = {5, 5, 230, 190}, bar = {0, 170, 240, 200};
    auto check = [&](const char* what) {
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen.get()) << what;
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush.get()) << what;
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), own.get()) << what;
        EXPECT_EQ(GetTextColor(dc), kPurple) << what;
        EXPECT_EQ(GetBkMode(dc), OPAQUE) << what;
    };
    auto everything = [&](bool checking) {
        DrawWindowFrame(dc, r, L"Active Window", font.get(), kWhite, kBlue, kWhite, m);
        if (checking) check("frame");
        DrawVScrollBar(dc, r, kWhite, kTeal, m);
        if (checking) check("vertical bar");
        DrawHScrollBar(dc, r, kWhite, kTeal, m);
        if (checking) check("horizontal bar");
        DrawLabelBox(dc, r, L"Button", font.get(), kTeal, kBlack, kBlack, 2);
        DrawLabelBox(dc, r, L"Text", nullptr, kTeal, kBlack, CLR_NONE, 0);
        if (checking) check("label boxes");
        DrawPopupMenu(dc, bar, font.get(), L"Popup", kBlue, kWhite, kBlack, kWhite, L"Selected", m);
        if (checking) check("popup");
        DrawMenuBar(dc, bar, nullptr, L"Edit", kTeal, kWhite, kBlack, L"Disabled", kTeal, L"Menu", kWhite, kBlue, m);
        if (checking) check("menu bar");
    };
    everything(true);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const size_t free = FreeGdiSlots();
    for (int round = 0; round < 1000; ++round) everything(false);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
    EXPECT_EQ(FreeGdiSlots(), free);
}

TEST(PreviewDraw, MetricsComeFromTheFirstSizePage) {
    struct Sizes : SettingsPage, SizeMetrics {
        Sizes(PageHost& host, int base) : SettingsPage(host, IDD_SIZE), base_(base) {}
        int SizeMetric(int slot) const override { return base_ + slot; }
        int base_;
    };
    Session host;
    host.scale = 2;
    EXPECT_EQ(QueryPreviewMetrics(host).captionHeight, 0) << "no size page";
    Sizes first(host, 100), second(host, 200);
    host.pages = {&first, &second};
    const PreviewMetrics m = QueryPreviewMetrics(host);
    EXPECT_EQ(m.scale, 2);
    EXPECT_EQ(m.captionHeight, 112);
    EXPECT_EQ(m.vScrollWidth, 108);
    EXPECT_EQ(m.vScrollHeight, 109);
    EXPECT_EQ(m.hScrollHeight, 106);
    EXPECT_EQ(m.menuItemHeight, 0);
}
