// Export and import of configurations as "#!ver2.0" files.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "config/session.h"

// Tools > Export: asks for a path, writes the header, then every page's values, one record each,
// in one write.
void ExportConfig(Session& session);
// Tools > Import: asks for a path, reads the file once, checks its tag and loads every page from
// it into the configuration being edited.
void ImportConfig(Session& session);
// Asks for a configuration file to read, with the open dialog and the title `titleId`, and reads
// its head; a file that cannot be opened or lacks the tag is said so. The store key ("@" and the
// path) and the head read, or nullopt.
struct ChosenConfigFile {
    std::wstring storeKey;
    std::vector<BYTE> head;
};
std::optional<ChosenConfigFile> AskConfigFile(Session& session, UINT titleId);
