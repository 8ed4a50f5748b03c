#include "pages/fonts/font_names.h"

namespace fontnames {

namespace {

constexpr std::uint32_t kCollection = 0x74746366;          // "ttcf"
constexpr std::uint32_t kCollectionSwapped = 0x66637474;
constexpr std::uint32_t kTrueType = 0x00010000;
constexpr std::uint32_t kOpenType = 0x4F54544F;            // "OTTO"
constexpr std::uint32_t kOpenTypeLower = 0x6F74746F;       // "otto"
constexpr size_t kDirectoryStart = 12;
constexpr size_t kDirectoryRecord = 16;
constexpr size_t kNameHeader = 6;
constexpr size_t kNameRecord = 12;
constexpr unsigned kFullNameId = 4;

// The file's bytes; every read is checked against its end first.
class Bytes {
public:
    Bytes(const std::uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
    // [offset, offset + length) lies wholly inside the file.
    bool Has(size_t offset, size_t length) const { return offset <= size_ && length <= size_ - offset; }
    // Big-endian numbers, read byte by byte; callers check Has first.
    unsigned U16(size_t at) const { return static_cast<unsigned>(data_[at]) << 8 | data_[at + 1]; }
    std::uint32_t U32(size_t at) const { return static_cast<std::uint32_t>(U16(at)) << 16 | U16(at + 2); }
    std::uint8_t operator[](size_t at) const { return data_[at]; }

private:
    const std::uint8_t* data_;
    size_t size_;
};

bool IsNameTag(const Bytes& file, size_t at) {
    // "eman": the tag as a little-endian reading of the number would spell it.
    const std::uint32_t tag = file.U32(at);
    return tag == 0x6E616D65 || tag == 0x656D616E;
}

// The best full name record of the naming table at [table, table + length).
std::u16string ReadNameTable(const Bytes& file, size_t table, size_t length) {
    std::u16string best;
    if (!file.Has(table, length) || !file.Has(table, kNameHeader)) return best;
    const unsigned count = file.U16(table + 2);
    const size_t storage = table + file.U16(table + 4);
    int bestScore = 0;
    for (unsigned i = 0; i < count; ++i) {
        const size_t record = table + kNameHeader + i * kNameRecord;
        if (!file.Has(record, kNameRecord)) break;   // this record and all after it lie outside
        if (file.U16(record + 6) != kFullNameId) continue;
        const NameRank rank = RankNameRecord(file.U16(record), file.U16(record + 2), file.U16(record + 4));
        if (rank.score <= bestScore) continue;
        const size_t bytes = file.U16(record + 8);
        const size_t text = storage + file.U16(record + 10);
        if (!file.Has(text, bytes)) continue;          // a string outside the file is no record
        bestScore = rank.score;
        // A string that starts with a zero byte is UTF-16 whatever its record says.
        const bool wide = rank.wide || (bytes != 0 && file[text] == 0);
        size_t chars = wide ? bytes / 2 : bytes;
        if (chars > kFullNameChars) chars = kFullNameChars;
        best.clear();
        // The page keeps the name as a C string: a NUL ends it, and a name that starts with one
        // is no name.
        for (size_t c = 0; c < chars; ++c) {
            const char16_t unit = static_cast<char16_t>(wide ? file.U16(text + 2 * c) : file[text + c]);
            if (unit == u'\0') break;
            best += unit;
        }
    }
    return best;
}

}  // namespace

NameRank RankNameRecord(unsigned platformId, unsigned encodingId, unsigned languageId) {
    constexpr unsigned kEnglishUs = 0x409;
    if (platformId == 0 && encodingId <= 2) return {10, true};
    if (platformId == 3 && encodingId == 1 && languageId == kEnglishUs) return {9, true};
    if (platformId == 3 && encodingId == 0 && languageId == kEnglishUs) return {8, false};
    if (platformId == 3 && encodingId == 1) return {7, true};
    if (platformId == 1 && encodingId == 0 && languageId == 0) return {1, false};
    return {0, false};
}

FullNameReading ReadFullName(const std::uint8_t* data, size_t size) {
    FullNameReading reading;
    const Bytes file(data, size);
    if (!file.Has(0, 4)) return reading;
    const std::uint32_t signature = file.U32(0);
    if (signature == kCollection || signature == kCollectionSwapped) {
        reading.collection = true;
        return reading;
    }
    if (signature != kTrueType && signature != kOpenType && signature != kOpenTypeLower) return reading;
    if (!file.Has(4, 2)) return reading;
    const unsigned tables = file.U16(4);
    for (unsigned i = 0; i < tables; ++i) {
        const size_t record = kDirectoryStart + i * kDirectoryRecord;
        if (!file.Has(record, kDirectoryRecord)) break;
        if (!IsNameTag(file, record)) continue;
        reading.name = ReadNameTable(file, file.U32(record + 8), file.U32(record + 12));
        break;   // the first naming table counts, readable or not
    }
    return reading;
}

}  // namespace fontnames
