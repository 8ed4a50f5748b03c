// A configuration as a provisioning document ("wap-provisioningdoc") for the Registry
// configuration service provider: one characteristic per key below the Registry characteristic,
// its type the key's path from an abbreviated root (HKLM, HKCU, HKCR), backslashes inside a key
// name doubled; one parm per value with its datatype: "integer" (a DWORD, as a signed decimal,
// the provider's range), "string", or "binary" (base64). The document also says, in a comment,
// which font files the configuration needs: they cannot travel this way.
//
// The writer makes UTF-8 text; the reader takes the elements the system's XML parser found
// (platform/xml_element.h). Neither calls the window system.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/xml_element.h"
#include "store/device_installer.h"

struct ProvisioningWrite {
    std::string text;                   // the document, UTF-8
    std::vector<std::wstring> leftOut;  // values XML cannot hold (control characters, lone surrogates)
};

// The document for `config`'s values; `fontFiles` are named in the comment.
ProvisioningWrite WriteProvisioningDoc(const DeviceConfig& config, const std::vector<std::wstring>& fontFiles);

enum class ProvisioningError {
    None,
    NotProvisioning,   // the root element is no wap-provisioningdoc
};

struct ProvisioningRead {
    ProvisioningError error = ProvisioningError::None;
    DeviceConfig config;
    // What the document does besides setting values through the Registry provider, and values
    // it sets wrongly (an unknown datatype, a number out of range, bad base64): each named once.
    std::vector<std::wstring> others;
};

ProvisioningRead ReadProvisioningDoc(const XmlElement& root);

// The name of the instructions in a provisioning cabinet (".cpf").
inline constexpr char kProvisioningMember[] = "_setup.xml";
