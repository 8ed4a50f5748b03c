#include "store/config_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring Dword(uint32_t v) {
    return EncodeValueData(&v, sizeof v);
}

// Looks the key up in text and returns what was decoded into a buffer that starts as `fill`.
struct Lookup {
    DecodedValue result;
    std::vector<uint8_t> buffer;
};
Lookup Find(const std::wstring& text, const wchar_t* subkey, const wchar_t* name, size_t size,
            uint8_t fill = 0xCC) {
    Lookup l;
    l.buffer.assign(size + 4, fill);   // four guard bytes past `size`
    l.result = FindEncodedValue(text.data(), text.size(), EncodeValueKey(subkey, name),
                                l.buffer.data(), size);
    return l;
}

std::vector<uint8_t> Bytes(const std::wstring& text) {
    std::vector<uint8_t> out;
    for (wchar_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return out;
}

}  // namespace

TEST(ConfigCodec, HeaderIsThreeLinesOf67Units) {
    EXPECT_EQ(kConfigFileHeaderChars, 67u);
    EXPECT_EQ(std::wstring(kConfigFileHeader),
              L"#!ver2.0\r\n#         Orvanel generated file. Please don't edit.\r\n#\r\n");
    EXPECT_TRUE(HasConfigFileTag(Bytes(kConfigFileHeader).data(), 2 * kConfigFileHeaderChars));
}

TEST(ConfigCodec, RecordsMatchTheFileFormatByteForByte) {
    EXPECT_EQ(EncodeValueKey(L"GWE", L"cxHScr") + Dword(20),
              L"aaehaafhaaefaafmaagdaahiaaeiaafdaagdaahc=beaaaaaa\r\n");
    EXPECT_EQ(EncodeValueKey(L"GWE", L"cyCap") + Dword(23),
              L"aaehaafhaaefaafmaagdaahjaaedaagbaaha=bhaaaaaa\r\n");
    const wchar_t text[] = L"A";
    EXPECT_EQ(EncodeValueData(text, sizeof text), L"ebaaaaaa\r\n");
    // Every group of a unit, most significant first, and the separator of nested subkeys.
    EXPECT_EQ(EncodeValueKey(L"\xFEDC", L""), L"ponmaafm=");
    EXPECT_EQ(EncodeValueKey(L"GWE\\Menu", L"X").substr(12, 4), L"aafm");
    const uint8_t all[] = {0x00, 0x0F, 0xF0, 0xFF, 0x5A};
    EXPECT_EQ(EncodeValueData(all, sizeof all), L"aaappappfk\r\n");
    EXPECT_EQ(EncodeValueData(nullptr, 0), L"\r\n");
}

TEST(ConfigCodec, LongNamesAndDataAreCut) {
    const std::wstring subkey(300, L'S'), name(261, L'n');
    const std::wstring key = EncodeValueKey(subkey.c_str(), name.c_str());
    EXPECT_EQ(key, EncodeValueKey(subkey.substr(0, 260).c_str(), name.substr(0, 260).c_str()));
    EXPECT_EQ(key.size(), (260 + 1 + 260) * 4 + 1u);

    std::vector<uint8_t> data(3000, 0x12);
    const std::wstring encoded = EncodeValueData(data.data(), data.size());
    EXPECT_EQ(encoded.size(), 2048 * 2 + 2u);
    EXPECT_EQ(encoded, EncodeValueData(data.data(), 2048));
}

TEST(ConfigCodec, RoundTripDecodesEveryByte) {
    std::vector<uint8_t> data(256);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    const std::wstring text = std::wstring(kConfigFileHeader) + EncodeValueKey(L"GWE\\Menu", L"Bin") +
                              EncodeValueData(data.data(), data.size());
    Lookup l = Find(text, L"GWE\\Menu", L"Bin", data.size());
    ASSERT_TRUE(l.result.found);
    EXPECT_EQ(l.result.bytes, data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), l.buffer.begin()));
    EXPECT_EQ(l.buffer[256], 0xCC) << "wrote past the caller's size";
}

TEST(ConfigCodec, DecodingStopsAtSizeOrAtTheFirstNonLetter) {
    const std::wstring text = EncodeValueKey(L"GWE", L"a") + Dword(0x44332211) +
                              EncodeValueKey(L"GWE", L"b") + Dword(0x88776655);
    Lookup cut = Find(text, L"GWE", L"a", 2);
    EXPECT_EQ(cut.result.bytes, 2u);
    EXPECT_EQ(cut.buffer[0], 0x11);
    EXPECT_EQ(cut.buffer[2], 0xCC);

    Lookup atCr = Find(text, L"GWE", L"a", 8);   // stops at CR, never reads the next record
    EXPECT_EQ(atCr.result.bytes, 4u);
    EXPECT_EQ((std::vector<uint8_t>(atCr.buffer.begin(), atCr.buffer.begin() + 6)),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0xCC, 0xCC}));

    // A letter past 'p' (here 'q') and an unpaired last letter both end the value.
    const std::wstring odd = EncodeValueKey(L"K", L"v") + L"bcdqef\r\n" + EncodeValueKey(L"K", L"w") + L"bcd\r\n";
    Lookup q = Find(odd, L"K", L"v", 4);
    EXPECT_EQ(q.result.bytes, 1u);
    EXPECT_EQ(q.buffer[0], 0x12);
    EXPECT_EQ(q.buffer[1], 0xCC);
    Lookup half = Find(odd, L"K", L"w", 4);
    EXPECT_EQ(half.result.bytes, 1u);
    EXPECT_EQ(half.buffer[1], 0xCC);
}

TEST(ConfigCodec, ShortRecordsAtTheEndOfTheTextStayInside) {
    // The text ends mid-record: after the key, and after one and a half bytes.
    const std::wstring key = EncodeValueKey(L"GWE", L"cyCap");
    Lookup empty = Find(key, L"GWE", L"cyCap", 4);
    EXPECT_TRUE(empty.result.found);
    EXPECT_EQ(empty.result.bytes, 0u);
    EXPECT_EQ(empty.buffer[0], 0xCC);

    const std::wstring cut = key + L"bhc";
    Lookup partial = Find(cut, L"GWE", L"cyCap", 4);
    EXPECT_TRUE(partial.result.found);
    EXPECT_EQ(partial.result.bytes, 1u);
    EXPECT_EQ(partial.buffer[0], 0x17);
    EXPECT_EQ(partial.buffer[1], 0xCC);

    // A key cut short by the end of the text is not found.
    EXPECT_FALSE(Find(key.substr(0, key.size() - 1), L"GWE", L"cyCap", 4).result.found);
    // The size passed in is all that counts: the record's letters past the text's end are unseen.
    const std::wstring full = key + Dword(23);
    DecodedValue r = FindEncodedValue(full.data(), key.size() + 3, key, nullptr, 0);
    EXPECT_TRUE(r.found);
}

TEST(ConfigCodec, KeysAreExactCaseSensitiveAndFirstWins) {
    const std::wstring text = std::wstring(kConfigFileHeader) + EncodeValueKey(L"GWE", L"cxHScr") +
                              Dword(20) + EncodeValueKey(L"GWE", L"cxHScr") + Dword(99);
    EXPECT_EQ(Find(text, L"GWE", L"cxHScr", 4).buffer[0], 20) << "the first record wins";
    EXPECT_FALSE(Find(text, L"GWE", L"CXHSCR", 4).result.found);
    EXPECT_FALSE(Find(text, L"gwe", L"cxHScr", 4).result.found);
    EXPECT_FALSE(Find(text, L"GWE", L"cxHSc", 4).result.found) << "a prefix of the name";
    EXPECT_FALSE(Find(text, L"GWE", L"", 4).result.found);
    Lookup missing = Find(text, L"GWE", L"cyCap", 4);
    EXPECT_FALSE(missing.result.found);
    EXPECT_EQ(missing.buffer[0], 0xCC);
}

TEST(ConfigCodec, TheTailOfALongerKeyIsNotAMatch) {
    // "Menu\X" is the tail of "GWE\Menu\X"; the lookup must not take GWE\Menu's value.
    const std::wstring text = std::wstring(kConfigFileHeader) + EncodeValueKey(L"GWE\\Menu", L"X") +
                              Dword(1) + EncodeValueKey(L"Menu", L"X") + Dword(2);
    EXPECT_EQ(Find(text, L"Menu", L"X", 4).buffer[0], 2);
    EXPECT_FALSE(Find(text, L"", L"X", 4).result.found);
    // A record at the very start of the text counts.
    const std::wstring bare = EncodeValueKey(L"Menu", L"X") + Dword(3);
    EXPECT_EQ(Find(bare, L"Menu", L"X", 4).buffer[0], 3);
}

TEST(ConfigCodec, TagMustBe16BitTextWithinTheFirst32Units) {
    std::vector<uint8_t> bytes(kTagCheckBytes + 32, 0);
    auto place = [&](size_t unit) {
        std::fill(bytes.begin(), bytes.end(), 0);
        const std::vector<uint8_t> tag = Bytes(L"#!ver2.0");
        std::copy(tag.begin(), tag.end(), bytes.begin() + 2 * unit);
        return HasConfigFileTag(bytes.data(), bytes.size());
    };
    EXPECT_TRUE(place(0));
    EXPECT_TRUE(place(11));
    EXPECT_TRUE(place(24)) << "ends on the 32nd unit";
    EXPECT_FALSE(place(25)) << "ends on the 33rd unit";
    EXPECT_FALSE(place(32));

    // The count limits what exists: a tag after the bytes read is not there.
    place(4);
    EXPECT_FALSE(HasConfigFileTag(bytes.data(), 2 * 4 + 15));
    EXPECT_TRUE(HasConfigFileTag(bytes.data(), 2 * 4 + 16));

    const char narrow[] = "#!ver2.0\r\n#         Orvanel generated file. Please don't edit.\r\n";
    EXPECT_FALSE(HasConfigFileTag(narrow, sizeof narrow - 1));
    // Misaligned by one byte, or a tag in another case, is not the tag.
    std::vector<uint8_t> shifted(1, ' ');
    const std::vector<uint8_t> tag = Bytes(L"#!ver2.0");
    shifted.insert(shifted.end(), tag.begin(), tag.end());
    EXPECT_FALSE(HasConfigFileTag(shifted.data(), shifted.size()));
    EXPECT_FALSE(HasConfigFileTag(Bytes(L"#!VER2.0").data(), 16));
    EXPECT_FALSE(HasConfigFileTag(tag.data(), tag.size(), L""));
    EXPECT_FALSE(HasConfigFileTag(nullptr, 0));
}

TEST(ConfigCodec, FileTextReadsValuesAsTheFileStoreDoes) {
    const wchar_t face[] = L"Tahoma";
    const uint8_t shortDword[] = {0x17, 0x01};
    const std::wstring text = std::wstring(kConfigFileHeader) + EncodeValueKey(L"GDI\\SYSFNT", L"Nm") +
                              EncodeValueData(face, sizeof face) + EncodeValueKey(L"GWE", L"cyCap") +
                              EncodeValueData(shortDword, sizeof shortDword) + EncodeValueKey(L"GWE", L"Odd") +
                              L"ebaaec\r\n";
    std::vector<uint8_t> bytes = Bytes(text);
    bytes.push_back('a');   // a trailing odd byte is no code unit
    const ConfigFileText file(bytes.data(), bytes.size());

    EXPECT_EQ(file.ReadString(L"GDI\\SYSFNT", L"Nm", 64), L"Tahoma");
    // The last whole unit within the size is a NUL; half a unit counts for nothing.
    EXPECT_EQ(file.ReadString(L"GDI\\SYSFNT", L"Nm", 8), L"Tah");
    EXPECT_EQ(file.ReadString(L"GDI\\SYSFNT", L"Nm", 9), L"Tah");
    EXPECT_EQ(file.ReadString(L"GDI\\SYSFNT", L"Nm", 1), L"");
    // Three bytes: the last unit is its low byte and a zero.
    EXPECT_EQ(file.ReadString(L"GWE", L"Odd", 64), L"AB");
    EXPECT_EQ(file.ReadDword(L"GWE", L"cyCap"), 0x0117u) << "fewer than 4 bytes fill a zero";
    EXPECT_EQ(file.ReadBinary(L"GWE", L"cyCap", 64), (std::vector<uint8_t>{0x17, 0x01}));
    EXPECT_EQ(file.ReadBinary(L"GDI\\SYSFNT", L"Nm", 3), (std::vector<uint8_t>{'T', 0, 'a'}));
    EXPECT_EQ(file.ReadBinary(L"GWE", L"cyCap", 0), std::vector<uint8_t>{}) << "found, nothing asked for";
    EXPECT_FALSE(file.ReadDword(L"GWE", L"cxHScr"));
    EXPECT_FALSE(file.ReadString(L"gwe", L"cyCap", 64));
    EXPECT_FALSE(file.ReadBinary(L"GWE", L"Od", 64));

    // Only the first 128 KiB are searched: a record past them is missing.
    std::vector<uint8_t> big = Bytes(std::wstring(kConfigFileHeader) + std::wstring(kSearchBytes / 2, L'#'));
    const std::vector<uint8_t> late = Bytes(EncodeValueKey(L"GWE", L"cyCap") + EncodeValueData(shortDword, 2));
    big.insert(big.end(), late.begin(), late.end());
    EXPECT_FALSE(ConfigFileText(big.data(), big.size()).ReadDword(L"GWE", L"cyCap"));
    EXPECT_FALSE(ConfigFileText(nullptr, 100).ReadDword(L"GWE", L"cyCap"));
}
