#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <windows.h>
#include <msxml2.h>

#include "base/ComPtr.h"

using AttributeMap = std::map<std::wstring, std::wstring>;

// One XML document of the photo service through the platform DOM. The calling
// thread must have initialised COM.
class XmlHelper_CL {
public:
    XmlHelper_CL() = default;
    XmlHelper_CL(const XmlHelper_CL&) = delete;
    XmlHelper_CL& operator=(const XmlHelper_CL&) = delete;
    virtual ~XmlHelper_CL() = default;

    // Replaces the held document. E_FAIL when the text is not well-formed or
    // carries a document type declaration: answers come from the network, so
    // no DTD, no external resource and no validation.
    [[nodiscard]] HRESULT load_xml(const std::wstring& text);
    // The elements at an absolute child path, in document order.
    std::vector<ComPtr<IXMLDOMNode>> select_nodes(const wchar_t* path) const;
    // The first element at the path; empty when there is none.
    ComPtr<IXMLDOMNode> select_single_node(const wchar_t* path) const;

    // Fills the map afresh with the element's attributes.
    static void read_attributes(IXMLDOMNode* element, AttributeMap& map);
    // The node as an element; empty when it is none.
    static ComPtr<IXMLDOMElement> as_element(IXMLDOMNode* node);
    // The named attribute's text; false when the element has no such attribute.
    // Cheaper than the attribute map: the DOM makes no node for it.
    static bool named_attribute(IXMLDOMElement* element, BSTR name, std::wstring& text);
    // The element's text; false when the DOM cannot give it.
    static bool node_text(IXMLDOMNode* element, std::wstring& text);

private:
    ComPtr<IXMLDOMDocument> document_;
};

// The attribute's text, or empty when absent.
std::wstring text_of(const AttributeMap& map, const wchar_t* name);
// The attribute read as a base-10 integer, or 0 when absent.
int32_t int_of(const AttributeMap& map, const wchar_t* name);
