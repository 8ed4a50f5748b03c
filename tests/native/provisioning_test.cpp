// The provisioning document: what the writer makes of texts XML treats specially, of numbers
// beyond the signed range and of bytes, and what the reader takes from elements a parser gave.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/provisioning.h"

namespace {

DeviceValue Value(uint16_t root, const wchar_t* key, const wchar_t* name, DeviceValueKind kind) {
    DeviceValue v;
    v.root = root, v.key = key, v.name = name, v.kind = kind;
    return v;
}

XmlElement Element(const wchar_t* name, std::vector<std::pair<std::wstring, std::wstring>> attributes,
                   std::vector<XmlElement> children = {}) {
    return {name, std::move(attributes), std::move(children)};
}

XmlElement Parm(const wchar_t* name, const wchar_t* value, const wchar_t* datatype) {
    return Element(L"parm", {{L"name", name}, {L"value", value}, {L"datatype", datatype}});
}

XmlElement Document(std::vector<XmlElement> keys) {
    return Element(L"wap-provisioningdoc", {}, {Element(L"characteristic", {{L"type", L"Registry"}}, std::move(keys))});
}

}  // namespace

TEST(Provisioning, WritesKeysTypesAndTextsAsTheProviderReadsThem) {
    DeviceConfig config;
    DeviceValue big = Value(kCeRootLocalMachine, L"SYSTEM\\GWE", L"cxVScr", DeviceValueKind::Dword);
    big.number = 0xFFFFFFFE;
    DeviceValue text = Value(kCeRootCurrentUser, L"Software\\A\\B\\C", L"Say \"<&>'\"", DeviceValueKind::String);
    text.text = L"tab\there\r\nline \u00E9\u65B0";
    DeviceValue bytes = Value(kCeRootClasses, L"odd\\\\key", L"B", DeviceValueKind::Binary);
    bytes.bytes = {0, 1, 2, 0xFF, 0xFE};
    DeviceValue control = Value(kCeRootLocalMachine, L"SYSTEM\\GWE", L"Bell", DeviceValueKind::String);
    control.text = L"\a";
    config.values = {big, text, bytes, control};
    const ProvisioningWrite written = WriteProvisioningDoc(config, {L"a--b.ttf"});
    const std::string& doc = written.text;

    EXPECT_EQ(doc.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(doc.find("<characteristic type=\"HKLM\\SYSTEM\\GWE\">"), std::string::npos) << doc;
    EXPECT_NE(doc.find("<parm name=\"cxVScr\" value=\"-2\" datatype=\"integer\"/>"), std::string::npos)
        << "the provider's signed range";
    EXPECT_NE(doc.find("<characteristic type=\"HKCU\\Software\\A\\B\\C\">"), std::string::npos);
    EXPECT_NE(doc.find("name=\"Say &quot;&lt;&amp;&gt;&apos;&quot;\""), std::string::npos) << doc;
    EXPECT_NE(doc.find("value=\"tab&#9;here&#13;&#10;line \xC3\xA9\xE6\x96\xB0\" datatype=\"string\""), std::string::npos)
        << "white space kept through attribute normalisation, UTF-8 otherwise";
    EXPECT_NE(doc.find("<characteristic type=\"HKCR\\odd\\key\">"), std::string::npos)
        << "empty parts of a key are dropped: " << doc;
    EXPECT_NE(doc.find("value=\"AAEC//4=\" datatype=\"binary\""), std::string::npos);
    EXPECT_EQ(written.leftOut, std::vector<std::wstring>{L"HKLM\\SYSTEM\\GWE\\Bell"});
    EXPECT_NE(doc.find("a- -b.ttf -->"), std::string::npos) << "a comment holds no \"--\"";
    EXPECT_EQ(doc.find("<!--"), doc.find("<!-- The configuration's fonts"));
}

TEST(Provisioning, ReadsThePagesDatatypesAndNamesEverythingElse) {
    XmlElement root = Document({
        Element(L"characteristic", {{L"type", L"HKLM\\SYSTEM\\GWE"}},
                {Parm(L"A", L"-1", L"integer"), Parm(L"B", L"4294967295", L"integer"), Parm(L"C", L"4294967296", L"integer"),
                 Parm(L"D", L"-2147483649", L"integer"), Parm(L"E", L"12x", L"integer"), Parm(L"F", L"", L"integer"),
                 Parm(L"G", L"AAEC//4=", L"binary"), Parm(L"H", L"AAE", L"binary"), Parm(L"I", L"A=AA", L"binary"),
                 Parm(L"J", L"text", L"string"), Parm(L"K", L"x", L"boolean"),
                 Element(L"parm", {{L"name", L"L"}, {L"value", L"no type"}}), Element(L"noparm", {{L"name", L"M"}}),
                 Element(L"characteristic", {{L"type", L"Sub"}}, {Parm(L"N", L"7", L"integer")}),
                 Parm(L"A", L"5", L"integer")}),
        Element(L"characteristic", {{L"type", L"HKEY_CURRENT_USER\\Software\\\\odd"}}, {Parm(L"O", L"1", L"integer")}),
        Element(L"characteristic", {{L"type", L"HKU\\X"}}, {Parm(L"P", L"1", L"integer")}),
        Element(L"nocharacteristic", {{L"type", L"HKLM\\SYSTEM"}}),
    });
    root.children.push_back(Element(L"characteristic", {{L"type", L"FileOperation"}}));
    const ProvisioningRead read = ReadProvisioningDoc(root);
    ASSERT_EQ(read.error, ProvisioningError::None);
    std::vector<std::wstring> places;
    for (const DeviceValue& v : read.config.values) places.push_back(DevicePlaceText(v));
    EXPECT_EQ(places, (std::vector<std::wstring>{L"HKLM\\SYSTEM\\GWE\\A", L"HKLM\\SYSTEM\\GWE\\B", L"HKLM\\SYSTEM\\GWE\\G",
                                                 L"HKLM\\SYSTEM\\GWE\\H", L"HKLM\\SYSTEM\\GWE\\J", L"HKLM\\SYSTEM\\GWE\\L",
                                                 L"HKLM\\SYSTEM\\GWE\\Sub\\N", L"HKCU\\Software\\odd\\O"}));
    EXPECT_EQ(read.config.values[0].number, 5u) << "a later parm wins";
    EXPECT_EQ(read.config.values[1].number, 0xFFFFFFFFu);
    EXPECT_EQ(read.config.values[2].bytes, (std::vector<uint8_t>{0, 1, 2, 0xFF, 0xFE}));
    EXPECT_EQ(read.config.values[3].bytes, (std::vector<uint8_t>{0, 1})) << "unpadded base64";
    EXPECT_EQ(read.config.values[5].text, L"no type") << "a string when no datatype is given";
    EXPECT_EQ(read.config.values[7].key, L"Software\\odd") << "a doubled backslash is part of a name";
    EXPECT_EQ(read.others, (std::vector<std::wstring>{L"HKLM\\SYSTEM\\GWE\\C", L"HKLM\\SYSTEM\\GWE\\D",
                                                      L"HKLM\\SYSTEM\\GWE\\E", L"HKLM\\SYSTEM\\GWE\\F",
                                                      L"HKLM\\SYSTEM\\GWE\\I", L"HKLM\\SYSTEM\\GWE\\K",
                                                      L"noparm HKLM\\SYSTEM\\GWE\\M", L"characteristic HKU\\X",
                                                      L"nocharacteristic HKLM\\SYSTEM", L"characteristic FileOperation"}));

    EXPECT_EQ(ReadProvisioningDoc(Element(L"wap-provisioning", {})).error, ProvisioningError::NotProvisioning);
}

TEST(Provisioning, WhatItWritesReadsBackTheSame) {
    DeviceConfig config;
    for (uint32_t n : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        DeviceValue v = Value(kCeRootLocalMachine, L"SYSTEM\\GWE", (L"N" + std::to_wstring(n)).c_str(), DeviceValueKind::Dword);
        v.number = n;
        config.values.push_back(v);
    }
    for (size_t size : {0u, 1u, 2u, 3u, 4u, 200u}) {
        DeviceValue v = Value(kCeRootCurrentUser, L"K", (L"B" + std::to_wstring(size)).c_str(), DeviceValueKind::Binary);
        for (size_t i = 0; i < size; ++i) v.bytes.push_back(static_cast<uint8_t>(i * 37));
        config.values.push_back(v);
    }
    const ProvisioningWrite written = WriteProvisioningDoc(config, {});
    // The elements a parser finds in what was written, read back: the characteristic per key
    // and the parms in it, with their attributes unescaped (only numbers and base64 here).
    XmlElement registry = Element(L"characteristic", {{L"type", L"Registry"}});
    const std::string& doc = written.text;
    for (size_t at = doc.find("<characteristic type=\"H"); at != std::string::npos;
         at = doc.find("<characteristic type=\"H", at + 1)) {
        auto attribute = [&](size_t from, const std::string& name) {
            const size_t start = doc.find(name + "=\"", from) + name.size() + 2;
            const std::string value = doc.substr(start, doc.find('"', start) - start);
            return std::wstring(value.begin(), value.end());
        };
        XmlElement key = Element(L"characteristic", {{L"type", attribute(at, "type")}});
        const size_t end = doc.find("</characteristic>", at);
        for (size_t p = doc.find("<parm ", at); p < end; p = doc.find("<parm ", p + 1))
            key.children.push_back(Parm(attribute(p, "name").c_str(), attribute(p, "value").c_str(),
                                        attribute(p, "datatype").c_str()));
        registry.children.push_back(key);
    }
    const ProvisioningRead read = ReadProvisioningDoc(Element(L"wap-provisioningdoc", {}, {registry}));
    EXPECT_TRUE(read.others.empty());
    EXPECT_EQ(read.config.values, config.values);
}
