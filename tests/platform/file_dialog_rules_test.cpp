// What the file dialogs decide without a window: the types read from a caller's filter, the
// names Save refuses and the path it makes, and the order of the Open list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_dialog_rules.h"

namespace {

using Strings = std::vector<std::wstring>;

TEST(FileDialogRules, FilterGivesTypesPatternsAndTheExtensionSaveAdds) {
    const wchar_t filter[] = L"Orvanel config\0*.ov\0Device installer (*.cab)\0 *.cab ; *.CAB2;\0"
                             L"Empty\0 ; \0Provisioning document (*.xml)\0*.xml\0Label only\0";
    const std::vector<FileType> types = ReadFileTypes(filter);
    ASSERT_EQ(types.size(), 3u) << "a type without patterns is left out, a label alone ends the list";
    EXPECT_EQ(types[1].label, L"Device installer (*.cab)");
    EXPECT_EQ(types[1].patterns, (Strings{L"*.cab", L"*.CAB2"}));
    EXPECT_EQ(types[2].label, L"Provisioning document (*.xml)");
    EXPECT_EQ(TypeExtension(types[0]), L".ov");
    EXPECT_EQ(TypeExtension(types[1]), L".cab");
    EXPECT_EQ(TypeExtension({L"All", {L"*.*"}}), L"");
    EXPECT_EQ(TypeExtension({L"Some", {L"*.o?"}}), L"");
    EXPECT_EQ(TypeExtension({L"Named", {L"theme*.tsk"}}), L"");

    const std::vector<FileType> none = ReadFileTypes(nullptr);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].patterns, Strings{L"*.*"});

    EXPECT_TRUE(MatchesType(L"Office.OV", types[0]));
    EXPECT_TRUE(MatchesType(L"a.cab2", types[1]));
    EXPECT_FALSE(MatchesType(L"a.ov.bak", types[0]));
    EXPECT_TRUE(MatchesPattern(L"anything", L"*.*"));
    EXPECT_TRUE(MatchesPattern(L"ab.tsk", L"a?.t*"));
    EXPECT_FALSE(MatchesPattern(L"a.tsk", L"a?.t*"));
    EXPECT_TRUE(MatchesPattern(L"x.y.z", L"*.z"));
}

TEST(FileDialogRules, SaveNamesAreTrimmedCheckedAndGivenTheirExtension) {
    EXPECT_EQ(TrimTypedName(L"  report. . "), L"report");
    EXPECT_EQ(CheckFileName(TrimTypedName(L" .. ")), NameProblem::kEmpty);
    for (const wchar_t* bad : {L"a:b", L"a/b", L"a\\b", L"what?", L"tab\t"})
        EXPECT_EQ(CheckFileName(bad), NameProblem::kBadCharacters) << testing::PrintToString(std::wstring(bad));
    for (const wchar_t* device : {L"nul", L"CON", L"Aux.ov", L"prn.txt.ov", L"com1", L"LPT9.ov", L"con .ov"})
        EXPECT_EQ(CheckFileName(device), NameProblem::kDeviceName) << testing::PrintToString(std::wstring(device));
    for (const wchar_t* plain : {L"null", L"console.ov", L"com10", L"lpt0", L"com", L"my nul"})
        EXPECT_EQ(CheckFileName(plain), NameProblem::kNone) << testing::PrintToString(std::wstring(plain));

    EXPECT_EQ(NameWithExtension(L"report", L".ov", L"txt"), L"report.ov");
    EXPECT_EQ(NameWithExtension(L"notes.OV", L".ov", nullptr), L"notes.OV");
    EXPECT_EQ(NameWithExtension(L"plain", L"", nullptr), L"plain");
    EXPECT_EQ(NameWithExtension(L"plain", L"", L"ov"), L"plain.ov");
    EXPECT_EQ(NameWithExtension(L"has.dot", L"", L"ov"), L"has.dot");
}

TEST(FileDialogRules, ListSortsByEachColumnWithTiesByNameAndTurnsOnASecondTap) {
    auto entry = [](const wchar_t* name, const wchar_t* folder, DWORD time, ULONGLONG size) {
        return FileEntry{name, folder, L"", FILETIME{time, 0}, size};
    };
    const std::vector<FileEntry> files = {entry(L"b.ov", L"", 3, 10), entry(L"A.ov", L"Work", 1, 10),
                                          entry(L"c.ov", L"Storage Card", 2, 5)};
    auto sorted = [&](SortOrder order) {
        std::vector<FileEntry> entries = files;
        SortEntries(entries, order);
        Strings names;
        for (const FileEntry& e : entries) names.push_back(e.name);
        return names;
    };
    SortOrder order;
    EXPECT_EQ(sorted(order), (Strings{L"A.ov", L"b.ov", L"c.ov"})) << "by name, letter case ignored";
    order.Tap(kSizeColumn);
    EXPECT_EQ(sorted(order), (Strings{L"c.ov", L"A.ov", L"b.ov"})) << "equal sizes by name";
    order.Tap(kSizeColumn);
    EXPECT_TRUE(order.down);
    EXPECT_EQ(sorted(order), (Strings{L"b.ov", L"A.ov", L"c.ov"}));
    order.Tap(kDateColumn);
    EXPECT_FALSE(order.down) << "another column starts ascending";
    EXPECT_EQ(sorted(order), (Strings{L"A.ov", L"c.ov", L"b.ov"}));
    order.Tap(kFolderColumn);
    EXPECT_EQ(sorted(order), (Strings{L"b.ov", L"c.ov", L"A.ov"}));
}

}  // namespace
