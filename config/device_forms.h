// A configuration in the forms a device without Orvanel takes: its own installer (".cab"), a
// provisioning document for the Registry configuration service provider (".xml"), and that
// document as "_setup.xml" in an uncompressed cabinet (".cpf"). Export writes every value the
// pages write, at its real place on the device; import and compare read such a file back into a
// store holding the values at the places the pages read them from. The codecs are in store/
// (device_installer.h, provisioning.h); what is said goes through the session.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "config/outcome.h"
#include "config/session.h"

enum class ConfigForm { File, Installer, Document, ProvisioningCabinet };

// The form a path's extension names: ".cab", ".xml", ".cpf" (any case); anything else is a
// configuration file.
ConfigForm FormOfPath(const wchar_t* path);

// Writes the pages' values to `path` in `form` (not File). Values a form cannot hold and fonts it
// cannot carry are said, and the export goes on; done only when the file reads back.
Outcome ExportDeviceForm(Session& session, const wchar_t* path, ConfigForm form);

// Reads `path` in `form` (not File) into a store at the pages' places, or null (said through the
// session, `why` set). What the file does besides setting the pages' values is said once.
std::unique_ptr<Store> ReadDeviceForm(Session& session, const wchar_t* path, ConfigForm form, std::wstring* why);
