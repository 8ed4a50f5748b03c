// A preview drawn off screen: made again only when something it shows has changed (the page says
// so, the host's settings version moved, or the area changed size), copied on every paint.
#pragma once
#include <windows.h>

#include <functional>

#include "base/handles.h"
#include "framework/page_host.h"

class PreviewCache {
public:
    // Something the preview shows changed on the page itself.
    void Invalidate() { stale_ = true; }
    // Copies the preview into `dc` at `area`, drawing it first (into a bitmap whose origin is the
    // area's top-left corner) when it is out of date. `key` is anything else the picture depends on.
    void Paint(HDC dc, const RECT& area, const PageHost& host, int key, const std::function<void(HDC, const RECT&)>& draw);

private:
    OwnedBitmap bitmap_;
    SIZE size_ = {};
    unsigned version_ = 0;
    int key_ = 0;
    bool stale_ = true;
};
