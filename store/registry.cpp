#include "store/registry.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "store/file_values.h"
#include "store/store.h"

namespace {

bool IsFileKey(const wchar_t* storeKey) { return storeKey && storeKey[0] == L'@'; }
const wchar_t* FilePath(const wchar_t* storeKey) { return storeKey + 1; }
const wchar_t* OrEmpty(const wchar_t* s) { return s ? s : L""; }

// The registry treats a leading or trailing separator as absent: "\Orvanel" is "Orvanel".
std::wstring Trimmed(std::wstring path) {
    while (!path.empty() && path.front() == L'\\') path.erase(path.begin());
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// Path, "\", subkey; the path alone when the subkey is empty.
std::wstring JoinedPath(const wchar_t* path, const wchar_t* subkey) {
    std::wstring joined = OrEmpty(path);
    if (subkey && *subkey) joined += std::wstring(L"\\") + subkey;
    return Trimmed(joined);
}

BOOL SetValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type,
              const void* data, DWORD size) {
    RegKey key;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr);
    if (!key) return FALSE;
    return RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// A string read into `size` bytes always ends with a NUL inside the buffer.
void TerminateString(wchar_t* buffer, DWORD size) {
    DWORD chars = size / sizeof(wchar_t);
    if (chars) buffer[chars - 1] = L'\0';
}

BOOL QueryString(HKEY key, const wchar_t* name, wchar_t* buffer, DWORD size) {
    if (size < sizeof(wchar_t)) return FALSE;
    std::vector<BYTE> scratch(size + sizeof(wchar_t), 0);
    DWORD type = 0, bytes = size;
    if (!key || RegQueryValueExW(key, name, nullptr, &type, scratch.data(), &bytes) != ERROR_SUCCESS)
        return FALSE;
    if (type != REG_SZ) return FALSE;
    memcpy(buffer, scratch.data(), size);   // the zeroed tail terminates a value stored without NUL
    if (bytes / sizeof(wchar_t) < size / sizeof(wchar_t)) buffer[bytes / sizeof(wchar_t)] = L'\0';
    TerminateString(buffer, size);
    return TRUE;
}

RegKey OpenForRead(HKEY root, const std::wstring& path) {
    RegKey key;
    RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put());
    return key;
}

RegKey CreateForRead(HKEY root, const std::wstring& path) {
    RegKey key;
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_READ, nullptr, key.put(), nullptr);
    return key;
}

DWORD StringBytes(const wchar_t* text) {
    return static_cast<DWORD>((lstrlenW(OrEmpty(text)) + 1) * sizeof(wchar_t));
}

// The helpers are thin calls onto the stores of store/store.h, one store for one call: a file
// for an "@" store key, else the registry below the store key's root.
ValueRef At(const wchar_t* subkey, const wchar_t* name) { return {LiveRoot::System, subkey, name}; }

// A 32-bit read that tests no type, as the helpers read numbers: four bytes or fewer fill a zero,
// anything longer cannot be read. (The Store's own ReadDword takes only a REG_DWORD of four.)
DWORD UntypedDword(Store& store, const ValueRef& at) {
    auto stored = store.ReadStored(at, REG_DWORD);
    if (!stored || stored->bytes.size() > sizeof(DWORD)) return 0xFFFFFFFF;
    DWORD value = 0;
    std::memcpy(&value, stored->bytes.data(), stored->bytes.size());
    return value;
}

// A text read into the caller's buffer: the text, its NUL, and zeros after it, as a read of the
// registry leaves the buffer.
BOOL CopyText(const std::optional<std::wstring>& text, wchar_t* buffer, DWORD size) {
    if (!text || !buffer || size < sizeof(wchar_t)) return FALSE;
    const size_t chars = size / sizeof(wchar_t);
    std::fill(buffer, buffer + chars, L'\0');
    std::memcpy(buffer, text->data(), std::min(text->size(), chars - 1) * sizeof(wchar_t));
    return TRUE;
}

BOOL ReadStringFrom(HKEY root, const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                    wchar_t* buffer, DWORD size) {
    if (IsFileKey(storeKey)) {
        // The record's bytes, at most `size` (the rest of the buffer as it was), made a text.
        if (!FindFileValue(FilePath(storeKey), subkey, name, buffer, size)) return FALSE;
        TerminateString(buffer, size);
        return TRUE;
    }
    return CopyText(OpenRegistryStoreAt(root, OrEmpty(storeKey))->ReadString(At(subkey, name), size), buffer, size);
}

BOOL WriteStringTo(HKEY root, const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                   const wchar_t* text) {
    if (IsFileKey(storeKey))
        return AppendFileValue(FilePath(storeKey), subkey, name, OrEmpty(text), StringBytes(text));
    return OpenRegistryStoreAt(root, OrEmpty(storeKey))->WriteString(At(subkey, name), OrEmpty(text)) ? TRUE : FALSE;
}

}  // namespace

BOOL WriteBinary(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                 const void* data, DWORD size) {
    if (IsFileKey(storeKey)) return AppendFileValue(FilePath(storeKey), subkey, name, data, size);
    return OpenRegistryStoreAt(HKEY_LOCAL_MACHINE, OrEmpty(storeKey))->WriteBinary(At(subkey, name), data, size);
}

BOOL ReadBinary(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                void* buffer, DWORD size) {
    if (IsFileKey(storeKey)) return FindFileValue(FilePath(storeKey), subkey, name, buffer, size);
    auto bytes = OpenRegistryStoreAt(HKEY_LOCAL_MACHINE, OrEmpty(storeKey))->ReadBinary(At(subkey, name), size);
    if (!bytes || !buffer) return FALSE;
    std::memcpy(buffer, bytes->data(), bytes->size());
    return TRUE;
}

BOOL WriteString(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name, const wchar_t* text) {
    return WriteStringTo(HKEY_LOCAL_MACHINE, storeKey, subkey, name, text);
}

BOOL ReadString(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                wchar_t* buffer, DWORD size) {
    return ReadStringFrom(HKEY_LOCAL_MACHINE, storeKey, subkey, name, buffer, size);
}

BOOL WriteUserString(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                     const wchar_t* text) {
    return WriteStringTo(HKEY_CURRENT_USER, storeKey, subkey, name, text);
}

BOOL ReadUserString(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                    wchar_t* buffer, DWORD size) {
    return ReadStringFrom(HKEY_CURRENT_USER, storeKey, subkey, name, buffer, size);
}

BOOL WriteDword(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name, DWORD value) {
    if (IsFileKey(storeKey))
        return AppendFileValue(FilePath(storeKey), subkey, name, &value, sizeof(value));
    return OpenRegistryStoreAt(HKEY_LOCAL_MACHINE, OrEmpty(storeKey))->WriteDword(At(subkey, name), value);
}

DWORD ReadDword(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name) {
    if (IsFileKey(storeKey)) {
        // A record of fewer than 4 bytes fills the low bytes of a zero.
        DWORD value = 0;
        return FindFileValue(FilePath(storeKey), subkey, name, &value, sizeof(value)) ? value : 0xFFFFFFFF;
    }
    return UntypedDword(*OpenRegistryStoreAt(HKEY_LOCAL_MACHINE, OrEmpty(storeKey)), At(subkey, name));
}

BOOL KeyExists(const wchar_t* first, const wchar_t* second) {
    std::wstring path = OrEmpty(first);
    if (second) path += std::wstring(L"\\") + second;
    return OpenForRead(HKEY_LOCAL_MACHINE, Trimmed(path)) ? TRUE : FALSE;
}

BOOL PutClassString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, const wchar_t* text) {
    return OpenRegistryStoreAt(HKEY_CLASSES_ROOT, OrEmpty(path))->WriteString(At(subkey, name), OrEmpty(text));
}

// Unlike a store's read, which never makes a key, these make a missing key first (empty).
BOOL GetClassString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                    wchar_t* buffer, DWORD size) {
    CreateForRead(HKEY_CLASSES_ROOT, JoinedPath(path, subkey));
    return CopyText(OpenRegistryStoreAt(HKEY_CLASSES_ROOT, OrEmpty(path))->ReadString(At(subkey, name), size), buffer,
                    size);
}

BOOL PutUserString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, const wchar_t* text) {
    return OpenRegistryStoreAt(HKEY_CURRENT_USER, OrEmpty(path))->WriteString(At(subkey, name), OrEmpty(text));
}

BOOL GetUserString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                   wchar_t* buffer, DWORD size) {
    CreateForRead(HKEY_CURRENT_USER, JoinedPath(path, subkey));
    return CopyText(OpenRegistryStoreAt(HKEY_CURRENT_USER, OrEmpty(path))->ReadString(At(subkey, name), size), buffer,
                    size);
}

BOOL PutUserDword(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, DWORD value) {
    return OpenRegistryStoreAt(HKEY_CURRENT_USER, OrEmpty(path))->WriteDword(At(subkey, name), value);
}

DWORD GetUserDword(const wchar_t* path, const wchar_t* subkey, const wchar_t* name) {
    return UntypedDword(*OpenRegistryStoreAt(HKEY_CURRENT_USER, OrEmpty(path)), At(subkey, name));
}

BOOL DeleteKeyTree(HKEY root, const wchar_t* path) {
    std::wstring p = Trimmed(OrEmpty(path));
    if (p.empty()) return FALSE;   // never the root itself
    LONG status = RegDeleteTreeW(root, p.c_str());
    if (status == ERROR_SUCCESS) RegDeleteKeyW(root, p.c_str());
    return status == ERROR_SUCCESS;
}

std::optional<DWORD> QueryDwordIn(HKEY key, const wchar_t* name) {
    if (!key) return std::nullopt;
    // Only a whole number is one: a text or a value of another size would read as a number
    // nobody stored.
    DWORD value = 0, bytes = sizeof(value), type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof(value))
        return std::nullopt;
    return value;
}

std::optional<std::wstring> QueryStringIn(HKEY key, const wchar_t* name, size_t maxBytes) {
    if (!key || maxBytes < sizeof(wchar_t) || maxBytes > 0x100000) return std::nullopt;
    std::vector<wchar_t> buffer(maxBytes / sizeof(wchar_t) + 1, L'\0');
    if (!QueryString(key, name, buffer.data(), static_cast<DWORD>(maxBytes))) return std::nullopt;
    return std::wstring(buffer.data());
}

std::optional<std::vector<BYTE>> QueryBinaryIn(HKEY key, const wchar_t* name, size_t maxBytes) {
    if (!key || maxBytes > 0x100000) return std::nullopt;
    std::vector<BYTE> data(maxBytes ? maxBytes : 1);
    DWORD type = 0, bytes = static_cast<DWORD>(maxBytes);
    if (RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_BINARY) return std::nullopt;
    data.resize(bytes);
    return data;
}

std::optional<std::pair<DWORD, std::vector<BYTE>>> QueryRawIn(HKEY key, const wchar_t* name, size_t maxBytes) {
    if (!key) return std::nullopt;
    DWORD type = REG_NONE, bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    std::vector<BYTE> data(bytes);
    if (bytes && RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS) return std::nullopt;
    data.resize(bytes);
    if (data.size() > maxBytes) {
        // Cut: the first maxBytes, then the size, so two long values of other sizes still differ.
        data.resize(maxBytes);
        data.insert(data.end(), reinterpret_cast<const BYTE*>(&bytes), reinterpret_cast<const BYTE*>(&bytes) + sizeof bytes);
    }
    return std::make_pair(type, std::move(data));
}

bool SetValueIn(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    return key && RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

RegKey OpenRegistryKey(HKEY root, const std::wstring& path) { return OpenForRead(root, Trimmed(path)); }

RegKey CreateRegistryKey(HKEY root, const std::wstring& path) {
    RegKey key;
    RegCreateKeyExW(root, Trimmed(path).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr);
    return key;
}

std::optional<DWORD> QueryRegistryDword(HKEY root, const std::wstring& path, const wchar_t* name) {
    return QueryDwordIn(OpenForRead(root, Trimmed(path)).get(), name);
}

std::optional<std::wstring> QueryRegistryString(HKEY root, const std::wstring& path, const wchar_t* name,
                                                size_t maxBytes) {
    return QueryStringIn(OpenForRead(root, Trimmed(path)).get(), name, maxBytes);
}

std::optional<std::vector<BYTE>> QueryRegistryBinary(HKEY root, const std::wstring& path, const wchar_t* name,
                                                     size_t maxBytes) {
    return QueryBinaryIn(OpenForRead(root, Trimmed(path)).get(), name, maxBytes);
}

std::optional<std::pair<DWORD, std::vector<BYTE>>> QueryRegistryRaw(HKEY root, const std::wstring& path,
                                                                    const wchar_t* name, size_t maxBytes) {
    return QueryRawIn(OpenForRead(root, Trimmed(path)).get(), name, maxBytes);
}

BOOL SetRegistryValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                      DWORD size) {
    return SetValue(root, Trimmed(path), name, type, data, size);
}

namespace {
void ReadKeyTreeInto(HKEY root, const std::wstring& path, const std::wstring& subkey, std::vector<KeyValueCopy>& out) {
    RegKey key = OpenForRead(root, Trimmed(path + L"\\" + subkey));
    if (!key) return;
    DWORD maxName = 0, maxData = 0, maxSubkey = 0;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr, &maxName, &maxData,
                     nullptr, nullptr);
    std::vector<wchar_t> name(maxName + 2);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD chars = static_cast<DWORD>(name.size()), bytes = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueW(key.get(), i, name.data(), &chars, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS) break;
        out.push_back({subkey, std::wstring(name.data(), chars), type, std::vector<BYTE>(data.begin(), data.begin() + bytes)});
    }
    std::vector<wchar_t> child(maxSubkey + 2);
    for (DWORD i = 0;; ++i) {
        DWORD chars = static_cast<DWORD>(child.size());
        if (RegEnumKeyExW(key.get(), i, child.data(), &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        ReadKeyTreeInto(root, path, subkey.empty() ? std::wstring(child.data()) : subkey + L"\\" + child.data(), out);
    }
}
}  // namespace

std::vector<KeyValueCopy> ReadKeyTree(HKEY root, const std::wstring& path) {
    std::vector<KeyValueCopy> values;
    ReadKeyTreeInto(root, path, L"", values);
    return values;
}

bool WriteKeyValues(HKEY root, const std::wstring& path, const std::vector<KeyValueCopy>& values) {
    bool ok = true;
    for (const KeyValueCopy& v : values)
        ok = SetValue(root, Trimmed(path + L"\\" + v.subkey), v.name.c_str(), v.type, v.bytes.data(),
                      static_cast<DWORD>(v.bytes.size())) && ok;
    return ok;
}

bool CopyKeyTree(const wchar_t* source, const wchar_t* destination, HKEY root) {
    RegKey from;
    if (RegOpenKeyExW(root, source, 0, KEY_READ, from.put()) != ERROR_SUCCESS) return false;
    RegKey to;
    if (RegCreateKeyExW(root, destination, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, to.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = true;

    // Buffers sized from the key itself, so no value is too long to be copied.
    DWORD maxName = 0, maxData = 0, maxSubkey = 0;
    RegQueryInfoKeyW(from.get(), nullptr, nullptr, nullptr, nullptr, &maxSubkey, nullptr, nullptr, &maxName,
                     &maxData, nullptr, nullptr);
    std::vector<wchar_t> name(std::max<DWORD>(maxName + 1, 260));
    std::vector<BYTE> data(std::max<DWORD>(maxData, 4096));
    for (DWORD i = 0;; ++i) {
        DWORD nameChars = static_cast<DWORD>(name.size());
        DWORD bytes = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(from.get(), i, name.data(), &nameChars, nullptr, &type, data.data(), &bytes) !=
            ERROR_SUCCESS)
            break;
        if (RegSetValueExW(to.get(), name.data(), 0, type, data.data(), bytes) != ERROR_SUCCESS) ok = false;
    }
    std::vector<wchar_t> subkey(std::max<DWORD>(maxSubkey + 1, 260));
    for (DWORD i = 0;; ++i) {
        DWORD chars = static_cast<DWORD>(subkey.size());
        if (RegEnumKeyExW(from.get(), i, subkey.data(), &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::wstring childSource = std::wstring(source) + L"\\" + subkey.data();
        std::wstring childDestination = std::wstring(destination) + L"\\" + subkey.data();
        ok = CopyKeyTree(childSource.c_str(), childDestination.c_str(), root) && ok;
    }
    return ok;
}
