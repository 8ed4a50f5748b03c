// libFuzzer target: the full-name reader on any bytes at all, under the address and undefined
// behaviour sanitizers. Besides reading nothing outside the input: a name is never longer than
// its limit and holds no NUL (the page keeps it as a C string), a collection never has one, and
// only a file with a font signature can have one.
#include <cstddef>
#include <cstdint>

#include "pages/fonts/font_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const fontnames::FullNameReading reading = fontnames::ReadFullName(data, size);
    if (reading.name.size() > fontnames::kFullNameChars) __builtin_trap();
    if (reading.collection && !reading.name.empty()) __builtin_trap();
    for (char16_t c : reading.name)
        if (c == u'\0') __builtin_trap();
    if (!reading.name.empty()) {
        const std::uint32_t signature = std::uint32_t{data[0]} << 24 | std::uint32_t{data[1]} << 16 |
                                        std::uint32_t{data[2]} << 8 | data[3];
        if (signature != 0x00010000 && signature != 0x4F54544F && signature != 0x6F74746F) __builtin_trap();
    }
    return 0;
}
