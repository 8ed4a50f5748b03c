// The text encoding of "#!ver2.0" configuration files, free of any window-system or file call.
//
// A file is 16-bit little-endian text without a byte-order mark: a three-line header, then one
// record per value:  key "=" data CR LF.  Every code unit of the key (subkey, "\", value name)
// is written as four letters and every data byte as two; a letter stands for a 4-bit group g
// as 'a' + g, most significant group first.  "G" (0x0047) is "aaeh", the byte 0x14 is "be".
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The header the program writes (the same text as its string resource), 67 code units, no NUL.
inline constexpr wchar_t kConfigFileHeader[] =
    L"#!ver2.0\r\n#         Orvanel generated file. Please don't edit.\r\n#\r\n";
inline constexpr size_t kConfigFileHeaderChars = sizeof(kConfigFileHeader) / sizeof(wchar_t) - 1;
// The version tag that marks a file as ours.
inline constexpr wchar_t kConfigFileTag[] = L"#!ver2.0";

// Limits of one record: longer subkeys and value names are cut, longer data too.
inline constexpr size_t kMaxKeyPartChars = 260;
inline constexpr size_t kMaxRecordDataBytes = 2048;
// A lookup searches this many bytes from the start of the file.
inline constexpr size_t kSearchBytes = 0x20000;
// The tag test looks at this many bytes (32 code units) from the start of the file.
inline constexpr size_t kTagCheckBytes = 64;

// The key part of a record: up to 260 code units of the subkey, the separator "\" ("aafm"),
// up to 260 code units of the value name, each as four letters, then "=".
// A null subkey or name counts as empty.
std::wstring EncodeValueKey(const wchar_t* subkey, const wchar_t* valueName);

// The data part of a record: up to 2048 bytes, two letters each, then CR LF.
std::wstring EncodeValueData(const void* bytes, size_t size);

struct DecodedValue {
    bool found = false;   // the key occurs in the text
    size_t bytes = 0;     // bytes decoded into the caller's buffer
};

// Finds the first record in text[0, units) whose key part is exactly `key` (an EncodeValueKey
// result), compared code unit by code unit, and decodes the letter pairs after its "=" into
// buffer, at most `size` bytes.  Decoding stops at the first code unit outside 'a'..'p' or
// where a pair is incomplete; the buffer beyond the decoded bytes is left as it was.
// A key counts only where a record can start: at the start of the text or after a code unit
// that is not a letter, so a lookup never lands on the tail of a longer key.
DecodedValue FindEncodedValue(const wchar_t* text, size_t units, const std::wstring& key,
                              void* buffer, size_t size);

// TRUE when `tag` occurs, as 16-bit little-endian text, entirely within the first 32 code units
// (64 bytes) of `bytes`.  Bytes beyond `count` do not exist; an empty tag never matches.
bool HasConfigFileTag(const void* bytes, size_t count, const wchar_t* tag = kConfigFileTag);

// The searched text of a configuration file being read: its first kSearchBytes bytes as 16-bit
// little-endian code units (a trailing odd byte is no code unit), and the values read from it as
// a file store reads them. The readers test no type.
class ConfigFileText {
public:
    ConfigFileText(const void* bytes, size_t count);

    // The first record of the value, decoded into at most `size` bytes of buffer.
    DecodedValue Find(const wchar_t* subkey, const wchar_t* name, void* buffer, size_t size) const;
    // Four bytes; a record of fewer fills the low bytes of a zero.
    std::optional<uint32_t> ReadDword(const wchar_t* subkey, const wchar_t* name) const;
    // Code units from at most maxBytes bytes, up to the first NUL; the last whole unit within
    // maxBytes is always a NUL, so the text has fewer than maxBytes / 2 units.
    std::optional<std::wstring> ReadString(const wchar_t* subkey, const wchar_t* name, size_t maxBytes) const;
    // At most maxBytes bytes, as many as the record holds.
    std::optional<std::vector<uint8_t>> ReadBinary(const wchar_t* subkey, const wchar_t* name, size_t maxBytes) const;

private:
    std::wstring text_;
};
