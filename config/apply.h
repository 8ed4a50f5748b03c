// Apply and the device reset.
#pragma once
#include <windows.h>

class SettingsPage;

void ApplyConfig(SettingsPage** pages, int count, const wchar_t* name);
void OfferReset();
void ResetDevice();
