// The drawing routines of the previews: a window frame, scroll bars, a text in a box, a popup
// menu and a menu bar, each drawn with the colours, fonts and sizes it is given. Every routine
// restores the pen, brush, font, text colour and background mode it found in the DC and deletes
// every pen, brush and region it makes. The appearance, size and theme previews use them.
#pragma once
#include <windows.h>

#include "framework/page_host.h"

// The sizes the routines draw with: size-page values in pixels at 96 dpi (0: the system's own
// metric, named with each use) and the screen's scale, by which they are multiplied.
struct PreviewMetrics {
    int scale = 1;
    int captionHeight = 0;     // "cyCap", else SM_CYCAPTION
    int vScrollWidth = 0;      // "cxVScr", else SM_CXVSCROLL
    int vScrollHeight = 0;     // "cyVScr" (button height of a vertical bar), else SM_CYVSCROLL
    int hScrollHeight = 0;     // "cxHScr" (button width of a horizontal bar), else SM_CXHSCROLL
    int menuItemHeight = 0;    // SM_CYMENU when 0
};

// The size page's current values (through the SizeMetrics question) and the host's scale.
PreviewMetrics QueryPreviewMetrics(const PageHost& host);

// Size-page slots the previews ask for.
constexpr int kSizeSlotHScroll = 6;
constexpr int kSizeSlotVScrollWidth = 8;
constexpr int kSizeSlotVScrollHeight = 9;
constexpr int kSizeSlotCaption = 12;

// A window: body, caption bar and caption text.
void DrawWindowFrame(HDC dc, const RECT& r, const wchar_t* caption, HFONT captionFont, COLORREF textColor,
                     COLORREF barColor, COLORREF bodyColor, const PreviewMetrics& m);
// Scroll bars: track, the two buttons with their arrows, a thumb with three grip lines.
void DrawVScrollBar(HDC dc, const RECT& r, COLORREF trackColor, COLORREF buttonColor, const PreviewMetrics& m);
void DrawHScrollBar(HDC dc, const RECT& r, COLORREF trackColor, COLORREF buttonColor, const PreviewMetrics& m);
// A text in a filled box whose top-left corner is r's; outline CLR_NONE draws none.
void DrawLabelBox(HDC dc, const RECT& r, const wchar_t* text, HFONT font, COLORREF fillColor, COLORREF textColor,
                  COLORREF outlineColor, int outlineWidth);
// An open popup menu standing on the top edge of the menu bar rectangle `bar`.
void DrawPopupMenu(HDC dc, const RECT& bar, HFONT font, const wchar_t* lowerText, COLORREF selectionColor,
                   COLORREF backgroundColor, COLORREF textColor, COLORREF selectedTextColor,
                   const wchar_t* upperText, const PreviewMetrics& m);
// A menu bar with a selected first item, a second item and a disabled third one.
void DrawMenuBar(HDC dc, const RECT& bar, HFONT font, const wchar_t* secondText, COLORREF barColor,
                 COLORREF itemBackground, COLORREF itemTextColor, const wchar_t* thirdText,
                 COLORREF disabledColor, const wchar_t* firstText, COLORREF selectedTextColor,
                 COLORREF selectionColor, const PreviewMetrics& m);
