#include "config/compare.h"

#include <memory>

#include "base/strings.h"
#include "config/store.h"
#include "resources/resource.h"
#include "store/store.h"

namespace {

const std::wstring& KeyOf(const SettingWords& words) { return words.key.empty() ? words.setting : words.key; }

std::wstring Words(const SettingWords& line) {
    return line.value ? *line.value : std::wstring(LoadResString(IDS_COMPARE_MISSING));
}

std::wstring Absent(const SettingWords& present) {
    return LoadResString(present.absentText ? present.absentText : IDS_COMPARE_MISSING);
}

COLORREF Swatch(const SettingWords& line) { return line.value ? line.color : 0xFFFFFFFF; }

// One page's lines matched by key, in the edited side's order, then what only the other side has.
void AddDifferences(const std::wstring& page, const std::vector<SettingWords>& here,
                    const std::vector<SettingWords>& there, std::vector<Difference>& out) {
    std::vector<bool> matched(there.size(), false);
    for (const SettingWords& mine : here) {
        const SettingWords* theirs = nullptr;
        for (size_t j = 0; j < there.size() && !theirs; ++j) {
            if (!matched[j] && SameName(KeyOf(there[j]), KeyOf(mine))) {
                matched[j] = true;
                theirs = &there[j];
            }
        }
        if (!theirs) {
            out.push_back({page, mine.setting, Words(mine), Absent(mine), Swatch(mine), 0xFFFFFFFF});
            continue;
        }
        if (mine.value == theirs->value && Swatch(mine) == Swatch(*theirs)) continue;
        out.push_back({page, mine.setting, Words(mine), Words(*theirs), Swatch(mine), Swatch(*theirs)});
    }
    for (size_t j = 0; j < there.size(); ++j)
        if (!matched[j])
            out.push_back({page, there[j].setting, Absent(there[j]), Words(there[j]), 0xFFFFFFFF, Swatch(there[j])});
}

}  // namespace

std::vector<Difference> CompareWithStore(Session& session, Store& other) {
    std::vector<Difference> differences;
    for (size_t i = 0; i < session.pages.size(); ++i) {
        SettingsPage* page = session.pages[i];
        if (!page) continue;
        auto here = page->Describe(nullptr);
        if (!here) continue;
        auto there = page->Describe(&other);
        if (!there) continue;
        AddDifferences(PageCaption(session, i), *here, *there, differences);
    }
    return differences;
}

std::vector<Difference> CompareWith(Session& session, std::wstring_view otherKey) {
    std::unique_ptr<Store> other = OpenStore(otherKey, session.sheet);
    return CompareWithStore(session, *other);
}
