// A thousand rounds of what a user does all day: switching configurations, looking at every
// preview, exporting and importing, turning the device. Afterwards the process has the same GDI
// and window-manager objects free and about the same memory as after the first rounds. It runs
// as a CTest entry of its own (tests/CMakeLists.txt), with a longer time limit.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <string>

#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "support/app_fixture.h"
#include "support/gdi.h"
#include "support/modal.h"

namespace {

constexpr int kRounds = 1000;
constexpr int kWarmUpRounds = 5;   // fonts, caches and the pages' first paints are made here
constexpr size_t kMemorySlack = 2u << 20;   // the heap's own growth and fragmentation


// The process's committed private memory. Wine reports it as PagefileUsage and leaves
// PrivateUsage at 0.
size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

class Rounds : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        roundsFile = std::wstring(dir) + L"orvanel_rounds.ov";
        DeleteFileW(roundsFile.c_str());
        StartProgram();
        AnswerFileDialogs(session(), roundsFile);
    }
    void TearDown() override {
        AppTest::TearDown();
        DeleteFileW(roundsFile.c_str());
    }
    std::wstring roundsFile;
    void Command(UINT id) { SendMessageW(program().mainWindow(), WM_COMMAND, id, 0); }
    UINT SlotOf(const wchar_t* name) {
        for (size_t i = 0; i < session().configNameTable.size(); ++i)
            if (lstrcmpW(session().configNameTable[i].data(), name) == 0) return IDM_CONFIG_FIRST + static_cast<UINT>(i);
        return 0;
    }
    void Turn(int width, int height) {
        SetDeviceScreenForTests(width, height, 96);
        SendMessageW(program().mainWindow(), WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    }
    // Unsaved changes (an import leaves some) make a switch or an import ask first: the user
    // answers No, keeping nothing of them.
    void Switch(const wchar_t* name) {
        const UINT slot = SlotOf(name);
        ASSERT_NE(slot, 0u) << "no menu slot for " << name;
        const bool asks = session().marks.Pending();
        ModalScript boxes;
        if (asks) boxes.Press(IDNO);
        Command(slot);
        ASSERT_EQ(boxes.seen().size(), asks ? 1u : 0u);
        ASSERT_EQ(std::wstring(session().activeConfigName), name);
    }
    void Round(int i) {
        Switch(i % 2 ? L"Original" : L"Current");
        // The three pages with a preview, each shown and painted (not the Sip page: showing it
        // reads every class of the device again after each switch).
        for (int page : {0, 1, 5}) {
            PropSheet_SetCurSel(session().sheet, nullptr, page);
            RedrawWindow(PageWindow(page), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        ModalScript boxes;
        Command(IDM_EXPORT);
        Command(IDM_IMPORT);
        ASSERT_EQ(boxes.seen().size(), 0u) << "round " << i << ": " << (boxes.seen().empty() ? L"" : boxes.seen()[0].text);
        ASSERT_NE(session().marks.changes(), 0) << "round " << i << ": the import took";
        Turn(320, 240);
        ASSERT_TRUE(program().isLandscape());
        Turn(240, 320);
    }
};

TEST_F(Rounds, AThousandRoundsLeaveNoObjectOrMemoryBehind) {
    for (int i = 0; i < kWarmUpRounds; ++i) ASSERT_NO_FATAL_FAILURE(Round(i));
    const size_t gdi = FreeGdiSlots(), user = FreeUserSlots(), memory = CommittedBytes();
    for (int i = kWarmUpRounds; i < kRounds; ++i) ASSERT_NO_FATAL_FAILURE(Round(i));
    EXPECT_GE(FreeGdiSlots(), gdi) << "GDI objects left behind";
    EXPECT_GE(FreeUserSlots(), user) << "windows, menus or icons left behind";
    EXPECT_LE(CommittedBytes(), memory + kMemorySlack) << "memory grew from " << memory;
}

}  // namespace
