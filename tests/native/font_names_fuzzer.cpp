// libFuzzer target: the full-name reader on any bytes at all, under the address and undefined
// behaviour sanitizers. Besides reading nothing outside the input, a name is never longer than
// its limit and a collection never has one.
#include <cstddef>
#include <cstdint>

#include "pages/fonts/font_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const fontnames::FullNameReading reading = fontnames::ReadFullName(data, size);
    if (reading.name.size() > fontnames::kFullNameChars) __builtin_trap();
    if (reading.collection && !reading.name.empty()) __builtin_trap();
    return 0;
}
