// The control a page embeds: its properties, scripting members and window, on top of the framework.
// Each member converts its arguments, asks the plain classes below, and converts the answer back.
#pragma once

#include <string>

#include "control/control_state.h"
#include "control/object_safety.h"
#include "control/report_delivery.h"
#include "control/retrieve_flow.h"
#include "diagnosis/total_info.h"
#include "framework/ole_control.h"

namespace omni {

class COmniprobeCtrl final : public fw::OleControl, private RetrieveUi {
public:
    COmniprobeCtrl();
    static IUnknown* Create();

    // Scripting members; each answers an HRESULT and writes the automation result.
    HRESULT ServerUrlMember(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT MailAddrMember(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT InstallModeMember(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT LangMember(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT SetWebMode(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT Retrieve(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT GetErrorMsg(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT IsIe10OrAbove(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT Is64BitOs(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT GetIeVersion(WORD kind, const fw::DispatchArgs& args, VARIANT* result);

    // --- Repairs (omniprobe_ctrl_repairs.cpp)
    HRESULT Modify(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT InstallOcx(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT InstallDll(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT InstallProgram(WORD kind, const fw::DispatchArgs& args, VARIANT* result);

    // --- Result delivery (omniprobe_ctrl_delivery.cpp)
    HRESULT SaveTo(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT MailTo(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT SendInformation(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT ShowSampleContent(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT ShowIeToolbarList(WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    HRESULT GetDisabledIeAddins(WORD kind, const fw::DispatchArgs& args, VARIANT* result);

protected:
    void* QueryControlInterface(REFIID iid) override;
    HRESULT InvokeMember(DISPID id, WORD flags, const fw::DispatchArgs& args, VARIANT* result) override;
    HRESULT ExchangeProperties(fw::PropertyExchange& exchange) override;
    bool OnCreate() override;
    void OnDraw(HDC dc, const RECT& bounds) override;
    void OnTimer(UINT_PTR id) override;  // omniprobe_ctrl_repairs.cpp

private:
    ~COmniprobeCtrl() override = default;
    HRESULT StringProperty(std::string& member, WORD kind, const fw::DispatchArgs& args, VARIANT* result);
    bool PageAllowed();  // the host allow-list's answer for the page the control sits in

    // RetrieveUi
    int ConfirmParserInstall() override;
    bool ServerAllowed(const std::string& serverUrl) override;
    void Deliver(const std::string& xml) override;

    ObjectSafety safety_;
    CTotalInfo info_;
    ControlState state_;
    bool delivered_ = false;  // whether the running Retrieve has fired its event

    // --- Repairs' state
    friend class ControlRepairUi;
    int RunRetrieveNow();  // the Retrieve member's work, also run by the re-diagnosis timer
    HRESULT RunRepair(WORD kind, const fw::DispatchArgs& args, VARIANT* result,
                      int (*repair)(COmniprobeCtrl& control, const std::string& argument));

    // --- Result delivery's state
    MailCopies mailCopies_;  // report copies a mail client still held; removed later, at the latest here
};

}  // namespace omni
