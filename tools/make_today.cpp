// Draws the theme page's Today screen and writes it as Windows bitmaps: the picture (8 bits per
// pixel), its mask, one mask per Today colour, and the two notification bubbles with their masks.
//
// The screen is described below as a list of shapes (rectangles, lines, discs, triangles and
// text in a small built-in pixel font), each drawn on a layer: the picture itself, one of the
// colours the user edits, or a bubble. Later shapes cover earlier ones, so every pixel belongs to
// exactly one layer, and a layer's mask is 0 exactly at its pixels:
//  - today.bmp (the picture) holds the fixed parts in their own colours and every colour's
//    pixels in that colour's default; today_mask.bmp is 1 where the watermark shows through
//    (the picture is white there) and 0 elsewhere;
//  - a colour's mask is 0 at the pixels that colour paints;
//  - a bubble's picture holds the bubble (white where it is not), its mask is 0 over the whole
//    bubble, and the mask of its title gradient is 0 at the title bar's pixels.
// Masks are 1 bit per pixel with black (0) and white (1) colour entries, so the system loads
// them as monochrome bitmaps. Everything is integer arithmetic: the output is the same on every
// machine and every run.
//
// Usage: make_today OUTPUT_DIR. Returns 0 on success, 1 on a usage or write error.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 167;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Layers. The colours the user edits are named after the device's colour numbers.
enum Layer {
    kPicture,       // the fixed picture
    kStatusBar,     // colour 7
    kTodayText,     // colour 4
    kTitleBar,      // colours 5 to 8
    kSeparators,    // colour 6
    kTitleText,     // colour 9
    kTip,           // the reminder bubble
    kTipTitle,      // its title bar, colours 13 to 14
    kCritical,      // the warning bubble
    kCriticalTitle, // its title bar, colours 25 to 26
    kLayerCount,
};

// What each layer looks like in the picture when nothing is edited: the colour's default.
const Rgb kDefaults[kLayerCount] = {
    {0, 0, 0},     {198, 195, 198}, {0, 36, 156}, {8, 109, 231}, {115, 142, 239},
    {255, 255, 255}, {0, 0, 0},     {0, 36, 156}, {0, 0, 0},     {206, 48, 0},
};

// Colours of the fixed parts.
const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kDark{64, 64, 64}, kGrey{128, 128, 128},
    kLight{224, 224, 224}, kRed{222, 40, 24}, kGreen{40, 170, 60}, kBlue{30, 90, 210}, kYellow{250, 200, 30},
    kSkin{240, 190, 150}, kBrown{150, 100, 50}, kPaper{255, 250, 225}, kSky{120, 170, 240}, kShadow{90, 90, 90};

// ---- The pixel font: each glyph is up to nine rows (seven above the baseline, two below), '#'
// set, '.' clear; every row of a glyph is equally wide.
struct Glyph {
    char c;
    const char* rows[9];
};

const Glyph kFont[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {'b', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "####."}},
    {'c', {"....", "....", ".###", "#...", "#...", "#...", ".###"}},
    {'d', {"....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'g', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'h', {"#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#"}},
    {'i', {"#", ".", "#", "#", "#", "#", "#"}},
    {'k', {"#...", "#...", "#..#", "#.#.", "##..", "#.#.", "#..#"}},
    {'l', {"#", "#", "#", "#", "#", "#", "#"}},
    {'m', {".......", ".......", "###.##.", "#..#..#", "#..#..#", "#..#..#", "#..#..#"}},
    {'n', {".....", ".....", "####.", "#...#", "#...#", "#...#", "#...#"}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
    {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
    {'r', {"....", "....", "#.##", "##..", "#...", "#...", "#..."}},
    {'s', {"....", "....", ".###", "#...", ".##.", "...#", "###."}},
    {'t', {".#..", ".#..", "####", ".#..", ".#..", ".#..", "..##"}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####"}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'w', {".......", ".......", "#..#..#", "#..#..#", "#..#..#", "#..#..#", ".##.##."}},
    {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'y', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {':', {".", ".", "#", ".", ".", "#", "."}},
    {',', {"..", "..", "..", "..", "..", ".#", ".#", "#."}},
    {'.', {".", ".", ".", ".", ".", ".", "#"}},
    {'!', {"#", "#", "#", "#", "#", ".", "#"}},
    {' ', {"...", "...", "...", "...", "...", "...", "..."}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c) return &g;
    return nullptr;
}

// ---- Shapes --------------------------------------------------------------------------------
enum Kind { kFill, kFrame, kLine, kDisc, kTriangle, kText, kBoldText };

// A shape on a layer. Fill and Frame: [x0, x1) x [y0, y1). Line: from (x0, y0) to (x1, y1)
// inclusive. Disc: centre (x0, y0), radius x1. Triangle: corners (x0, y0), (x1, y1), (x2, y2).
// Text: the top-left corner of the first glyph at (x0, y0).
struct Shape {
    Layer layer;
    Kind kind;
    Rgb color;
    int x0, y0, x1, y1, x2, y2;
    const char* text;
};

Shape Fill(Layer l, int x0, int y0, int x1, int y1, Rgb c = {}) { return {l, kFill, c, x0, y0, x1, y1, 0, 0, nullptr}; }
Shape Frame(Layer l, int x0, int y0, int x1, int y1, Rgb c = {}) { return {l, kFrame, c, x0, y0, x1, y1, 0, 0, nullptr}; }
Shape Line(Layer l, int x0, int y0, int x1, int y1, Rgb c = {}) { return {l, kLine, c, x0, y0, x1, y1, 0, 0, nullptr}; }
Shape Disc(Layer l, int cx, int cy, int r, Rgb c = {}) { return {l, kDisc, c, cx, cy, r, 0, 0, 0, nullptr}; }
Shape Triangle(Layer l, int x0, int y0, int x1, int y1, int x2, int y2, Rgb c = {}) {
    return {l, kTriangle, c, x0, y0, x1, y1, x2, y2, nullptr};
}
Shape Text(Layer l, int x, int y, const char* text, Rgb c = {}) { return {l, kText, c, x, y, 0, 0, 0, 0, text}; }
Shape Bold(Layer l, int x, int y, const char* text, Rgb c = {}) { return {l, kBoldText, c, x, y, 0, 0, 0, 0, text}; }

// Today items: rows of 22 pixels below the navigation bar, each with a 16 x 16 icon at x = 4,
// its text at x = 26, and a separator under it.
constexpr int kItemTop = 28;
constexpr int kItemStep = 22;
constexpr int Item(int n) { return kItemTop + n * kItemStep; }

// The screen, back to front. Colours given to a colour layer only show in the picture's
// default look; the layer itself is painted in the user's colour.
const Shape kTodayScreen[] = {
    // Navigation bar: the title gradient, the Start flag, "Start", the speaker and the clock.
    Fill(kTitleBar, 0, 0, 240, 26),
    Fill(kPicture, 4, 5, 11, 12, kRed), Fill(kPicture, 12, 5, 19, 12, kGreen),
    Fill(kPicture, 4, 13, 11, 20, kBlue), Fill(kPicture, 12, 13, 19, 20, kYellow),
    Bold(kTitleText, 26, 9, "Start"),
    Fill(kPicture, 176, 10, 179, 16, kLight), Triangle(kPicture, 179, 13, 184, 7, 184, 19, kLight),
    Line(kPicture, 187, 9, 189, 11, kLight), Line(kPicture, 187, 17, 189, 15, kLight),
    Bold(kTitleText, 200, 9, "10:42"),

    // Today items over the watermark.
    // The date: a page of a tear-off calendar.
    Fill(kPicture, 4, Item(0) + 2, 20, Item(0) + 18, kWhite), Frame(kPicture, 4, Item(0) + 2, 20, Item(0) + 18, kDark),
    Fill(kPicture, 5, Item(0) + 3, 19, Item(0) + 7, kRed), Text(kPicture, 8, Item(0) + 9, "9", kBlack),
    Text(kTodayText, 26, Item(0) + 6, "Tuesday, December 9, 2026"),
    Line(kSeparators, 2, Item(0) + 20, 237, Item(0) + 20),
    // The owner: a head and shoulders.
    Disc(kPicture, 12, Item(1) + 6, 4, kSkin), Fill(kPicture, 6, Item(1) + 11, 19, Item(1) + 18, kBlue),
    Fill(kPicture, 10, Item(1) + 11, 15, Item(1) + 13, kWhite),
    Text(kTodayText, 26, Item(1) + 6, "Owner: Ann Lee"),
    Line(kSeparators, 2, Item(1) + 20, 237, Item(1) + 20),
    // Calendar: a month page with its grid.
    Fill(kPicture, 4, Item(2) + 2, 20, Item(2) + 18, kWhite), Frame(kPicture, 4, Item(2) + 2, 20, Item(2) + 18, kDark),
    Fill(kPicture, 5, Item(2) + 3, 19, Item(2) + 6, kBlue),
    Line(kPicture, 5, Item(2) + 10, 18, Item(2) + 10, kGrey), Line(kPicture, 5, Item(2) + 14, 18, Item(2) + 14, kGrey),
    Line(kPicture, 9, Item(2) + 6, 9, Item(2) + 17, kGrey), Line(kPicture, 14, Item(2) + 6, 14, Item(2) + 17, kGrey),
    Text(kTodayText, 26, Item(2) + 6, "No upcoming appointments"),
    Line(kSeparators, 2, Item(2) + 20, 237, Item(2) + 20),
    // Inbox: an envelope.
    Fill(kPicture, 3, Item(3) + 4, 21, Item(3) + 16, kPaper), Frame(kPicture, 3, Item(3) + 4, 21, Item(3) + 16, kShadow),
    Line(kPicture, 4, Item(3) + 5, 12, Item(3) + 11, kShadow), Line(kPicture, 19, Item(3) + 5, 12, Item(3) + 11, kShadow),
    Text(kTodayText, 26, Item(3) + 6, "Inbox: 3 unread messages"),
    Line(kSeparators, 2, Item(3) + 20, 237, Item(3) + 20),
    // Tasks: a clipboard with a tick.
    Fill(kPicture, 5, Item(4) + 2, 19, Item(4) + 18, kBrown), Fill(kPicture, 7, Item(4) + 4, 17, Item(4) + 17, kWhite),
    Fill(kPicture, 9, Item(4) + 1, 15, Item(4) + 4, kGrey),
    Line(kPicture, 8, Item(4) + 10, 11, Item(4) + 13, kGreen), Line(kPicture, 11, Item(4) + 13, 16, Item(4) + 6, kGreen),
    Line(kPicture, 8, Item(4) + 11, 11, Item(4) + 14, kGreen), Line(kPicture, 11, Item(4) + 14, 16, Item(4) + 7, kGreen),
    Text(kTodayText, 26, Item(4) + 6, "Tasks: 2 active tasks"),

    // Command bar: its top edge, "New" with its arrow, and the input panel's keyboard.
    Fill(kStatusBar, 0, 141, 240, 167),
    Line(kPicture, 0, 141, 239, 141, kGrey),
    Bold(kPicture, 6, 150, "New", kBlack),
    Line(kPicture, 30, 145, 30, 163, kGrey),
    Triangle(kPicture, 35, 157, 43, 157, 39, 152, kBlack),
    Fill(kPicture, 208, 148, 233, 162, kWhite), Frame(kPicture, 208, 148, 233, 162, kBlack),
    Fill(kPicture, 211, 151, 213, 153, kBlack), Fill(kPicture, 215, 151, 217, 153, kBlack),
    Fill(kPicture, 219, 151, 221, 153, kBlack), Fill(kPicture, 223, 151, 225, 153, kBlack),
    Fill(kPicture, 227, 151, 229, 153, kBlack), Fill(kPicture, 213, 156, 228, 158, kBlack),
    Triangle(kPicture, 195, 152, 203, 152, 199, 157, kBlack),
};

// The bubbles stand over the Today items, their tails pointing at the command bar. The title
// gradient spans columns 11 to 228.
const Shape kReminder[] = {
    Fill(kTip, 10, 60, 230, 131, kWhite), Frame(kTip, 10, 60, 230, 131, kDark),
    Triangle(kTip, 196, 130, 214, 130, 214, 139, kWhite),
    Line(kTip, 196, 130, 214, 139, kDark), Line(kTip, 214, 131, 214, 139, kDark),
    Fill(kTipTitle, 11, 61, 229, 77),
    Bold(kTip, 16, 66, "Reminder", kWhite),
    // A bell.
    Disc(kTip, 24, 94, 6, kYellow), Fill(kTip, 18, 94, 31, 101, kYellow), Fill(kTip, 16, 100, 33, 102, kBrown),
    Disc(kTip, 24, 104, 2, kBrown),
    Text(kTip, 40, 88, "Meeting with Ann", kBlack),
    Text(kTip, 40, 102, "11:00 AM, Room 4", kBlack),
    Frame(kTip, 170, 112, 222, 126, kGrey), Text(kTip, 175, 116, "Dismiss", kBlack),
};

const Shape kWarning[] = {
    Fill(kCritical, 10, 60, 230, 131, kWhite), Frame(kCritical, 10, 60, 230, 131, kDark),
    Triangle(kCritical, 196, 130, 214, 130, 214, 139, kWhite),
    Line(kCritical, 196, 130, 214, 139, kDark), Line(kCritical, 214, 131, 214, 139, kDark),
    Fill(kCriticalTitle, 11, 61, 229, 77),
    Bold(kCritical, 16, 66, "Warning", kWhite),
    // A warning sign.
    Triangle(kCritical, 24, 86, 15, 104, 33, 104, kYellow), Line(kCritical, 24, 86, 15, 104, kBlack),
    Line(kCritical, 24, 86, 33, 104, kBlack), Line(kCritical, 15, 104, 33, 104, kBlack),
    Text(kCritical, 24, 92, "!", kBlack),
    Text(kCritical, 40, 88, "Main battery is very low.", kBlack),
    Text(kCritical, 40, 102, "Charge it now.", kBlack),
    Frame(kCritical, 170, 112, 222, 126, kGrey), Text(kCritical, 183, 116, "OK", kBlack),
};

// Shapes with a colour layer's missing colour take its default.
Rgb ColorOf(const Shape& s) {
    bool colourLayer = s.layer != kPicture && s.layer != kTip && s.layer != kCritical;
    return colourLayer ? kDefaults[s.layer] : s.color;
}

// ---- Rasterising -------------------------------------------------------------------------------
struct Canvas {
    std::vector<int> layer = std::vector<int>(kWidth * kHeight, -1);   // -1: nothing drawn
    std::vector<Rgb> color = std::vector<Rgb>(kWidth * kHeight, kWhite);

    void Set(int x, int y, const Shape& s) {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
        layer[y * kWidth + x] = s.layer;
        color[y * kWidth + x] = ColorOf(s);
    }
};

void DrawLine(Canvas& c, const Shape& s, int x0, int y0, int x1, int y1) {
    int dx = x1 > x0 ? x1 - x0 : x0 - x1, sx = x0 < x1 ? 1 : -1;
    int dy = y1 > y0 ? y0 - y1 : y1 - y0, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        c.Set(x0, y0, s);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

// Twice the signed area of (a, b, p): the side of line a-b that p lies on.
long long Edge(int ax, int ay, int bx, int by, int px, int py) {
    return static_cast<long long>(bx - ax) * (py - ay) - static_cast<long long>(by - ay) * (px - ax);
}

void DrawText(Canvas& c, const Shape& s, int x, int y, const char* text, bool bold) {
    for (const char* p = text; *p; ++p) {
        const Glyph* g = FindGlyph(*p);
        if (!g) {
            std::fprintf(stderr, "make_today: no glyph for '%c'\n", *p);
            continue;
        }
        int width = static_cast<int>(std::strlen(g->rows[0]));
        for (int row = 0; row < 9 && g->rows[row]; ++row)
            for (int col = 0; col < width; ++col)
                if (g->rows[row][col] == '#') {
                    c.Set(x + col, y + row, s);
                    if (bold) c.Set(x + col + 1, y + row, s);
                }
        x += width + (bold ? 2 : 1);
    }
}

void Draw(Canvas& c, const Shape& s) {
    switch (s.kind) {
    case kFill:
        for (int y = s.y0; y < s.y1; ++y)
            for (int x = s.x0; x < s.x1; ++x) c.Set(x, y, s);
        break;
    case kFrame:
        for (int x = s.x0; x < s.x1; ++x) { c.Set(x, s.y0, s); c.Set(x, s.y1 - 1, s); }
        for (int y = s.y0; y < s.y1; ++y) { c.Set(s.x0, y, s); c.Set(s.x1 - 1, y, s); }
        break;
    case kLine:
        DrawLine(c, s, s.x0, s.y0, s.x1, s.y1);
        break;
    case kDisc:
        for (int y = s.y0 - s.x1; y <= s.y0 + s.x1; ++y)
            for (int x = s.x0 - s.x1; x <= s.x0 + s.x1; ++x)
                if ((x - s.x0) * (x - s.x0) + (y - s.y0) * (y - s.y0) <= s.x1 * s.x1 + s.x1) c.Set(x, y, s);
        break;
    case kTriangle: {
        long long area = Edge(s.x0, s.y0, s.x1, s.y1, s.x2, s.y2);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                long long a = Edge(s.x0, s.y0, s.x1, s.y1, x, y), b = Edge(s.x1, s.y1, s.x2, s.y2, x, y),
                          d = Edge(s.x2, s.y2, s.x0, s.y0, x, y);
                if (area > 0 ? (a >= 0 && b >= 0 && d >= 0) : (a <= 0 && b <= 0 && d <= 0)) c.Set(x, y, s);
            }
        break;
    }
    case kText:
    case kBoldText:
        DrawText(c, s, s.x0, s.y0, s.text, s.kind == kBoldText);
        break;
    }
}

template <size_t N>
Canvas Render(const Shape (&shapes)[N]) {
    Canvas c;
    for (const Shape& s : shapes) Draw(c, s);
    return c;
}

// ---- Bitmap files ----------------------------------------------------------------------------
void Put16(std::vector<uint8_t>& out, uint32_t v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); }
void Put32(std::vector<uint8_t>& out, uint32_t v) { Put16(out, v & 0xFFFF); Put16(out, v >> 16); }

// A bottom-up BMP with the given colour table; `index` gives each pixel's entry.
template <class IndexOf>
std::vector<uint8_t> Bitmap(int bits, const std::vector<Rgb>& palette, IndexOf index) {
    const uint32_t stride = ((kWidth * bits + 31) / 32) * 4;
    const uint32_t tableBytes = static_cast<uint32_t>(palette.size()) * 4;
    const uint32_t offset = 14 + 40 + tableBytes;
    const uint32_t imageBytes = stride * kHeight;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + imageBytes);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, kWidth);
    Put32(out, kHeight);
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0);   // BI_RGB
    Put32(out, imageBytes);
    Put32(out, 2835);   // 72 dpi
    Put32(out, 2835);
    Put32(out, static_cast<uint32_t>(palette.size()));
    Put32(out, 0);
    for (const Rgb& c : palette) {
        out.push_back(static_cast<uint8_t>(c.b));
        out.push_back(static_cast<uint8_t>(c.g));
        out.push_back(static_cast<uint8_t>(c.r));
        out.push_back(0);
    }
    for (int y = kHeight - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < kWidth; ++x) {
            int i = index(x, y);
            if (bits == 8) row[x] = static_cast<uint8_t>(i);
            else if (i) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// A mask: 0 where `clear` holds.
template <class Clear>
std::vector<uint8_t> Mask(Clear clear) {
    return Bitmap(1, {kBlack, kWhite}, [&](int x, int y) { return clear(x, y) ? 0 : 1; });
}

// An 8-bit picture of the canvas's colours; the colour table lists them in order of first use
// (white first), so it is the same on every run.
std::vector<uint8_t> Picture(const Canvas& c) {
    std::vector<Rgb> palette = {kWhite};
    std::vector<int> index(kWidth * kHeight, 0);
    for (int i = 0; i < kWidth * kHeight; ++i) {
        size_t k = 0;
        while (k < palette.size() && !(palette[k] == c.color[i])) ++k;
        if (k == palette.size()) palette.push_back(c.color[i]);
        index[i] = static_cast<int>(k);
    }
    if (palette.size() > 256) std::fprintf(stderr, "make_today: more than 256 colours\n");
    return Bitmap(8, palette, [&](int x, int y) { return index[y * kWidth + x]; });
}

bool Write(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes) {
    std::string path = dir + "/" + name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_today: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_today OUTPUT_DIR\n");
        return 1;
    }
    const std::string dir = argv[1];
    const Canvas screen = Render(kTodayScreen);
    const Canvas reminder = Render(kReminder);
    const Canvas warning = Render(kWarning);
    auto on = [](const Canvas& c, Layer l) { return [&c, l](int x, int y) { return c.layer[y * kWidth + x] == l; }; };
    auto drawn = [](const Canvas& c) { return [&c](int x, int y) { return c.layer[y * kWidth + x] >= 0; }; };

    bool ok = Write(dir, "today.bmp", Picture(screen)) && Write(dir, "today_mask.bmp", Mask(drawn(screen)));
    ok = ok && Write(dir, "today_status.bmp", Mask(on(screen, kStatusBar)));
    ok = ok && Write(dir, "today_text.bmp", Mask(on(screen, kTodayText)));
    ok = ok && Write(dir, "today_title.bmp", Mask(on(screen, kTitleBar)));
    ok = ok && Write(dir, "today_separators.bmp", Mask(on(screen, kSeparators)));
    ok = ok && Write(dir, "today_title_text.bmp", Mask(on(screen, kTitleText)));
    ok = ok && Write(dir, "tip.bmp", Picture(reminder)) && Write(dir, "tip_mask.bmp", Mask(drawn(reminder)));
    ok = ok && Write(dir, "tip_title.bmp", Mask(on(reminder, kTipTitle)));
    ok = ok && Write(dir, "critical.bmp", Picture(warning)) && Write(dir, "critical_mask.bmp", Mask(drawn(warning)));
    ok = ok && Write(dir, "critical_title.bmp", Mask(on(warning, kCriticalTitle)));
    return ok ? 0 : 1;
}
