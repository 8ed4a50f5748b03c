#include "framework/preview_cache.h"

void PreviewCache::Paint(HDC dc, const RECT& area, const PageHost& host, int key,
                         const std::function<void(HDC, const RECT&)>& draw) {
    const SIZE size = {area.right - area.left, area.bottom - area.top};
    if (size.cx <= 0 || size.cy <= 0) return;
    if (stale_ || !bitmap_ || size.cx != size_.cx || size.cy != size_.cy || version_ != host.SettingsVersion() ||
        key != key_) {
        bitmap_.reset(CreateCompatibleBitmap(dc, size.cx, size.cy));
        MemoryDc memory(CreateCompatibleDC(dc));
        if (!bitmap_ || !memory) return;
        DcSelection select(memory.get(), bitmap_.get());
        draw(memory.get(), RECT{0, 0, size.cx, size.cy});
        size_ = size;
        version_ = host.SettingsVersion();
        key_ = key;
        stale_ = false;
    }
    MemoryDc memory(CreateCompatibleDC(dc));
    if (!memory) return;
    DcSelection select(memory.get(), bitmap_.get());
    BitBlt(dc, area.left, area.top, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
}
