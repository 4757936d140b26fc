// Composes the diagnosis report: one XML document with the five groups, kept as UTF-8 text by the
// diagnosis object and optionally saved to a file. A writer serves one composition.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "diagnosis/diagnosis_item.h"
#include "platform/handles.h"
#include "report/xml_dom.h"

namespace omni {

class CTotalInfo;

// Which of the item's fields become attributes of solutionmsg besides its type.
enum class SolutionAttributes {
    kTypeOnly,
    kValue,
    kValueParamIfMethod,
    kValueAndParam,
};

class CXmlWriter {
public:
    CXmlWriter();
    virtual ~CXmlWriter();
    CXmlWriter(const CXmlWriter&) = delete;
    CXmlWriter& operator=(const CXmlWriter&) = delete;

    // The document with its declaration, and the root element (not yet attached).
    HRESULT CreateDocument();
    HRESULT AppendElement(IXMLDOMNode* parent, const std::string& name, const std::string& text,
                          com_ptr<IXMLDOMElement>& element);
    HRESULT SetAttribute(IXMLDOMElement* element, const std::string& name, const std::string& value);

    HRESULT WriteBasicGroup(CTotalInfo& info);
    HRESULT WriteOcxZ4Group(CTotalInfo& info);
    HRESULT WriteOcxZ3Group(CTotalInfo& info);
    HRESULT WriteEtcGroup(CTotalInfo& info);
    HRESULT WriteDllGroup(CTotalInfo& info);

    // 0, or kReportFailed when the DOM failed (the file included); then the diagnosis object keeps
    // its previous report text and no file is written. The text is stored only once everything,
    // the save included, has succeeded.
    int Compose(CTotalInfo& info, const std::string& path);

    // Whether the system's XML parser can be created, run and asked for its document interface.
    bool IsParserInstalled() const;

private:
    HRESULT BeginGroup(const char* groupClass, com_ptr<IXMLDOMElement>& group);
    HRESULT WriteItem(IXMLDOMElement* group, const std::string& subject, const std::string* installedState,
                      const DiagnosisItem& item, SolutionAttributes attributes, const std::string& addition);
    HRESULT WriteOcxGroup(CTotalInfo& info, const char* groupClass, int kind);
    int ComposeUnguarded(CTotalInfo& info, const std::string& path);

    com_init com_;  // first in, last out: the DOM objects are released before the runtime
    XmlDom dom_;
    com_ptr<IXMLDOMElement> root_;
};

// The report of the diagnosis object's last run, composed into its report text; SaveReport also writes
// it to path. 0, or -98 with the previous text kept. Composed here, where the diagnosis and the writer
// both stand below.
int BuildReport(CTotalInfo& info);
int SaveReport(CTotalInfo& info, const std::string& path);

}  // namespace omni
