#include "store/provisioning.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {

const wchar_t* RootName(uint16_t root) {
    switch (root) {
    case kCeRootClasses: return L"HKCR";
    case kCeRootCurrentUser: return L"HKCU";
    case kCeRootLocalMachine: return L"HKLM";
    default: return nullptr;
    }
}

uint16_t RootOf(const std::wstring& name) {
    auto is = [&](const wchar_t* a, const wchar_t* b) {
        std::wstring upper;
        for (wchar_t c : name) upper += (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
        return upper == a || upper == b;
    };
    if (is(L"HKLM", L"HKEY_LOCAL_MACHINE")) return kCeRootLocalMachine;
    if (is(L"HKCU", L"HKEY_CURRENT_USER")) return kCeRootCurrentUser;
    if (is(L"HKCR", L"HKEY_CLASSES_ROOT")) return kCeRootClasses;
    return 0;
}

// Appends one code point as UTF-8.
void PutUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6), out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12), out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18), out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F)), out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A text as an attribute value: UTF-8 with the XML specials and white space escaped; nullopt
// when it holds what XML 1.0 cannot (control characters, lone surrogates, U+FFFE and U+FFFF).
std::optional<std::string> Attribute(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF || c > 0x10FFFF ||
                   (c < 0x20 && c != 9 && c != 10 && c != 13)) {
            return std::nullopt;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        case 9: out += "&#9;"; break;
        case 10: out += "&#10;"; break;
        case 13: out += "&#13;"; break;
        default: PutUtf8(out, c);
        }
    }
    return out;
}

// A key name as the provider reads it: a backslash inside a name is doubled.
std::wstring KeyPart(const std::wstring& part) {
    std::wstring out;
    for (wchar_t c : part) {
        out += c;
        if (c == L'\\') out += L'\\';
    }
    return out;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = static_cast<uint32_t>(bytes[i]) << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                           (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += kBase64[n >> 18 & 63];
        out += kBase64[n >> 12 & 63];
        out += i + 1 < bytes.size() ? kBase64[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kBase64[n & 63] : '=';
    }
    return out;
}

// Base64 with optional white space between the groups; nullopt for anything else.
std::optional<std::vector<uint8_t>> FromBase64(const std::wstring& text) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0, padding = 0;
    for (wchar_t c : text) {
        if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') continue;
        if (c == L'=') {
            ++padding;
            continue;
        }
        if (padding) return std::nullopt;   // nothing after the padding
        const char* at = c < 0x80 ? std::find(kBase64, kBase64 + 64, static_cast<char>(c)) : kBase64 + 64;
        if (at == kBase64 + 64) return std::nullopt;
        bits = bits << 6 | static_cast<uint32_t>(at - kBase64);
        if (++count == 4) {
            out.push_back(static_cast<uint8_t>(bits >> 16)), out.push_back(static_cast<uint8_t>(bits >> 8));
            out.push_back(static_cast<uint8_t>(bits));
            bits = 0, count = 0;
        }
    }
    if (padding > 2 || count == 1 || (padding && (count == 0 || count + padding != 4))) return std::nullopt;
    if (count == 2) out.push_back(static_cast<uint8_t>(bits >> 4));
    if (count == 3) out.push_back(static_cast<uint8_t>(bits >> 10)), out.push_back(static_cast<uint8_t>(bits >> 2));
    return out;
}

// A decimal integer in the range of a signed or an unsigned 32-bit number, as a DWORD.
std::optional<uint32_t> Integer(const std::wstring& text) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (negative || (!text.empty() && text[0] == L'+')) i = 1;
    if (i == text.size() || text.size() - i > 10) return std::nullopt;
    uint64_t n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        n = n * 10 + static_cast<uint64_t>(text[i] - L'0');
    }
    if (negative ? n > 0x80000000ull : n > 0xFFFFFFFFull) return std::nullopt;
    return negative ? static_cast<uint32_t>(0 - n) : static_cast<uint32_t>(n);
}

std::wstring Place(uint16_t root, const std::wstring& key, const std::wstring& name) {
    DeviceValue v;
    v.root = root, v.key = key, v.name = name;
    return DevicePlaceText(v);
}

class Reader {
public:
    explicit Reader(ProvisioningRead& out) : out_(out) {}

    void Other(std::wstring what) {
        if (std::find(out_.others.begin(), out_.others.end(), what) == out_.others.end())
            out_.others.push_back(std::move(what));
    }

    // A key characteristic: its type a path below a root, or, nested, below its parent's key.
    void Key(const XmlElement& e, uint16_t root, const std::wstring& parent, int depth) {
        const std::wstring* type = e.Attribute(L"type");
        std::wstring path = parent;
        std::vector<std::wstring> parts;
        std::wstring part;
        const std::wstring text = type ? *type : std::wstring();
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'\\') part += text[i++];
            else if (text[i] == L'\\') parts.push_back(part), part.clear();
            else part += text[i];
        }
        parts.push_back(part);
        if (root == 0) {
            root = RootOf(parts[0]);
            parts.erase(parts.begin());
            if (root == 0) {
                Other(L"characteristic " + text);
                return;
            }
        }
        for (const std::wstring& p : parts)
            if (!p.empty()) path += (path.empty() ? L"" : L"\\") + p;
        for (const XmlElement& child : e.children) {
            if (child.name == L"characteristic" && depth < 64) {
                Key(child, root, path, depth + 1);
            } else if (child.name == L"parm") {
                Parm(child, root, path);
            } else {
                const std::wstring* name = child.Attribute(L"name");
                Other(child.name + L" " + Place(root, path, name ? *name : L""));
            }
        }
    }

    void Parm(const XmlElement& e, uint16_t root, const std::wstring& key) {
        const std::wstring* name = e.Attribute(L"name");
        const std::wstring* value = e.Attribute(L"value");
        const std::wstring* type = e.Attribute(L"datatype");
        DeviceValue v;
        v.root = root, v.key = key, v.name = name ? *name : L"";
        bool good = name && value;
        const std::wstring datatype = type ? *type : L"string";   // the provider's default
        if (good && datatype == L"integer") {
            auto n = Integer(*value);
            v.kind = DeviceValueKind::Dword, v.number = n.value_or(0), good = n.has_value();
        } else if (good && datatype == L"string") {
            v.kind = DeviceValueKind::String, v.text = *value;
        } else if (good && datatype == L"binary") {
            auto bytes = FromBase64(*value);
            v.kind = DeviceValueKind::Binary, v.bytes = bytes.value_or(std::vector<uint8_t>()), good = bytes.has_value();
        } else {
            good = false;
        }
        if (!good) {
            Other(DevicePlaceText(v));
            return;
        }
        auto same = std::find_if(out_.config.values.begin(), out_.config.values.end(), [&](const DeviceValue& held) {
            return held.root == v.root && held.key == v.key && held.name == v.name;
        });
        if (same != out_.config.values.end()) *same = std::move(v);   // a later parm wins
        else out_.config.values.push_back(std::move(v));
    }

private:
    ProvisioningRead& out_;
};

}  // namespace

ProvisioningWrite WriteProvisioningDoc(const DeviceConfig& config, const std::vector<std::wstring>& fontFiles) {
    ProvisioningWrite out;
    std::string& doc = out.text;
    doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<wap-provisioningdoc>\r\n";
    if (!fontFiles.empty()) {
        // A comment may not hold "--": a file name's dashes are spaced.
        doc += "  <!-- The configuration's fonts need these files in \\Windows, which this document cannot carry:";
        for (const std::wstring& file : fontFiles) {
            std::string name = Attribute(file).value_or("?");
            for (size_t at; (at = name.find("--")) != std::string::npos;) name.replace(at, 2, "- -");
            doc += " " + name;
        }
        doc += " -->\r\n";
    }
    doc += "  <characteristic type=\"Registry\">\r\n";
    // One characteristic per key, in the order keys first appear.
    std::vector<std::pair<std::wstring, std::string>> keys;
    for (const DeviceValue& v : config.values) {
        const wchar_t* root = RootName(v.root);
        std::wstring path = root ? root : L"";
        std::wstring part;
        for (size_t i = 0; i <= v.key.size(); ++i) {
            if (i == v.key.size() || v.key[i] == L'\\') {
                if (!part.empty()) path += L"\\" + KeyPart(part);
                part.clear();
            } else {
                part += v.key[i];
            }
        }
        std::optional<std::string> type = Attribute(path), name = Attribute(v.name), value;
        const char* datatype = "string";
        switch (v.kind) {
        case DeviceValueKind::Dword:
            value = std::to_string(static_cast<int32_t>(v.number)), datatype = "integer";
            break;
        case DeviceValueKind::String: value = Attribute(v.text); break;
        case DeviceValueKind::Binary: value = Base64(v.bytes), datatype = "binary"; break;
        }
        if (!root || !type || !name || !value) {
            out.leftOut.push_back(DevicePlaceText(v));
            continue;
        }
        auto key = std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == path; });
        if (key == keys.end()) key = keys.insert(keys.end(), {path, "    <characteristic type=\"" + *type + "\">\r\n"});
        key->second += "      <parm name=\"" + *name + "\" value=\"" + *value + "\" datatype=\"" + datatype + "\"/>\r\n";
    }
    for (const auto& [path, text] : keys) doc += text + "    </characteristic>\r\n";
    doc += "  </characteristic>\r\n</wap-provisioningdoc>\r\n";
    return out;
}

ProvisioningRead ReadProvisioningDoc(const XmlElement& root) {
    ProvisioningRead result;
    if (root.name != L"wap-provisioningdoc") {
        result.error = ProvisioningError::NotProvisioning;
        return result;
    }
    Reader reader(result);
    for (const XmlElement& e : root.children) {
        const std::wstring* type = e.Attribute(L"type");
        if (e.name != L"characteristic" || !type || *type != L"Registry") {
            reader.Other(e.name + (type ? L" " + *type : L""));
            continue;
        }
        for (const XmlElement& key : e.children) {
            if (key.name == L"characteristic") {
                reader.Key(key, 0, L"", 0);
            } else {
                const std::wstring* keyType = key.Attribute(L"type");
                reader.Other(key.name + (keyType ? L" " + *keyType : L""));
            }
        }
    }
    return result;
}
