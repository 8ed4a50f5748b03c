// Compare: the settings in which two sides differ, in the pages' own words.
//
// Two sides are the same exactly when every value the pages write holds the same type and the
// same bytes on both, or is missing on both; nothing else decides it. The places are those the
// pages' Save writes. Each side is a store read as stored: a configuration, the device, a file,
// or the edited side, which is what the pages' Save writes, caught in memory. Only the words
// come from the pages: every page describes a store through the table rows and codecs that load
// and save it, and where two different values would read the same, the line also shows what is
// stored. Neither the pages, nor the stores, nor the counters or the title change.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "config/session.h"

struct Difference {
    std::wstring page;      // the page's tab caption
    std::wstring setting;   // the setting, in the page's own words
    std::wstring here;      // its value on the edited side, or the missing text
    std::wstring there;     // its value on the other side, or the missing text
    COLORREF hereColor = 0xFFFFFFFF, thereColor = 0xFFFFFFFF;   // swatches of colour settings
};

// The settings in which `here` differs from `there`, page by page in list order. The input
// methods, which no configuration holds, are compared only by the pages against the device.
std::vector<Difference> CompareStores(Session& session, Store& here, Store& there);
// What the session's pages hold against the store that `otherKey` names ("SYSTEM",
// "Orvanel\<name>" or "@<path>"), or against a store already open.
std::vector<Difference> CompareWith(Session& session, std::wstring_view otherKey);
std::vector<Difference> CompareWithStore(Session& session, Store& other);
