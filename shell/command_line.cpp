#include "shell/command_line.h"

#include <memory>
#include <optional>

#include "base/handles.h"
#include "base/strings.h"
#include "config/apply.h"
#include "config/compare.h"
#include "config/config_file.h"
#include "config/configurations.h"
#include "pages/theme/theme_page.h"
#include "resources/resource.h"
#include "shell/program.h"
#include "store/registry.h"

namespace {

constexpr size_t kLineChars = 1200;   // a message with two full paths in it

// Where a command's lines go: standard output or error when the process has them, and the log
// file when one is given. Lines are UTF-8 and end in CR LF.
class CommandOutput {
public:
    // Appends to the file (made when missing); false when it cannot be opened.
    bool OpenLog(const std::wstring& path) {
        log_.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(log_);
    }
    void Out(std::wstring_view line) { Write(STD_OUTPUT_HANDLE, line); }
    void Error(std::wstring_view line) { Write(STD_ERROR_HANDLE, line); }
    // Every line of a text of several lines.
    void OutLines(std::wstring_view text) {
        while (!text.empty()) {
            size_t end = text.find(L'\n');
            Out(text.substr(0, end));
            text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
        }
    }

private:
    void Write(DWORD stdHandle, std::wstring_view line) {
        std::string bytes = Utf8(line);
        bytes += "\r\n";
        const DWORD size = static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        HANDLE handle = GetStdHandle(stdHandle);
        if (handle && handle != INVALID_HANDLE_VALUE) WriteFile(handle, bytes.data(), size, &written, nullptr);
        if (log_) WriteFile(log_.get(), bytes.data(), size, &written, nullptr);
    }
    static std::string Utf8(std::wstring_view text) {
        if (text.empty()) return {};
        const int length = static_cast<int>(text.size());
        int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
        if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
        return bytes;
    }
    FileHandle log_;
};

// A message box's text on one line: its line breaks become single spaces.
std::wstring OneLine(std::wstring_view text) {
    std::wstring line;
    bool pendingSpace = false;
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n') {
            pendingSpace = !line.empty();
            continue;
        }
        if (pendingSpace && c != L' ') line += L' ';
        pendingSpace = false;
        line += c;
    }
    return line;
}

std::wstring Text(UINT id, const std::wstring& a = {}, const std::wstring& b = {}) {
    return FormatText(kLineChars, LoadResString(id), a.c_str(), b.c_str());
}

// ---- The request -----------------------------------------------------------------------------

enum class Word { None, Command, Flag, Valued };

struct CommandForm {
    const wchar_t* name;
    size_t minOperands, maxOperands;
    const wchar_t* syntax;   // as the usage gives it
};

constexpr CommandForm kCommands[] = {
    {L"/list", 0, 0, L"/list"},
    {L"/capture", 1, 1, L"/capture NAME"},
    {L"/export", 2, 2, L"/export NAME FILE"},
    {L"/import", 1, 1, L"/import FILE [/as NAME] [/reset]"},
    {L"/compare", 1, 2, L"/compare NAME [OTHER | /device | /file FILE]"},
    {L"/theme", 1, 1, L"/theme FILE [/as NAME] [/reset]"},
    {L"/apply", 1, 1, L"/apply NAME [/reset]"},
    {L"/help", 0, 0, L"/help"},
};

struct Request {
    const CommandForm* command = nullptr;
    std::vector<std::wstring> operands;
    bool yes = false, reset = false, device = false;
    std::optional<std::wstring> log, as, file;
};

const CommandForm* FindCommand(std::wstring_view word) {
    for (const CommandForm& form : kCommands)
        if (SameNameIgnoringCase(word, form.name)) return &form;
    return nullptr;
}

// A word the command line reads as a command or an option, never as a name or a file.
bool IsOptionWord(std::wstring_view word) {
    for (const wchar_t* option : {L"/log", L"/as", L"/file", L"/yes", L"/reset", L"/device"})
        if (SameNameIgnoringCase(word, option)) return true;
    return FindCommand(word) != nullptr;
}

bool Is(const CommandForm* command, const wchar_t* name) { return command && SameName(command->name, name); }

// Reads the arguments into a request; the text of the first fault of usage, or empty. The log
// file is taken even from a request with a fault, so that the fault reaches it too.
std::wstring ReadRequest(const std::vector<std::wstring>& args, Request& request) {
    std::wstring fault;
    auto note = [&fault](std::wstring text) {
        if (fault.empty()) fault = std::move(text);
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        std::optional<std::wstring>* valued = SameNameIgnoringCase(arg, L"/log")    ? &request.log
                                              : SameNameIgnoringCase(arg, L"/as")   ? &request.as
                                              : SameNameIgnoringCase(arg, L"/file") ? &request.file
                                                                                    : nullptr;
        if (valued) {
            const wchar_t* what = valued == &request.as ? L"NAME" : L"FILE";
            if (i + 1 >= args.size() || IsOptionWord(args[i + 1])) note(Text(IDS_CMD_NEEDS_VALUE, arg, what));
            else if (valued->has_value()) note(Text(IDS_CMD_UNEXPECTED, arg));
            else *valued = args[++i];
        } else if (SameNameIgnoringCase(arg, L"/yes")) {
            request.yes = true;
        } else if (SameNameIgnoringCase(arg, L"/reset")) {
            request.reset = true;
        } else if (SameNameIgnoringCase(arg, L"/device")) {
            request.device = true;
        } else if (const CommandForm* command = FindCommand(arg)) {
            if (request.command) note(Text(IDS_CMD_TWO_COMMANDS, request.command->name, command->name));
            else request.command = command;
        } else if (!request.command) {
            note(Text(IDS_CMD_UNEXPECTED, arg));
        } else {
            request.operands.push_back(arg);
        }
    }
    if (!fault.empty()) return fault;
    const CommandForm* command = request.command;
    if (!command) return Text(IDS_CMD_NO_COMMAND);
    const size_t others = (request.device ? 1 : 0) + (request.file ? 1 : 0) + (request.operands.size() > 1 ? 1 : 0);
    const bool fits = request.operands.size() >= command->minOperands &&
                      request.operands.size() <= command->maxOperands && (!request.reset || Is(command, L"/apply") || Is(command, L"/import") || Is(command, L"/theme")) &&
                      (!request.as || Is(command, L"/import") || Is(command, L"/theme")) &&
                      ((!request.device && !request.file) || Is(command, L"/compare")) && others <= 1;
    if (!fits) return Text(IDS_CMD_USE, command->name, command->syntax);
    return {};
}

// ---- The commands ------------------------------------------------------------------------------

class CommandRun {
public:
    CommandRun(Session& session, const Request& request, CommandOutput& out)
        : session_(session), request_(request), out_(out) {}

    int Run() {
        session_.messageSink = [this](const wchar_t* text, const wchar_t*, UINT, Session::Question question) {
            return Answer(text ? text : L"", question);
        };
        AddRegisteredPages(session_);
        // The pages take the live settings first, as at the start of the window.
        for (SettingsPage* page : session_.pages) {
            page->grabbed = true;
            if (!page->GrabSystem()) out_.Error(OneLine(LoadResString(IDS_CANT_GRAB)));
        }
        const CommandForm* c = request_.command;
        if (Is(c, L"/list")) return List();
        if (Is(c, L"/capture")) return Capture();
        if (Is(c, L"/export")) return Export();
        if (Is(c, L"/import")) return Import();
        if (Is(c, L"/compare")) return CompareCommand();
        if (Is(c, L"/theme")) return Theme();
        return Apply();
    }

private:
    // The store's messages and questions, answered by what they ask. A message is said, about
    // the command's file or configuration; what the command came to is its operation's outcome.
    int Answer(const std::wstring& text, Session::Question question) {
        switch (question) {
        case Session::Question::None: Tell(OneLine(text)); return IDOK;
        case Session::Question::NoWayBack: return request_.yes ? IDYES : IDNO;
        // The reset comes after the command's own line, when /reset asks for it.
        case Session::Question::Reset: return IDNO;
        case Session::Question::SaveChanges: return IDNO;   // a command holds no edits of its own
        case Session::Question::UndoApply: break;
        }
        return IDNO;
    }

    // A failure line, naming what it is about; each said once.
    void Tell(const std::wstring& text) {
        for (const std::wstring& said : told_)
            if (said == text) return;
        told_.push_back(text);
        const bool named = subject_.empty() || text.find(L'"' + subject_ + L'"') != std::wstring::npos;
        out_.Error(named ? text : Text(IDS_CMD_ABOUT, subject_, text));
    }
    int Fail(const std::wstring& text) {
        Tell(text);
        return kCommandFailed;
    }
    int Fail(const Outcome& outcome) { return Fail(outcome.why.empty() ? LoadResString(IDS_CMD_REFUSED) : outcome.why); }

    // After the command's own line: the reset with /reset, else a word that one is wanted.
    int Finish(const Outcome& outcome) {
        if (outcome.withoutWayBack) out_.Out(Text(IDS_CMD_WITHOUT_WAY_BACK));
        if (request_.reset) {
            out_.Out(Text(IDS_CMD_RESETTING));
            ResetDevice();
        } else if (outcome.resetWanted) {
            out_.Out(Text(IDS_CMD_AFTER_RESET));
        }
        return kCommandDone;
    }

    // A name as the window takes it; said and false when it cannot name a configuration.
    bool AcceptName(const std::wstring& name) {
        if (IsAcceptableConfigName(name)) return true;
        Fail(OneLine(LoadResString(IDS_BAD_CONFIG_NAME)));
        return false;
    }
    static bool Exists(const std::wstring& name) { return KeyExists(LoadResString(IDS_PROGRAM_KEY), name.c_str()); }
    // A configuration to read from: a good name that exists.
    bool Existing(const std::wstring& name) {
        if (!AcceptName(name)) return false;
        if (Exists(name)) return true;
        out_.Error(Text(IDS_CMD_NO_CONFIG, name));
        return false;
    }
    // A configuration to write: a good name, replaced only with /yes.
    bool Writable(const std::wstring& name) {
        if (!AcceptName(name)) return false;
        if (SameNameIgnoringCase(name, KeptConfigName())) {
            Fail(OneLine(LoadResString(IDS_KEPT_NAME_TAKEN)));
            return false;
        }
        if (request_.yes || !Exists(name)) return true;
        out_.Error(Text(IDS_CMD_CONFIG_EXISTS, name));
        return false;
    }
    // The file's own name, without folder and extension.
    static std::wstring NameFromFile(const std::wstring& path) {
        size_t start = path.find_last_of(L"\\/:");
        std::wstring name = path.substr(start == std::wstring::npos ? 0 : start + 1);
        size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos && dot > 0) name.resize(dot);
        return name;
    }
    static bool IsApplied(const std::wstring& name) {
        wchar_t applied[kNameChars] = {};
        return ReadCurrName(applied, sizeof(applied)) && SameName(applied, name);
    }
    // The pages take a stored configuration, as a switch from the menu does.
    void Load(const std::wstring& name) { LoadConfig(session_, name.c_str()); }

    int List() {
        wchar_t applied[kNameChars] = {};
        ReadCurrName(applied, sizeof(applied));
        RegKey program;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, LoadResString(IDS_PROGRAM_KEY), 0, KEY_READ, program.put()) !=
            ERROR_SUCCESS)
            return kCommandDone;
        for (DWORD i = 0;; ++i) {
            wchar_t name[kNameChars];
            DWORD chars = kNameChars;
            if (RegEnumKeyExW(program.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (!IsAcceptableConfigName(name)) continue;   // no configuration's (a kept draft)
            out_.Out(std::wstring(applied[0] && SameNameIgnoringCase(name, applied) ? L"* " : L"  ") + name);
        }
        return kCommandDone;
    }

    int Capture() {
        const std::wstring& name = request_.operands[0];
        subject_ = name;
        if (!Writable(name)) return kCommandFailed;
        const Outcome outcome = SaveConfig(session_, name.c_str());
        if (!outcome.done()) return Fail(outcome);
        out_.Out(Text(IDS_CMD_CAPTURED, name));
        return kCommandDone;
    }

    int Export() {
        const std::wstring& name = request_.operands[0];
        const std::wstring& path = request_.operands[1];
        subject_ = name;
        if (!Existing(name)) return kCommandFailed;
        subject_ = path;
        if (!request_.yes && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return Fail(Text(IDS_CMD_FILE_EXISTS, path));
        Load(name);
        if (IsThemeFile(path)) {
            // The configuration's Today colours as a theme the device installs.
            ThemePage* theme = FindThemePage();
            if (!theme || !theme->SaveThemeFile(path.c_str())) return kCommandFailed;
        } else {
            const Outcome outcome = ExportConfigTo(session_, path.c_str());
            if (!outcome.done()) return Fail(outcome);
        }
        out_.Out(Text(IDS_CMD_EXPORTED, name, path));
        return kCommandDone;
    }

    static bool IsThemeFile(const std::wstring& path) {
        const size_t dot = path.rfind(L'.');
        return dot != std::wstring::npos && path.find_first_of(L"\\/:", dot) == std::wstring::npos &&
               SameNameIgnoringCase(std::wstring_view(path).substr(dot), L".tsk");
    }
    ThemePage* FindThemePage() {
        for (SettingsPage* page : session_.pages)
            if (auto* theme = dynamic_cast<ThemePage*>(page)) return theme;
        return nullptr;
    }

    // A theme's Today colours over the device's settings, saved as a configuration: as the Theme
    // page opens it, then as an import is saved (into the applied configuration, an Apply).
    int Theme() {
        const std::wstring& path = request_.operands[0];
        const std::wstring name = request_.as ? *request_.as : NameFromFile(path);
        subject_ = path;
        if (name.empty() || !IsAcceptableConfigName(name)) return Fail(Text(IDS_CMD_NAME_FROM_FILE, path));
        subject_ = name;
        if (!Writable(name)) return kCommandFailed;
        subject_.clear();   // the theme's own messages name the file
        ThemePage* theme = FindThemePage();
        if (!theme || !theme->OpenThemeFile(path.c_str())) return kCommandFailed;
        subject_ = name;
        const Outcome outcome = IsApplied(name) ? ApplyConfig(session_, name.c_str()) : SaveConfig(session_, name.c_str());
        if (!outcome.done()) return Fail(outcome);
        out_.Out(Text(IDS_CMD_IMPORTED, path, name));
        if (outcome.deviceWritten) out_.Out(Text(IDS_CMD_DEVICE_WRITTEN, name));
        return Finish(outcome);
    }

    int Import() {
        const std::wstring& path = request_.operands[0];
        subject_ = path;
        std::wstring name;
        if (request_.as) {
            name = *request_.as;
        } else {
            name = NameFromFile(path);
            if (!IsAcceptableConfigName(name)) return Fail(Text(IDS_CMD_NAME_FROM_FILE, path));
        }
        subject_ = name;
        if (!Writable(name)) return kCommandFailed;
        subject_ = path;
        Outcome outcome = ImportConfigFrom(session_, path.c_str());
        if (!outcome.done()) return Fail(outcome);
        // Into the applied configuration the import is an Apply: the device's settings are kept
        // before it is written.
        subject_ = name;
        outcome.Add(IsApplied(name) ? ApplyConfig(session_, name.c_str()) : SaveConfig(session_, name.c_str()));
        if (!outcome.done()) return Fail(outcome);
        out_.Out(Text(IDS_CMD_IMPORTED, path, name));
        if (outcome.deviceWritten) out_.Out(Text(IDS_CMD_DEVICE_WRITTEN, name));
        return Finish(outcome);
    }

    int Apply() {
        const std::wstring& name = request_.operands[0];
        subject_ = name;
        if (!Existing(name)) return kCommandFailed;
        Load(name);
        const Outcome outcome = ApplyConfig(session_, name.c_str());
        if (!outcome.done()) return Fail(outcome);
        out_.Out(Text(IDS_CMD_APPLIED, name));
        return Finish(outcome);
    }

    int CompareCommand() {
        const std::wstring& name = request_.operands[0];
        subject_ = name;
        if (!Existing(name)) return kCommandFailed;
        std::unique_ptr<Store> other;
        std::wstring otherName = LoadResString(IDS_COMPARE_DEVICE_COLUMN);
        if (request_.operands.size() > 1) {
            otherName = request_.operands[1];
            subject_ = otherName;
            if (!Existing(otherName)) return kCommandFailed;
            other = OpenRegistryStore(StoreKeyOf(otherName), false);
        } else if (request_.file) {
            otherName = *request_.file;
            subject_ = otherName;
            other = OpenConfigFile(session_, otherName.c_str());
            if (!other) return kCommandFailed;
        } else {
            other = OpenRegistryStore(kSystemStoreKey, true);
        }
        // Both sides as stored: the configuration itself, not the pages' reading of it.
        auto here = OpenRegistryStore(StoreKeyOf(name), false);
        const std::vector<Difference> differences = CompareStores(session_, *here, *other);
        if (!differences.empty()) out_.Out(Text(IDS_CMD_COMPARE_HEAD, name, otherName));
        for (const Difference& d : differences)
            out_.Out(FormatText(kLineChars, LoadResString(IDS_CMD_COMPARE_LINE), d.page.c_str(), d.setting.c_str(),
                                d.here.c_str(), d.there.c_str()));
        return kCommandDone;
    }

    Session& session_;
    const Request& request_;
    CommandOutput& out_;
    std::wstring subject_;            // the file or configuration the command works on now
    std::vector<std::wstring> told_;  // the failure lines said
};

}  // namespace

bool IsCommandRequest(std::wstring_view commandLine) {
    const std::vector<std::wstring> args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty() || args[0][0] != L'/') return false;
    // The installer's words count wherever they stand ("/first" is the hook): a line holding
    // one is a command only when it begins with a command's or an option's own word.
    const bool hookWord = commandLine.find(L"first") != std::wstring_view::npos ||
                          commandLine.find(L"last") != std::wstring_view::npos;
    return !hookWord || IsOptionWord(args[0]);
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    std::vector<std::wstring> args;
    size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
        if (i >= line.size()) break;
        std::wstring arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t'))) {
            if (line[i] == L'\\') {
                size_t slashes = 0;
                while (i < line.size() && line[i] == L'\\') ++slashes, ++i;
                if (i < line.size() && line[i] == L'"') {
                    // 2n backslashes and a quote: n backslashes, and the quote groups; 2n+1: n
                    // backslashes and a quote of the text.
                    arg.append(slashes / 2, L'\\');
                    if (slashes % 2) {
                        arg += L'"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, L'\\');
                }
            } else if (line[i] == L'"') {
                // Two quotes inside quotes are one quote of the text.
                if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
                    arg += L'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

int RunCommandLine(Session& session, std::wstring_view commandLine) {
    CommandOutput out;
    Request request;
    const std::wstring fault = ReadRequest(SplitCommandLine(commandLine), request);
    if (request.log && !out.OpenLog(*request.log)) {
        out.Error(Text(IDS_CMD_CANT_LOG, *request.log));
        return kCommandFailed;
    }
    if (!fault.empty()) {
        out.Error(fault);
        return kCommandUsage;
    }
    if (Is(request.command, L"/help")) {
        out.OutLines(LoadResString(IDS_CMD_USAGE));
        return kCommandDone;
    }
    // Found as a second start finds it: the running copy may hold unsaved edits.
    if (FindWindowW(LoadResString(IDS_CLASS_NAME), LoadResString(IDS_APP_TITLE))) {
        out.Error(Text(IDS_CMD_RUNNING));
        return kCommandRunning;
    }
    return CommandRun(session, request, out).Run();
}
