#include "photoservice/XmlHelper_CL.h"

#include <cwchar>

#include "base/BString.h"

namespace {

// Declared here: the MinGW import libraries do not export these.
const CLSID kDomDocumentClsid = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kDomDocumentIid = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kDomElementIid = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kDomDocument2Iid = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// Older parsers ignore the ProhibitDTD property, so a declaration is refused
// before any parser sees the text.
bool has_doctype(const std::wstring& text)
{
    return text.find(L"<!DOCTYPE") != std::wstring::npos;
}

void prohibit_dtd(IXMLDOMDocument* document)
{
    ComPtr<IXMLDOMDocument2> document2;
    if (FAILED(document->QueryInterface(kDomDocument2Iid, document2.receive_void())))
        return;
    VARIANT on;
    VariantInit(&on);
    on.vt = VT_BOOL;
    on.boolVal = VARIANT_TRUE;
    BString name(L"ProhibitDTD");
    document2->setProperty(name.get(), on);
}

}  // namespace

HRESULT XmlHelper_CL::load_xml(const std::wstring& text)
{
    document_.reset();
    if (has_doctype(text))
        return E_FAIL;
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kDomDocumentClsid, nullptr, CLSCTX_INPROC_SERVER, kDomDocumentIid,
                                document.receive_void())))
        return E_FAIL;
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    prohibit_dtd(document.get());
    BString xml(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->loadXML(xml.get(), &loaded);
    document_ = std::move(document);
    return loaded == VARIANT_TRUE ? S_OK : E_FAIL;
}

std::vector<ComPtr<IXMLDOMNode>> XmlHelper_CL::select_nodes(const wchar_t* path) const
{
    std::vector<ComPtr<IXMLDOMNode>> nodes;
    ComPtr<IXMLDOMNodeList> list;
    BString query(path);
    if (!document_ || FAILED(document_->selectNodes(query.get(), list.receive())) || !list)
        return nodes;
    long length = 0;
    list->get_length(&length);
    for (long i = 0; i < length; ++i) {
        ComPtr<IXMLDOMNode> node;
        if (FAILED(list->nextNode(node.receive())) || !node)
            break;
        nodes.push_back(std::move(node));
    }
    return nodes;
}

ComPtr<IXMLDOMNode> XmlHelper_CL::select_single_node(const wchar_t* path) const
{
    ComPtr<IXMLDOMNode> node;
    BString query(path);
    if (document_ && document_->selectSingleNode(query.get(), node.receive()) != S_OK)
        node.reset();
    return node;
}

void XmlHelper_CL::read_attributes(IXMLDOMNode* element, AttributeMap& map)
{
    map.clear();
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(element->get_attributes(attributes.receive())) || !attributes)
        return;
    long length = 0;
    attributes->get_length(&length);
    for (long i = 0; i < length; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        BString name;
        BString text;
        if (SUCCEEDED(attributes->get_item(i, attribute.receive())) && attribute &&
            SUCCEEDED(attribute->get_nodeName(name.receive())) && name &&
            SUCCEEDED(attribute->get_text(text.receive())) && text)
            map.emplace(name.str(), text.str());
    }
}

ComPtr<IXMLDOMElement> XmlHelper_CL::as_element(IXMLDOMNode* node)
{
    ComPtr<IXMLDOMElement> element;
    if (FAILED(node->QueryInterface(kDomElementIid, element.receive_void())))
        element.reset();
    return element;
}

bool XmlHelper_CL::named_attribute(IXMLDOMElement* element, BSTR name, std::wstring& text)
{
    VARIANT value;
    VariantInit(&value);
    const bool found = element->getAttribute(name, &value) == S_OK && value.vt == VT_BSTR && value.bstrVal;
    if (found)
        text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return found;
}

bool XmlHelper_CL::node_text(IXMLDOMNode* element, std::wstring& text)
{
    BString value;
    if (FAILED(element->get_text(value.receive())))
        return false;
    text = value.str();
    return true;
}

std::wstring text_of(const AttributeMap& map, const wchar_t* name)
{
    const auto found = map.find(name);
    return found == map.end() ? std::wstring() : found->second;
}

int32_t int_of(const AttributeMap& map, const wchar_t* name)
{
    const auto found = map.find(name);
    return found == map.end() ? 0 : static_cast<int32_t>(std::wcstol(found->second.c_str(), nullptr, 10));
}
