// Creation of the six settings pages, in list order.
#pragma once
#include <windows.h>

class SettingsPage;

SettingsPage* CreateAppearancePage(HINSTANCE instance);
SettingsPage* CreateSizePage(HINSTANCE instance);
SettingsPage* CreateSipPage(HINSTANCE instance);
SettingsPage* CreateFontsPage(HINSTANCE instance);
SettingsPage* CreateMiscPage(HINSTANCE instance);
SettingsPage* CreateThemePage(HINSTANCE instance);
