#include "control/omniprobe_prop_page.h"

#include <new>

#include "core/message_catalog.h"
#include "dialogs/dialog_template.h"
#include "resources/resource_ids.h"

namespace omni {

namespace {
constexpr UINT kPageTitleText = 200;
}  // namespace

IUnknown* COmniprobePropPage::Create() {
    auto* page = new (std::nothrow) COmniprobePropPage();
    return page ? static_cast<IPropertyPage*>(page) : nullptr;
}

const DLGTEMPLATE* COmniprobePropPage::Template() const {
    return FindDialogTemplate(IDD_PROPPAGE, GetCatalogLanguage());
}

std::string COmniprobePropPage::Title() const { return LoadMessage(kPageTitleText); }

}  // namespace omni
