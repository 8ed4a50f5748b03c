#include "store/registry.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "store/file_values.h"

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

// Store key, "\", subkey (the separator goes in even when either part is empty).
std::wstring StorePath(const wchar_t* storeKey, const wchar_t* subkey) {
    return Trimmed(std::wstring(OrEmpty(storeKey)) + L"\\" + OrEmpty(subkey));
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

// Reads a value of the expected type into the caller's buffer. The value goes through a
// scratch copy, so a failed or mistyped read never leaves half a value in the caller's buffer.
BOOL QueryTyped(HKEY key, const wchar_t* name, DWORD expectedType, void* buffer, DWORD size) {
    if (!key || !buffer) return FALSE;
    std::vector<BYTE> scratch(size ? size : 1);
    DWORD type = 0, bytes = size;
    if (RegQueryValueExW(key, name, nullptr, &type, scratch.data(), &bytes) != ERROR_SUCCESS) return FALSE;
    if (type != expectedType) return FALSE;
    memcpy(buffer, scratch.data(), bytes);
    return TRUE;
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

DWORD QueryDword(HKEY key, const wchar_t* name) {
    if (!key) return 0xFFFFFFFF;
    DWORD value = 0, bytes = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

DWORD StringBytes(const wchar_t* text) {
    return static_cast<DWORD>((lstrlenW(OrEmpty(text)) + 1) * sizeof(wchar_t));
}

BOOL ReadStringFrom(HKEY root, const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                    wchar_t* buffer, DWORD size) {
    if (IsFileKey(storeKey)) {
        if (!FindFileValue(FilePath(storeKey), subkey, name, buffer, size)) return FALSE;
        TerminateString(buffer, size);
        return TRUE;
    }
    return QueryString(OpenForRead(root, StorePath(storeKey, subkey)).get(), name, buffer, size);
}

BOOL WriteStringTo(HKEY root, const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                   const wchar_t* text) {
    if (IsFileKey(storeKey))
        return AppendFileValue(FilePath(storeKey), subkey, name, OrEmpty(text), StringBytes(text));
    return SetValue(root, StorePath(storeKey, subkey), name, REG_SZ, OrEmpty(text), StringBytes(text));
}

}  // namespace

BOOL WriteBinary(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                 const void* data, DWORD size) {
    if (IsFileKey(storeKey)) return AppendFileValue(FilePath(storeKey), subkey, name, data, size);
    return SetValue(HKEY_LOCAL_MACHINE, StorePath(storeKey, subkey), name, REG_BINARY, data, size);
}

BOOL ReadBinary(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                void* buffer, DWORD size) {
    if (IsFileKey(storeKey)) return FindFileValue(FilePath(storeKey), subkey, name, buffer, size);
    return QueryTyped(OpenForRead(HKEY_LOCAL_MACHINE, StorePath(storeKey, subkey)).get(), name,
                      REG_BINARY, buffer, size);
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
    return SetValue(HKEY_LOCAL_MACHINE, StorePath(storeKey, subkey), name, REG_DWORD, &value, sizeof(value));
}

DWORD ReadDword(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name) {
    if (IsFileKey(storeKey)) {
        // A record of fewer than 4 bytes fills the low bytes of a zero.
        DWORD value = 0;
        return FindFileValue(FilePath(storeKey), subkey, name, &value, sizeof(value)) ? value : 0xFFFFFFFF;
    }
    return QueryDword(OpenForRead(HKEY_LOCAL_MACHINE, StorePath(storeKey, subkey)).get(), name);
}

BOOL KeyExists(const wchar_t* first, const wchar_t* second) {
    std::wstring path = OrEmpty(first);
    if (second) path += std::wstring(L"\\") + second;
    return OpenForRead(HKEY_LOCAL_MACHINE, Trimmed(path)) ? TRUE : FALSE;
}

BOOL PutClassString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, const wchar_t* text) {
    return SetValue(HKEY_CLASSES_ROOT, JoinedPath(path, subkey), name, REG_SZ, OrEmpty(text), StringBytes(text));
}

BOOL GetClassString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                    wchar_t* buffer, DWORD size) {
    return QueryString(CreateForRead(HKEY_CLASSES_ROOT, JoinedPath(path, subkey)).get(), name, buffer, size);
}

BOOL PutUserString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, const wchar_t* text) {
    return SetValue(HKEY_CURRENT_USER, JoinedPath(path, subkey), name, REG_SZ, OrEmpty(text), StringBytes(text));
}

BOOL GetUserString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                   wchar_t* buffer, DWORD size) {
    return QueryString(CreateForRead(HKEY_CURRENT_USER, JoinedPath(path, subkey)).get(), name, buffer, size);
}

BOOL PutUserDword(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, DWORD value) {
    std::wstring full = Trimmed(std::wstring(OrEmpty(path)) + L"\\" + OrEmpty(subkey));
    return SetValue(HKEY_CURRENT_USER, full, name, REG_DWORD, &value, sizeof(value));
}

DWORD GetUserDword(const wchar_t* path, const wchar_t* subkey, const wchar_t* name) {
    std::wstring full = Trimmed(std::wstring(OrEmpty(path)) + L"\\" + OrEmpty(subkey));
    return QueryDword(OpenForRead(HKEY_CURRENT_USER, full).get(), name);
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
