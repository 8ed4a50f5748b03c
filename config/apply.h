// Apply and the device reset.
#pragma once
#include <windows.h>

#include "config/session.h"

void ApplyConfig(Session& session, const wchar_t* name);
void OfferReset(Session& session);
void ResetDevice();
