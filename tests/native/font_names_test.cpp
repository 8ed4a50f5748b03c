// The full-name reader on the build machine: fonts made byte by byte (which record wins, how its
// string is read, how long a name may be), files that lie about their own layout, and the fonts
// of the build machine against what fontconfig reads from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "pages/fonts/font_names.h"
#include "support/font_bytes.h"

namespace {

using fontbytes::Bytes;
using fontbytes::Font;
using fontbytes::Narrow;
using fontbytes::Wide;
using fontnames::ReadFullName;

std::u16string NameOf(const Bytes& file) { return ReadFullName(file.data(), file.size()).name; }

TEST(FontNames, TheBestRecordWinsAndItsStringIsReadAsItsKindSays) {
    // Macintosh Roman alone: the bytes are the characters, without conversion.
    EXPECT_EQ(NameOf(Font({{1, 0, 0, 4, Narrow("Caf\xE9 Sans")}})), u"Caf\u00E9 Sans");
    // A Microsoft English (US) record wins over it, wherever it stands; other name ids never count.
    EXPECT_EQ(NameOf(Font({{3, 1, 0x409, 4, Wide(u"Office \u263A")}, {1, 0, 0, 4, Narrow("Mac")},
                           {3, 1, 0x409, 1, Wide(u"Family")}})),
              u"Office \u263A");
    // Unicode platform above all; Microsoft in another language above Macintosh.
    EXPECT_EQ(NameOf(Font({{3, 1, 0x409, 4, Wide(u"Microsoft")}, {0, 3, 0, 4, Wide(u"Unicode 2")},
                           {0, 1, 0, 4, Wide(u"Unicode")}})),
              u"Unicode");
    EXPECT_EQ(NameOf(Font({{1, 0, 0, 4, Narrow("Mac")}, {3, 1, 0x407, 4, Wide(u"Deutsch")}})), u"Deutsch");
    // Equal ranks: the first record stays.
    EXPECT_EQ(NameOf(Font({{3, 1, 0x407, 4, Wide(u"First")}, {3, 1, 0x40C, 4, Wide(u"Second")}})), u"First");
    // Symbol records are single bytes, unless the string starts with a zero byte: then UTF-16.
    EXPECT_EQ(NameOf(Font({{3, 0, 0x409, 4, Narrow("Wingbats")}})), u"Wingbats");
    EXPECT_EQ(NameOf(Font({{3, 0, 0x409, 4, Wide(u"Symbol \u00C5")}})), u"Symbol \u00C5");
    // No record that counts: no name. An empty best string is no name either.
    EXPECT_EQ(NameOf(Font({{2, 0, 0, 4, Narrow("ISO")}, {1, 1, 0, 4, Narrow("Japanese")}, {3, 10, 0x409, 4, Wide(u"X")}})),
              u"");
    // OpenType signatures, and the tag as a little-endian reading spells it.
    EXPECT_EQ(NameOf(Font({{1, 0, 0, 4, Narrow("Otto")}}, 0x4F54544F)), u"Otto");
    EXPECT_EQ(NameOf(Font({{1, 0, 0, 4, Narrow("Otto")}}, 0x6F74746F, "eman")), u"Otto");
    EXPECT_EQ(NameOf(Font({{1, 0, 0, 4, Narrow("Apple")}}, 0x74727565)), u"") << "\"true\" is not read";
}

TEST(FontNames, LongNamesAreCutAndCollectionsAreNotOpened) {
    const std::u16string hundred(100, u'W');
    EXPECT_EQ(NameOf(Font({{3, 1, 0x409, 4, Wide(hundred)}})), hundred.substr(0, 63));
    EXPECT_EQ(NameOf(Font({{1, 0, 0, 4, Narrow(std::string(100, 'M'))}})), std::u16string(63, u'M'));
    const Bytes collection = fontbytes::Collection();
    auto reading = ReadFullName(collection.data(), collection.size());
    EXPECT_TRUE(reading.collection);
    EXPECT_EQ(reading.name, u"");
    Bytes swapped = collection;
    fontbytes::Set32(swapped, 0, 0x66637474);
    EXPECT_TRUE(ReadFullName(swapped.data(), swapped.size()).collection);
}

TEST(FontNames, ANameEndsAtItsFirstNul) {
    // As the page keeps the name, a NUL ends it: an all-NUL string is no name (the file then shows
    // " " and is not read again), and what follows a NUL never counts.
    EXPECT_EQ(NameOf(Font({{3, 1, 0x409, 4, Wide(std::u16string(4, u'\0'))}})), u"");
    EXPECT_EQ(NameOf(Font({{3, 1, 0x409, 4, Wide(std::u16string(u"Sans\0Bold", 9))}})), u"Sans");
    EXPECT_EQ(NameOf(Font({{1, 0, 0, 4, Narrow(std::string("Ma\0c", 4))}})), u"Ma");
}

TEST(FontNames, NothingOutsideTheFileIsRead) {
    const Bytes whole = fontbytes::FontNamed(u"Whole Name");
    ASSERT_EQ(NameOf(whole), u"Whole Name");
    // Every shorter file, each in a buffer of exactly its size (the sanitizers watch its end):
    // the strings lie at the end, so no name survives a cut.
    for (size_t size = 0; size < whole.size(); ++size) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + size);
        EXPECT_EQ(ReadFullName(cut.data(), cut.size()).name, u"") << size << " bytes";
    }
    EXPECT_EQ(ReadFullName(nullptr, 100).name, u"");

    auto lying = [&](size_t at, std::uint32_t value, int bytes) {
        Bytes file = whole;
        if (bytes == 4) fontbytes::Set32(file, at, value);
        else file[at] = static_cast<std::uint8_t>(value >> 8), file[at + 1] = static_cast<std::uint8_t>(value);
        return NameOf(file);
    };
    const size_t table = fontbytes::kNameTable, record = fontbytes::kNameRecordAt;
    EXPECT_EQ(lying(record + 8, 0xFFFFFFF0, 4), u"") << "the table far past the end";
    EXPECT_EQ(lying(record + 12, static_cast<std::uint32_t>(whole.size()), 4), u"") << "a table longer than the file";
    EXPECT_EQ(lying(4, 0xFFFF, 2), u"Whole Name") << "more tables than the directory holds";
    EXPECT_EQ(lying(table + 2, 0xFFFF, 2), u"Whole Name") << "more records than the table holds";
    EXPECT_EQ(lying(table + 4, 0xFFFF, 2), u"") << "storage past the end";
    // The better record's string lies past the end: the Macintosh one it would have beaten stays.
    EXPECT_EQ(lying(table + 6 + 12 + 10, 0xFFF0, 2), u"Whole Name") << "the Microsoft string's offset";
    EXPECT_EQ(lying(table + 6 + 12 + 8, 0xFFF0, 2), u"Whole Name") << "the Microsoft string's length";
    Bytes macOnly = whole;
    fontbytes::Set32(macOnly, table + 6 + 12, 0x00020000);   // the Microsoft record now counts for nothing
    macOnly[table + 6 + 8] = 0xFF;                           // and the Macintosh string is too long
    EXPECT_EQ(NameOf(macOnly), u"");
}

// What fontconfig reads as the file's first full name, or nothing when it cannot be asked.
std::optional<std::string> FontconfigFullName(const std::filesystem::path& file) {
    const std::string command = "fc-query -f '%{fullname[0]}' '" + file.string() + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) out += static_cast<char>(c);
        else if (c < 0x800) out += static_cast<char>(0xC0 | c >> 6), out += static_cast<char>(0x80 | (c & 0x3F));
        else out += static_cast<char>(0xE0 | c >> 12), out += static_cast<char>(0x80 | (c >> 6 & 0x3F)),
             out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

TEST(FontNames, DejaVuFontsNameThemselvesAsFontconfigReadsThem) {
    const std::filesystem::path folder = "/usr/share/fonts/truetype/dejavu";
    int compared = 0;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
        if (item.path().extension() != ".ttf") continue;
        std::ifstream in(item.path(), std::ios::binary);
        const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::optional<std::string> expected = FontconfigFullName(item.path());
        ASSERT_TRUE(expected) << "fc-query could not read " << item.path();
        EXPECT_EQ(Utf8(NameOf(file)), *expected) << item.path();
        ++compared;
    }
    EXPECT_GE(compared, 2) << "fonts-dejavu-core's fonts in " << folder;
}

}  // namespace
