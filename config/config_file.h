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
// in one write. The dialog also offers the device's installer and a provisioning document
// (config/device_forms.h); a path ending in ".cab", ".xml" or ".cpf" is written in that form.
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
// through the session, and in `why`). An installer, a provisioning document or a provisioning
// cabinet (by its extension) is read into a store at the pages' places.
std::unique_ptr<Store> OpenConfigFile(Session& session, const wchar_t* path, std::wstring* why = nullptr);
// Asks for a configuration file to read, with the open dialog and the title `titleId`, and reads
// it as OpenConfigFile does; a file that cannot be read is said so. The store key ("@" and the
// path) and the store, or nullopt.
struct ChosenConfigFile {
    std::wstring storeKey;
    std::unique_ptr<Store> store;
};
std::optional<ChosenConfigFile> AskConfigFile(Session& session, UINT titleId);
