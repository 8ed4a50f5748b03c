// Questions one page answers for another, as typed calls.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/settings_page.h"

// The size page's metrics, which the previews draw with.
class SizeMetrics {
public:
    virtual ~SizeMetrics() = default;
    // The metric of a size slot in pixels at 96 dpi, or 0 when the system's own applies.
    virtual int SizeMetric(int slot) const = 0;
};

// Where the appearance page keeps the system colours: the value the window system is asked to
// take up again once a new one is on the device.
class SystemColorsValue {
public:
    virtual ~SystemColorsValue() = default;
    virtual ValueRef SystemColorsRef() const = 0;
};

// The appearance page's elements, which the other previews draw with.
class AppearanceElements {
public:
    // The element numbers the previews draw with.
    enum Element : int {
        kActiveTitleBar = 2, kInactiveTitleBar = 3, kMenuBackground = 4, kWindowBackground = 5, kPopupMenuText = 6,
        kMenuBarText = 7, kWindowText = 8, kActiveTitleText = 9, kSelectedItems = 12, kSelectedMenuText = 13,
        kSelectedItemsText = 14, kThreeD = 15, kDisabledText = 16, kButtonText = 17, kInactiveTitleText = 18,
        kDialogBackground = 21, kDialogText = 22,
    };
    // What a preview draws an element in that has no colour (or when there is no such page).
    static constexpr COLORREF kNoColor = 0x808080;

    virtual ~AppearanceElements() = default;
    // The colour of an element, nullopt when it has none (or no such element).
    virtual std::optional<COLORREF> ElementColor(int element) const = 0;
    // The font of an element, or null.
    virtual HFONT ElementFont(int element) const = 0;
};

// The fonts page's knowledge of the device's font files, for an export that carries the fonts a
// configuration needs to another device.
class FontFileFinder {
public:
    struct FaceSource {
        std::wstring face;
        bool inRom = false;   // the ROM holds it: every device of the kind has it
        std::wstring path;    // else the file directly in \Windows that provides it, or empty
    };
    virtual ~FontFileFinder() = default;
    // Where the device takes each face from; a face is matched by a font's full name, the face
    // itself or the face and a style ("Tahoma Bold"), letter case ignored.
    virtual std::vector<FaceSource> FindFaces(const std::vector<std::wstring>& faces) = 0;
};
