// The base of an ActiveX control: everything a container such as Internet Explorer asks of an in-place
// control with a window, dispatch through its type library and one event interface. A control
// derives from it, describes itself once, and supplies its members through a dispatch table.
// The implementation has one file per interface or close group: ole_control_<group>.cpp.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include <string>

#include "framework/connection_point.h"
#include "framework/dispatch_args.h"
#include "framework/module_lock.h"
#include "framework/property_exchange.h"
#include "platform/handles.h"

namespace omni::fw {

struct ControlDescription {
    const CLSID* clsid;
    const IID* dispatchIid;   // the control's dispinterface
    const IID* eventsIid;     // its default source dispinterface
    const CLSID* propertyPage;  // null when it has none
    DWORD miscStatus;
    const wchar_t* windowClass;  // registered once per module
};

class OleControl : public IOleObject,
                   public IOleInPlaceObject,
                   public IOleInPlaceActiveObject,
                   public IOleControl,
                   public IViewObject2,
                   public IPersistPropertyBag,
                   public IPersistStreamInit,
                   public IPersistStorage,
                   public IConnectionPointContainer,
                   public IProvideClassInfo2,
                   public ISpecifyPropertyPages,
                   public IDispatch {
public:
    explicit OleControl(const ControlDescription& description);
    OleControl(const OleControl&) = delete;
    OleControl& operator=(const OleControl&) = delete;

    HWND window() const { return live_; }  // null when the control has no window
    // The display name of the container's moniker, which Internet Explorer gives as its document's URL
    // moniker: the page's address. "" when the container names none.
    std::string ContainerAddress() const;
    // The window that owns the control's boxes: its own, or for a control without one the top window of
    // its container (the browser's), as the site names it; null when there is no site either.
    HWND OwnerWindow() const;
    void SetModified() { dirty_ = true; }
    // Fires dispid of the event interface; dropped while the container has events frozen.
    void FireEvent(DISPID dispid, VARIANT* args, UINT count);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* message) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc, HDC dc,
                      LPCRECTL bounds, LPCRECTL windowBounds, BOOL(STDMETHODCALLTYPE* keepDrawing)(ULONG_PTR),
                      ULONG_PTR keepDrawingArgument) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                             LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* cookie) override;
    STDMETHODIMP Unfreeze(DWORD cookie) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // IPersist, IPersistPropertyBag, IPersistStreamInit, IPersistStorage
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IDispatch: names through the type library, members through the control's table
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

protected:
    virtual ~OleControl();

    // Interfaces of the derived control beyond the framework's; null when it has none.
    virtual void* QueryControlInterface(REFIID iid) { return nullptr; }
    // One member call; flags are DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT.
    virtual HRESULT InvokeMember(DISPID id, WORD flags, const DispatchArgs& args, VARIANT* result) = 0;
    // Persistent properties, in order, after the framework's version stamp and extent.
    virtual HRESULT ExchangeProperties(PropertyExchange& exchange) = 0;
    // The window exists; false fails its creation.
    virtual bool OnCreate() { return true; }
    virtual void OnDraw(HDC dc, const RECT& bounds) {}
    virtual void OnTimer(UINT_PTR id) {}
    virtual void OnDestroy() {}

private:
    HRESULT Exchange(PropertyExchange& exchange);
    HRESULT ActivateInPlace(bool uiActivate, bool show);
    HRESULT CreateControlWindow(HWND parent, const RECT& position);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    LONG references_ = 1;
    ModuleReference module_;
    const ControlDescription& description_;
    ConnectionPoint events_;
    com_ptr<IOleClientSite> clientSite_;
    com_ptr<IOleInPlaceSite> inPlaceSite_;  // held while in-place active
    com_ptr<IOleAdviseHolder> adviseHolder_;
    com_ptr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewFlags_ = 0;
    unique_hwnd window_;
    HWND live_ = nullptr;  // from the first message to the last; window_ owns it once created
    SIZEL extent_ = {2540, 2540};  // HIMETRIC
    bool uiActive_ = false;
    bool dirty_ = false;
    LONG frozen_ = 0;
};

}  // namespace omni::fw
