// libFuzzer target: the provisioning document reader over any tree of elements a parser could
// hand it (the system's XML parser itself is Wine's; tests/config/device_forms_test.cpp feeds it
// damaged documents), under the address and undefined behaviour sanitizers. The bytes build the
// tree: elements of the provider's names and others, attributes with the provider's words,
// numbers, base64 and arbitrary texts, nested as they say.
//  - Every value read lies below a root the provider names, at most once per place, and nothing
//    is named twice.
//  - The values written again make one parm each, or are named as left out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/provisioning.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

const wchar_t* const kNames[] = {L"characteristic", L"parm", L"noparm", L"wap-provisioningdoc", L"parm-query", L"x"};
const wchar_t* const kKeys[] = {L"type", L"name", L"value", L"datatype"};
const wchar_t* const kWords[] = {L"Registry", L"HKLM\\SYSTEM\\GWE", L"HKCU\\Software\\\\A", L"HKCR", L"HKU\\X", L"Sub\\Key",
                                 L"integer", L"string", L"binary", L"boolean", L"-1", L"4294967295", L"4294967296",
                                 L"-2147483648", L"AAEC//4=", L"AA==", L"A=", L"", L"\\", L"\\\\"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmlElement root{L"wap-provisioningdoc", {}, {}};
    std::vector<XmlElement*> open = {&root};
    for (size_t i = 0; i < size;) {
        const uint8_t op = data[i++];
        XmlElement& current = *open.back();
        switch (op % 5) {
        case 0:
            if (open.size() < 40) {
                current.children.push_back({kNames[(op / 5) % 6], {}, {}});
                open.push_back(&current.children.back());
            }
            break;
        case 1: {   // an attribute with an arbitrary text of up to 15 units
            std::wstring text;
            const size_t n = (op / 5) % 16;
            for (size_t k = 0; k < n && i < size; ++k) text += static_cast<wchar_t>(data[i++]);
            current.attributes.emplace_back(kKeys[(op / 80) % 4], text);
            break;
        }
        case 2:
            if (open.size() > 1) open.pop_back();
            break;
        default:
            if (i < size) current.attributes.emplace_back(kKeys[(op / 5) % 4], kWords[data[i++] % 20]);
            break;
        }
    }
    if (size > 0 && data[0] == 0xFF) root.name = L"other";

    const ProvisioningRead read = ReadProvisioningDoc(root);
    if (read.error != ProvisioningError::None) {
        Check(read.config.values.empty() && read.others.empty());
        return 0;
    }
    for (size_t a = 0; a < read.config.values.size(); ++a) {
        const DeviceValue& v = read.config.values[a];
        Check(v.root == kCeRootClasses || v.root == kCeRootCurrentUser || v.root == kCeRootLocalMachine);
        for (size_t b = a + 1; b < read.config.values.size(); ++b) {
            const DeviceValue& w = read.config.values[b];
            Check(!(v.root == w.root && v.key == w.key && v.name == w.name));
        }
    }
    for (size_t a = 0; a < read.others.size(); ++a)
        for (size_t b = a + 1; b < read.others.size(); ++b) Check(read.others[a] != read.others[b]);

    const ProvisioningWrite written = WriteProvisioningDoc(read.config, {});
    size_t parms = 0;
    for (size_t at = written.text.find("<parm "); at != std::string::npos; at = written.text.find("<parm ", at + 1)) ++parms;
    Check(parms + written.leftOut.size() == read.config.values.size());
    return 0;
}
