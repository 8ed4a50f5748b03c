#include "support/gdi.h"

#include <vector>

#include "base/handles.h"

size_t FreeGdiSlots() {
    std::vector<OwnedBrush> brushes;
    brushes.reserve(70000);
    while (brushes.size() < 70000 && brushes.emplace_back(CreateSolidBrush(0))) {}
    return brushes.size();
}

COLORREF PrintedPixel(HWND window, int x, int y) {
    RECT client;
    GetClientRect(window, &client);
    WindowDc screen(nullptr);
    MemoryDc memory(CreateCompatibleDC(screen.get()));
    OwnedBitmap bitmap(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    DcSelection select(memory.get(), bitmap.get());
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
    return GetPixel(memory.get(), x, y);
}

size_t FreeUserSlots() {
    std::vector<HMENU> menus;
    menus.reserve(70000);
    while (menus.size() < 70000) {
        HMENU menu = CreateMenu();
        if (!menu) break;
        menus.push_back(menu);
    }
    for (HMENU menu : menus) DestroyMenu(menu);
    return menus.size();
}
