// MSXML through COM, both loaded when first used (ole32 and oleaut32 are never imported: see
// platform/pocketpc.cpp); the document class comes from its registered server directly. Every
// interface is held by an owner that releases it, every BSTR and VARIANT is freed on every path,
// and nothing leaves as an exception.
#include "platform/xml_document.h"

#include <msxml2.h>

#include <utility>

#include "base/handles.h"
#include "platform/com_apartment.h"

namespace {

struct Calls {
    decltype(&CoInitializeEx) initialize;
    decltype(&CoUninitialize) uninitialize;
    decltype(&CoCreateInstance) createInstance;
    decltype(&SysFreeString) freeString;
    decltype(&SysAllocString) allocString;
    decltype(&SafeArrayCreateVector) createVector;
    decltype(&SafeArrayAccessData) accessData;
    decltype(&SafeArrayUnaccessData) unaccessData;
    decltype(&VariantClear) variantClear;
};

const Calls* Com() {
    static OwnedModule ole32(LoadLibraryW(L"ole32.dll"));
    static OwnedModule oleaut32(LoadLibraryW(L"oleaut32.dll"));
    static const Calls calls{
        ProcEntry<decltype(&CoInitializeEx)>(ole32.get(), "CoInitializeEx"),
        ProcEntry<decltype(&CoUninitialize)>(ole32.get(), "CoUninitialize"),
        ProcEntry<decltype(&CoCreateInstance)>(ole32.get(), "CoCreateInstance"),
        ProcEntry<decltype(&SysFreeString)>(oleaut32.get(), "SysFreeString"),
        ProcEntry<decltype(&SysAllocString)>(oleaut32.get(), "SysAllocString"),
        ProcEntry<decltype(&SafeArrayCreateVector)>(oleaut32.get(), "SafeArrayCreateVector"),
        ProcEntry<decltype(&SafeArrayAccessData)>(oleaut32.get(), "SafeArrayAccessData"),
        ProcEntry<decltype(&SafeArrayUnaccessData)>(oleaut32.get(), "SafeArrayUnaccessData"),
        ProcEntry<decltype(&VariantClear)>(oleaut32.get(), "VariantClear"),
    };
    const bool all = calls.initialize && calls.uninitialize && calls.createInstance && calls.freeString &&
                     calls.allocString && calls.createVector && calls.accessData && calls.unaccessData &&
                     calls.variantClear;
    return all ? &calls : nullptr;
}

// The version-independent DOM document class and its interface, written out so that no import
// library is needed.
constexpr CLSID kDomDocument = {0x2933bf90, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
constexpr IID kIXmlDomDocument = {0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// The document class made as COM makes an in-process class, from the server its registration
// names, without COM's own lookup and without COM unloading the server when the apartment ends:
// the server is loaded at the first document and stays, so the next one costs no load. Null when
// the registration names no server that loads; COM is asked then.
HMODULE DocumentServer() {
    static const OwnedModule server = [] {
        RegKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\{2933BF90-7B36-11D2-B20E-00C04F983E60}\\InProcServer32", 0,
                          KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
            return OwnedModule();
        wchar_t path[MAX_PATH] = {};
        DWORD type = 0, bytes = sizeof path - sizeof(wchar_t);   // the last unit stays the NUL
        if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &bytes) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return OwnedModule();
        wchar_t expanded[MAX_PATH] = {};
        if (type == REG_EXPAND_SZ) {
            const DWORD units = ExpandEnvironmentStringsW(path, expanded, MAX_PATH);
            if (units == 0 || units > MAX_PATH) return OwnedModule();
        }
        return OwnedModule(LoadLibraryW(type == REG_EXPAND_SZ ? expanded : path));
    }();
    return server.get();
}

bool MakeDocumentDirectly(void** document) {
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    constexpr IID kIClassFactory = {0x00000001, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    const auto getClassObject = ProcEntry<GetClassObject>(DocumentServer(), "DllGetClassObject");
    ComRef<IClassFactory> factory;
    return getClassObject && SUCCEEDED(getClassObject(kDomDocument, kIClassFactory, reinterpret_cast<void**>(factory.put()))) &&
           factory.get() && SUCCEEDED(factory->CreateInstance(nullptr, kIXmlDomDocument, document)) && *document;
}

class Bstr {
public:
    explicit Bstr(const Calls& com) : com_(com) {}
    ~Bstr() { if (s_) com_.freeString(s_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR* put() { return &s_; }
    // A BSTR's length is its own, so NULs inside it are kept.
    std::wstring text() const {
        if (!s_) return {};
        const UINT bytes = reinterpret_cast<const UINT*>(s_)[-1];
        return std::wstring(s_, bytes / sizeof(wchar_t));
    }
private:
    const Calls& com_;
    BSTR s_ = nullptr;
};

class Variant {
public:
    explicit Variant(const Calls& com) : com_(com) { v_.vt = VT_EMPTY; }
    ~Variant() { com_.variantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT& get() { return v_; }
private:
    const Calls& com_;
    VARIANT v_;
};

class Walker {
public:
    explicit Walker(const Calls& com) : com_(com) {}

    // The element and everything below it; false when the limits are passed or a call fails.
    bool Element(IXMLDOMNode* node, XmlElement& out, int depth) {
        if (depth > kMaxXmlDepth || ++elements_ > kMaxXmlElements) {
            tooDeep_ = true;
            return false;
        }
        Bstr name(com_);
        if (FAILED(node->get_nodeName(name.put()))) return false;
        out.name = name.text();
        ComRef<IXMLDOMNamedNodeMap> attributes;
        if (SUCCEEDED(node->get_attributes(attributes.put())) && attributes.get()) {
            long count = 0;
            attributes->get_length(&count);
            for (long i = 0; i < count; ++i) {
                ComRef<IXMLDOMNode> attribute;
                if (FAILED(attributes->get_item(i, attribute.put())) || !attribute.get()) return false;
                Bstr key(com_), value(com_);
                if (FAILED(attribute->get_nodeName(key.put())) || FAILED(attribute->get_text(value.put()))) return false;
                out.attributes.emplace_back(key.text(), value.text());
            }
        }
        ComRef<IXMLDOMNodeList> children;
        if (FAILED(node->get_childNodes(children.put())) || !children.get()) return true;
        long count = 0;
        children->get_length(&count);
        for (long i = 0; i < count; ++i) {
            ComRef<IXMLDOMNode> child;
            if (FAILED(children->get_item(i, child.put())) || !child.get()) return false;
            DOMNodeType type = NODE_INVALID;
            child->get_nodeType(&type);
            if (type != NODE_ELEMENT) continue;
            out.children.emplace_back();
            if (!Element(child.get(), out.children.back(), depth + 1)) return false;
        }
        return true;
    }
    bool tooDeep() const { return tooDeep_; }

private:
    const Calls& com_;
    size_t elements_ = 0;
    bool tooDeep_ = false;
};

XmlRead Parse(const uint8_t* bytes, size_t size) {
    XmlRead result;
    const Calls* com = Com();
    if (!com || size > 0x7FFFFFFF) {
        result.error = com ? XmlError::TooDeep : XmlError::NoParser;
        return result;
    }
    ComApartment apartment(com->initialize, com->uninitialize);
    ComRef<IXMLDOMDocument> doc;
    if (!MakeDocumentDirectly(reinterpret_cast<void**>(doc.put())) &&
        (FAILED(com->createInstance(kDomDocument, nullptr, CLSCTX_INPROC_SERVER, kIXmlDomDocument,
                                    reinterpret_cast<void**>(doc.put()))) ||
         !doc.get())) {
        result.error = XmlError::NoParser;
        return result;
    }
    doc->put_async(VARIANT_FALSE);
    doc->put_validateOnParse(VARIANT_FALSE);
    doc->put_resolveExternals(VARIANT_FALSE);

    // The bytes as an array of bytes: the parser then takes the encoding from the document.
    Variant source(*com);
    SAFEARRAY* array = com->createVector(VT_UI1, 0, static_cast<ULONG>(size));
    if (!array) {
        result.error = XmlError::TooDeep;
        return result;
    }
    source.get().vt = VT_ARRAY | VT_UI1;
    source.get().parray = array;   // freed with the variant
    void* data = nullptr;
    if (FAILED(com->accessData(array, &data))) {
        result.error = XmlError::NoParser;
        return result;
    }
    if (size) memcpy(data, bytes, size);
    com->unaccessData(array);

    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT hr = doc->load(source.get(), &loaded);
    ComRef<IXMLDOMElement> root;
    if (FAILED(hr) || loaded != VARIANT_TRUE || FAILED(doc->get_documentElement(root.put())) || !root.get()) {
        result.error = XmlError::Malformed;
        ComRef<IXMLDOMParseError> parseError;
        if (SUCCEEDED(doc->get_parseError(parseError.put())) && parseError.get()) {
            Bstr reason(*com);
            long line = 0;
            parseError->get_reason(reason.put());
            parseError->get_line(&line);
            std::wstring text = reason.text();
            while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
            result.reason = L"line " + std::to_wstring(line) + (text.empty() ? L"" : L": " + text);
        }
        return result;
    }
    Walker walker(*com);
    if (!walker.Element(root.get(), result.root, 0)) {
        result.error = walker.tooDeep() ? XmlError::TooDeep : XmlError::Malformed;
        result.root = XmlElement();
    }
    return result;
}

}  // namespace

XmlRead ParseXmlDocument(const uint8_t* bytes, size_t size) {
    try {
        return Parse(bytes, size);
    } catch (...) {   // out of memory for a huge document
        XmlRead result;
        result.error = XmlError::TooDeep;
        return result;
    }
}
