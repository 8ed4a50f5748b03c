// libFuzzer target: a configuration file as Import meets it, any bytes at all, under the address
// and undefined behaviour sanitizers.
//  - The header test agrees with a plain search for the tag in the first 32 code units.
//  - Every record of the file, found by a reading of its own here, is looked up through the file
//    reader as every kind of value at several sizes: the first record of a key wins, the data
//    decodes as its letters say, nothing is longer than asked for.
//  - The whole import: every value read goes into a store double (the configuration being edited),
//    which is written out as a file again; that file reads back to the same values.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "store/config_codec.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

bool IsLetter(wchar_t c) { return c >= L'a' && c <= L'p'; }

std::wstring Units(const std::uint8_t* data, size_t size) {
    if (size > kSearchBytes) size = kSearchBytes;
    std::wstring text(size / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);
    return text;
}

bool PlainTagSearch(const std::wstring& text) {
    const std::wstring head = text.substr(0, kTagCheckBytes / 2);
    return head.find(kConfigFileTag) != std::wstring::npos;
}

struct Record {
    std::wstring subkey;
    std::wstring name;
    std::vector<std::uint8_t> data;   // every letter pair after "=", however long
};

// The records of the text: a run of letters where a record may start (the start, or after a
// non-letter), a multiple of four long, then "="; its key splits at its first "\". Keys that the
// writer could not have made (a NUL, no separator, a part longer than the writer keeps) are left out.
std::vector<Record> Records(const std::wstring& text) {
    std::vector<Record> records;
    size_t pos = 0;
    while (pos < text.size()) {
        if (!IsLetter(text[pos]) || (pos > 0 && IsLetter(text[pos - 1]))) {
            ++pos;
            continue;
        }
        size_t end = pos;
        while (end < text.size() && IsLetter(text[end])) ++end;
        const size_t start = pos;
        pos = end;
        if (end == text.size() || text[end] != L'=' || (end - start) % 4 != 0) continue;
        std::wstring key;
        for (size_t i = start; i < end; i += 4) {
            unsigned unit = 0;
            for (size_t j = 0; j < 4; ++j) unit = unit << 4 | static_cast<unsigned>(text[i + j] - L'a');
            key += static_cast<wchar_t>(unit);
        }
        const size_t slash = key.find(L'\\');
        if (slash == std::wstring::npos || key.find(L'\0') != std::wstring::npos) continue;
        Record record{key.substr(0, slash), key.substr(slash + 1), {}};
        if (record.subkey.size() > kMaxKeyPartChars || record.name.size() > kMaxKeyPartChars) continue;
        for (size_t at = end + 1; at + 1 < text.size() && IsLetter(text[at]) && IsLetter(text[at + 1]); at += 2)
            record.data.push_back(static_cast<std::uint8_t>((text[at] - L'a') << 4 | (text[at + 1] - L'a')));
        records.push_back(std::move(record));
    }
    return records;
}

// The configuration being edited, as the import leaves it.
using StoreDouble = std::map<std::pair<std::wstring, std::wstring>, std::vector<std::uint8_t>>;

// The sizes a page asks for: none, a part of a unit, a number, a face name, a path; each record is
// read at one of them (by its place in the file), so every size meets every kind of record.
constexpr size_t kSizes[] = {0, 1, 3, 4, 66, 67, 520};

// Reads the record's value as a number, a text and binary data, the last two at the `which`-th
// size, and checks each against the record's own letters. Gives the binary data read whole.
std::vector<std::uint8_t> ReadBack(const ConfigFileText& file, const Record& record, size_t which) {
    const wchar_t* s = record.subkey.c_str();
    const wchar_t* n = record.name.c_str();
    const std::vector<std::uint8_t>& expected = record.data;
    const size_t maxBytes = kSizes[which % std::size(kSizes)];

    const std::optional<std::uint32_t> dword = file.ReadDword(s, n);
    Check(dword.has_value());
    std::uint32_t low = 0;
    for (size_t i = 0; i < 4 && i < expected.size(); ++i) low |= std::uint32_t{expected[i]} << 8 * i;
    Check(*dword == low);

    const auto part = file.ReadBinary(s, n, maxBytes);
    const size_t count = expected.size() < maxBytes ? expected.size() : maxBytes;
    Check(part && *part == std::vector<std::uint8_t>(expected.begin(), expected.begin() + count));

    // A text: the units of the first maxBytes bytes (missing bytes are zeros) up to the first
    // NUL, the last whole unit within maxBytes never taken.
    const auto text = file.ReadString(s, n, maxBytes);
    Check(text.has_value());
    std::wstring model;
    for (size_t i = 0; i + 1 < maxBytes / 2; ++i) {
        const unsigned lowByte = 2 * i < expected.size() ? expected[2 * i] : 0;
        const unsigned highByte = 2 * i + 1 < expected.size() ? expected[2 * i + 1] : 0;
        if ((lowByte | highByte) == 0) break;
        model += static_cast<wchar_t>(lowByte | highByte << 8);
    }
    Check(*text == model);

    auto whole = file.ReadBinary(s, n, kMaxRecordDataBytes);
    const size_t kept = expected.size() < kMaxRecordDataBytes ? expected.size() : kMaxRecordDataBytes;
    Check(whole && *whole == std::vector<std::uint8_t>(expected.begin(), expected.begin() + kept));
    return *whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::wstring text = Units(data, size);
    Check(HasConfigFileTag(data, size) == PlainTagSearch(text));
    Check(!HasConfigFileTag(data, size, L""));

    const ConfigFileText file(data, size);
    // A key no record holds is missing, however it is asked for.
    Check(!file.ReadDword(L"Orvanel fuzz", L"absent") && !file.ReadString(L"Orvanel fuzz", L"absent", 64) &&
          !file.ReadBinary(L"Orvanel fuzz", L"absent", 64));

    StoreDouble imported;
    std::set<std::pair<std::wstring, std::wstring>> seen;
    size_t which = 0;
    for (const Record& record : Records(text)) {
        const auto key = std::make_pair(record.subkey, record.name);
        if (!seen.insert(key).second) continue;   // a later record of the same key is never read
        imported[key] = ReadBack(file, record, which++);
    }

    // The import written out again, as Export writes it, reads back the same.
    std::wstring exported = kConfigFileHeader;
    for (const auto& [key, bytes] : imported) {
        exported += EncodeValueKey(key.first.c_str(), key.second.c_str());
        exported += EncodeValueData(bytes.data(), bytes.size());
    }
    std::vector<std::uint8_t> bytes;
    for (wchar_t c : exported) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8 & 0xFF));
    }
    if (bytes.size() > kSearchBytes) return 0;   // only the first 128 KiB are ever searched
    Check(HasConfigFileTag(bytes.data(), bytes.size()));
    const ConfigFileText again(bytes.data(), bytes.size());
    for (const auto& [key, value] : imported) {
        const auto read = again.ReadBinary(key.first.c_str(), key.second.c_str(), kMaxRecordDataBytes);
        Check(read && *read == value);
    }
    return 0;
}
