#include "control/omniprobe_ctrl.h"

#include <new>

#include "control/host_policy.h"
#include "control/omniprobe_ids.h"
#include "control/page_standing.h"
#include "core/message_catalog.h"
#include "core/module_state.h"
#include "core/result_codes.h"
#include "diagnosis/error_messages.h"
#include "hosting/com_edge.h"
#include "machine/folder_mng.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace omni {

namespace {

constexpr UINT kParserQuestionText = 229;
constexpr UINT kToolCaptionText = 248;

const fw::ControlDescription kDescription = {
    &kControlClsid, &kDispatchIid, &kEventsIid, &kPropPageClsid, kControlMiscStatus, L"OmniprobeCtrlWindow",
};

// A method cannot be put; a property answers a get however it was flagged.
HRESULT MethodOnly(WORD kind) { return kind == DISPATCH_PROPERTYPUT ? DISP_E_MEMBERNOTFOUND : S_OK; }

// What a method answers a page whose host the allow-list leaves out, by its result type.
enum Refusal : unsigned char { kOpen, kCode, kShortCode, kFalse, kEmptyText, kEmptyReportAndCode };

HRESULT RefusalResult(Refusal refusal, VARIANT* result) {
    switch (refusal) {
    case kShortCode: return fw::SetShortResult(result, kHostNotAllowed);
    case kFalse: return fw::SetBoolResult(result, false);
    case kEmptyText: return fw::SetStringResult(result, std::string());
    default: return fw::SetLongResult(result, kHostNotAllowed);
    }
}

}  // namespace

COmniprobeCtrl::COmniprobeCtrl() : fw::OleControl(kDescription), safety_(static_cast<IOleObject*>(this)) {}

IUnknown* COmniprobeCtrl::Create() {
    auto* control = new (std::nothrow) COmniprobeCtrl();
    return control ? static_cast<IOleObject*>(control) : nullptr;
}

void* COmniprobeCtrl::QueryControlInterface(REFIID iid) {
    return IsEqualIID(iid, IID_IObjectSafety) ? static_cast<IObjectSafety*>(&safety_) : nullptr;
}

HRESULT COmniprobeCtrl::InvokeMember(DISPID id, WORD flags, const fw::DispatchArgs& args, VARIANT* result) {
    using Member = HRESULT (COmniprobeCtrl::*)(WORD, const fw::DispatchArgs&, VARIANT*);
    struct Entry {
        DISPID id;
        Member member;
        Refusal refusal;
    };
    // Properties and GetErrorMsg stay open to every page: the page still learns what a code means.
    static const Entry kMembers[] = {
        {kDispServerUrl, &COmniprobeCtrl::ServerUrlMember, kOpen},
        {kDispMailAddr, &COmniprobeCtrl::MailAddrMember, kOpen},
        {kDispInstallMode, &COmniprobeCtrl::InstallModeMember, kOpen},
        {kDispSetWebMode, &COmniprobeCtrl::SetWebMode, kCode},
        {kDispRetrieve, &COmniprobeCtrl::Retrieve, kEmptyReportAndCode},
        {kDispGetErrorMsg, &COmniprobeCtrl::GetErrorMsg, kOpen},
        {kDispLang, &COmniprobeCtrl::LangMember, kOpen},
        {kDispIsIe10OrAbove, &COmniprobeCtrl::IsIe10OrAbove, kFalse},
        {kDispIs64BitOs, &COmniprobeCtrl::Is64BitOs, kFalse},
        {kDispGetIeVersion, &COmniprobeCtrl::GetIeVersion, kShortCode},
        {kDispModify, &COmniprobeCtrl::Modify, kCode},
        {kDispInstallOcx, &COmniprobeCtrl::InstallOcx, kCode},
        {kDispInstallDll, &COmniprobeCtrl::InstallDll, kCode},
        {kDispInstallProgram, &COmniprobeCtrl::InstallProgram, kCode},
        {kDispSaveTo, &COmniprobeCtrl::SaveTo, kCode},
        {kDispMailTo, &COmniprobeCtrl::MailTo, kCode},
        {kDispSendInformation, &COmniprobeCtrl::SendInformation, kFalse},
        {kDispShowSampleContent, &COmniprobeCtrl::ShowSampleContent, kCode},
        {kDispShowIeToolbarList, &COmniprobeCtrl::ShowIeToolbarList, kCode},
        {kDispGetDisabledIeAddins, &COmniprobeCtrl::GetDisabledIeAddins, kEmptyText},
    };
    // Whatever the member reaches of install mode, server address and folders is this object's own.
    ActiveFolders folders(state_.folders);
    for (const Entry& entry : kMembers) {
        if (entry.id != id) continue;
        if (entry.refusal != kOpen && flags != DISPATCH_PROPERTYPUT) {
            // Before the member runs, so a refused page has nothing fetched, changed or run.
            if (!PageAllowed()) {
                if (entry.refusal == kEmptyReportAndCode) Deliver(kEmptyReport);
                return RefusalResult(entry.refusal, result);
            }
            // A page refused when the window was created gets the window's set-up now.
            if (window() && !state_.setUp) SetUpOnWindowCreation(state_);
        }
        return (this->*entry.member)(flags, args, result);
    }
    return DISP_E_MEMBERNOTFOUND;
}

// Asked at every call: the container may show another page by now. Without a policy the site is not asked.
bool COmniprobeCtrl::PageAllowed() {
    HostPolicy policy = ReadHostPolicy();
    return !policy.present || policy.AllowsPage(ContainerAddress());
}

// --- Properties

HRESULT COmniprobeCtrl::StringProperty(std::string& member, WORD kind, const fw::DispatchArgs& args,
                                       VARIANT* result) {
    if (kind != DISPATCH_PROPERTYPUT) return fw::SetStringResult(result, member);
    std::string value;
    HRESULT hr = args.String(0, value);
    if (FAILED(hr)) return hr;
    member = value;
    SetModified();
    return S_OK;
}

HRESULT COmniprobeCtrl::ServerUrlMember(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    return StringProperty(state_.serverUrl, kind, args, result);
}

HRESULT COmniprobeCtrl::MailAddrMember(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    return StringProperty(state_.mailAddr, kind, args, result);
}

HRESULT COmniprobeCtrl::LangMember(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    HRESULT hr = StringProperty(state_.lang, kind, args, result);
    // The thread's language is shared with the browser; a refused page keeps its choice to itself.
    if (SUCCEEDED(hr) && kind == DISPATCH_PROPERTYPUT && PageAllowed()) ApplyLanguage(state_.lang);
    return hr;
}

HRESULT COmniprobeCtrl::InstallModeMember(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    if (kind != DISPATCH_PROPERTYPUT) return fw::SetLongResult(result, state_.installMode);
    long value = 0;
    HRESULT hr = args.Long(0, value);
    if (FAILED(hr)) return hr;
    if (!AcceptScriptInstallMode(value)) return S_OK;
    state_.installMode = value;
    SetModified();
    return S_OK;
}

HRESULT COmniprobeCtrl::ExchangeProperties(fw::PropertyExchange& exchange) {
    // Loaded into a copy: a medium that fails half-way leaves the properties as they were.
    ControlState values = state_;
    HRESULT hr = exchange.Long(L"InstallMode", values.installMode, kInstallModeLocal);
    if (SUCCEEDED(hr)) hr = exchange.String(L"ServerURL", values.serverUrl);
    if (SUCCEEDED(hr)) hr = exchange.String(L"MailAddr", values.mailAddr);
    if (SUCCEEDED(hr)) hr = exchange.String(L"Lang", values.lang);
    if (FAILED(hr)) return hr;
    values.installMode = NormalisedInstallMode(values.installMode);
    state_ = values;
    return S_OK;
}

// --- Methods

HRESULT COmniprobeCtrl::SetWebMode(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (FAILED(MethodOnly(kind))) return DISP_E_MEMBERNOTFOUND;
    return fw::SetLongResult(result, kOk);  // the mode comes from the PARAM alone
}

HRESULT COmniprobeCtrl::Retrieve(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (FAILED(MethodOnly(kind))) return DISP_E_MEMBERNOTFOUND;
    return fw::SetLongResult(result, RunRetrieveNow());
}

int COmniprobeCtrl::RunRetrieveNow() {
    ModuleState& module = GetModuleState();
    // One at a time, and never inside a repair's question or dialog, which still uses the lists that a
    // diagnosis would clear. A running Retrieve still fires its event, so this call fires none.
    if (module.retrievesRunning > 0 || module.repairsRunning > 0) return kDiagnosisRunning;
    delivered_ = false;
    ++module.retrievesRunning;
    int code = kDiagnosisIncomplete;
    HRESULT hr = ComEdge([&]() -> HRESULT {
        code = RunRetrieve(state_, info_, *this);
        return S_OK;
    });
    --module.retrievesRunning;
    // A C++ failure inside the diagnosis (out of memory, say) still answers the page, with the empty report.
    if (FAILED(hr)) {
        code = kDiagnosisIncomplete;
        if (!delivered_) ComEdge([&] { Deliver(kEmptyReport); return S_OK; });
    }
    return code;
}

HRESULT COmniprobeCtrl::GetErrorMsg(WORD kind, const fw::DispatchArgs& args, VARIANT* result) {
    if (FAILED(MethodOnly(kind))) return DISP_E_MEMBERNOTFOUND;
    long code = 0;
    HRESULT hr = args.Long(0, code);
    if (FAILED(hr)) return hr;
    if (code == kRebootAdvised) info_.ProbeFactsIfNeverRun();  // its text depends on the system
    // In this control's own language, which a refused page never applies to the thread.
    ScopedCatalogLanguage language(LanguageFromLang(state_.lang));
    return fw::SetStringResult(result, ErrorMessageText(code, info_.GetOsCode()));
}

HRESULT COmniprobeCtrl::IsIe10OrAbove(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (FAILED(MethodOnly(kind))) return DISP_E_MEMBERNOTFOUND;
    info_.ProbeFactsIfNeverRun();
    return fw::SetBoolResult(result, info_.IsIe10OrLater());
}

HRESULT COmniprobeCtrl::Is64BitOs(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (FAILED(MethodOnly(kind))) return DISP_E_MEMBERNOTFOUND;
    info_.ProbeFactsIfNeverRun();
    return fw::SetBoolResult(result, info_.IsOn64BitWindows());
}

HRESULT COmniprobeCtrl::GetIeVersion(WORD kind, const fw::DispatchArgs&, VARIANT* result) {
    if (FAILED(MethodOnly(kind))) return DISP_E_MEMBERNOTFOUND;
    info_.ProbeFactsIfNeverRun();
    return fw::SetShortResult(result, info_.GetIeDisplayMajor());
}

// --- Retrieve's page side

int COmniprobeCtrl::ConfirmParserInstall() {
    if (StandingOf(ReadHostPolicy(), ContainerAddress()) == PageStanding::kRefused) return kHostNotAllowed;
    std::wstring text = Widen(LoadMessage(kParserQuestionText));
    std::wstring caption = Widen(LoadMessage(kToolCaptionText));
    return MessageBoxW(OwnerWindow(), text.c_str(), caption.c_str(), MB_OKCANCEL) == IDOK ? kOk : kUserCanceled;
}

bool COmniprobeCtrl::ServerAllowed(const std::string& serverUrl) {
    return ReadHostPolicy().AllowsServer(ContainerAddress(), serverUrl);
}

void COmniprobeCtrl::Deliver(const std::string& xml) {
    unique_variant argument;
    BSTR text = fw::AllocBstr(xml);
    if (!text) throw std::bad_alloc();
    V_VT(argument.get()) = VT_BSTR;
    V_BSTR(argument.get()) = text;
    FireEvent(kEventRetrieveComplete, argument.get(), 1);
    delivered_ = true;  // only now: a report that never reached the page is still owed the empty one
}

// --- Window

bool COmniprobeCtrl::OnCreate() {
    // The set-up's folders are this object's own, but what it changes of the module and the thread is
    // shared: a refused page gets it only once the policy allows one of its calls.
    ActiveFolders folders(state_.folders);
    if (PageAllowed()) SetUpOnWindowCreation(state_);
    return true;  // a failed folder set-up is reported by the next Retrieve, not here
}

void COmniprobeCtrl::OnDraw(HDC dc, const RECT& bounds) {
    FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Ellipse(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

}  // namespace omni
