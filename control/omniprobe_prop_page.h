// The control's one property page: a placeholder text under the title "General".
#pragma once

#include "framework/property_page.h"

namespace omni {

class COmniprobePropPage final : public fw::PropertyPage {
public:
    static IUnknown* Create();

protected:
    const DLGTEMPLATE* Template() const override;
    std::string Title() const override;

private:
    ~COmniprobePropPage() override = default;
};

}  // namespace omni
