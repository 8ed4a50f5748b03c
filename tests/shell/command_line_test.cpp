// The command line: each command on the seeded test device, run as the program runs it (through
// Program::Main), with its messages read from the /log file; a configuration carried from one
// device to a fresh one; the refusals; a running copy; and the real program's own output.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/configurations.h"
#include "platform/pocketpc.h"
#include "shell/command_line.h"
#include "shell/program.h"
#include "store/registry.h"
#include "support/app_fixture.h"

namespace {

constexpr wchar_t kLog[] = L"\\Temp\\command.log";
constexpr wchar_t kFile[] = L"\\Temp\\command.ov";
constexpr wchar_t kOtherFile[] = L"\\Temp\\command2.ov";

int windowsMade = 0;
LRESULT CALLBACK CountWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) ++windowsMade;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int reboots = 0;
void CountReboot() { ++reboots; }

// Values of three pages on the live device, kept and put back around a test.
struct LiveValue {
    HKEY root;
    const wchar_t* path;
    const wchar_t* name;
    DWORD tuned;
};
const LiveValue kTuned[] = {
    {HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE", L"cxVScr", 21},
    {HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE\\Menu", L"AniTime", 300},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main", L"ZoomSetting", 4},
};

DWORD LiveDword(const LiveValue& v) {
    DWORD value = 0xFFFFFFFF, size = sizeof value;
    RegGetValueW(v.root, v.path, v.name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}
void SetLiveDword(const LiveValue& v, DWORD value) {
    RegSetKeyValueW(v.root, v.path, v.name, REG_DWORD, &value, sizeof value);
}

std::string Utf8Of(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) bytes += static_cast<char>(c);   // the texts compared here are ASCII
    return bytes;
}

class Commands : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (const LiveValue& v : kTuned) kept_.push_back(LiveDword(v));
        reboots = 0;
        SetRebootHandlerForTests(CountReboot);
        hook_ = SetWindowsHookExW(WH_CBT, CountWindows, nullptr, GetCurrentThreadId());
        windowsMade = 0;
        CreateDirectoryW(L"\\Temp", nullptr);
    }
    void TearDown() override {
        UnhookWindowsHookEx(hook_);
        SetRebootHandlerForTests(nullptr);
        for (size_t i = 0; i < kept_.size(); ++i) SetLiveDword(kTuned[i], kept_[i]);
        for (const wchar_t* path : {kLog, kFile, kOtherFile}) DeleteFileW(path);
        AppTest::TearDown();
    }

    // Runs one command as the program's entry would; its lines (from the log) land in `lines`.
    int Run(const std::wstring& arguments) {
        DeleteFileW(kLog);
        int code;
        {
            Program program(GetModuleHandleW(nullptr));
            code = program.Main((arguments + L" /log " + kLog).c_str(), SW_SHOW);
        }
        std::vector<BYTE> bytes = FileBytes(kLog);
        lines = std::string(bytes.begin(), bytes.end());
        return code;
    }
    static std::wstring CurrName() {
        wchar_t name[260] = {};
        return ReadCurrName(name, sizeof(name)) ? name : L"<none>";
    }
    static bool Exists(const wchar_t* name) { return KeyExists(L"Orvanel", name) != FALSE; }

    std::string lines;
    std::vector<DWORD> kept_;
    HHOOK hook_ = nullptr;
};

TEST_F(Commands, EachCommandWorksOnTheSeededDeviceWithoutAWindow) {
    ASSERT_EQ(Run(L"/capture Base"), kCommandDone) << lines;
    EXPECT_EQ(lines, "The device's settings were saved as configuration \"Base\".\r\n");
    EXPECT_EQ(ReadDword(L"Orvanel\\Base", L"GWE", L"cxVScr"), ReadDword(L"SYSTEM", L"GWE", L"cxVScr"));

    ASSERT_EQ(Run(std::wstring(L"/export Base ") + kFile), kCommandDone) << lines;
    std::vector<BYTE> exported = FileBytes(kFile);
    ASSERT_GT(exported.size(), 200u);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(exported.data()), 8), L"#!ver2.0");

    ASSERT_EQ(Run(std::wstring(L"/import ") + kFile + L" /as \"Two words\""), kCommandDone) << lines;
    ASSERT_EQ(Run(std::wstring(L"/import ") + kFile), kCommandDone) << lines;   // under its own name
    EXPECT_TRUE(Exists(L"command"));
    ASSERT_EQ(Run(L"/export \"Two words\" " + std::wstring(kOtherFile)), kCommandDone) << lines;
    EXPECT_EQ(FileBytes(kOtherFile), exported) << "imported as it was exported";

    ASSERT_EQ(Run(L"/apply \"Two words\""), kCommandDone) << lines;
    EXPECT_EQ(CurrName(), L"Two words");
    EXPECT_EQ(lines,
              "Configuration \"Two words\" was applied to the device.\r\n"
              "The changes take effect after the device is reset (/reset).\r\n");
    EXPECT_EQ(reboots, 0);

    ASSERT_EQ(Run(L"/list"), kCommandDone);
    EXPECT_NE(lines.find("  Base\r\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("* Two words\r\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("  command\r\n"), std::string::npos) << lines;

    // Reset: through the question when the device gets another configuration, and also when it
    // already holds this one and nothing is asked.
    EXPECT_EQ(Run(L"/apply Base /reset"), kCommandDone);
    EXPECT_EQ(reboots, 1);
    EXPECT_EQ(Run(L"/apply Base /reset"), kCommandDone);
    EXPECT_EQ(reboots, 2);
    EXPECT_NE(lines.find("Resetting the device."), std::string::npos) << lines;

    EXPECT_EQ(Run(L"/help"), kCommandDone);
    EXPECT_EQ(lines.rfind("Usage: orvanel COMMAND", 0), 0u) << lines;
    // Compare: nothing while the device holds Base, a line for each setting that differs after.
    EXPECT_EQ(Run(L"/compare Base /device"), kCommandDone) << lines;
    EXPECT_EQ(lines, "");
    SetLiveDword(kTuned[0], kTuned[0].tuned);
    EXPECT_EQ(Run(L"/compare Base"), kCommandDone) << lines;
    EXPECT_EQ(lines, "Page | Setting | Base | Device\r\nSize | Vertical scrollbar width | " + std::to_string(kept_[0]) +
                         " pixels | 21 pixels\r\n");

    EXPECT_EQ(windowsMade, 0) << "no command makes a window, a menu bar or a message box";
}

TEST_F(Commands, AnExportAppliedOnAFreshDeviceGivesItTheSameValues) {
    for (const LiveValue& v : kTuned) SetLiveDword(v, v.tuned);
    ASSERT_EQ(Run(L"/capture Tuned"), kCommandDone) << lines;
    ASSERT_EQ(Run(std::wstring(L"/export Tuned ") + kFile), kCommandDone) << lines;
    const std::vector<BYTE> exported = FileBytes(kFile);

    // A fresh device: its own values and no configurations.
    for (size_t i = 0; i < kept_.size(); ++i) SetLiveDword(kTuned[i], kept_[i]);
    ClearProgramKeys();
    ASSERT_EQ(Run(std::wstring(L"/import ") + kFile), kCommandDone) << lines;
    ASSERT_EQ(Run(L"/apply command"), kCommandDone) << lines;
    for (const LiveValue& v : kTuned) EXPECT_EQ(LiveDword(v), v.tuned) << Utf8Of(v.name);

    // Every exported record: what the device holds now exports to the very same file.
    ASSERT_EQ(Run(L"/capture After"), kCommandDone) << lines;
    ASSERT_EQ(Run(std::wstring(L"/export After ") + kOtherFile), kCommandDone) << lines;
    EXPECT_EQ(FileBytes(kOtherFile), exported);
}

TEST_F(Commands, RefusalsSayWhyAndWriteNothing) {
    ASSERT_EQ(Run(L"/capture Base"), kCommandDone) << lines;
    WriteStoreFile(L"\\Temp\\eight-bit.ov", "#!ver2.0\r\n# not 16-bit text\r\n");
    WriteStoreFile(kOtherFile, "kept");
    struct Case {
        const wchar_t* line;
        int code;
        const char* said;
    } cases[] = {
        {L"/capture \"a\\b\"", kCommandFailed, "A configuration name must not be empty"},
        {L"/capture @x", kCommandFailed, "A configuration name must not be empty"},
        {L"/capture \"  \"", kCommandFailed, "A configuration name must not be empty"},
        {L"/capture Base", kCommandFailed, "Configuration \"Base\" already exists: give /yes to replace it."},
        {L"/apply Nope", kCommandFailed, "Configuration \"Nope\" does not exist."},
        {L"/export Nope \\Temp\\command.ov", kCommandFailed, "Configuration \"Nope\" does not exist."},
        {L"/export Base \\Temp\\command2.ov", kCommandFailed, "already exists: give /yes to replace it."},
        {L"/import \\Temp\\missing.ov /as New", kCommandFailed, "Can not open \"\\Temp\\missing.ov\"."},
        {L"/import \\Temp\\eight-bit.ov /as New", kCommandFailed, "Invalid configuration file."},
        {L"/import \\Temp\\@x.ov", kCommandFailed, "does not make a configuration name"},
        {L"/compare Base Nope", kCommandFailed, "Configuration \"Nope\" does not exist."},
        {L"/compare Base /file \\Temp\\eight-bit.ov", kCommandFailed, "Invalid configuration file."},
        {L"/export Base", kCommandUsage, "Wrong usage of /export; use: orvanel /export NAME FILE"},
        {L"/list extra", kCommandUsage, "Wrong usage of /list"},
        {L"/apply Base /as X", kCommandUsage, "Wrong usage of /apply"},
        {L"/compare Base Other /device", kCommandUsage, "Wrong usage of /compare"},
        {L"/capture A /capture B", kCommandUsage, "Only one command at a time"},
        {L"/yes", kCommandUsage, "No command given"},
        {L"/capture A /as", kCommandUsage, "/as must be followed by NAME."},
        {L"/lsit", kCommandUsage, "Unexpected argument \"/lsit\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.line), c.code) << Utf8Of(c.line);
        EXPECT_NE(lines.find(c.said), std::string::npos) << Utf8Of(c.line) << ": " << lines;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << "one line says why: " << lines;
    }
    EXPECT_EQ(Run(L"/list"), kCommandDone);
    EXPECT_EQ(lines, "  Base\r\n") << "no configuration was written";
    EXPECT_FALSE(FileExists(kFile));
    EXPECT_EQ(FileBytes(kOtherFile), std::vector<BYTE>({'k', 'e', 'p', 't'}));
    EXPECT_EQ(CurrName(), L"<none>") << "nothing was applied";
    DeleteFileW(L"\\Temp\\eight-bit.ov");

    // With /yes the same commands replace.
    EXPECT_EQ(Run(L"/capture Base /yes"), kCommandDone);
    EXPECT_EQ(Run(L"/export Base \\Temp\\command2.ov /yes"), kCommandDone);
    EXPECT_GT(FileBytes(kOtherFile).size(), 200u);
    EXPECT_EQ(windowsMade, 0);
}

TEST_F(Commands, ARunningCopyRefusesEveryCommandButHelp) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ORVANEL";
    RegisterClassW(&wc);
    HWND running = CreateWindowExW(0, L"ORVANEL", L"Orvanel", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    ASSERT_NE(running, nullptr);
    for (const wchar_t* line : {L"/list", L"/capture Base", L"/apply Base /reset"}) {
        EXPECT_EQ(Run(line), kCommandRunning) << Utf8Of(line);
        EXPECT_NE(lines.find("Orvanel is running"), std::string::npos) << lines;
    }
    EXPECT_EQ(Run(L"/help"), kCommandDone);
    DestroyWindow(running);
    UnregisterClassW(L"ORVANEL", wc.hInstance);
    EXPECT_FALSE(Exists(L"Base"));
    EXPECT_EQ(reboots, 0);
}

std::wstring ProgramPath() {
    std::wstring path = L"Z:";
    for (const char* c = ORVANEL_EXE_PATH; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

// Runs the real program with these arguments; its exit code, and its standard output in `out`.
DWORD RunProgram(const std::wstring& arguments, std::string& out) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return 0xFFFFFFFF;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION info = {};
    std::wstring line = L"\"" + ProgramPath() + L"\" " + arguments;
    BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    CloseHandle(writeEnd);
    out.clear();
    char buffer[512];
    DWORD read = 0;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read) out.append(buffer, read);
    CloseHandle(readEnd);
    if (!started) return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code;
}

TEST(CommandLine, TheProgramPrintsUtf8AndRefusesBesideARunningCopy) {
    ClearProgramKeys();
    std::string out;
    EXPECT_EQ(RunProgram(L"/capture \"B\u00fcro 1\"", out), static_cast<DWORD>(kCommandDone)) << out;
    EXPECT_EQ(out, "The device's settings were saved as configuration \"B\xc3\xbcro 1\".\r\n");
    EXPECT_EQ(RunProgram(L"/list", out), static_cast<DWORD>(kCommandDone));
    EXPECT_EQ(out, "  B\xc3\xbcro 1\r\n");

    PROCESS_INFORMATION window = {};
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring line = L"\"" + ProgramPath() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &window));
    for (int waited = 0; waited < 30000 && !FindWindowW(L"ORVANEL", L"Orvanel"); waited += 50) Sleep(50);
    EXPECT_EQ(RunProgram(L"/capture Other", out), static_cast<DWORD>(kCommandRunning)) << out;
    PostMessageW(FindWindowW(L"ORVANEL", L"Orvanel"), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(window.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(window.hProcess, 99);
    CloseHandle(window.hProcess);
    CloseHandle(window.hThread);
    EXPECT_FALSE(KeyExists(L"Orvanel", L"Other"));
    ClearProgramKeys();
}

TEST(CommandLine, SplitsAsTheRuntimeDoesAndLeavesTheInstallerWordsAlone) {
    using Args = std::vector<std::wstring>;
    EXPECT_EQ(SplitCommandLine(L"  /import \"\\My Documents\\a b.ov\"\t/as  \"Two words\" "),
              (Args{L"/import", L"\\My Documents\\a b.ov", L"/as", L"Two words"}));
    EXPECT_EQ(SplitCommandLine(L"a\\\\\"b c\" d\\\"e \"f\"\"g\" x\\y"),
              (Args{L"a\\b c", L"d\"e", L"f\"g", L"x\\y"}));
    EXPECT_EQ(SplitCommandLine(L"\"\" \"unclosed"), (Args{L"", L"unclosed"}));
    EXPECT_FALSE(IsCommandRequest(L"first"));
    EXPECT_FALSE(IsCommandRequest(L"last"));
    EXPECT_FALSE(IsCommandRequest(L""));
    EXPECT_FALSE(IsCommandRequest(L"/first"));
    EXPECT_FALSE(IsCommandRequest(L"/unknown last"));
    EXPECT_TRUE(IsCommandRequest(L" /capture first"));
    EXPECT_TRUE(IsCommandRequest(L"/lsit")) << "a wrong command is wrong usage, not a start";
}

}  // namespace

namespace {

// Live values a test sets, put back when it ends.
class LiveValues {
public:
    void Dword(const wchar_t* path, const wchar_t* name, DWORD value) {
        Keep(HKEY_LOCAL_MACHINE, path, name);
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, path, name, REG_DWORD, &value, sizeof value);
    }
    void UserText(const wchar_t* path, const wchar_t* name, const std::wstring& text) {
        Keep(HKEY_CURRENT_USER, path, name);
        RegSetKeyValueW(HKEY_CURRENT_USER, path, name, REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    ~LiveValues() {
        for (auto it = kept_.rbegin(); it != kept_.rend(); ++it)
            RegSetKeyValueW(it->root, it->path, it->name, it->type, it->bytes.data(), static_cast<DWORD>(it->bytes.size()));
    }

private:
    struct Kept {
        HKEY root;
        const wchar_t* path;
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    void Keep(HKEY root, const wchar_t* path, const wchar_t* name) {
        Kept k{root, path, name, REG_NONE, std::vector<BYTE>(512)};
        DWORD size = 512;
        RegGetValueW(root, path, name, RRF_RT_ANY, &k.type, k.bytes.data(), &size);
        k.bytes.resize(size);
        kept_.push_back(std::move(k));
    }
    std::vector<Kept> kept_;
};

constexpr wchar_t kMenu[] = L"SYSTEM\\GWE\\Menu";
constexpr wchar_t kInbox[] = L"Software\\Microsoft\\Inbox\\Settings";

}  // namespace

TEST_F(Commands, NothingIsSaidToBeSameOrDoneWhenItIsNot) {
    LiveValues live;
    ASSERT_EQ(Run(L"/capture X"), kCommandDone) << lines;
    // Values whose words read the same as the configuration's: listed, with what is stored.
    live.Dword(kMenu, L"AniType", 1);
    live.Dword(kMenu, L"AniTime", 150);
    live.UserText(kInbox, L"MsgListReadFont", L"Courier New,85");
    live.UserText(kInbox, L"MsgListHeaderFont", L"Arial,200");
    EXPECT_EQ(Run(L"/compare X /device"), kCommandDone);
    EXPECT_EQ(lines,
              "Page | Setting | X | Device\r\n"
              "Misc | Menu Animation | On (6) | On (1)\r\n"
              "Misc | Menu animation speed | 9 (100) | 9 (150)\r\n"
              "Misc | Inbox list font size | Tahoma, 8 | Courier New, 8\r\n");
    live.UserText(kInbox, L"MsgListReadFont", L"Tahoma,80");
    EXPECT_EQ(Run(L"/compare X /device"), kCommandDone);
    EXPECT_NE(lines.find("Misc | Inbox list font size | Tahoma, 8 (MsgListHeaderFont: \"Tahoma,80\") | "
                         "Tahoma, 8 (MsgListHeaderFont: \"Arial,200\")\r\n"),
              std::string::npos)
        << lines;
    // A configuration lacking values is the same as itself.
    for (const wchar_t* name : {L"cxVScr", L"cyHScr", L"cyCap"})
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel\\X\\GWE", name);
    EXPECT_EQ(Run(L"/compare X X"), kCommandDone);
    EXPECT_EQ(lines, "");

    // Failures name the file or the configuration; nothing written counts as done.
    WriteStoreFile(L"\\Temp\\bad.ov", "not a configuration");
    EXPECT_EQ(Run(L"/import \\Temp\\bad.ov /as Y"), kCommandFailed);
    EXPECT_EQ(lines, "\"\\Temp\\bad.ov\": Invalid configuration file.\r\n");
    DeleteFileW(L"\\Temp\\bad.ov");
    for (const wchar_t* device : {L"nul.ov", L"CON", L"com1.txt", L"Lpt9.ov"}) {
        EXPECT_EQ(Run(std::wstring(L"/export X \\Temp\\") + device + L" /yes"), kCommandFailed) << Utf8Of(device);
        EXPECT_NE(lines.find("names a device, not a file"), std::string::npos) << lines;
        EXPECT_EQ(lines.find("exported"), std::string::npos) << lines;
    }

    // No way back: refused without /yes, which goes on and says so.
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel\\Before Apply", L"x", REG_DWORD, "\1\0\0\0", 4);   // a user's own
    live.Dword(L"SYSTEM\\GWE", L"cyCap", 31);
    EXPECT_EQ(Run(L"/apply X"), kCommandFailed);
    EXPECT_NE(lines.find("\"X\": The device's settings could not be kept"), std::string::npos) << lines;
    EXPECT_EQ(CurrName(), L"<none>");
    EXPECT_EQ(Run(L"/apply X /yes /reset"), kCommandDone) << lines;
    EXPECT_EQ(lines,
              "Configuration \"X\" was applied to the device.\r\n"
              "Applied without a way back: the device's settings could not be kept as \"Before Apply\".\r\n"
              "Resetting the device.\r\n")
        << "what was done is said before the reset";
    EXPECT_EQ(reboots, 1);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Orvanel\\Before Apply");
}

TEST_F(Commands, ProvisioningTwiceLeavesTheWayBackToTheFirstRunsDevice) {
    LiveValues live;
    const DWORD first = ReadDword(L"SYSTEM", L"GWE", L"cxVScr");
    ASSERT_EQ(Run(L"/capture Src"), kCommandDone);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel\\Src\\GWE", L"cxVScr", REG_DWORD, "\x19\0\0\0", 4);
    ASSERT_EQ(Run(std::wstring(L"/export Src ") + kFile), kCommandDone);
    live.Dword(L"SYSTEM\\GWE", L"cxVScr", first);
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(Run(std::wstring(L"/import ") + kFile + L" /as Office /yes"), kCommandDone) << lines;
        if (run == 1) {
            EXPECT_NE(lines.find("the device was written, its settings kept as \"Before Apply\" first"),
                      std::string::npos)
                << "into the applied configuration: " << lines;
        }
        ASSERT_EQ(Run(L"/apply Office"), kCommandDone) << lines;
        EXPECT_EQ(ReadDword(L"SYSTEM", L"GWE", L"cxVScr"), 25u);
        EXPECT_EQ(ReadDword(L"Orvanel\\Before Apply", L"GWE", L"cxVScr"), first) << "run " << run;
    }
}

TEST_F(Commands, AConfigurationsTodayColoursGoToAThemeAndComeBack) {
    DeleteFileW(L"\\Temp\\c.tsk");
    ASSERT_EQ(Run(L"/capture C"), kCommandDone) << lines;
    for (DWORD number : {4u, 7u, 26u}) {
        const DWORD color = 0x010203 * number;
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel\\C\\SOFTWARE\\Microsoft\\Color", std::to_wstring(number).c_str(),
                        REG_DWORD, &color, sizeof color);
    }
    ASSERT_EQ(Run(L"/export C \\Temp\\c.tsk"), kCommandDone) << lines;
    EXPECT_EQ(Run(L"/export C \\Temp\\c.tsk"), kCommandFailed) << "replaced only with /yes";
    ASSERT_EQ(Run(L"/theme \\Temp\\c.tsk"), kCommandFailed) << "its name, \"c\", is \"C\"'s";
    ASSERT_EQ(Run(L"/theme \\Temp\\c.tsk /as T"), kCommandDone) << lines;
    EXPECT_EQ(lines, "\"\\Temp\\c.tsk\" was imported as configuration \"T\".\r\n");
    for (const wchar_t* number : {L"4", L"5", L"6", L"7", L"8", L"9", L"13", L"14", L"25", L"26"})
        EXPECT_EQ(ReadDword(L"Orvanel\\T", L"SOFTWARE\\Microsoft\\Color", number),
                  ReadDword(L"Orvanel\\C", L"SOFTWARE\\Microsoft\\Color", number))
            << Utf8Of(number);

    WriteStoreFile(L"\\Temp\\bad.tsk", "MSCF but not really");
    EXPECT_EQ(Run(L"/theme \\Temp\\bad.tsk /as D"), kCommandFailed);
    EXPECT_NE(lines.find("bad.tsk"), std::string::npos) << "the file is named: " << lines;
    EXPECT_FALSE(Exists(L"D"));
    DeleteFileW(L"\\Temp\\bad.tsk");
    DeleteFileW(L"\\Temp\\c.tsk");
}
