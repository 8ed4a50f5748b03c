// The page kit: a page declares its registry values as a table, and the kit loads them
// (defaults first), saves them in table order, keeps them in range and so exports them; the kit
// page turns the dialog's messages into hooks and guards the page while it fills its controls.
#pragma once
#include <windows.h>

#include <climits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/strings.h"
#include "framework/settings_page.h"
#include "resources/resource.h"
#include "store/memory_store.h"
#include "store/store.h"

namespace kit {

// What a number outside its range becomes when it is loaded.
enum class OutOfRange {
    Keep,      // kept as it is
    Clamp,     // the nearest end of the range
    Default,   // the default
};

// How a number is put into words when settings are compared.
enum class Shown {
    Number,   // formatted with the row's format ("%d" without one), after adding its offset
    OnOff,    // "On" for anything but 0
    Pixels,   // "%d pixels"
};

// A number stored in a form of its own (a speed kept as a time, say).
struct NumberForm {
    DWORD (*toStored)(int value);
    int (*fromStored)(DWORD stored);
};

// A text value read into and written from the page by a small codec of its own.
template <class Page>
struct TextCodec {
    size_t maxBytes;                                                // a read takes at most this, NUL included
    void (*load)(Page& page, const std::optional<std::wstring>& text);   // null: the value is only written
    std::wstring (*save)(const Page& page);
    // The stored text in words; nullopt when it is missing. Null: the value is not compared
    // (it follows from another).
    std::optional<std::wstring> (*describe)(const std::optional<std::wstring>& text) = nullptr;
};

// A binary value (a block of colours, say) with a codec of its own.
template <class Page>
struct BinaryCodec {
    size_t maxBytes;
    void (*load)(Page& page, const std::optional<std::vector<BYTE>>& bytes);   // null: only written
    std::vector<BYTE> (*save)(const Page& page);
    // The stored bytes in words, one line per setting they hold.
    void (*describe)(const std::optional<std::vector<BYTE>>& bytes, std::vector<SettingWords>& out) = nullptr;
};

// Several values of one key that load and save together (a font description, say): the codec
// gets the row's subkey and index. `load` gives whether everything needed was there.
template <class Page>
struct GroupCodec {
    bool (*load)(Page& page, Store& store, const wchar_t* subkey, int index);
    bool (*save)(const Page& page, Store& store, const wchar_t* subkey, int index);
    // What the store holds for the group, in words. Null: the row's label and its one 32-bit
    // value at the row's place describe it.
    void (*describe)(const Page& page, Store& store, const wchar_t* subkey, int index,
                     std::vector<SettingWords>& out) = nullptr;
};

// One registry value of a page: where it lives, and either the number field it fills (with its
// default, range and stored form) or the codec that reads and writes it.
template <class Page>
struct Setting {
    const wchar_t* subkey;
    const wchar_t* name;
    LiveRoot live;
    int Page::*field = nullptr;
    int initial = 0;
    int minimum = INT_MIN;
    int maximum = INT_MAX;
    OutOfRange outOfRange = OutOfRange::Keep;
    const NumberForm* form = nullptr;
    const TextCodec<Page>* text = nullptr;
    const BinaryCodec<Page>* binary = nullptr;
    const GroupCodec<Page>* group = nullptr;
    int index = 0;
    // Its words when settings are compared: the page's own label (a string id; a row without one
    // follows from another and is not compared), and how its number reads.
    UINT label = 0;
    Shown shown = Shown::Number;
    const wchar_t* format = nullptr;
    int shownOffset = 0;
    const NumberForm* shownForm = nullptr;   // a number kept as stored, shown in this form
    // Further values of the same subkey that the row's line speaks for (values written from the
    // row's own, with no line of their own); null-terminated.
    const wchar_t* const* covers = nullptr;

    ValueRef Ref() const { return {live, subkey, name}; }
    // A stored number in words, read as loading would read it; nullopt for a missing one.
    std::optional<std::wstring> NumberWords(std::optional<DWORD> stored) const {
        if (!stored || *stored == 0xFFFFFFFFu) return std::nullopt;
        const NumberForm* words = form ? form : shownForm;
        int value = Fit(words ? words->fromStored(*stored) : static_cast<int>(*stored));
        switch (shown) {
        case Shown::OnOff: return std::wstring(LoadResString(value ? IDS_COMPARE_ON : IDS_COMPARE_OFF));
        case Shown::Pixels: return FormatText(64, LoadResString(IDS_COMPARE_PIXELS), value);
        case Shown::Number: break;
        }
        return FormatText(64, format ? format : L"%d", value + shownOffset);
    }
    int Fit(int value) const {
        if (value >= minimum && value <= maximum) return value;
        switch (outOfRange) {
        case OutOfRange::Clamp: return value < minimum ? minimum : maximum;
        case OutOfRange::Default: return initial;
        case OutOfRange::Keep: break;
        }
        return value;
    }
};

// Reads every value of the table from the store into the page. A number that is missing, or
// reads as 0xFFFFFFFF (the device's "none"), takes its default. True when every value was there.
template <class Page>
bool LoadSettings(Page& page, Store& store, std::span<const Setting<Page>> table) {
    bool complete = true;
    for (const Setting<Page>& s : table) {
        if (s.field) {
            std::optional<DWORD> stored = store.ReadDword(s.Ref());
            if (stored == 0xFFFFFFFFu) stored.reset();
            if (!stored) complete = false;
            int value = !stored ? s.initial : s.form ? s.form->fromStored(*stored) : static_cast<int>(*stored);
            page.*(s.field) = stored ? s.Fit(value) : s.initial;
        } else if (s.text && s.text->load) {
            auto text = store.ReadString(s.Ref(), s.text->maxBytes);
            complete = complete && text.has_value();
            s.text->load(page, text);
        } else if (s.binary && s.binary->load) {
            auto bytes = store.ReadBinary(s.Ref(), s.binary->maxBytes);
            complete = complete && bytes.has_value();
            s.binary->load(page, bytes);
        } else if (s.group) {
            complete = s.group->load(page, store, s.subkey, s.index) && complete;
        }
    }
    return complete;
}

// Writes every value of the table in table order. True when every write succeeded.
template <class Page>
bool SaveSettings(const Page& page, Store& store, std::span<const Setting<Page>> table) {
    bool ok = true;
    for (const Setting<Page>& s : table) {
        if (s.field) {
            int value = page.*(s.field);
            ok = store.WriteDword(s.Ref(), s.form ? s.form->toStored(value) : static_cast<DWORD>(value)) && ok;
        } else if (s.text) {
            ok = store.WriteString(s.Ref(), s.text->save(page)) && ok;
        } else if (s.binary) {
            std::vector<BYTE> bytes = s.binary->save(page);
            ok = store.WriteBinary(s.Ref(), bytes.data(), bytes.size()) && ok;
        } else if (s.group) {
            ok = s.group->save(page, store, s.subkey, s.index) && ok;
        }
    }
    return ok;
}

// A colour setting in words: red, green and blue, with its swatch.
inline SettingWords ColorWords(std::wstring setting, std::optional<COLORREF> color) {
    SettingWords line{{}, std::move(setting), std::nullopt};
    if (color && *color != 0xFFFFFFFFu) {
        line.value = FormatText(64, LoadResString(IDS_COMPARE_COLOR), GetRValue(*color), GetGValue(*color),
                                GetBValue(*color));
        line.color = *color & 0xFFFFFF;
    }
    return line;
}

// What the store holds for every row of the table, in the page's words, in table order; the
// page is not touched.
template <class Page>
std::vector<SettingWords> DescribeSettings(const Page& page, Store& store, std::span<const Setting<Page>> table) {
    std::vector<SettingWords> out;
    for (const Setting<Page>& s : table) {
        const size_t first = out.size();
        if (s.group && s.group->describe) {
            s.group->describe(page, store, s.subkey, s.index, out);
        } else if (s.binary && s.binary->describe) {
            s.binary->describe(store.ReadBinary(s.Ref(), s.binary->maxBytes), out);
        } else if (s.label && (s.field || s.group)) {
            out.push_back({{}, LoadResString(s.label), s.NumberWords(store.ReadDword(s.Ref()))});
        } else if (s.label && s.text && s.text->describe) {
            out.push_back({{}, LoadResString(s.label), s.text->describe(store.ReadString(s.Ref(), s.text->maxBytes))});
        }
        if (out.size() == first) continue;
        // The places the row's lines speak for: its own value, or every value its group writes.
        std::vector<std::pair<std::wstring, std::wstring>> places;
        if (s.group) {
            MemoryStore written;
            s.group->save(page, written, s.subkey, s.index);
            for (const MemoryStore::Value& v : written.values()) places.emplace_back(v.subkey, v.name);
        } else {
            places.emplace_back(s.subkey ? s.subkey : L"", s.name ? s.name : L"");
        }
        for (const wchar_t* const* also = s.covers; also && *also; ++also) places.emplace_back(s.subkey, *also);
        for (size_t i = first; i < out.size(); ++i) out[i].places = places;
    }
    return out;
}

}  // namespace kit

// A page built on the kit: its dialog messages arrive as hooks, and commands that its own
// filling of the controls provokes are swallowed while the "updating" guard is up.
class KitPage : public SettingsPage {
public:
    using SettingsPage::SettingsPage;
    BOOL OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL GrabSystem() override { return LoadFrom(kSystemStoreKey); }
    BOOL ApplySystem() override { return SaveTo(kSystemStoreKey); }
    // The page's own values are what its Save writes, read back from memory.
    std::optional<std::vector<SettingWords>> Describe(Store* store) override;

protected:
    // Dialog initialisation; the result is the message's.
    virtual BOOL OnInitDialog() { return TRUE; }
    // A command from a control; true when the page handled it.
    virtual bool OnCommand(WORD id, WORD code) { return false; }
    // A notification; a result, when there is one, goes back to the sender.
    virtual std::optional<LRESULT> OnNotify(const NMHDR& header) { return std::nullopt; }
    virtual void OnSettingChange() {}
    // Any other message (owner drawing, say); nullopt lets the dialog manager have it.
    virtual std::optional<BOOL> OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) { return std::nullopt; }
    // What a store holds of the page's settings, in words (kit::DescribeSettings over its table).
    virtual std::vector<SettingWords> DescribeStore(Store& store) { return {}; }

    // True while the page writes its own values into its controls.
    bool Updating() const { return updating_ > 0; }
    // Holds the guard up for its lifetime.
    class UpdatingControls {
    public:
        explicit UpdatingControls(KitPage& page) : page_(page) { ++page_.updating_; }
        ~UpdatingControls() { --page_.updating_; }
        UpdatingControls(const UpdatingControls&) = delete;
        UpdatingControls& operator=(const UpdatingControls&) = delete;
    private:
        KitPage& page_;
    };

private:
    int updating_ = 0;
};
