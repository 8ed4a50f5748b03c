// Questions one page answers for another, as typed calls.
#pragma once
#include <windows.h>

#include "framework/settings_page.h"

// The size page's metrics, which the previews draw with.
class SizeMetrics {
public:
    virtual ~SizeMetrics() = default;
    // The metric of a size slot in pixels at 96 dpi, or 0 when the system's own applies.
    virtual int SizeMetric(int slot) const = 0;
};
