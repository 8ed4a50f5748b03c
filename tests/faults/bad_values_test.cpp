// Registry values of the wrong type or size, for every value the pages read through their store:
// each must count as missing, so the page does what it documents for a missing value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "store/registry.h"
#include "store/store.h"
#include "support/app_fixture.h"

namespace {

constexpr wchar_t kKey[] = L"OrvanelFaults";

// Remembers what a page reads (every value missing) and what it writes.
class RecordingStore final : public Store {
public:
    enum Kind { Dword, String, Binary };
    struct Read {
        std::wstring subkey, name;
        Kind kind;
        size_t maxBytes;
    };
    struct Written {
        std::wstring subkey, name;
        DWORD type;
        std::vector<BYTE> bytes;
        bool operator==(const Written&) const = default;
    };

    const std::wstring& Key() const override { return key_; }
    std::optional<DWORD> ReadDword(const ValueRef& v) override { return Note(v, Dword, 4), std::nullopt; }
    std::optional<std::wstring> ReadString(const ValueRef& v, size_t maxBytes) override {
        return Note(v, String, maxBytes), std::nullopt;
    }
    std::optional<std::vector<BYTE>> ReadBinary(const ValueRef& v, size_t maxBytes) override {
        return Note(v, Binary, maxBytes), std::nullopt;
    }
    bool WriteDword(const ValueRef& v, DWORD data) override { return Keep(v, REG_DWORD, &data, 4); }
    bool WriteString(const ValueRef& v, std::wstring_view text) override {
        std::wstring terminated(text);
        return Keep(v, REG_SZ, terminated.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    bool WriteBinary(const ValueRef& v, const void* data, size_t size) override { return Keep(v, REG_BINARY, data, size); }

    std::vector<Read> reads;
    std::vector<Written> writes;

private:
    static std::wstring Text(const wchar_t* s) { return s ? s : L""; }
    void Note(const ValueRef& v, Kind kind, size_t maxBytes) {
        reads.push_back({Text(v.subkey), Text(v.name), kind, maxBytes});
    }
    bool Keep(const ValueRef& v, DWORD type, const void* data, size_t size) {
        const BYTE* p = static_cast<const BYTE*>(data);
        writes.push_back({Text(v.subkey), Text(v.name), type, std::vector<BYTE>(p, p + size)});
        return true;
    }
    std::wstring key_ = L"recording";
};

// One stored form of a value: its type and bytes.
struct Form {
    const char* what;
    DWORD type;
    std::vector<BYTE> bytes;
};

std::vector<BYTE> Bytes(const void* data, size_t size) {
    const BYTE* p = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(p, p + size);
}

// Wrong types and sizes for a value the page reads as `kind`, built from its good bytes.
std::vector<Form> BadForms(RecordingStore::Kind kind, size_t maxBytes, const std::vector<BYTE>& good) {
    const DWORD number = 16;
    const wchar_t one[] = L"1";   // four bytes, like a number
    std::vector<BYTE> longer(maxBytes + 4, 'W');
    switch (kind) {
    case RecordingStore::Dword:
        return {{"text of four bytes", REG_SZ, Bytes(one, sizeof one)},
                {"binary of four bytes", REG_BINARY, good},
                {"number of two bytes", REG_DWORD, Bytes(&number, 2)},
                {"number of eight bytes", REG_DWORD, {16, 0, 0, 0, 16, 0, 0, 0}},
                {"number of no bytes", REG_DWORD, {}}};
    case RecordingStore::String:
        longer.push_back(0), longer.push_back(0);
        return {{"number", REG_DWORD, Bytes(&number, 4)},
                {"binary text", REG_BINARY, good},
                {"expandable text", REG_EXPAND_SZ, good},
                {"text longer than read", REG_SZ, longer}};
    case RecordingStore::Binary:
        return {{"number", REG_DWORD, Bytes(&number, 4)},
                {"text", REG_SZ, good},
                {"binary longer than read", REG_BINARY, longer}};
    }
    return {};
}

// The values that differ between two saves, by name; empty when none.
std::wstring Differences(const std::vector<RecordingStore::Written>& got,
                         const std::vector<RecordingStore::Written>& expected) {
    std::wstring text;
    for (size_t i = 0; i < got.size() || i < expected.size(); ++i) {
        if (i < got.size() && i < expected.size() && got[i] == expected[i]) continue;
        const auto& which = i < got.size() ? got[i] : expected[i];
        text += which.subkey + L"\\" + which.name + L" ";
    }
    return text;
}

class BadValues : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kKey);
        StartProgram();
    }
    void TearDown() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kKey);
        AppTest::TearDown();
    }
    // Puts these values (and nothing else) below the test key.
    static void Plant(const std::vector<RecordingStore::Written>& values) {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kKey);
        for (const auto& v : values)
            ASSERT_TRUE(SetRegistryValue(HKEY_LOCAL_MACHINE, std::wstring(kKey) + L"\\" + v.subkey, v.name.c_str(),
                                         v.type, v.bytes.data(), static_cast<DWORD>(v.bytes.size())));
    }
    static void SetRaw(const RecordingStore::Read& r, DWORD type, const std::vector<BYTE>& bytes) {
        RegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kKey) + L"\\" + r.subkey).c_str(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        if (type == REG_NONE) {
            RegDeleteValueW(key.get(), r.name.c_str());
            return;
        }
        ASSERT_EQ(RegSetValueExW(key.get(), r.name.c_str(), 0, type, bytes.empty() ? nullptr : bytes.data(),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    // The page's values after loading the good ones, then the ones with `r` in this form.
    static std::vector<RecordingStore::Written> LoadedWith(SettingsPage& page,
                                                           const std::vector<RecordingStore::Written>& good,
                                                           const RecordingStore::Read& r, DWORD type,
                                                           const std::vector<BYTE>& bytes) {
        auto store = OpenRegistryStore(kKey, false);
        Plant(good);
        page.Load(*store);
        SetRaw(r, type, bytes);
        page.Load(*store);
        RecordingStore after;
        page.Save(after);
        return after.writes;
    }
};

TEST_F(BadValues, EveryValueAPageReadsCountsAsMissingWhenItsTypeOrSizeIsWrong) {
    int checked = 0;
    for (size_t index = 0; index < session().pages.size(); ++index) {
        SettingsPage* page = session().pages[index];
        RecordingStore probe;
        page->Load(probe);
        if (probe.reads.empty()) continue;
        // What the page holds now stands for good values: every value it reads, with its type.
        RecordingStore good;
        page->Save(good);
        for (const auto& r : probe.reads) {
            std::vector<BYTE> goodBytes;
            for (const auto& w : good.writes)
                if (w.subkey == r.subkey && w.name == r.name) goodBytes = w.bytes;
            // A value the page reads but does not write (a font's parent gives it): a likely one.
            if (goodBytes.empty()) goodBytes = r.kind == RecordingStore::String ? Bytes(L"Tahoma", 14) : Bytes("\x10\0\0\0", 4);
            const auto missing = LoadedWith(*page, good.writes, r, REG_NONE, {});
            for (const Form& form : BadForms(r.kind, r.maxBytes, goodBytes)) {
                EXPECT_EQ(Differences(LoadedWith(*page, good.writes, r, form.type, form.bytes), missing), L"")
                    << "page " << index << " " << testing::PrintToString(r.subkey) << " "
                    << testing::PrintToString(r.name) << ": " << form.what;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100) << "the appearance, size, misc and theme pages' values";
}

}  // namespace
