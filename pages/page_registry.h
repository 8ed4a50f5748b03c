// The settings pages, in tab order. A new page is its own folder plus one line here.
#pragma once
#include <span>

#include "framework/page_info.h"

std::span<const PageInfo> RegisteredPages();
