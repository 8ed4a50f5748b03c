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
// The same without the dialog: writes `path`; false when the file could not be made (said through
// the session).
bool ExportConfigTo(Session& session, const wchar_t* path);
// Tools > Import: asks for a path, reads the file once, checks its tag and loads every page from
// it into the configuration being edited.
void ImportConfig(Session& session);
// The same without the dialog: false when the file was not loaded (unreadable or not a
// configuration file, said through the session; or the user cancelled the save question).
bool ImportConfigFrom(Session& session, const wchar_t* path);
// Whether the file can be read and carries the tag, as the import checks it; a file that fails
// is said through the session.
bool IsConfigFile(Session& session, const wchar_t* path);
// Asks for a configuration file to read, with the open dialog and the title `titleId`, and reads
// its head; a file that cannot be opened or lacks the tag is said so. The store key ("@" and the
// path) and the head read, or nullopt.
struct ChosenConfigFile {
    std::wstring storeKey;
    std::vector<BYTE> head;
};
std::optional<ChosenConfigFile> AskConfigFile(Session& session, UINT titleId);
