// Registry access helpers. The store-key family takes a store key ("SYSTEM", "Orvanel\<name>",
// the empty string for the root itself, or "@" and a file path) and a subkey below it; a store
// key starting with "@" goes to the configuration file and never touches the registry.
// The direct family addresses HKEY_CLASSES_ROOT and HKEY_CURRENT_USER and knows no store keys.
// Sizes are in bytes. Every helper is a thin call onto a store of store/store.h made for that one
// call, so it opens and closes its own key. A registry helper shows no message; with an "@" store
// key the file's own messages come ("File error #%d" for a file that cannot be opened).
#pragma once
#include <windows.h>

#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "base/handles.h"

// Store-key family (root HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER for the User pair).
BOOL WriteBinary(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                 const void* data, DWORD size);
BOOL ReadBinary(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                void* buffer, DWORD size);
BOOL WriteString(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                 const wchar_t* text);
BOOL ReadString(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                wchar_t* buffer, DWORD size);
BOOL WriteUserString(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                     const wchar_t* text);
BOOL ReadUserString(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name,
                    wchar_t* buffer, DWORD size);
BOOL WriteDword(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name, DWORD value);
// The value, or 0xFFFFFFFF when it cannot be read.
DWORD ReadDword(const wchar_t* storeKey, const wchar_t* subkey, const wchar_t* name);
// TRUE when HKEY_LOCAL_MACHINE\first[\second] can be opened.
BOOL KeyExists(const wchar_t* first, const wchar_t* second);

// Direct family.
BOOL PutClassString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, const wchar_t* text);
BOOL GetClassString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                    wchar_t* buffer, DWORD size);
BOOL PutUserString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, const wchar_t* text);
BOOL GetUserString(const wchar_t* path, const wchar_t* subkey, const wchar_t* name,
                   wchar_t* buffer, DWORD size);
BOOL PutUserDword(const wchar_t* path, const wchar_t* subkey, const wchar_t* name, DWORD value);
DWORD GetUserDword(const wchar_t* path, const wchar_t* subkey, const wchar_t* name);

// Deletes HKEY_LOCAL_MACHINE\path with everything below it.
BOOL DeleteKeyTree(HKEY root, const wchar_t* path);

// Every value of root\path and of the keys below it, with its subkey (relative to path), name,
// type and bytes.
struct KeyValueCopy {
    std::wstring subkey, name;
    DWORD type;
    std::vector<BYTE> bytes;
};
std::vector<KeyValueCopy> ReadKeyTree(HKEY root, const std::wstring& path);
// Writes the values back below root\path; false when one was refused (the others are written).
bool WriteKeyValues(HKEY root, const std::wstring& path, const std::vector<KeyValueCopy>& values);

// Recursive copy of root\source into root\destination; false when a key or value was refused.
bool CopyKeyTree(const wchar_t* source, const wchar_t* destination, HKEY root);

// One value at root\path, typed, with "missing" as its own state; what the helpers and the
// stores share. A leading or trailing separator in the path counts as absent.
// A REG_DWORD of exactly 4 bytes; any other type or size is missing.
std::optional<DWORD> QueryRegistryDword(HKEY root, const std::wstring& path, const wchar_t* name);
// REG_SZ of at most maxBytes bytes with its NUL.
std::optional<std::wstring> QueryRegistryString(HKEY root, const std::wstring& path, const wchar_t* name,
                                                size_t maxBytes);
// REG_BINARY of at most maxBytes bytes.
std::optional<std::vector<BYTE>> QueryRegistryBinary(HKEY root, const std::wstring& path, const wchar_t* name,
                                                     size_t maxBytes);
// The same reads and the write on a key already open (null: absent), so that one operation can
// open each key once.
std::optional<DWORD> QueryDwordIn(HKEY key, const wchar_t* name);
std::optional<std::wstring> QueryStringIn(HKEY key, const wchar_t* name, size_t maxBytes);
std::optional<std::vector<BYTE>> QueryBinaryIn(HKEY key, const wchar_t* name, size_t maxBytes);
std::optional<std::pair<DWORD, std::vector<BYTE>>> QueryRawIn(HKEY key, const wchar_t* name, size_t maxBytes);
bool SetValueIn(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size);
// root\path opened for reading (empty when it is absent or refused), or created and opened for
// writing (empty when refused).
RegKey OpenRegistryKey(HKEY root, const std::wstring& path);
RegKey CreateRegistryKey(HKEY root, const std::wstring& path);
// Any value as stored: its type and at most maxBytes of its bytes (a longer value is cut there,
// its real size after).
std::optional<std::pair<DWORD, std::vector<BYTE>>> QueryRegistryRaw(HKEY root, const std::wstring& path,
                                                                    const wchar_t* name, size_t maxBytes);
// Creates the key when missing and sets the value.
BOOL SetRegistryValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                      DWORD size);
