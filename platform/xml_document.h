// XML documents read with the system's parser (MSXML's DOMDocument, which the device has),
// through COM loaded at first use. The document is parsed from its bytes, whatever encoding its
// declaration or byte order mark gives, without fetching anything it refers to, and handed on as
// plain elements (platform/xml_element.h).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/xml_element.h"

enum class XmlError {
    None,
    NoParser,    // COM or the parser class is missing
    Malformed,   // not well-formed XML; `reason` says where and why
    TooDeep,     // elements nested deeper, or more of them, than a reader takes
};

struct XmlRead {
    XmlError error = XmlError::None;
    std::wstring reason;   // Malformed: the parser's words, with the line
    XmlElement root;
};

inline constexpr int kMaxXmlDepth = 32;
inline constexpr size_t kMaxXmlElements = 100000;

XmlRead ParseXmlDocument(const uint8_t* bytes, size_t size);
