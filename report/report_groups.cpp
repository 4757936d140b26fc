// The five groups of the report, each a walk over the diagnosis object's grades.
#include "core/message_catalog.h"
#include "diagnosis/total_info.h"
#include "report/xml_writer.h"

namespace omni {

namespace {
constexpr char kGroupBasic[] = "basic";
constexpr char kGroupOcxZ4[] = "ocx_z4";
constexpr char kGroupOcxZ3[] = "ocx_z3";
constexpr char kGroupEtc[] = "etcchecklist";
constexpr char kGroupDll[] = "dll";

using Attributes = SolutionAttributes;
}  // namespace

HRESULT CXmlWriter::WriteBasicGroup(CTotalInfo& info) {
    com_ptr<IXMLDOMElement> group;
    HRESULT hr = BeginGroup(kGroupBasic, group);
    if (FAILED(hr)) return hr;

    DiagnosisItem item = info.GradeOs();
    std::string state = info.DescribeOs();
    hr = WriteItem(group.get(), LoadMessage(104), &state, item, Attributes::kTypeOnly, "");
    if (FAILED(hr)) return hr;

    item = info.GradeIe();
    state = info.DescribeIe();
    hr = WriteItem(group.get(), LoadMessage(105), &state, item, Attributes::kValue, "");
    if (FAILED(hr)) return hr;

    item = info.GradeWmp();
    state = info.DescribeWmp(item);
    hr = WriteItem(group.get(), LoadMessage(106), &state, item, Attributes::kValueParamIfMethod, "");
    if (FAILED(hr)) return hr;

    item = info.GradeFlash();
    state = info.DescribeFlash(item);
    return WriteItem(group.get(), LoadMessage(143), &state, item, Attributes::kValueParamIfMethod, "");
}

HRESULT CXmlWriter::WriteOcxGroup(CTotalInfo& info, const char* groupClass, int kind) {
    if (info.GetRunState() != kRunComplete) return S_OK;
    com_ptr<IXMLDOMElement> group;
    HRESULT hr = BeginGroup(groupClass, group);
    const OCXDLLNode* node = info.state().installedOcx.GetHead();
    for (int i = 0; SUCCEEDED(hr) && node && i < info.state().installedOcx.GetCount(); ++i, node = node->next.get()) {
        if (node->kind != kind) continue;
        hr = WriteItem(group.get(), node->name, nullptr, info.GradeOcx(node->name), Attributes::kValueParamIfMethod,
                       "");
    }
    return hr;
}

HRESULT CXmlWriter::WriteOcxZ4Group(CTotalInfo& info) { return WriteOcxGroup(info, kGroupOcxZ4, kKindZ4Control); }

HRESULT CXmlWriter::WriteOcxZ3Group(CTotalInfo& info) { return WriteOcxGroup(info, kGroupOcxZ3, kKindZ3Control); }

HRESULT CXmlWriter::WriteEtcGroup(CTotalInfo& info) {
    if (info.GetRunState() != kRunComplete) return S_OK;
    com_ptr<IXMLDOMElement> group;
    HRESULT hr = BeginGroup(kGroupEtc, group);
    if (FAILED(hr)) return hr;
    const TotalInfoState& state = info.state();
    const bool ie7 = state.ieVersion >= Ie7Version();
    const bool ie10 = state.ieVersion >= Ie10Version();
    const bool tabs = state.ieVersion >= Ie9Version() && state.isWow64;
    IXMLDOMElement* g = group.get();

    hr = WriteItem(g, LoadMessage(137), nullptr, info.GradeFlashSecure(), Attributes::kValueParamIfMethod, "");
    if (SUCCEEDED(hr))
        hr = WriteItem(g, LoadMessage(138), nullptr, info.GradeIeFlash(), Attributes::kValueParamIfMethod, "");
    if (SUCCEEDED(hr))
        hr = WriteItem(g, LoadMessage(139), nullptr, info.GradeIeMarklet(), Attributes::kValueParamIfMethod, "");
    if (SUCCEEDED(hr))
        hr = WriteItem(g, LoadMessage(141), nullptr, info.GradeIePopup(), Attributes::kValueParamIfMethod,
                       state.toolbarText);
    if (SUCCEEDED(hr) && ie7)
        hr = WriteItem(g, LoadMessage(263), nullptr, info.GradeStatusBarScript(), Attributes::kValueParamIfMethod,
                       state.toolbarText);
    if (SUCCEEDED(hr) && ie10)
        hr = WriteItem(g, LoadMessage(156), nullptr, info.GradeSoftwareRendering(), Attributes::kValueAndParam, "");
    if (SUCCEEDED(hr) && tabs)
        hr = WriteItem(g, LoadMessage(157), nullptr, info.GradeIe32BitTabs(), Attributes::kValueAndParam, "");
    if (SUCCEEDED(hr))
        hr = WriteItem(g, LoadMessage(140), nullptr, info.GradeWmpSrs(), Attributes::kValueParamIfMethod, "");
    if (SUCCEEDED(hr))
        hr = WriteItem(g, LoadMessage(276), nullptr, info.GradeWmpNetwork(), Attributes::kValueAndParam, "");
    if (SUCCEEDED(hr))
        hr = WriteItem(g, LoadMessage(278), nullptr, info.GradeWmpSeeking(), Attributes::kValueAndParam, "");
    return hr;
}

HRESULT CXmlWriter::WriteDllGroup(CTotalInfo& info) {
    if (info.GetRunState() != kRunComplete) return S_OK;
    com_ptr<IXMLDOMElement> group;
    HRESULT hr = BeginGroup(kGroupDll, group);
    const OCXDLLList& list = info.state().installedDll;
    const OCXDLLNode* node = list.GetHead();
    for (int i = 0; SUCCEEDED(hr) && node && i < list.GetCount(); ++i, node = node->next.get())
        hr = WriteItem(group.get(), node->name, nullptr, info.GradeDll(node->name), Attributes::kValueParamIfMethod,
                       "");
    return hr;
}

}  // namespace omni
