// How many GDI objects the process can still make. Wine's GetGuiResources answers 0, so a test
// that wants to see objects leak counts the brushes that can still be made instead.
#pragma once
#include <windows.h>

#include <cstddef>

size_t FreeGdiSlots();
