#include "report/xml_dom.h"

#include "platform/text.h"
#include "report/msxml_ids.h"

namespace omni {

namespace {
unique_bstr MakeBstr(const std::string& utf8) {
    std::wstring wide = Widen(utf8);
    return unique_bstr(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}
}  // namespace

HRESULT XmlDom::Create() {
    doc_.reset();
    com_ptr<IXMLDOMDocument2> doc;
    HRESULT hr = CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_ALL, kIidXmlDomDocument2, doc.put_void());
    if (FAILED(hr)) return hr;
    unique_bstr target = MakeBstr("xml");
    unique_bstr data = MakeBstr("version=\"1.0\" encoding=\"UTF-8\"");
    com_ptr<IXMLDOMProcessingInstruction> declaration;
    hr = doc->createProcessingInstruction(target.get(), data.get(), declaration.addressof());
    if (FAILED(hr)) return hr;
    com_ptr<IXMLDOMNode> appended;
    hr = doc->appendChild(declaration.get(), appended.addressof());
    if (FAILED(hr)) return hr;
    doc_ = std::move(doc);
    return S_OK;
}

HRESULT XmlDom::CreateElement(const std::string& name, com_ptr<IXMLDOMElement>& element) {
    element.reset();
    if (!doc_) return E_POINTER;
    unique_bstr tag = MakeBstr(name);
    if (!tag) return E_OUTOFMEMORY;
    return doc_->createElement(tag.get(), element.addressof());
}

HRESULT XmlDom::SetText(IXMLDOMElement* element, const std::string& text) {
    if (!element) return E_POINTER;
    unique_bstr content = MakeBstr(text);
    // A null BSTR is an empty text to the DOM: the report would come out blank yet successful.
    if (!content) return E_OUTOFMEMORY;
    return element->put_text(content.get());
}

HRESULT XmlDom::AppendElement(IXMLDOMNode* parent, const std::string& name, const std::string& text,
                              com_ptr<IXMLDOMElement>& element) {
    element.reset();
    if (!parent) return E_POINTER;
    com_ptr<IXMLDOMElement> created;
    HRESULT hr = CreateElement(name, created);
    if (FAILED(hr)) return hr;
    com_ptr<IXMLDOMNode> appended;
    hr = parent->appendChild(created.get(), appended.addressof());
    if (FAILED(hr)) return hr;
    if (!text.empty()) {
        hr = SetText(created.get(), text);
        if (FAILED(hr)) return hr;
    }
    element = std::move(created);
    return S_OK;
}

HRESULT XmlDom::SetAttribute(IXMLDOMElement* element, const std::string& name, const std::string& value) {
    if (!element) return E_POINTER;
    unique_bstr attribute = MakeBstr(name);
    unique_bstr text = MakeBstr(value);
    if (!attribute || !text) return E_OUTOFMEMORY;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text.get();  // borrowed: the owner frees it
    return element->setAttribute(attribute.get(), v);
}

HRESULT XmlDom::AppendToDocument(IXMLDOMNode* node) {
    if (!doc_ || !node) return E_POINTER;
    com_ptr<IXMLDOMNode> appended;
    return doc_->appendChild(node, appended.addressof());
}

HRESULT XmlDom::Serialize(std::string& utf8) const {
    utf8.clear();
    if (!doc_) return E_POINTER;
    com_ptr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.addressof());
    if (FAILED(hr)) return hr;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_UNKNOWN;
    target.punkVal = stream.get();  // borrowed: not cleared
    hr = doc_->save(target);
    if (FAILED(hr)) return hr;
    HGLOBAL memory = nullptr;
    hr = GetHGlobalFromStream(stream.get(), &memory);
    if (FAILED(hr)) return hr;
    STATSTG stat = {};
    hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    const char* bytes = static_cast<const char*>(GlobalLock(memory));
    if (!bytes) return E_OUTOFMEMORY;
    utf8.assign(bytes, static_cast<size_t>(stat.cbSize.QuadPart));
    GlobalUnlock(memory);
    // The save may end the document with a line break; the report ends with its root.
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r')) utf8.pop_back();
    return S_OK;
}

HRESULT XmlDom::Save(const std::string& path) const {
    if (!doc_) return E_POINTER;
    unique_bstr file = MakeBstr(path);
    if (!file) return E_OUTOFMEMORY;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = file.get();  // borrowed: the owner frees it
    return doc_->save(target);
}

}  // namespace omni
