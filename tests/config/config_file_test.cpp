#include "config/config_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/configurations.h"
#include "store/config_codec.h"
#include "store/file_values.h"
#include "store/store.h"
#include "support/modal.h"

namespace {

// A file path of its own in the temp folder, removed again when the test ends.
class ConfigFileTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, dir);
        static int serial = 0;
        path_ = std::wstring(dir) + L"orvanel_cfg_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++serial) + L".ov";
        DeleteFileW(path_.c_str());
    }
    void TearDown() override { DeleteFileW(path_.c_str()); }

    void WriteFileBytes(const void* data, size_t size) {
        HANDLE f = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, data, static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(f);
        ASSERT_EQ(written, size);
    }
    void WriteText(const std::wstring& text) { WriteFileBytes(text.data(), text.size() * 2); }

    std::wstring ReadText() {
        std::wstring text;
        HANDLE f = CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return text;
        text.resize(GetFileSize(f, nullptr) / 2);
        DWORD read = 0;
        ReadFile(f, text.data(), static_cast<DWORD>(text.size() * 2), &read, nullptr);
        CloseHandle(f);
        return text;
    }

    std::wstring path_;
};

TEST_F(ConfigFileTest, AppendedValuesAreFoundAgain) {
    WriteText(kConfigFileHeader);
    const DWORD width = 20;
    const wchar_t face[] = L"Tahoma";
    const uint8_t bin[] = {0x00, 0xFF, 0x7E, 0x81, 0x10};
    ASSERT_TRUE(AppendFileValue(path_.c_str(), L"GWE", L"cxHScr", &width, sizeof width));
    ASSERT_TRUE(AppendFileValue(path_.c_str(), L"GWE\\Menu\\BarFnt", L"Nm", face, sizeof face));
    ASSERT_TRUE(AppendFileValue(path_.c_str(), L"SOFTWARE\\Microsoft\\Color", L"Bin", bin, sizeof bin));
    ASSERT_TRUE(AppendFileValue(path_.c_str(), L"GWE", L"Empty", nullptr, 0));

    // The file is the header and the records in order, nothing else.
    EXPECT_EQ(ReadText(), std::wstring(kConfigFileHeader) +
                              L"aaehaafhaaefaafmaagdaahiaaeiaafdaagdaahc=beaaaaaa\r\n" +
                              EncodeValueKey(L"GWE\\Menu\\BarFnt", L"Nm") + EncodeValueData(face, sizeof face) +
                              EncodeValueKey(L"SOFTWARE\\Microsoft\\Color", L"Bin") +
                              EncodeValueData(bin, sizeof bin) + EncodeValueKey(L"GWE", L"Empty") + L"\r\n");

    ModalScript boxes;   // no message expected from any lookup below
    DWORD readWidth = 0;
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"GWE", L"cxHScr", &readWidth, sizeof readWidth));
    EXPECT_EQ(readWidth, 20u);
    wchar_t readFace[32] = {};
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"GWE\\Menu\\BarFnt", L"Nm", readFace, sizeof readFace));
    EXPECT_STREQ(readFace, L"Tahoma");
    uint8_t readBin[sizeof bin] = {};
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"SOFTWARE\\Microsoft\\Color", L"Bin", readBin, sizeof readBin));
    EXPECT_EQ(std::vector<uint8_t>(readBin, readBin + sizeof readBin), std::vector<uint8_t>(bin, bin + sizeof bin));
    DWORD untouched = 0xA5A5A5A5;
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"GWE", L"Empty", &untouched, sizeof untouched));
    EXPECT_EQ(untouched, 0xA5A5A5A5u);
    EXPECT_FALSE(FindFileValue(path_.c_str(), L"GWE", L"cxhscr", &untouched, sizeof untouched));
    EXPECT_FALSE(FindFileValue(path_.c_str(), L"GWE", L"cyCap", &untouched, sizeof untouched));
    EXPECT_EQ(untouched, 0xA5A5A5A5u);

    // Data past 2048 bytes is not written.
    std::vector<uint8_t> big(2100, 0x5A), back(2100, 0xCC);
    ASSERT_TRUE(AppendFileValue(path_.c_str(), L"GWE", L"Big", big.data(), 2100));
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"GWE", L"Big", back.data(), 2100));
    EXPECT_EQ(back[2047], 0x5A);
    EXPECT_EQ(back[2048], 0xCC);
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(ConfigFileTest, AppendToAMissingFileShowsFileErrorOncePerValue) {
    const DWORD value = 1;
    ModalScript boxes;
    boxes.Press(IDOK).Press(IDOK);
    EXPECT_FALSE(AppendFileValue(path_.c_str(), L"GWE", L"a", &value, sizeof value));
    EXPECT_FALSE(AppendFileValue(path_.c_str(), L"GWE", L"b", &value, sizeof value));
    ASSERT_EQ(boxes.seen().size(), 2u);
    for (const SeenBox& box : boxes.seen()) {
        EXPECT_EQ(box.text, L"File error #2.");
        EXPECT_EQ(box.caption, L"Error");
    }
    EXPECT_EQ(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES) << "the file must not be created";
}

TEST_F(ConfigFileTest, FindInAMissingFileShowsFileErrorWithoutStop) {
    DWORD value = 7;
    ModalScript boxes;
    boxes.Press(IDOK);
    EXPECT_FALSE(FindFileValue(path_.c_str(), L"GWE", L"a", &value, sizeof value));
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, L"File error #2");
    EXPECT_EQ(boxes.seen()[0].caption, L"Error");
    EXPECT_EQ(value, 7u);
}

TEST_F(ConfigFileTest, OnlyTheFirst131072BytesAreSearched) {
    const size_t limitUnits = kSearchBytes / 2;
    const uint32_t v = 0x44332211;
    const std::wstring inside = EncodeValueKey(L"GWE", L"in") + EncodeValueData(&v, 4);
    // The header, one record, filler, then `key` starting at unit `at`, followed by data.
    auto writeWithRecordAt = [&](size_t at, const std::wstring& key) {
        std::wstring text = std::wstring(kConfigFileHeader) + inside;
        text.append(at - text.size(), L'#');
        text += key + EncodeValueData(&v, 4);
        WriteText(text);
    };
    ModalScript boxes;
    uint32_t got = 0;

    // The data starts 7 units before the limit: three bytes and one letter lie inside.
    const std::wstring edgeKey = EncodeValueKey(L"GWE", L"edge");
    writeWithRecordAt(limitUnits - 7 - edgeKey.size(), edgeKey);
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"GWE", L"in", &got, 4));
    EXPECT_EQ(got, v);
    uint8_t edge[4] = {0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"GWE", L"edge", edge, 4));
    EXPECT_EQ(edge[2], 0x33);
    EXPECT_EQ(edge[3], 0xCC) << "the last byte's second letter lies past the limit";

    // The key ends exactly at the limit: found, nothing decoded. One unit later: not found.
    writeWithRecordAt(limitUnits - edgeKey.size(), edgeKey);
    got = 5;
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"GWE", L"edge", &got, 4));
    EXPECT_EQ(got, 5u);
    writeWithRecordAt(limitUnits - edgeKey.size() + 1, edgeKey);
    EXPECT_FALSE(FindFileValue(path_.c_str(), L"GWE", L"edge", &got, 4));
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(ConfigFileTest, ARecordCutShortFillsOnlyWhatItHolds) {
    WriteText(std::wstring(kConfigFileHeader) + EncodeValueKey(L"GWE", L"cyCap") + L"bhab");
    uint8_t buffer[8] = {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_TRUE(FindFileValue(path_.c_str(), L"GWE", L"cyCap", buffer, sizeof buffer));
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 8),
              (std::vector<uint8_t>{0x17, 0x01, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}));
}

// File dialogs answered through the seam: each records what it was asked and returns a path.
struct DialogCall {
    int calls = 0;
    HWND owner = nullptr;
    std::wstring title;
    std::vector<std::wstring> filter;
    DWORD filterIndex = 0, flags = 0, maxFile = 0;
    std::wstring initialFile;
    bool hasInitialDir = false, hasDefExt = false;
};
DialogCall lastDialog;
std::wstring dialogAnswer;   // empty: the user cancels

BOOL WINAPI AnswerDialog(OPENFILENAMEW* ofn) {
    DialogCall& d = lastDialog;
    ++d.calls;
    d.owner = ofn->hwndOwner;
    d.title = ofn->lpstrTitle ? ofn->lpstrTitle : L"";
    d.filter.clear();
    for (const wchar_t* p = ofn->lpstrFilter; p && *p; p += lstrlenW(p) + 1) d.filter.push_back(p);
    d.filterIndex = ofn->nFilterIndex;
    d.flags = ofn->Flags;
    d.maxFile = ofn->nMaxFile;
    d.initialFile = ofn->lpstrFile;
    d.hasInitialDir = ofn->lpstrInitialDir != nullptr;
    d.hasDefExt = ofn->lpstrDefExt != nullptr;
    if (dialogAnswer.empty()) return FALSE;
    lstrcpynW(ofn->lpstrFile, dialogAnswer.c_str(), ofn->nMaxFile);
    return TRUE;
}

class ConfigFileCommandTest : public ConfigFileTest {
protected:
    void SetUp() override {
        ConfigFileTest::SetUp();
        session_.saveFileDialog = session_.openFileDialog = AnswerDialog;
        lastDialog = {};
        dialogAnswer.clear();
    }
    void TearDown() override {
        ConfigFileTest::TearDown();
    }
    void ExpectDialog(const wchar_t* title) {
        EXPECT_EQ(lastDialog.calls, 1);
        EXPECT_EQ(lastDialog.owner, session().sheet);
        EXPECT_EQ(lastDialog.title, title);
        EXPECT_EQ(lastDialog.filter, (std::vector<std::wstring>{L"Orvanel config", L"*.ov", L"Device installer (*.cab)",
                                                                L"*.cab", L"Provisioning document (*.xml)", L"*.xml",
                                                                L"All files", L"*.*"}));
        EXPECT_EQ(lastDialog.filterIndex, 1u);
        EXPECT_EQ(lastDialog.flags, 0x806u);
        EXPECT_EQ(lastDialog.maxFile, 260u);
        EXPECT_EQ(lastDialog.initialFile, L"");
        EXPECT_FALSE(lastDialog.hasInitialDir);
        EXPECT_FALSE(lastDialog.hasDefExt);
    }

    Session& session() { return session_; }
    Session session_;   // no sheet: the boxes have no owner
};

TEST_F(ConfigFileCommandTest, CancelledDialogsDoNothing) {
    ModalScript boxes;
    ExportConfig(session_);
    ExpectDialog(L"Export to:");
    lastDialog = {};
    ImportConfig(session_);
    ExpectDialog(L"Import from:");
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_EQ(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(session().marks.changes(), 0);
}

TEST_F(ConfigFileCommandTest, ExportToAnUnwritablePathSaysSo) {
    dialogAnswer = path_ + L".missing\\out.ov";   // a folder that does not exist
    ModalScript boxes;
    boxes.Press(IDOK);
    ExportConfig(session_);
    ExpectDialog(L"Export to:");
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, L"Can not open \"" + dialogAnswer + L"\" for writing.");
    EXPECT_EQ(boxes.seen()[0].caption, L"Error");
}

TEST_F(ConfigFileCommandTest, ImportOfAMissingFileSaysSo) {
    dialogAnswer = path_;
    ModalScript boxes;
    boxes.Press(IDOK);
    ImportConfig(session_);
    ExpectDialog(L"Import from:");
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, L"Can not open \"" + path_ + L"\".");
    EXPECT_EQ(boxes.seen()[0].caption, L"Error");
    EXPECT_EQ(session().marks.changes(), 0);
}

TEST_F(ConfigFileCommandTest, ImportRejectsFilesWithoutThe16BitTag) {
    dialogAnswer = path_;
    // The header in 8-bit characters; then the tag just past the first 32 code units; then
    // an empty file.
    const char narrow[] = "#!ver2.0\r\n#         Orvanel generated file. Please don't edit.\r\n#\r\n";
    const std::wstring late = std::wstring(25, L' ') + L"#!ver2.0\r\n";
    for (int round = 0; round < 3; ++round) {
        if (round == 0) WriteFileBytes(narrow, sizeof narrow - 1);
        if (round == 1) WriteText(late);
        if (round == 2) WriteFileBytes("", 0);
        ModalScript boxes;
        boxes.Press(IDOK);
        ImportConfig(session_);
        ASSERT_EQ(boxes.seen().size(), 1u) << "round " << round;
        EXPECT_EQ(boxes.seen()[0].text, L"Invalid configuration file.");
        EXPECT_EQ(boxes.seen()[0].caption, L"Error");
        EXPECT_EQ(session().marks.changes(), 0) << "nothing may be loaded, round " << round;
        EXPECT_EQ(session().marks.resets(), 0);
    }
}

}  // namespace

// Tools > Export and Import through the dialogs in the device's own forms: the path's extension
// (which the Save dialog adds for the chosen type) picks the form. This session has no pages, so
// the file sets no value, and Import refuses it, naming it, and changes nothing (a file with the
// pages' values comes back whole: tests/config/device_forms_test.cpp).
TEST_F(ConfigFileCommandTest, TheDialogsWriteTheChosenFormAndImportRefusesOneWithoutThePagesValues) {
    for (const wchar_t* extension : {L".cab", L".xml"}) {
        dialogAnswer = path_ + extension;
        lastDialog = {};
        ModalScript boxes;
        ExportConfig(session_);
        ExpectDialog(L"Export to:");
        const std::vector<BYTE> written = ReadFileHead(dialogAnswer.c_str(), 1 << 20).value_or(std::vector<BYTE>());
        EXPECT_EQ(std::string(written.begin(), written.end()).rfind(extension == std::wstring(L".cab") ? "MSCF" : "<?xml", 0), 0u)
            << "the form of the extension";
        EXPECT_TRUE(boxes.seen().empty());

        lastDialog = {};
        boxes.Press(IDOK);
        ImportConfig(session_);
        ExpectDialog(L"Import from:");
        ASSERT_EQ(boxes.seen().size(), 1u);
        EXPECT_EQ(boxes.seen()[0].text, L"\"" + dialogAnswer + L"\" sets none of the values Orvanel's pages write.");
        EXPECT_EQ(session().marks.changes(), 0);
        DeleteFileW(dialogAnswer.c_str());
    }
}
