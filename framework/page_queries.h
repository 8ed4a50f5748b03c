// Questions one page answers for another, as typed calls.
#pragma once
#include <windows.h>

#include <optional>

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
