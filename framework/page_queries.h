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

// The appearance page's elements, which the other previews draw with.
class AppearanceElements {
public:
    virtual ~AppearanceElements() = default;
    // The colour of an element, nullopt when it has none (or no such element).
    virtual std::optional<COLORREF> ElementColor(int element) const = 0;
    // The font of an element, or null.
    virtual HFONT ElementFont(int element) const = 0;
};
