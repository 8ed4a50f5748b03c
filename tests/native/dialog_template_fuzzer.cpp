// libFuzzer target: the relayout's dialog template reader on any bytes, under the address and
// undefined behaviour sanitizers. A template read whole has exactly its header's item count, and
// every text it hands out lies inside the input, ends before a NUL word that is inside it too, and
// can be read (the sanitizers watch every byte of it).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "shell/dialog_template.h"

namespace {

const std::uint8_t* gBegin;
const std::uint8_t* gEnd;
volatile unsigned gSink;

// The view's characters are 16-bit words of the template, whatever wchar_t is on this machine.
void CheckText(std::wstring_view text) {
    if (text.empty()) return;
    const auto* first = reinterpret_cast<const std::uint8_t*>(text.data());
    if (first < gBegin || first > gEnd) __builtin_trap();
    const size_t bytes = 2 * text.size();
    if (static_cast<size_t>(gEnd - first) < bytes + 2) __builtin_trap();   // the text and its NUL
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; i += 2) {
        std::uint16_t unit;
        std::memcpy(&unit, first + i, 2);
        if (unit == 0) __builtin_trap();
        sum += unit;
    }
    std::uint16_t end;
    std::memcpy(&end, first + bytes, 2);
    if (end != 0) __builtin_trap();
    gSink = sum;
}

void CheckField(const TemplateField& field) {
    if (field.isOrdinal && !field.text.empty()) __builtin_trap();
    CheckText(field.text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    gBegin = data;
    gEnd = data + size;
    DialogTemplate layout;
    const bool whole = ReadDialogTemplate(data, size, layout);
    if (whole && layout.items.size() != layout.itemCount) __builtin_trap();
    if (layout.items.size() > layout.itemCount) __builtin_trap();
    CheckField(layout.menu);
    CheckField(layout.windowClass);
    CheckField(layout.title);
    CheckText(layout.face);
    for (const TemplateItem& item : layout.items) {
        CheckField(item.windowClass);
        CheckField(item.title);
        if (item.creationDataSize == 1) __builtin_trap();
    }
    return 0;
}
