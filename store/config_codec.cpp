#include "store/config_codec.h"

namespace {

constexpr wchar_t kFirstLetter = L'a';
constexpr wchar_t kLastLetter = L'p';

bool IsLetter(wchar_t c) { return c >= kFirstLetter && c <= kLastLetter; }

wchar_t Letter(unsigned group) { return static_cast<wchar_t>(kFirstLetter + (group & 0xF)); }

// A code unit as four letters, most significant group first. Only 16 bits are encoded.
void AppendUnit(std::wstring& out, wchar_t c) {
    const unsigned unit = static_cast<unsigned>(c) & 0xFFFF;
    out += Letter(unit >> 12);
    out += Letter(unit >> 8);
    out += Letter(unit >> 4);
    out += Letter(unit);
}

// Up to `limit` code units of a NUL-terminated string; never reads past the limit.
void AppendUnits(std::wstring& out, const wchar_t* text, size_t limit) {
    if (!text) return;
    for (size_t i = 0; i < limit && text[i]; ++i) AppendUnit(out, text[i]);
}

// Where a record may start: the start of the text, or after anything that is not a letter
// (the LF ending the previous record or the header).
bool AtRecordStart(const wchar_t* text, size_t pos) { return pos == 0 || !IsLetter(text[pos - 1]); }

}  // namespace

std::wstring EncodeValueKey(const wchar_t* subkey, const wchar_t* valueName) {
    std::wstring key;
    key.reserve((2 * kMaxKeyPartChars + 1) * 4 + 1);
    AppendUnits(key, subkey, kMaxKeyPartChars);
    AppendUnit(key, L'\\');
    AppendUnits(key, valueName, kMaxKeyPartChars);
    key += L'=';
    return key;
}

std::wstring EncodeValueData(const void* bytes, size_t size) {
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (!data) size = 0;
    if (size > kMaxRecordDataBytes) size = kMaxRecordDataBytes;
    std::wstring out;
    out.reserve(size * 2 + 2);
    for (size_t i = 0; i < size; ++i) {
        out += Letter(data[i] >> 4);
        out += Letter(data[i]);
    }
    out += L"\r\n";
    return out;
}

DecodedValue FindEncodedValue(const wchar_t* text, size_t units, const std::wstring& key,
                              void* buffer, size_t size) {
    DecodedValue result;
    if (!text || key.empty() || key.size() > units) return result;

    size_t pos = 0;
    const size_t lastStart = units - key.size();
    for (;; ++pos) {
        if (pos > lastStart) return result;
        if (text[pos] == key[0] && AtRecordStart(text, pos) &&
            key.compare(0, key.size(), text + pos, key.size()) == 0)
            break;
    }
    result.found = true;

    auto* out = static_cast<uint8_t*>(buffer);
    if (!out) return result;
    size_t at = pos + key.size();
    while (result.bytes < size && at + 1 < units && IsLetter(text[at]) && IsLetter(text[at + 1])) {
        out[result.bytes++] =
            static_cast<uint8_t>(((text[at] - kFirstLetter) << 4) | (text[at + 1] - kFirstLetter));
        at += 2;
    }
    return result;
}

bool HasConfigFileTag(const void* bytes, size_t count, const wchar_t* tag) {
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (!data || !tag || !tag[0]) return false;
    if (count > kTagCheckBytes) count = kTagCheckBytes;
    const size_t units = count / 2;

    size_t tagChars = 0;
    while (tag[tagChars]) ++tagChars;
    if (tagChars > units) return false;

    for (size_t start = 0; start + tagChars <= units; ++start) {
        size_t i = 0;
        for (; i < tagChars; ++i) {
            const size_t b = 2 * (start + i);
            const unsigned unit = data[b] | (static_cast<unsigned>(data[b + 1]) << 8);
            if (unit != (static_cast<unsigned>(tag[i]) & 0xFFFF)) break;
        }
        if (i == tagChars) return true;
    }
    return false;
}

ConfigFileText::ConfigFileText(const void* bytes, size_t count) {
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (!data) count = 0;
    if (count > kSearchBytes) count = kSearchBytes;
    text_.resize(count / 2);
    for (size_t i = 0; i < text_.size(); ++i)
        text_[i] = static_cast<wchar_t>(data[2 * i] | (static_cast<unsigned>(data[2 * i + 1]) << 8));
}

DecodedValue ConfigFileText::Find(const wchar_t* subkey, const wchar_t* name, void* buffer, size_t size) const {
    return FindEncodedValue(text_.data(), text_.size(), EncodeValueKey(subkey, name), buffer, size);
}

std::optional<uint32_t> ConfigFileText::ReadDword(const wchar_t* subkey, const wchar_t* name) const {
    uint8_t bytes[4] = {};
    if (!Find(subkey, name, bytes, sizeof bytes).found) return std::nullopt;
    return bytes[0] | (static_cast<uint32_t>(bytes[1]) << 8) | (static_cast<uint32_t>(bytes[2]) << 16) |
           (static_cast<uint32_t>(bytes[3]) << 24);
}

std::optional<std::wstring> ConfigFileText::ReadString(const wchar_t* subkey, const wchar_t* name,
                                                       size_t maxBytes) const {
    const size_t units = maxBytes / 2;
    std::vector<uint8_t> bytes(2 * units, 0);
    if (!Find(subkey, name, bytes.data(), bytes.size()).found) return std::nullopt;
    std::wstring text;
    for (size_t i = 0; i + 1 < units; ++i) {
        const wchar_t unit = static_cast<wchar_t>(bytes[2 * i] | (static_cast<unsigned>(bytes[2 * i + 1]) << 8));
        if (unit == L'\0') break;
        text += unit;
    }
    return text;
}

std::optional<std::vector<uint8_t>> ConfigFileText::ReadBinary(const wchar_t* subkey, const wchar_t* name,
                                                               size_t maxBytes) const {
    std::vector<uint8_t> bytes(maxBytes);
    const DecodedValue found = Find(subkey, name, bytes.data(), bytes.size());
    if (!found.found) return std::nullopt;
    bytes.resize(found.bytes);
    return bytes;
}
