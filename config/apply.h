// Apply and the device reset.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "config/session.h"
#include "store/memory_store.h"

// Writes the configuration to the device as the applied one. Before anything reaches the device,
// its settings are kept as "Before Apply"; when they cannot be, the user is asked (through
// session.ShowMessage) whether to go on without a way back, and No writes nothing.
void ApplyConfig(Session& session, const wchar_t* name);
void OfferReset(Session& session);
void ResetDevice();

// The configuration Apply keeps the device's settings in ("Before Apply"). Users cannot give a
// configuration this name; one a user gave it before is told from the kept one by the value
// "KeptBefore" in the kept one's key (the configuration applied when it was kept), and is never
// overwritten: Apply then has no way back.
const wchar_t* KeptConfigName();
bool HasKeptConfig();
// The configuration that was applied when the kept settings were taken; empty when unknown.
std::wstring KeptWhileApplied();
// What the device holds at every place the pages write into a configuration. The pages are not
// touched: their Save goes into memory, and the device is read at the same places.
MemoryStore CaptureDevice(Session& session);
// Keeps captured settings as "Before Apply", replacing the kept one before them. False when they
// cannot be kept: a user's configuration has the name, 64 configurations are stored, or the
// registry refuses (nothing half-written is left).
bool KeepDeviceSettings(const MemoryStore& device, std::wstring_view whileApplied);
// Tools > Undo Apply: after a confirmation, applies "Before Apply" (an Apply of its own: the
// device's settings are kept in its place), then offers the reset.
void UndoApply(Session& session);
