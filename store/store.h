// Where settings are kept, behind one interface. A store key resolves once into a store:
//  - the live device ("SYSTEM"): device settings under HKEY_LOCAL_MACHINE\SYSTEM, user settings
//    under HKEY_CURRENT_USER, class settings under HKEY_CLASSES_ROOT, others at their own
//    HKEY_LOCAL_MACHINE path;
//  - a configuration ("Orvanel\<name>", or any other key below HKEY_LOCAL_MACHINE): every value
//    under that key with the same subkey and value name, wherever the device keeps it;
//  - a configuration file ("@" and a path): one record per value, read once, written once.
// Reads give "missing" as its own state. Nothing here shows a message: a file store hands a file
// it cannot open or write to its caller's report once, and OpenStore shows a file it cannot read.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the live device keeps a value.
enum class LiveRoot {
    System,    // HKEY_LOCAL_MACHINE\SYSTEM\<subkey>
    User,      // HKEY_CURRENT_USER\<subkey>
    Classes,   // HKEY_CLASSES_ROOT\<subkey>
    Machine,   // HKEY_LOCAL_MACHINE\<subkey>
};

struct ValueRef {
    LiveRoot root;
    const wchar_t* subkey;
    const wchar_t* name;   // null or empty: the key's default value
};

// A value exactly as a store holds it: its registry type and all its bytes. Two stores hold the
// same value when both are equal, whatever words a page would show for them.
struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const StoredValue&) const = default;
};

// The most a value is read for a comparison; a longer one compares by its first bytes and size.
inline constexpr size_t kMaxStoredBytes = 0x10000;

class Store {
public:
    virtual ~Store() = default;

    // The store key this store was opened for.
    virtual const std::wstring& Key() const = 0;
    // True for the live device.
    virtual bool IsLive() const { return false; }

    // A 32-bit value. In the registry a REG_DWORD of 4 bytes, anything else is unreadable; in a
    // file, whose records have no type, a shorter record fills the low bytes of a zero.
    virtual std::optional<DWORD> ReadDword(const ValueRef& value) = 0;
    // A text of at most maxBytes bytes with its NUL (longer values are unreadable in the
    // registry and cut in a file); a registry value must be REG_SZ.
    virtual std::optional<std::wstring> ReadString(const ValueRef& value, size_t maxBytes) = 0;
    // At most maxBytes bytes; a registry value must be REG_BINARY.
    virtual std::optional<std::vector<BYTE>> ReadBinary(const ValueRef& value, size_t maxBytes) = 0;

    // The value as stored, for telling stores apart: its type and bytes, read without regard to
    // what a page expects there. A file's records have no type: they read as `untypedAs`.
    // nullopt: the store lacks the value (a store that cannot be read lacks every value).
    virtual std::optional<StoredValue> ReadStored(const ValueRef& value, DWORD untypedAs) { return std::nullopt; }

    virtual bool WriteDword(const ValueRef& value, DWORD data) = 0;
    // Stored with its terminating NUL.
    virtual bool WriteString(const ValueRef& value, std::wstring_view text) = 0;
    virtual bool WriteBinary(const ValueRef& value, const void* data, size_t size) = 0;
};

// The store key of the live device.
inline constexpr wchar_t kSystemStoreKey[] = L"SYSTEM";

// True when the store key names the live system ("System", any case).
bool IsSystemStoreKey(std::wstring_view storeKey);
bool IsFileStoreKey(std::wstring_view storeKey);

// A store of the registry: the live device when liveDevice is true, else everything below
// HKEY_LOCAL_MACHINE\<key>.
std::unique_ptr<Store> OpenRegistryStore(std::wstring key, bool liveDevice);

// A store of everything below root\<key> (the helpers' user and class keys).
std::unique_ptr<Store> OpenRegistryStoreAt(HKEY root, std::wstring key);

// A configuration file about to be read: its first bytes (at most 131072 are searched), read
// once by the caller.
std::unique_ptr<Store> OpenFileStoreForReading(std::wstring key, std::vector<BYTE> content);

// A configuration file being written: records gather in memory and reach the file, appended
// to what it holds, at Commit (or when the store goes). A file that cannot be opened is
// reported once, as "File error #%d." handed to `report` (which shows it; null: not told).
class FileWriteStore;
using FileErrorReport = std::function<void(const std::wstring& text)>;
std::unique_ptr<FileWriteStore> OpenFileStoreForWriting(std::wstring key, FileErrorReport report);

// The same for records appended one by one to a file that exists (the record helpers): what the
// file took stays when it takes no more, and only a file that cannot be opened is reported.
std::unique_ptr<FileWriteStore> OpenFileStoreForRecords(std::wstring key, FileErrorReport report);

class FileWriteStore : public Store {
public:
    // Writes what was gathered; false (and one message) when the file cannot take it.
    virtual bool Commit() = 0;
};

// Resolves a store key: "@path" is a file to be read now (an unreadable one reports
// "File error #%d" once over `owner` and gives a store where every value is missing), "System"
// in any case is the live device, anything else a key below HKEY_LOCAL_MACHINE.
std::unique_ptr<Store> OpenStore(std::wstring_view storeKey, HWND owner = nullptr);

// A whole file of at most `limit` bytes; nullopt when it cannot be read, an empty vector and
// `tooLarge` when it is longer (the buffer is the file's size, not the limit's).
std::optional<std::vector<BYTE>> ReadWholeFile(const wchar_t* path, size_t limit, bool& tooLarge);

// Reads the first bytes of a file, at most `limit`; nullopt and the error code when it cannot be
// opened.
std::optional<std::vector<BYTE>> ReadFileHead(const wchar_t* path, size_t limit, DWORD* error = nullptr);
