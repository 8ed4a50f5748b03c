// Apply and the device reset, and the settings kept for the way back.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "config/outcome.h"
#include "config/session.h"
#include "store/memory_store.h"

// Writes the configuration to the device as the applied one. Before anything reaches the device,
// its settings are kept as "Before Apply"; when they cannot be, the question NoWayBack decides
// whether to go on, and No writes nothing. A device that already holds every value the pages
// write keeps the way back it has. Applying the kept configuration itself is an undo of what it
// holds (the pages' settings written to the device, the device's kept in their place).
Outcome ApplyConfig(Session& session, const wchar_t* name);
// Asks the reset question (Session::Question::Reset); Yes resets the device.
void OfferReset(Session& session);
void ResetDevice();

// The configuration Apply keeps the device's settings in ("Before Apply"). Users cannot give a
// configuration this name; one a user gave it before is told from the kept one by the value
// "KeptBefore" in the kept one's key (the configuration applied when it was kept), and is never
// overwritten: Apply then has no way back.
const wchar_t* KeptConfigName();
bool HasKeptConfig();
// True when `name` names the kept configuration (any case) and it is ours.
bool IsKeptConfig(std::wstring_view name);
// The configuration that was applied when the kept settings were taken; empty when unknown.
std::wstring KeptWhileApplied();
// What the pages write into a configuration, caught in memory; the pages that write the device
// whatever the store (the input methods) are left out.
MemoryStore PagesWrite(Session& session);
// What the device holds at every place the pages write into a configuration. The pages are not
// touched: their Save goes into memory, and the device is read at the same places.
MemoryStore CaptureDevice(Session& session);
// Keeps captured settings as "Before Apply". The kept ones before them are replaced only once
// the new ones are written whole. False when they cannot be kept: a user's configuration has
// the name, 64 configurations are stored, or the registry refuses; nothing half-written is left
// and the kept settings before stay as they were.
bool KeepDeviceSettings(const MemoryStore& device, std::wstring_view whileApplied);
// Tools > Undo Apply: after a confirmation that names what it restores, writes "Before Apply" to
// the device, keeping the device's settings in its place first, so that a second undo restores
// what the first replaced. The configuration applied when the settings were kept becomes the
// applied and the edited one again (marked changed where it differs from them).
Outcome UndoApply(Session& session);
