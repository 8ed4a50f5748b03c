// An XML document's elements as the system's parser gave them: names, attributes and child
// elements, in document order (text, comments and processing instructions left out). Plain data,
// so that the readers built on it need no window system.
#pragma once
#include <string>
#include <utility>
#include <vector>

struct XmlElement {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::vector<XmlElement> children;

    // The attribute's value, or null when the element has none of that name.
    const std::wstring* Attribute(const std::wstring& attribute) const {
        for (const auto& [key, value] : attributes)
            if (key == attribute) return &value;
        return nullptr;
    }
};
