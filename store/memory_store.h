// A store held in memory: every value written is kept, with its type, in the order of its first
// write, and reads back as a registry configuration would give it. It holds the pages' values
// for a comparison and the device's values while they are kept before an Apply.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "store/store.h"

class MemoryStore final : public Store {
public:
    enum class Kind { Dword, String, Binary };
    struct Value {
        LiveRoot root;
        std::wstring subkey;
        std::wstring name;
        Kind kind;
        std::vector<BYTE> bytes;   // a text with its NUL
        ValueRef Ref() const { return {root, subkey.c_str(), name.c_str()}; }
    };

    explicit MemoryStore(std::wstring key = L"") : key_(std::move(key)) {}
    const std::wstring& Key() const override { return key_; }

    std::optional<DWORD> ReadDword(const ValueRef& value) override;
    std::optional<std::wstring> ReadString(const ValueRef& value, size_t maxBytes) override;
    std::optional<std::vector<BYTE>> ReadBinary(const ValueRef& value, size_t maxBytes) override;
    std::optional<StoredValue> ReadStored(const ValueRef& value, DWORD untypedAs) override { return Stored(value); }
    // The value at that place as held, whatever its kind; nullopt when none is.
    std::optional<StoredValue> Stored(const ValueRef& value) const;
    bool WriteDword(const ValueRef& value, DWORD data) override;
    bool WriteString(const ValueRef& value, std::wstring_view text) override;
    bool WriteBinary(const ValueRef& value, const void* data, size_t size) override;

    const std::vector<Value>& values() const { return values_; }
    // The registry type a value of this kind is stored with.
    static DWORD TypeOf(Kind kind);
    // True when `other` holds every value of these as stored here: the same type and bytes.
    bool HeldBy(Store& other) const;
    // Writes every value into another store, in order; false when one was refused.
    bool CopyTo(Store& target) const;
    // The values another store holds at the places of these, with the same types (a binary
    // value or a text at most `maxBytes`); values the other store lacks are left out.
    MemoryStore ReadSame(Store& source, size_t maxBytes = 4096) const;

private:
    const Value* Find(const ValueRef& value, Kind kind) const;
    void Put(const ValueRef& value, Kind kind, const void* data, size_t size);

    std::wstring key_;
    std::vector<Value> values_;
};
