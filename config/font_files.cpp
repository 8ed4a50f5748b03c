#include "config/font_files.h"

FontFiles FindFontFiles(Session&, const DeviceConfig&) { return {}; }
