// The colour chooser: a modal dialog with sixteen fixed swatches, red, green and blue edits with
// up-down arrows, and a sample of the colour being built. The appearance and theme pages open it
// with PickColor when the user taps their colour button.
#pragma once
#include <windows.h>

#include "framework/page_host.h"

// Opens the chooser (template 101, whatever the orientation) on the colour `color` holds. On
// "Choose this color" the chosen colour is stored through `color`, the host counts the choice
// (NoteColorChoice) and the result is true, even for the colour that was already there; on
// "Cancel", or when the dialog cannot be made, nothing changes and the result is false. The
// chooser's current colour (the host's ChooserColor) keeps its value between openings.
bool PickColor(PageHost& host, COLORREF& color, HWND owner);
