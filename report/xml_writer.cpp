#include "report/xml_writer.h"

#include <ole2.h>

#include <new>

#include "core/result_codes.h"
#include "diagnosis/total_info.h"
#include "platform/text.h"
#include "report/msxml_ids.h"

namespace omni {

CXmlWriter::CXmlWriter() = default;

CXmlWriter::~CXmlWriter() = default;

bool CXmlWriter::IsParserInstalled() const {
    com_ptr<IUnknown> parser;
    if (CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_SERVER, IID_IUnknown, parser.put_void()) != S_OK)
        return false;
    if (OleRun(parser.get()) != S_OK) return false;
    com_ptr<IUnknown> document;
    return parser->QueryInterface(kIidXmlDomDocument2, document.put_void()) == S_OK;
}

HRESULT CXmlWriter::CreateDocument() {
    HRESULT hr = dom_.Create();
    if (FAILED(hr)) return hr;
    return dom_.CreateElement("diagnosis", root_);
}

HRESULT CXmlWriter::AppendElement(IXMLDOMNode* parent, const std::string& name, const std::string& text,
                                  com_ptr<IXMLDOMElement>& element) {
    return dom_.AppendElement(parent, name, text, element);
}

HRESULT CXmlWriter::SetAttribute(IXMLDOMElement* element, const std::string& name, const std::string& value) {
    return dom_.SetAttribute(element, name, value);
}

HRESULT CXmlWriter::BeginGroup(const char* groupClass, com_ptr<IXMLDOMElement>& group) {
    HRESULT hr = AppendElement(root_.get(), "group", "", group);
    if (FAILED(hr)) return hr;
    return SetAttribute(group.get(), "class", groupClass);
}

HRESULT CXmlWriter::WriteItem(IXMLDOMElement* group, const std::string& subject, const std::string* installedState,
                              const DiagnosisItem& item, SolutionAttributes attributes, const std::string& addition) {
    com_ptr<IXMLDOMElement> element, child;
    HRESULT hr = AppendElement(group, "item", "", element);
    if (SUCCEEDED(hr)) hr = AppendElement(element.get(), "subject", subject, child);
    if (SUCCEEDED(hr) && installedState) hr = AppendElement(element.get(), "lenvmsg", *installedState, child);
    if (SUCCEEDED(hr)) hr = AppendElement(element.get(), "resultcolor", item.colour, child);
    if (SUCCEEDED(hr)) hr = AppendElement(element.get(), "resultmsg", item.resultMsg, child);
    com_ptr<IXMLDOMElement> solution;
    if (SUCCEEDED(hr)) hr = AppendElement(element.get(), "solutionmsg", item.solutionMsg, solution);
    if (SUCCEEDED(hr)) hr = SetAttribute(solution.get(), "type", item.solutionType);
    if (SUCCEEDED(hr) && attributes != SolutionAttributes::kTypeOnly)
        hr = SetAttribute(solution.get(), "value", item.solutionValue);
    bool withParam = attributes == SolutionAttributes::kValueAndParam ||
                     (attributes == SolutionAttributes::kValueParamIfMethod &&
                      EqualsNoCase(item.solutionType, kSolutionMethod));
    if (SUCCEEDED(hr) && withParam) hr = SetAttribute(solution.get(), "param", item.solutionParam);
    if (SUCCEEDED(hr)) hr = AppendElement(element.get(), "addition", addition, child);
    return hr;
}

int CXmlWriter::Compose(CTotalInfo& info, const std::string& path) {
    // Nothing may escape from here: the caller sits under a COM method.
    try {
        return ComposeUnguarded(info, path);
    } catch (...) {
        return kReportFailed;
    }
}

int CXmlWriter::ComposeUnguarded(CTotalInfo& info, const std::string& path) {
    HRESULT hr = CreateDocument();
    if (SUCCEEDED(hr)) hr = WriteBasicGroup(info);
    if (SUCCEEDED(hr)) hr = WriteOcxZ4Group(info);
    if (SUCCEEDED(hr)) hr = WriteOcxZ3Group(info);
    if (SUCCEEDED(hr)) hr = WriteEtcGroup(info);
    if (SUCCEEDED(hr)) hr = WriteDllGroup(info);
    if (SUCCEEDED(hr)) hr = dom_.AppendToDocument(root_.get());
    std::string text;
    if (SUCCEEDED(hr)) hr = dom_.Serialize(text);
    if (SUCCEEDED(hr) && !path.empty()) hr = dom_.Save(path);
    if (FAILED(hr)) return kReportFailed;
    info.SetReportText(text);
    return kOk;
}

int BuildReport(CTotalInfo& info) { return CXmlWriter().Compose(info, ""); }

int SaveReport(CTotalInfo& info, const std::string& path) { return CXmlWriter().Compose(info, path); }

}  // namespace omni
