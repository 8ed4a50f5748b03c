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

// A size for a preview: the size page's metric of the slot, the system metric when the page has
// none or says 0, scaled to the screen.
inline int PreviewMetric(const PageHost& host, int slot, int systemMetricIndex) {
    int value = 0;
    if (const SizeMetrics* sizes = FindPageAnswering<SizeMetrics>(host)) value = sizes->SizeMetric(slot);
    if (value == 0) return GetSystemMetrics(systemMetricIndex);
    return value * host.Scale();
}
