// TrueType font files made byte by byte for the tests: a table directory with a "head" table
// ahead of the naming table, and name records whose strings follow in record order. Plain C++,
// shared by the tests on the build machine and those under Wine.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fontbytes {

using Bytes = std::vector<std::uint8_t>;

struct NameRecord {
    unsigned platform, encoding, language, nameId;
    Bytes text;
};

inline void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}
inline void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}
inline void Set32(Bytes& out, size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// The text as UTF-16 big-endian, and as single bytes.
inline Bytes Wide(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) Put16(out, c);
    return out;
}
inline Bytes Narrow(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Where the parts of a font made by Font lie.
constexpr size_t kDirectory = 12;                  // the "head" record, then the "name" record
constexpr size_t kNameRecordAt = kDirectory + 16;
constexpr size_t kNameTable = kDirectory + 32 + 8;  // after an 8-byte "head" table

inline Bytes Font(const std::vector<NameRecord>& records, std::uint32_t signature = 0x00010000,
                  std::string_view nameTag = "name") {
    Bytes out;
    Put32(out, signature);
    Put16(out, 2);                       // numTables
    Put16(out, 32); Put16(out, 1); Put16(out, 0);
    // "head": 8 bytes of nothing in particular.
    out.insert(out.end(), {'h', 'e', 'a', 'd'});
    Put32(out, 0); Put32(out, kDirectory + 32); Put32(out, 8);
    out.insert(out.end(), nameTag.begin(), nameTag.end());
    Put32(out, 0); Put32(out, kNameTable); Put32(out, 0);   // length set below
    for (int i = 0; i < 8; ++i) out.push_back(0xAB);
    const size_t storage = 6 + 12 * records.size();
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(records.size()));
    Put16(out, static_cast<unsigned>(storage));
    size_t offset = 0;
    for (const NameRecord& r : records) {
        Put16(out, r.platform); Put16(out, r.encoding); Put16(out, r.language); Put16(out, r.nameId);
        Put16(out, static_cast<unsigned>(r.text.size())); Put16(out, static_cast<unsigned>(offset));
        offset += r.text.size();
    }
    for (const NameRecord& r : records) out.insert(out.end(), r.text.begin(), r.text.end());
    Set32(out, kNameRecordAt + 12, static_cast<std::uint32_t>(out.size() - kNameTable));
    return out;
}

// The full name as a font usually carries it: a Macintosh Roman record and a Microsoft one.
inline Bytes FontNamed(std::u16string_view fullName) {
    std::string mac(fullName.begin(), fullName.end());
    return Font({{1, 0, 0, 4, Narrow(mac)}, {3, 1, 0x409, 4, Wide(fullName)}});
}

// A collection's header, with one font that is not looked at.
inline Bytes Collection() {
    Bytes out = Narrow("ttcf");
    Put32(out, 0x00010000); Put32(out, 1); Put32(out, 16);
    Bytes font = FontNamed(u"Inside");
    out.insert(out.end(), font.begin(), font.end());
    return out;
}

}  // namespace fontbytes
