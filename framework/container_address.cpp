// The address of the page a control sits in, as the container offers it to its controls.
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

}  // namespace omni::fw
