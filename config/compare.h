// Compare: the settings in which the configuration being edited differs from another side (the
// device, a stored configuration, a configuration file), in the pages' own words.
//
// Both sides are described by the same code: every page describes a store through the table
// rows and codecs that load and save it. The edited side is what the pages' Save writes, caught
// in memory; the other side is read straight from its store at the same places, so neither the
// pages, nor the stores, nor the counters or the title change.
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

// The settings in which what the session's pages hold differs from what the store that
// `otherKey` names holds ("SYSTEM", "Orvanel\<name>" or "@<path>"). Changes nothing: not the
// pages, not the stores, not the counters or the title.
std::vector<Difference> CompareWith(Session& session, std::wstring_view otherKey);
// The same against a store already open.
std::vector<Difference> CompareWithStore(Session& session, Store& other);

// Tools > Compare...: asks for the other side, then shows the differences full screen.
void CompareCommand(Session& session);
// The list of differences, modal over the sheet, with the two sides' names over its columns.
void ShowDifferences(Session& session, const std::vector<Difference>& differences, const std::wstring& hereName,
                     const std::wstring& thereName);
