#include "support/gdi_slots.h"

#include <vector>

#include "base/handles.h"

size_t FreeGdiSlots() {
    std::vector<OwnedBrush> brushes;
    brushes.reserve(70000);
    while (brushes.size() < 70000 && brushes.emplace_back(CreateSolidBrush(0))) {}
    return brushes.size();
}
