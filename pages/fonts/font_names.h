// The full name of a TrueType font, read from the bytes of its file: the signature, the table
// directory and the naming table, nothing else. A pure function of the bytes (no window-system
// or file calls), so it builds and runs anywhere, the build machine included.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace fontnames {

// A full name is kept to this many characters.
constexpr size_t kFullNameChars = 63;

// How much a name record of this platform, encoding and language is worth as the full name
// (0: never taken), and whether its string is UTF-16 big-endian.
struct NameRank {
    int score;
    bool wide;
};
NameRank RankNameRecord(unsigned platformId, unsigned encodingId, unsigned languageId);

struct FullNameReading {
    bool collection = false;   // a TrueType collection: its fonts are not opened
    std::u16string name;       // the best full name, cut to kFullNameChars and at a NUL; empty when none
};

// Reads the whole file's bytes. Whatever the file claims, nothing outside [data, data + size) is
// read: a table, record or string that does not lie wholly inside the file counts as absent.
FullNameReading ReadFullName(const std::uint8_t* data, size_t size);

}  // namespace fontnames
