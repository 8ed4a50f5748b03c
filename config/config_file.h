// Export and import of configurations as "#!ver2.0" files.
#pragma once
#include <windows.h>

#include "config/session.h"

// Tools > Export: asks for a path, writes the header, then every page's values, one record each,
// in one write.
void ExportConfig(Session& session);
// Tools > Import: asks for a path, reads the file once, checks its tag and loads every page from
// it into the configuration being edited.
void ImportConfig(Session& session);
