// The few Win32 types and constants the dialog template reader uses, for its build on the build
// machine (which has no windows.h). Sizes as on the device; the template's characters are read
// as 16-bit words whatever the host's wchar_t is.
#pragma once
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr DWORD DS_SETFONT = 0x40;
