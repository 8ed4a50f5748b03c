// Commands given after the program's name (orvanel /list, /capture, /export, /import, /compare,
// /apply, /help): one command runs on pages that hold their settings without a window, prints
// what it did or why it could not, and the program ends. No window, menu bar or message box.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "config/session.h"

// Exit codes of a command.
enum CommandExit : int {
    kCommandDone = 0,
    kCommandFailed = 1,      // one line says why
    kCommandUsage = 2,       // wrong usage
    kCommandRunning = 3,     // another copy of Orvanel runs and may hold unsaved changes
};

// True when the line asks for a command: its first argument is a command or option word
// ("/list", "/yes"...), or begins with "/" in a line without the installer's words ("first" and
// "last" anywhere, as in "/first"), which keep their hooks. An empty line is no command.
bool IsCommandRequest(std::wstring_view commandLine);

// The arguments of a command line (without the program's name), split as the C runtime splits
// them: blanks separate, double quotes group, a backslash escapes a quote.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// Runs the command on `session`, which holds no pages yet; the exit code.
int RunCommandLine(Session& session, std::wstring_view commandLine);
