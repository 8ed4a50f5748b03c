// Tools > Compare...: the choice of the other side and the full-screen list of differences.
#pragma once
#include <string>
#include <vector>

#include "config/compare.h"

// Asks for the other side (the device, a configuration, a file), then shows the differences.
void CompareCommand(Session& session);
// The list of differences, modal over the sheet, with the two sides' names over its columns.
void ShowDifferences(Session& session, const std::vector<Difference>& differences, const std::wstring& hereName,
                     const std::wstring& thereName);
