// The font files a configuration's fonts need on another device: for each face the pages write
// (the "Nm" of every font record) that the device's ROM does not hold, the file in \Windows that
// provides it, read whole; faces no file provides are named.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "config/session.h"
#include "store/device_installer.h"

struct FontFile {
    std::wstring name;   // the file's name in \Windows
    std::vector<uint8_t> bytes;
};

struct FontFiles {
    std::vector<FontFile> files;
    std::vector<std::wstring> unprovided;   // faces neither the ROM nor a file in \Windows holds
};

FontFiles FindFontFiles(Session& session, const DeviceConfig& config);
