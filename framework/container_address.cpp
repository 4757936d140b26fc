// Where a control sits, as the container tells its controls: the page's address and the page's window.
#include <cwchar>

#include "framework/ole_control.h"
#include "platform/text.h"

namespace omni::fw {

std::string OleControl::ContainerAddress() const {
    com_ptr<IMoniker> moniker;
    com_ptr<IBindCtx> context;
    unique_cotaskmem_string name;
    if (!clientSite_ ||
        FAILED(clientSite_->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, moniker.addressof())) ||
        !moniker || FAILED(CreateBindCtx(0, context.addressof())) ||
        FAILED(moniker->GetDisplayName(context.get(), nullptr, name.addressof())) || !name)
        return std::string();
    return Narrow(name.get(), std::wcslen(name.get()));
}

HWND OleControl::OwnerWindow() const {
    if (live_) return live_;
    com_ptr<IOleWindow> site;
    HWND container = nullptr;
    if (!clientSite_ || FAILED(clientSite_->QueryInterface(IID_IOleWindow, site.put_void())) || !site ||
        FAILED(site->GetWindow(&container)) || !container)
        return nullptr;
    return GetAncestor(container, GA_ROOT);
}

}  // namespace omni::fw
