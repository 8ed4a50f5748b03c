// The preview drawing routines. They draw straight into the caller's DC (the paint DC of a page),
// so each one leaves that DC as it found it: selections go through DcSelection, the text colour
// and background mode through TextStyle, and every pen and brush made here is owned and deleted.
#include "framework/preview_draw.h"

#include <commctrl.h>   // CLR_NONE

#include <algorithm>

#include "base/handles.h"
#include "framework/page_queries.h"

namespace {

// Sets a text colour and the transparent background mode; puts both back when it goes.
class TextStyle {
public:
    TextStyle(HDC dc, COLORREF color)
        : dc_(dc), oldColor_(SetTextColor(dc, color)), oldMode_(SetBkMode(dc, TRANSPARENT)) {}
    ~TextStyle() {
        if (oldMode_) SetBkMode(dc_, oldMode_);
        if (oldColor_ != CLR_INVALID) SetTextColor(dc_, oldColor_);
    }
    TextStyle(const TextStyle&) = delete;
    TextStyle& operator=(const TextStyle&) = delete;
    void Color(COLORREF color) const { SetTextColor(dc_, color); }

private:
    HDC dc_;
    COLORREF oldColor_;
    int oldMode_;
};

// A size in pixels: the page's value, or the system's metric when the page gives none, scaled.
int ScaledSize(int value, int systemMetric, const PreviewMetrics& m) {
    return (value ? value : GetSystemMetrics(systemMetric)) * m.scale;
}

int MenuItemHeight(const PreviewMetrics& m) {
    return m.menuItemHeight ? m.menuItemHeight : GetSystemMetrics(SM_CYMENU);
}

// Outlines are black unless the DC's background is black, then white.
HGDIOBJ FramePen(HDC dc) {
    return GetStockObject(GetBkColor(dc) != RGB(0, 0, 0) ? BLACK_PEN : WHITE_PEN);
}

// A rectangle in the selected pen, filled with a solid brush of the given colour.
void FilledRectangle(HDC dc, const RECT& r, COLORREF fill) {
    OwnedBrush brush(CreateSolidBrush(fill));
    DcSelection selected(dc, brush.get());
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
    OwnedBrush brush(CreateSolidBrush(color));
    if (brush) FillRect(dc, &r, brush.get());
}

int TextWidth(HDC dc, const wchar_t* text) {
    SIZE size = {};
    if (text) GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    return size.cx;
}

void Text(HDC dc, const wchar_t* text, RECT r, UINT format) {
    if (text) DrawTextW(dc, text, -1, &r, format);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    const POINT points[2] = {{x1, y1}, {x2, y2}};
    Polyline(dc, points, 2);
}

void Triangle(HDC dc, POINT a, POINT b, POINT c) {
    const POINT points[3] = {a, b, c};
    Polygon(dc, points, 3);
}

}  // namespace

PreviewMetrics QueryPreviewMetrics(const PageHost& host) {
    PreviewMetrics m;
    m.scale = host.Scale();
    if (const SizeMetrics* sizes = FindPageAnswering<SizeMetrics>(host)) {
        m.captionHeight = sizes->SizeMetric(kSizeSlotCaption);
        m.vScrollWidth = sizes->SizeMetric(kSizeSlotVScrollWidth);
        m.vScrollHeight = sizes->SizeMetric(kSizeSlotVScrollHeight);
        m.hScrollHeight = sizes->SizeMetric(kSizeSlotHScroll);
    }
    return m;
}

void DrawWindowFrame(HDC dc, const RECT& r, const wchar_t* caption, HFONT captionFont, COLORREF textColor,
                     COLORREF barColor, COLORREF bodyColor, const PreviewMetrics& m) {
    const int bar = ScaledSize(m.captionHeight, SM_CYCAPTION, m);
    {
        DcSelection pen(dc, FramePen(dc));
        FilledRectangle(dc, r, bodyColor);
        // The caption's outline with whatever brush the DC holds; the bar fills its inside.
        Rectangle(dc, r.left, r.top, r.right, r.top + bar + 2);
    }
    Fill(dc, {r.left + 1, r.top + 1, r.right - 1, r.top + bar + 1}, barColor);

    DcSelection font(dc, captionFont);
    TextStyle style(dc, textColor);
    Text(dc, caption, {r.left + 11, r.top + 6, r.right - 1, r.top + bar + 1}, DT_SINGLELINE | DT_TOP);
}

void DrawVScrollBar(HDC dc, const RECT& r, COLORREF trackColor, COLORREF buttonColor, const PreviewMetrics& m) {
    DcSelection pen(dc, GetStockObject(BLACK_PEN));
    FilledRectangle(dc, r, trackColor);

    const int button = ScaledSize(m.vScrollHeight, SM_CYVSCROLL, m);
    const int thumb = 20 * m.scale;
    const int thumbTop = r.top + button + thumb;
    {
        OwnedBrush brush(CreateSolidBrush(buttonColor));
        DcSelection selected(dc, brush.get());
        Rectangle(dc, r.left, r.top, r.right, r.top + button);
        Rectangle(dc, r.left, r.bottom - button, r.right, r.bottom);
        Rectangle(dc, r.left, thumbTop, r.right, thumbTop + thumb);
    }

    DcSelection brush(dc, GetStockObject(BLACK_BRUSH));
    const int grip = thumbTop + thumb / 2;
    for (int y : {grip - 2 * m.scale, grip, grip + 2 * m.scale})
        Line(dc, r.left + 3 * m.scale, y, r.right - 3 * m.scale, y);

    const int arrow = std::max(1, std::min<int>(r.right - r.left, button) / 4);
    const int half = arrow / 2;
    const int x = (r.left + r.right) / 2;
    const int up = (button + 2 * r.top) / 2;
    Triangle(dc, {x - arrow, up + half}, {x + arrow, up + half}, {x, up - arrow + 1});
    const int down = (2 * r.bottom - button) / 2;
    Triangle(dc, {x - arrow, down - half}, {x + arrow, down - half}, {x, down + arrow - 1});
}

void DrawHScrollBar(HDC dc, const RECT& r, COLORREF trackColor, COLORREF buttonColor, const PreviewMetrics& m) {
    DcSelection pen(dc, GetStockObject(BLACK_PEN));
    FilledRectangle(dc, r, trackColor);

    const int button = ScaledSize(m.hScrollHeight, SM_CXHSCROLL, m);
    const int thumb = 20 * m.scale;
    const int thumbLeft = r.left + button + thumb;
    {
        OwnedBrush brush(CreateSolidBrush(buttonColor));
        DcSelection selected(dc, brush.get());
        Rectangle(dc, r.left, r.top, r.left + button, r.bottom);
        Rectangle(dc, r.right - button, r.top, r.right, r.bottom);
        Rectangle(dc, thumbLeft, r.top, thumbLeft + thumb, r.bottom);
    }

    DcSelection brush(dc, GetStockObject(BLACK_BRUSH));
    const int grip = thumbLeft + thumb / 2;
    for (int x : {grip - 2 * m.scale, grip, grip + 2 * m.scale})
        Line(dc, x, r.top + 3 * m.scale, x, r.bottom - 3 * m.scale);

    const int arrow = std::max(1, std::min<int>(r.bottom - r.top, button) / 4);
    const int half = arrow / 2;
    const int y = (r.top + r.bottom) / 2;
    const int left = (button + 2 * r.left) / 2;
    Triangle(dc, {left + half, y - arrow}, {left + half, y + arrow}, {left - arrow + 1, y});
    const int right = (2 * r.right - button) / 2;
    Triangle(dc, {right - half, y - arrow}, {right - half, y + arrow}, {right + arrow - 1, y});
}

void DrawLabelBox(HDC dc, const RECT& r, const wchar_t* text, HFONT font, COLORREF fillColor, COLORREF textColor,
                  COLORREF outlineColor, int outlineWidth) {
    DcSelection selectedFont(dc, font);
    TextStyle style(dc, textColor);

    SIZE extent = {};
    if (text) GetTextExtentExPointW(dc, text, lstrlenW(text), 0, nullptr, nullptr, &extent);
    RECT box = {r.left, r.top, r.left + extent.cx, r.top + extent.cy};
    InflateRect(&box, 1, 1);

    if (outlineColor == CLR_NONE) {
        Fill(dc, box, fillColor);
    } else {
        InflateRect(&box, outlineWidth, outlineWidth);
        OwnedPen pen(CreatePen(PS_SOLID, outlineWidth, outlineColor));
        DcSelection selectedPen(dc, pen.get());
        FilledRectangle(dc, box, fillColor);
        InflateRect(&box, -outlineWidth, -outlineWidth);
    }
    Text(dc, text, box, DT_SINGLELINE | DT_VCENTER);
}

void DrawPopupMenu(HDC dc, const RECT& bar, HFONT font, const wchar_t* lowerText, COLORREF selectionColor,
                   COLORREF backgroundColor, COLORREF textColor, COLORREF selectedTextColor,
                   const wchar_t* upperText, const PreviewMetrics& m) {
    constexpr int kMargin = 3;
    const int item = MenuItemHeight(m);
    DcSelection pen(dc, FramePen(dc));
    DcSelection selectedFont(dc, font);
    const int width = std::max(TextWidth(dc, lowerText), TextWidth(dc, upperText));

    // The popup stands on the bar's top edge, two items high.
    const RECT box = {bar.left, bar.top + 1 - 2 * item, bar.left + 2 * kMargin + width, bar.top + 1};
    FilledRectangle(dc, box, backgroundColor);

    RECT row = {box.left, box.top, box.right, box.bottom - item};
    Fill(dc, row, selectionColor);
    TextStyle style(dc, selectedTextColor);
    Text(dc, upperText, {row.left + kMargin, row.top, row.right, row.bottom}, DT_SINGLELINE | DT_VCENTER);

    OffsetRect(&row, 0, item);
    style.Color(textColor);
    Text(dc, lowerText, {row.left + kMargin, row.top, row.right, row.bottom}, DT_SINGLELINE | DT_VCENTER);
}

void DrawMenuBar(HDC dc, const RECT& bar, HFONT font, const wchar_t* secondText, COLORREF barColor,
                 COLORREF itemBackground, COLORREF itemTextColor, const wchar_t* thirdText,
                 COLORREF disabledColor, const wchar_t* firstText, COLORREF selectedTextColor,
                 COLORREF selectionColor, const PreviewMetrics& m) {
    constexpr int kMarginX = 3;
    constexpr int kMarginY = 2;
    const int item = MenuItemHeight(m);
    DcSelection pen(dc, FramePen(dc));
    DcSelection selectedFont(dc, font);
    FilledRectangle(dc, bar, barColor);

    const RECT first = {bar.left, bar.top, bar.left + TextWidth(dc, firstText) + 2 * kMarginX,
                        bar.top + item + 2 * kMarginY};
    FilledRectangle(dc, first, itemBackground);
    Fill(dc, {first.left + 1, first.top + 1, first.right - 1, first.bottom - 1}, itemBackground);
    Fill(dc, {first.left + 1, first.top + kMarginY, first.right - 1, first.bottom - kMarginY}, selectionColor);

    constexpr UINT kFormat = DT_SINGLELINE | DT_VCENTER;
    TextStyle style(dc, selectedTextColor);
    Text(dc, firstText, {first.left + kMarginX, first.top, first.right, first.bottom}, kFormat);

    const RECT second = {first.right + kMarginX, first.top, first.right + TextWidth(dc, secondText) + 2 * kMarginX,
                         first.bottom};
    style.Color(itemTextColor);
    Text(dc, secondText, second, kFormat);

    style.Color(disabledColor);
    Text(dc, thirdText, {second.right + kMarginX, first.top, bar.right, first.bottom}, kFormat);
}
