#include "tests/support/parsed_report.h"

#include <windows.h>
#include <msxml2.h>

#include "platform/handles.h"
#include "platform/text.h"
#include "report/msxml_ids.h"

namespace omni::test {

namespace {

std::string BstrText(BSTR text) { return text ? Narrow(text, SysStringLen(text)) : std::string(); }

ParsedNode Convert(IXMLDOMNode* node) {
    ParsedNode parsed;
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    parsed.type = type;
    unique_bstr name, text;
    node->get_nodeName(name.addressof());
    parsed.name = BstrText(name.get());
    node->get_text(text.addressof());
    parsed.text = BstrText(text.get());

    com_ptr<IXMLDOMNamedNodeMap> attributes;
    if (SUCCEEDED(node->get_attributes(attributes.addressof())) && attributes) {
        long count = 0;
        attributes->get_length(&count);
        for (long i = 0; i < count; ++i) {
            com_ptr<IXMLDOMNode> attribute;
            attributes->get_item(i, attribute.addressof());
            unique_bstr attributeName, attributeText;
            attribute->get_nodeName(attributeName.addressof());
            attribute->get_text(attributeText.addressof());
            parsed.attributes.emplace_back(BstrText(attributeName.get()), BstrText(attributeText.get()));
        }
    }
    com_ptr<IXMLDOMNodeList> children;
    if (SUCCEEDED(node->get_childNodes(children.addressof())) && children) {
        long count = 0;
        children->get_length(&count);
        for (long i = 0; i < count; ++i) {
            com_ptr<IXMLDOMNode> child;
            children->get_item(i, child.addressof());
            DOMNodeType childType = NODE_INVALID;
            child->get_nodeType(&childType);
            if (childType == NODE_ATTRIBUTE) continue;
            parsed.children.push_back(Convert(child.get()));
        }
    }
    return parsed;
}

com_ptr<IXMLDOMDocument> NewParser() {
    com_ptr<IXMLDOMDocument> doc;
    CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, doc.put_void());
    if (doc) {
        doc->put_preserveWhiteSpace(VARIANT_TRUE);
        doc->put_async(VARIANT_FALSE);
    }
    return doc;
}

ParsedReport Finish(IXMLDOMDocument* doc, HRESULT hr, VARIANT_BOOL loaded) {
    ParsedReport report;
    if (FAILED(hr) || loaded != VARIANT_TRUE) return report;
    com_ptr<IXMLDOMNode> node;
    doc->QueryInterface(IID_IXMLDOMNode, node.put_void());
    report.document = Convert(node.get());
    report.ok = true;
    return report;
}

}  // namespace

bool ParsedNode::HasAttribute(const std::string& attribute) const {
    for (const auto& a : attributes)
        if (a.first == attribute) return true;
    return false;
}

std::string ParsedNode::Attribute(const std::string& attribute) const {
    for (const auto& a : attributes)
        if (a.first == attribute) return a.second;
    return "";
}

std::vector<const ParsedNode*> ParsedNode::Elements(const std::string& elementName) const {
    std::vector<const ParsedNode*> found;
    for (const ParsedNode& child : children)
        if (child.type == NODE_ELEMENT && (elementName.empty() || child.name == elementName)) found.push_back(&child);
    return found;
}

const ParsedNode* ParsedNode::Element(const std::string& elementName) const {
    auto found = Elements(elementName);
    return found.empty() ? nullptr : found.front();
}

std::string ParsedNode::ChildText(const std::string& elementName) const {
    const ParsedNode* child = Element(elementName);
    return child ? child->text : std::string("<absent>");
}

const ParsedNode* ParsedReport::Root() const& { return document.Element("diagnosis"); }

std::vector<std::string> ParsedReport::GroupClasses() const {
    std::vector<std::string> classes;
    if (const ParsedNode* root = Root())
        for (const ParsedNode* group : root->Elements("group")) classes.push_back(group->Attribute("class"));
    return classes;
}

const ParsedNode* ParsedReport::Group(const std::string& groupClass) const& {
    if (const ParsedNode* root = Root())
        for (const ParsedNode* group : root->Elements("group"))
            if (group->Attribute("class") == groupClass) return group;
    return nullptr;
}

std::vector<const ParsedNode*> ParsedReport::Items(const std::string& groupClass) const& {
    const ParsedNode* group = Group(groupClass);
    return group ? group->Elements("item") : std::vector<const ParsedNode*>();
}

std::vector<std::string> ParsedReport::Subjects(const std::string& groupClass) const {
    std::vector<std::string> subjects;
    for (const ParsedNode* item : Items(groupClass)) subjects.push_back(item->ChildText("subject"));
    return subjects;
}

ParsedReport ParseReportText(const std::string& utf8) {
    com_ptr<IXMLDOMDocument> doc = NewParser();
    if (!doc) return ParsedReport();
    // loadXML takes UTF-16 text, which an encoding="UTF-8" declaration would contradict.
    size_t end = utf8.find("?>");
    std::string body = end == std::string::npos ? utf8 : utf8.substr(end + 2);
    std::wstring wide = Widen(body);
    unique_bstr text(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = doc->loadXML(text.get(), &loaded);
    return Finish(doc.get(), hr, loaded);
}

ParsedReport ParseReportFile(const std::string& path) {
    com_ptr<IXMLDOMDocument> doc = NewParser();
    if (!doc) return ParsedReport();
    std::wstring wide = Widen(path);
    unique_variant source;
    source.get()->vt = VT_BSTR;
    source.get()->bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = doc->load(*source.get(), &loaded);
    return Finish(doc.get(), hr, loaded);
}

int CountTextBesideElements(const ParsedNode& node) {
    bool hasElement = !node.Elements().empty();
    int count = 0;
    for (const ParsedNode& child : node.children) {
        if (hasElement && child.type == NODE_TEXT) ++count;
        if (child.type == NODE_ELEMENT) count += CountTextBesideElements(child);
    }
    return count;
}

}  // namespace omni::test
