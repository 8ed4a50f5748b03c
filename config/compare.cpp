#include "config/compare.h"

#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "base/strings.h"
#include "config/configurations.h"
#include "resources/resource.h"
#include "store/memory_store.h"
#include "store/store.h"

namespace {

using Place = std::pair<std::wstring, std::wstring>;   // subkey, value name

// One place a page writes, as each side stores it.
struct PlaceValues {
    Place place;
    std::optional<StoredValue> here, there;
    bool Differs() const { return here != there; }
};

const std::wstring& KeyOf(const SettingWords& words) { return words.key.empty() ? words.setting : words.key; }

std::wstring Words(const SettingWords& line) {
    return line.value ? *line.value : std::wstring(LoadResString(IDS_COMPARE_MISSING));
}

std::wstring Absent(const SettingWords& present) {
    return LoadResString(present.absentText ? present.absentText : IDS_COMPARE_MISSING);
}

COLORREF Swatch(const SettingWords& line) { return line.value ? line.color : 0xFFFFFFFF; }

// A stored value as it is: a number, a text in quotes, the first bytes of a block, or the type
// and size of anything else.
std::wstring StoredWords(const std::optional<StoredValue>& value, size_t from = 0) {
    if (!value) return LoadResString(IDS_COMPARE_MISSING);
    const std::vector<BYTE>& bytes = value->bytes;
    if (value->type == REG_DWORD && bytes.size() == sizeof(DWORD)) {
        DWORD number;
        std::memcpy(&number, bytes.data(), sizeof number);
        return FormatText(16, L"%u", number);
    }
    if (value->type == REG_SZ && bytes.size() % sizeof(wchar_t) == 0) {
        std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), bytes.data(), bytes.size());
        text.resize(wcsnlen(text.c_str(), text.size()));
        if (text.size() > 64) text.resize(64);
        return FormatText(80, LoadResString(IDS_COMPARE_STORED_TEXT), text.c_str());
    }
    if (value->type == REG_BINARY) {
        // Eight bytes from `from`, where two blocks of one size first differ.
        std::wstring hex = from ? FormatText(16, L"@%d: ", static_cast<int>(from)) : std::wstring();
        for (size_t i = from; i < bytes.size() && i < from + 8; ++i)
            hex += FormatText(4, i > from ? L" %02x" : L"%02x", bytes[i]);
        if (bytes.size() > from + 8) hex += L" ...";
        return FormatText(64, LoadResString(IDS_COMPARE_STORED_BYTES), static_cast<int>(bytes.size()), hex.c_str());
    }
    return FormatText(64, LoadResString(IDS_COMPARE_STORED_TYPE), static_cast<int>(value->type),
                      static_cast<int>(bytes.size()));
}

// Where two stored values first differ, as far as their words go: the first differing byte of
// two blocks (from eight bytes before it, rounded down), else 0.
size_t FirstDifference(const PlaceValues& place) {
    if (!place.here || !place.there || place.here->type != place.there->type) return 0;
    const std::vector<BYTE>& a = place.here->bytes;
    const std::vector<BYTE>& b = place.there->bytes;
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i < 8 ? 0 : i & ~size_t(3);
}

// A side's words with what it stores at the place that tells the sides apart: the value's name
// too when the line speaks for several.
std::wstring WithStored(const std::wstring& words, const PlaceValues& place, bool here, bool named) {
    const std::wstring stored = StoredWords(here ? place.here : place.there, FirstDifference(place));
    if (named)
        return FormatText(160, LoadResString(IDS_COMPARE_STORED_NAMED), words.c_str(), place.place.second.c_str(),
                          stored.c_str());
    return FormatText(160, LoadResString(IDS_COMPARE_STORED), words.c_str(), stored.c_str());
}

PlaceValues* Find(std::vector<PlaceValues>& places, const Place& place) {
    for (PlaceValues& p : places)
        if (SameNameIgnoringCase(p.place.first, place.first) && SameNameIgnoringCase(p.place.second, place.second))
            return &p;
    return nullptr;
}

// The first place of the line whose stored values differ, or null (a line without places, or
// whose places are all the same).
PlaceValues* FirstDiffering(std::vector<PlaceValues>& places, const SettingWords& line) {
    for (const Place& place : line.places)
        if (PlaceValues* p = Find(places, place); p && p->Differs()) return p;
    return nullptr;
}

// Whether another line of the list speaks for one of the line's places (the lines of a block
// of colours, say): such lines are told apart by their words.
bool SharesPlaces(const std::vector<SettingWords>& lines, const SettingWords& line) {
    for (const SettingWords& other : lines) {
        if (&other == &line) continue;
        for (const Place& mine : line.places)
            for (const Place& theirs : other.places)
                if (SameNameIgnoringCase(mine.first, theirs.first) && SameNameIgnoringCase(mine.second, theirs.second))
                    return true;
    }
    return false;
}

// One page whose stored values differ at some place: its lines matched by key, in the edited
// side's order, then what only the other side has, then the places no line shown speaks for.
void AddPageDifferences(const std::wstring& page, const std::vector<SettingWords>& here,
                        const std::vector<SettingWords>& there, std::vector<PlaceValues>& places,
                        std::vector<Difference>& out) {
    std::vector<bool> matched(there.size(), false);
    std::vector<const PlaceValues*> told;
    auto tell = [&](const SettingWords& line, Difference difference) {
        for (const Place& place : line.places)
            if (const PlaceValues* p = Find(places, place)) told.push_back(p);
        out.push_back(std::move(difference));
    };
    // A line with places of its own is shown exactly when one of them differs; lines that share
    // their places, or have none, when their words differ too.
    auto decidedByPlaces = [&](const std::vector<SettingWords>& lines, const SettingWords& line) {
        return !line.places.empty() && !SharesPlaces(lines, line);
    };
    for (const SettingWords& mine : here) {
        const SettingWords* theirs = nullptr;
        for (size_t j = 0; j < there.size() && !theirs; ++j) {
            if (!matched[j] && SameName(KeyOf(there[j]), KeyOf(mine))) {
                matched[j] = true;
                theirs = &there[j];
            }
        }
        const PlaceValues* differing = FirstDiffering(places, mine);
        if (!mine.places.empty() && !differing) continue;
        if (!theirs) {
            tell(mine, {page, mine.setting, Words(mine), Absent(mine), Swatch(mine), 0xFFFFFFFF});
            continue;
        }
        std::wstring hereWords = Words(mine), thereWords = Words(*theirs);
        if (hereWords == thereWords && Swatch(mine) == Swatch(*theirs)) {
            if (!decidedByPlaces(here, mine)) continue;
            // The words hide the difference: both sides say what they store.
            const bool named = mine.places.size() > 1;
            hereWords = WithStored(hereWords, *differing, true, named);
            thereWords = WithStored(thereWords, *differing, false, named);
        }
        tell(mine, {page, mine.setting, hereWords, thereWords, Swatch(mine), Swatch(*theirs)});
    }
    for (size_t j = 0; j < there.size(); ++j)
        if (!matched[j] && (there[j].places.empty() || FirstDiffering(places, there[j])))
            tell(there[j], {page, there[j].setting, Absent(there[j]), Words(there[j]), 0xFFFFFFFF, Swatch(there[j])});
    for (const PlaceValues& p : places) {
        if (!p.Differs()) continue;
        bool isTold = false;
        for (const PlaceValues* t : told) isTold = isTold || t == &p;
        if (isTold) continue;
        const std::wstring setting = p.place.first.empty() ? p.place.second : p.place.first + L"\\" + p.place.second;
        out.push_back({page, setting, StoredWords(p.here, FirstDifference(p)), StoredWords(p.there, FirstDifference(p))});
    }
}

// The input methods, which only the device holds: the page's list against the device's, by
// their words.
void AddDeviceOnlyDifferences(const std::wstring& page, SettingsPage& settings, Store& there,
                              std::vector<Difference>& out) {
    auto mine = settings.Describe(nullptr);
    auto theirs = mine ? settings.Describe(&there) : std::nullopt;
    if (!theirs) return;
    std::vector<PlaceValues> none;
    AddPageDifferences(page, *mine, *theirs, none, out);
}

std::vector<Difference> Compare(Session& session, Store* here, Store& there) {
    std::vector<Difference> differences;
    for (size_t i = 0; i < session.pages.size(); ++i) {
        SettingsPage* page = session.pages[i];
        if (!page) continue;
        if (page->SavesToDevice()) {
            // Its Save writes the device whatever the store: it is only ever described.
            if (!here) AddDeviceOnlyDifferences(PageCaption(session, i), *page, there, differences);
            continue;
        }
        MemoryStore written;
        page->Save(written);
        Store& side = here ? *here : written;
        std::vector<PlaceValues> places;
        bool differs = false;
        for (const MemoryStore::Value& v : written.values()) {
            const DWORD type = MemoryStore::TypeOf(v.kind);
            PlaceValues p{{v.subkey, v.name}, side.ReadStored(v.Ref(), type), there.ReadStored(v.Ref(), type)};
            differs = differs || p.Differs();
            places.push_back(std::move(p));
        }
        if (!differs) continue;
        auto mine = page->Describe(&side);
        auto theirs = page->Describe(&there);
        AddPageDifferences(PageCaption(session, i), mine.value_or(std::vector<SettingWords>{}),
                           theirs.value_or(std::vector<SettingWords>{}), places, differences);
    }
    return differences;
}

}  // namespace

std::vector<Difference> CompareStores(Session& session, Store& here, Store& there) {
    return Compare(session, &here, there);
}

std::vector<Difference> CompareWithStore(Session& session, Store& other) { return Compare(session, nullptr, other); }

std::vector<Difference> CompareWith(Session& session, std::wstring_view otherKey) {
    std::unique_ptr<Store> other = OpenStore(otherKey, session.sheet);
    return CompareWithStore(session, *other);
}
