// Import of damaged configuration files into the real six pages: every record of a real export
// has its data replaced (nothing, one byte, three bytes, far more than any value holds, letters
// that decode to nothing), the file is imported, and the pages must still be whole: they paint,
// and what they export from then on reads back to itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config_file.h"
#include "resources/resource.h"
#include "store/config_codec.h"
#include "store/store.h"
#include "support/app_fixture.h"
#include "support/modal.h"

namespace {

std::wstring gPath;
BOOL WINAPI AnswerWithPath(OPENFILENAMEW* ofn) {
    lstrcpynW(ofn->lpstrFile, gPath.c_str(), ofn->nMaxFile);
    return TRUE;
}

struct Record {
    std::wstring key;    // up to and with "="
    std::wstring data;   // the letters before CR LF
};

class DamagedImportTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        StartProgram();
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        gPath = std::wstring(dir) + L"orvanel_damaged_" + std::to_wstring(GetCurrentProcessId()) + L".ov";
        session().saveFileDialog = session().openFileDialog = AnswerWithPath;
    }
    void TearDown() override {
        DeleteFileW(gPath.c_str());
        AppTest::TearDown();
    }

    std::wstring Export() {
        ModalScript boxes;
        program().HandleCommand(IDM_EXPORT);
        EXPECT_TRUE(boxes.seen().empty());
        auto content = ReadFileHead(gPath.c_str(), kSearchBytes);
        if (!content) return L"";
        return std::wstring(reinterpret_cast<const wchar_t*>(content->data()), content->size() / 2);
    }
    void Import(const std::wstring& text) {
        HANDLE f = CreateFileW(gPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, text.data(), static_cast<DWORD>(text.size() * 2), &written, nullptr);
        CloseHandle(f);
        session().marks.Set(0, 0);   // no question about unsaved changes
        ModalScript boxes;
        program().HandleCommand(IDM_IMPORT);
        EXPECT_TRUE(boxes.seen().empty()) << (boxes.seen().empty() ? std::wstring() : boxes.seen()[0].text);
    }

    static std::vector<Record> Records(const std::wstring& text) {
        std::vector<Record> records;
        size_t at = kConfigFileHeaderChars;
        while (at < text.size()) {
            const size_t equals = text.find(L'=', at), end = text.find(L"\r\n", at);
            if (equals == std::wstring::npos || end == std::wstring::npos || equals > end) break;
            records.push_back({text.substr(at, equals + 1 - at), text.substr(equals + 1, end - equals - 1)});
            at = end + 2;
        }
        return records;
    }
};

TEST_F(DamagedImportTest, EveryValueDamagedEveryWayLeavesThePagesWhole) {
    const std::wstring original = Export();
    const std::vector<Record> records = Records(original);
    ASSERT_GE(records.size(), 20u) << "the six pages' values";

    const std::wstring damages[] = {L"", L"pp", L"ppaapp", std::wstring(2 * kMaxRecordDataBytes + 100, L'p'),
                                    L"qqqq", L"aaaaaaaaaaaaaaaa"};
    for (size_t d = 0; d < std::size(damages); ++d) {
        std::wstring file = kConfigFileHeader;
        for (const Record& r : records) file += r.key + damages[d] + L"\r\n";
        Import(file);
        for (size_t i = 0; i < session().pages.size(); ++i)
            RedrawWindow(PageWindow(i), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);

        // Every page still writes every value, and what it writes it reads back unchanged.
        const std::wstring first = Export();
        const std::vector<Record> written = Records(first);
        ASSERT_EQ(written.size(), records.size()) << "damage " << d;
        for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(written[i].key, records[i].key) << "damage " << d;
        Import(first);
        EXPECT_EQ(Export(), first) << "damage " << d << ": a value the pages took from the file does not read back";
    }

    Import(original);
    EXPECT_EQ(Export(), original);
}

}  // namespace
