#include "store/memory_store.h"

#include <cstring>
#include <cwchar>

#include "base/strings.h"

namespace {
std::wstring_view OrEmpty(const wchar_t* s) { return s ? std::wstring_view(s) : std::wstring_view(); }

// As the registry finds them: subkeys and value names ignoring letter case.
bool SamePlace(const MemoryStore::Value& held, const ValueRef& ref) {
    return SameNameIgnoringCase(held.subkey, OrEmpty(ref.subkey)) && SameNameIgnoringCase(held.name, OrEmpty(ref.name));
}
}  // namespace

const MemoryStore::Value* MemoryStore::Find(const ValueRef& value, Kind kind) const {
    for (const Value& held : values_)
        if (SamePlace(held, value)) return held.kind == kind ? &held : nullptr;
    return nullptr;
}

void MemoryStore::Put(const ValueRef& value, Kind kind, const void* data, size_t size) {
    std::vector<BYTE> bytes(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    for (Value& held : values_) {
        if (SamePlace(held, value)) {
            held.kind = kind;
            held.bytes = std::move(bytes);
            return;
        }
    }
    values_.push_back({value.root, std::wstring(OrEmpty(value.subkey)), std::wstring(OrEmpty(value.name)), kind,
                       std::move(bytes)});
}

std::optional<DWORD> MemoryStore::ReadDword(const ValueRef& value) {
    const Value* held = Find(value, Kind::Dword);
    if (!held || held->bytes.size() != sizeof(DWORD)) return std::nullopt;
    DWORD data;
    std::memcpy(&data, held->bytes.data(), sizeof data);
    return data;
}

std::optional<std::wstring> MemoryStore::ReadString(const ValueRef& value, size_t maxBytes) {
    const Value* held = Find(value, Kind::String);
    if (!held || held->bytes.size() > maxBytes) return std::nullopt;
    std::wstring text(held->bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), held->bytes.data(), text.size() * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return text;
}

std::optional<std::vector<BYTE>> MemoryStore::ReadBinary(const ValueRef& value, size_t maxBytes) {
    const Value* held = Find(value, Kind::Binary);
    if (!held || held->bytes.size() > maxBytes) return std::nullopt;
    return held->bytes;
}

DWORD MemoryStore::TypeOf(Kind kind) {
    switch (kind) {
    case Kind::Dword: return REG_DWORD;
    case Kind::String: return REG_SZ;
    case Kind::Binary: break;
    }
    return REG_BINARY;
}

std::optional<StoredValue> MemoryStore::Stored(const ValueRef& value) const {
    for (const Value& held : values_)
        if (SamePlace(held, value)) return StoredValue{TypeOf(held.kind), held.bytes};
    return std::nullopt;
}

bool MemoryStore::HeldBy(Store& other) const {
    for (const Value& mine : values_) {
        auto theirs = other.ReadStored(mine.Ref(), TypeOf(mine.kind));
        if (!theirs || theirs->type != TypeOf(mine.kind) || theirs->bytes != mine.bytes) return false;
    }
    return true;
}

bool MemoryStore::WriteDword(const ValueRef& value, DWORD data) {
    Put(value, Kind::Dword, &data, sizeof data);
    return true;
}

bool MemoryStore::WriteString(const ValueRef& value, std::wstring_view text) {
    std::wstring terminated(text);
    Put(value, Kind::String, terminated.c_str(), (terminated.size() + 1) * sizeof(wchar_t));
    return true;
}

bool MemoryStore::WriteBinary(const ValueRef& value, const void* data, size_t size) {
    Put(value, Kind::Binary, data, size);
    return true;
}

bool MemoryStore::CopyTo(Store& target) const {
    bool ok = true;
    for (const Value& held : values_) {
        switch (held.kind) {
        case Kind::Dword: {
            DWORD data = 0;
            std::memcpy(&data, held.bytes.data(), held.bytes.size() < sizeof data ? held.bytes.size() : sizeof data);
            ok = target.WriteDword(held.Ref(), data) && ok;
            break;
        }
        case Kind::String: {
            std::wstring text(held.bytes.size() / sizeof(wchar_t), L'\0');
            std::memcpy(text.data(), held.bytes.data(), text.size() * sizeof(wchar_t));
            text.resize(std::wcslen(text.c_str()));
            ok = target.WriteString(held.Ref(), text) && ok;
            break;
        }
        case Kind::Binary:
            ok = target.WriteBinary(held.Ref(), held.bytes.data(), held.bytes.size()) && ok;
            break;
        }
    }
    return ok;
}

MemoryStore MemoryStore::ReadSame(Store& source, size_t maxBytes) const {
    MemoryStore read(source.Key());
    for (const Value& held : values_) {
        const ValueRef ref = held.Ref();
        switch (held.kind) {
        case Kind::Dword:
            if (auto data = source.ReadDword(ref)) read.WriteDword(ref, *data);
            break;
        case Kind::String:
            if (auto text = source.ReadString(ref, maxBytes)) read.WriteString(ref, *text);
            break;
        case Kind::Binary:
            if (auto bytes = source.ReadBinary(ref, maxBytes)) read.WriteBinary(ref, bytes->data(), bytes->size());
            break;
        }
    }
    return read;
}
