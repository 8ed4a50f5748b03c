#include "pages/page_registry.h"

#include "pages/appearance/appearance_page.h"
#include "pages/fonts/fonts_page.h"
#include "pages/misc/misc_page.h"
#include "pages/sip/sip_page.h"
#include "pages/size/size_page.h"
#include "pages/theme/theme_page.h"
#include "resources/resource.h"

namespace {
// Tab order, which is also the order of every walk over the pages (saving, loading, export).
constexpr PageInfo kPages[] = {
    {L"GUI", kTagGui, IDD_APPEARANCE, IDD_APPEARANCE_LAND, CreateAppearancePage},
    {L"Size", kTagSize, IDD_SIZE, IDD_SIZE_LAND, CreateSizePage},
    {L"Sip", kTagSip, IDD_SIP, IDD_SIP_LAND, CreateSipPage},
    {L"Fonts", kTagFont, IDD_FONTS, IDD_FONTS_LAND, CreateFontsPage},
    {L"Misc", kTagAnim, IDD_MISC, IDD_MISC_LAND, CreateMiscPage},
    {L"Theme", kTagTheme, IDD_THEME, IDD_THEME_LAND, CreateThemePage},
};
}  // namespace

std::span<const PageInfo> RegisteredPages() { return kPages; }
