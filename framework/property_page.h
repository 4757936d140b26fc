// A property page shown by a container's property frame: a child dialog from a template and a title.
// The page shows the template only; it exchanges no properties with the objects.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

#include "framework/module_lock.h"
#include "platform/com_object.h"
#include "platform/handles.h"

namespace omni::fw {

class PropertyPage : public ComObject<IPropertyPage, IID_IPropertyPage> {
public:
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT show) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* message) override;

protected:
    ~PropertyPage() override = default;
    virtual const DLGTEMPLATE* Template() const = 0;  // a child dialog without a frame
    virtual std::string Title() const = 0;

private:
    ModuleReference module_;
    com_ptr<IPropertyPageSite> site_;
    unique_hwnd dialog_;
};

}  // namespace omni::fw
