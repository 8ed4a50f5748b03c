// Export and import of configurations as "#!ver2.0" files.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/outcome.h"
#include "config/session.h"

// Tools > Export: asks for a path, writes the header, then every page's values, one record each,
// in one write.
void ExportConfig(Session& session);
// The same without the dialog: writes `path`. Done only when the whole file was written and
// reads back as a configuration file; a name the file system takes for a device (NUL, CON...)
// is refused before anything is written. Failures are said through the session.
Outcome ExportConfigTo(Session& session, const wchar_t* path);
// Tools > Import: asks for a path, reads the file once, checks its tag and loads every page from
// it into the configuration being edited.
void ImportConfig(Session& session);
// The same without the dialog: not done when the file was not loaded (unreadable or not a
// configuration file, said through the session; or the user cancelled the save question).
Outcome ImportConfigFrom(Session& session, const wchar_t* path);
// Whether the file can be read and carries the tag, as the import checks it; a file that fails
// is said through the session.
bool IsConfigFile(Session& session, const wchar_t* path);
// The file as a store to read, or null when it cannot be read or is no configuration file (said
// through the session).
std::unique_ptr<Store> OpenConfigFile(Session& session, const wchar_t* path);
// Asks for a configuration file to read, with the open dialog and the title `titleId`, and reads
// its head; a file that cannot be opened or lacks the tag is said so. The store key ("@" and the
// path) and the head read, or nullopt.
struct ChosenConfigFile {
    std::wstring storeKey;
    std::vector<BYTE> head;
};
std::optional<ChosenConfigFile> AskConfigFile(Session& session, UINT titleId);
