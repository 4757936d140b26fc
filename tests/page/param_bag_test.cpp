// The property bag that carries a page's PARAMs to the control.
#include "hosting/property_bag.h"

#include <gtest/gtest.h>

#include "platform/handles.h"

namespace omni {
namespace {

TEST(ParamBag, AnswersAsTheBrowsersBagDoes) {
    com_ptr<IPropertyBag> bag(new ParamBag({{"InstallMode", "2"}, {"Lang", "eng"}, {"ServerURL", "x"}}));
    struct Row {
        const wchar_t* name;
        VARTYPE asked;
        HRESULT result;
        VARTYPE given;
    } rows[] = {
        {L"InstallMode", VT_I4, S_OK, VT_I4},
        {L"installmode", VT_I4, S_OK, VT_I4},  // HTML names ignore case
        {L"Lang", VT_EMPTY, S_OK, VT_BSTR},
        {L"Lang", VT_I4, DISP_E_TYPEMISMATCH, VT_EMPTY},
        {L"MailAddr", VT_BSTR, E_INVALIDARG, VT_EMPTY},  // not given by the page
    };
    for (const Row& row : rows) {
        unique_variant value;
        value.get()->vt = row.asked;
        EXPECT_EQ(bag->Read(row.name, value.get(), nullptr), row.result) << row.name;
        EXPECT_EQ(value.get()->vt, row.given) << row.name;
    }
    unique_variant mode;
    mode.get()->vt = VT_I4;
    ASSERT_EQ(bag->Read(L"InstallMode", mode.get(), nullptr), S_OK);
    EXPECT_EQ(mode.get()->lVal, 2);
}

}  // namespace
}  // namespace omni
