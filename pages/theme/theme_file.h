// Today theme files (".tsk") on the device: reading one into its colours, images, name and
// provider, and writing one the device's Today settings install. No window is shown here: each
// call says how it went in a ThemeOutcome, whose message names the file, and the caller (the
// Theme page, the command line) shows it its own way.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "base/handles.h"
#include "store/today_theme.h"

struct ThemeOutcome {
    bool ok = false;
    // Why it failed; after a success, a note the user should still read (a theme opened for its
    // colours only), else empty. Always names the file.
    std::wstring message;
};

// Reads the theme file at `path` into `theme`: every colour it sets (theme.colors; the Today
// colours are those of kTodayColorNumbers), its name, its provider and the files it installs into
// \Windows (the Today and Start images among them, each checked to decode). A theme that installs
// anything outside \Windows or sets values other than the Today colours is read for its colours
// only (theme.colorsOnly, no files, a note in the message). On failure `theme` is left as it was.
// `todayPicture`, when given, gets the decoded Today image (null for a theme without one).
ThemeOutcome ReadThemeFile(const wchar_t* path, TodayTheme& theme, OwnedBitmap* todayPicture = nullptr);

// Writes a theme file at `path` (replacing one that is there): an uncompressed installation
// cabinet whose instructions copy the images into \Windows as tdywater.gif and stwater.gif and set
// every colour under HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Color. `colors` (by number; the ten
// Today colours from a page or a configuration) go over the colours of `opened`, a theme read
// before, whose name, provider, other colours and files are kept. Without an opened theme, or
// with one read for its colours only, the images are the device's own \Windows\tdywater.gif and
// \Windows\stwater.gif, those that exist; the name is the file's, the provider the program's.
// On failure no file is left at `path`.
ThemeOutcome WriteThemeFile(const wchar_t* path, const std::map<int, uint32_t>& colors, const TodayTheme* opened);

// The theme's Today image decoded, or null (the caller owns the bitmap).
HBITMAP DecodeTodayImage(const TodayTheme& theme);
