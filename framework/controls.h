// Helpers for the controls the pages use: check boxes, drop-down lists filled from a table,
// number edits with up-down controls, owner-drawn colour buttons and list views.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <span>
#include <string>

void SetChecked(HWND dialog, int id, bool checked);
bool IsChecked(HWND dialog, int id);

// Empties a drop-down list and fills it with the numbers of the table, each formatted.
void FillNumberList(HWND dialog, int id, std::span<const int> numbers, const wchar_t* format);
// Selects a line, or none for an index outside the list.
void SelectLine(HWND dialog, int id, int line);
std::optional<int> SelectedLine(HWND dialog, int id);
// The text of a line of a drop-down list, empty for no such line.
std::wstring LineText(HWND dialog, int id, int line);
void EnableControl(HWND dialog, int id, bool enabled);

// A number edit: writes the number in decimal; reads the number the text starts with, nullopt
// for an empty text or one that starts with no number. At most maxChars characters are read.
void SetNumber(HWND dialog, int id, long value);
std::optional<long> ReadNumber(HWND dialog, int id, int maxChars = 30);
// An up-down control over its buddy edit, with its range and position.
void SetUpDown(HWND dialog, int upDownId, int minimum, int maximum, int position);

// Paints an owner-drawn colour button: a light grey box with a 1-pixel outline (grey when the
// button is disabled, black otherwise) and, unless disabled, the colour filling it 2 pixels in.
// Without a colour only the box is drawn.
void DrawColorButton(const DRAWITEMSTRUCT& item, std::optional<COLORREF> color);

// A list view in report view with one column as wide as the control, no header, and the given
// extended styles (check boxes, full-row select).
void SetUpReportList(HWND dialog, int id, DWORD extendedStyles);

// A list view whose rows were made again shows what it showed: `topRow` (taken with
// ListView_GetTopIndex before) first again, then the selected row scrolled into sight.
void KeepListInView(HWND list, int topRow, int selectedRow);
// The one column of a report list as wide as the list's client area, after a relayout say.
void FitListColumn(HWND list);

// Clears a dialog's vertical scroll bar: range, page, position and track position all 0, redrawn.
void ClearVerticalScrollBar(HWND dialog);
