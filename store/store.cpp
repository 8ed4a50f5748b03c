#include "store/store.h"

#include <cstring>

#include "base/handles.h"
#include "base/strings.h"
#include "resources/resource.h"
#include "store/config_codec.h"
#include "store/file_values.h"
#include "store/registry.h"

namespace {

const wchar_t* OrEmpty(const wchar_t* s) { return s ? s : L""; }

DWORD TextBytes(std::wstring_view text) { return static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)); }

// The registry: the live device, or one key below HKEY_LOCAL_MACHINE that holds everything.
// Each key is opened once, at its first read and its first write, and stays open for as long as
// the store lives: one operation. A key that is absent is remembered as absent until a write
// makes it; one the registry refuses for writing refuses every write.
class RegistryStore final : public Store {
public:
    RegistryStore(std::wstring key, bool live, HKEY root = HKEY_LOCAL_MACHINE)
        : key_(std::move(key)), live_(live), root_(root) {}
    const std::wstring& Key() const override { return key_; }
    bool IsLive() const override { return live_; }

    std::optional<DWORD> ReadDword(const ValueRef& v) override { return QueryDwordIn(ForRead(v), v.name); }
    std::optional<std::wstring> ReadString(const ValueRef& v, size_t maxBytes) override {
        return QueryStringIn(ForRead(v), v.name, maxBytes);
    }
    std::optional<std::vector<BYTE>> ReadBinary(const ValueRef& v, size_t maxBytes) override {
        return QueryBinaryIn(ForRead(v), v.name, maxBytes);
    }
    std::optional<StoredValue> ReadStored(const ValueRef& v, DWORD) override {
        auto raw = QueryRawIn(ForRead(v), v.name, kMaxStoredBytes);
        if (!raw) return std::nullopt;
        return StoredValue{raw->first, std::move(raw->second)};
    }
    bool WriteDword(const ValueRef& v, DWORD data) override { return SetValueIn(ForWrite(v), v.name, REG_DWORD, &data, sizeof data); }
    bool WriteString(const ValueRef& v, std::wstring_view text) override {
        std::wstring terminated(text);
        return SetValueIn(ForWrite(v), v.name, REG_SZ, terminated.c_str(), TextBytes(text));
    }
    bool WriteBinary(const ValueRef& v, const void* data, size_t size) override {
        return SetValueIn(ForWrite(v), v.name, REG_BINARY, data, static_cast<DWORD>(size));
    }

private:
    struct Held {
        HKEY root;
        std::wstring path;
        RegKey key;   // empty: absent (for reading) or refused (for writing)
    };

    HKEY Root(const ValueRef& v) const {
        if (!live_) return root_;
        switch (v.root) {
        case LiveRoot::User: return HKEY_CURRENT_USER;
        case LiveRoot::Classes: return HKEY_CLASSES_ROOT;
        case LiveRoot::System:
        case LiveRoot::Machine: break;
        }
        return HKEY_LOCAL_MACHINE;
    }
    std::wstring Path(const ValueRef& v) const {
        if (live_ && v.root != LiveRoot::System) return OrEmpty(v.subkey);
        return key_ + L"\\" + OrEmpty(v.subkey);
    }
    static Held* Find(std::vector<Held>& held, HKEY root, const std::wstring& path) {
        for (Held& h : held)
            if (h.root == root && SameNameIgnoringCase(h.path, path)) return &h;
        return nullptr;
    }
    HKEY ForRead(const ValueRef& v) {
        const HKEY root = Root(v);
        const std::wstring path = Path(v);
        if (Held* held = Find(reading_, root, path)) return held->key.get();
        reading_.push_back({root, path, OpenRegistryKey(root, path)});
        return reading_.back().key.get();
    }
    HKEY ForWrite(const ValueRef& v) {
        const HKEY root = Root(v);
        const std::wstring path = Path(v);
        if (Held* held = Find(writing_, root, path)) return held->key.get();
        writing_.push_back({root, path, CreateRegistryKey(root, path)});
        // A key made now is there for reading too.
        if (Held* read = Find(reading_, root, path); read && !read->key) read->key = OpenRegistryKey(root, path);
        return writing_.back().key.get();
    }

    std::wstring key_;
    bool live_;
    HKEY root_;
    std::vector<Held> reading_, writing_;
};

// A file being read: its text, searched for each value.
class FileReadStore final : public Store {
public:
    FileReadStore(std::wstring key, const std::vector<BYTE>& content)
        : key_(std::move(key)), text_(content.data(), content.size()) {}
    const std::wstring& Key() const override { return key_; }

    std::optional<DWORD> ReadDword(const ValueRef& v) override { return text_.ReadDword(v.subkey, v.name); }
    std::optional<std::wstring> ReadString(const ValueRef& v, size_t maxBytes) override {
        return text_.ReadString(v.subkey, v.name, maxBytes);
    }
    std::optional<std::vector<BYTE>> ReadBinary(const ValueRef& v, size_t maxBytes) override {
        return text_.ReadBinary(v.subkey, v.name, maxBytes);
    }
    std::optional<StoredValue> ReadStored(const ValueRef& v, DWORD untypedAs) override {
        std::vector<BYTE> bytes(kMaxRecordDataBytes);
        const DecodedValue found = text_.Find(v.subkey, v.name, bytes.data(), bytes.size());
        if (!found.found) return std::nullopt;
        bytes.resize(found.bytes);
        return StoredValue{untypedAs, std::move(bytes)};
    }
    bool WriteDword(const ValueRef&, DWORD) override { return false; }
    bool WriteString(const ValueRef&, std::wstring_view) override { return false; }
    bool WriteBinary(const ValueRef&, const void*, size_t) override { return false; }

private:
    std::wstring key_;
    ConfigFileText text_;
};

// A file being written: the records in the order written, appended to the file in one go.
class FileWriter final : public FileWriteStore {
public:
    // A record writer (`whole` false) appends what it was given however far the file takes it,
    // and tells only a file it cannot open.
    FileWriter(std::wstring key, FileErrorReport report, bool whole = true)
        : key_(std::move(key)), report_(std::move(report)), whole_(whole) {}
    ~FileWriter() override { Commit(); }
    const std::wstring& Key() const override { return key_; }

    std::optional<DWORD> ReadDword(const ValueRef&) override { return std::nullopt; }
    std::optional<std::wstring> ReadString(const ValueRef&, size_t) override { return std::nullopt; }
    std::optional<std::vector<BYTE>> ReadBinary(const ValueRef&, size_t) override { return std::nullopt; }

    bool WriteDword(const ValueRef& v, DWORD data) override { return Append(v, &data, sizeof data); }
    bool WriteString(const ValueRef& v, std::wstring_view text) override {
        std::wstring terminated(text);
        return Append(v, terminated.c_str(), TextBytes(text));
    }
    bool WriteBinary(const ValueRef& v, const void* data, size_t size) override { return Append(v, data, size); }

    bool Commit() override {
        if (committed_) return ok_;
        committed_ = true;
        DWORD error = ERROR_SUCCESS;
        FileHandle file(CreateFileW(Path(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            Report(GetLastError());
            return ok_ = false;
        }
        LARGE_INTEGER zero = {};
        if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) error = GetLastError();
        else error = WriteWhole(file.get(), text_.data(), static_cast<DWORD>(text_.size() * sizeof(wchar_t)));
        ok_ = error == ERROR_SUCCESS;
        if (!ok_ && whole_) {
            // A file cut short is no configuration file: it goes, and the user hears why.
            file.reset();
            DeleteFileW(Path());
            Report(error);
        }
        return ok_;
    }

private:
    const wchar_t* Path() const { return key_.c_str() + 1; }
    void Report(DWORD error) const {
        if (report_) report_(FileErrorText(IDS_FILE_ERROR_DOT, static_cast<int>(error)));
    }
    bool Append(const ValueRef& v, const void* data, size_t size) {
        if (committed_) return false;
        text_ += EncodeValueKey(v.subkey, v.name);
        text_ += EncodeValueData(data, data ? size : 0);
        return true;
    }

    std::wstring key_;
    FileErrorReport report_;
    std::wstring text_;
    bool whole_;
    bool committed_ = false;
    bool ok_ = false;
};

}  // namespace

bool IsSystemStoreKey(std::wstring_view storeKey) { return SameNameIgnoringCase(storeKey, L"System"); }
bool IsFileStoreKey(std::wstring_view storeKey) { return !storeKey.empty() && storeKey.front() == L'@'; }

std::unique_ptr<Store> OpenRegistryStore(std::wstring key, bool liveDevice) {
    return std::make_unique<RegistryStore>(std::move(key), liveDevice);
}

std::unique_ptr<Store> OpenFileStoreForReading(std::wstring key, std::vector<BYTE> content) {
    return std::make_unique<FileReadStore>(std::move(key), content);
}

std::unique_ptr<FileWriteStore> OpenFileStoreForWriting(std::wstring key, FileErrorReport report) {
    return std::make_unique<FileWriter>(std::move(key), std::move(report));
}

std::unique_ptr<FileWriteStore> OpenFileStoreForRecords(std::wstring key, FileErrorReport report) {
    return std::make_unique<FileWriter>(std::move(key), std::move(report), false);
}

std::unique_ptr<Store> OpenRegistryStoreAt(HKEY root, std::wstring key) {
    return std::make_unique<RegistryStore>(std::move(key), false, root);
}

std::unique_ptr<Store> OpenStore(std::wstring_view storeKey, HWND owner) {
    std::wstring key(storeKey);
    if (IsFileStoreKey(key)) {
        DWORD error = 0;
        auto content = ReadFileHead(key.c_str() + 1, kSearchBytes, &error);
        if (!content) {
            ShowFileError(owner, IDS_FILE_ERROR, static_cast<int>(error));
            content.emplace();
        }
        return OpenFileStoreForReading(std::move(key), std::move(*content));
    }
    bool live = IsSystemStoreKey(key);
    return OpenRegistryStore(std::move(key), live);
}

std::optional<std::vector<BYTE>> ReadFileHead(const wchar_t* path, size_t limit, DWORD* error) {
    FileHandle file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (error) *error = GetLastError();
        return std::nullopt;
    }
    std::vector<BYTE> content(limit);
    DWORD bytesRead = 0;
    // A failed read counts as an empty file.
    if (!ReadFile(file.get(), content.data(), static_cast<DWORD>(limit), &bytesRead, nullptr)) bytesRead = 0;
    content.resize(bytesRead);
    return content;
}

std::optional<std::vector<BYTE>> ReadWholeFile(const wchar_t* path, size_t limit, bool& tooLarge) {
    tooLarge = false;
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size)) return std::nullopt;
    if (static_cast<ULONGLONG>(size.QuadPart) > limit) {
        tooLarge = true;
        return std::vector<BYTE>();
    }
    std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}
