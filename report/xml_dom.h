// The DOM plumbing under the report writer: a document, elements with text, attributes,
// serialisation to UTF-8 text and saving. Every failure is an HRESULT; nothing throws.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "platform/handles.h"

namespace omni {

class XmlDom {
public:
    // Creates the document and appends the declaration (version 1.0, UTF-8).
    HRESULT Create();
    bool created() const { return static_cast<bool>(doc_); }

    HRESULT CreateElement(const std::string& name, com_ptr<IXMLDOMElement>& element);
    // Appends a new element with the given text as the last child of parent.
    HRESULT AppendElement(IXMLDOMNode* parent, const std::string& name, const std::string& text,
                          com_ptr<IXMLDOMElement>& element);
    HRESULT SetAttribute(IXMLDOMElement* element, const std::string& name, const std::string& value);
    HRESULT SetText(IXMLDOMElement* element, const std::string& text);
    HRESULT AppendToDocument(IXMLDOMNode* node);

    // The whole document as UTF-8 text, not indented (saved through a memory stream, since the
    // xml property of some DOMs indents).
    HRESULT Serialize(std::string& utf8) const;
    HRESULT Save(const std::string& path) const;

private:
    com_ptr<IXMLDOMDocument2> doc_;
};

}  // namespace omni
