// What the framework does when a control's own code fails: a C++ exception becomes an HRESULT for the
// script engine and the control stays usable; a structured exception ends the process rather than
// leave a half-unwound call (with its windows and timers) behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

#include "framework/ole_control.h"
#include "hosting/fault_shield.h"
#include "platform/handles.h"

namespace omni::test {
namespace {

const GUID kTestGuid = {0x0F0E0D0C, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
const fw::ControlDescription kTestControl = {&kTestGuid, &kTestGuid, &kTestGuid, nullptr, 0, L"FrameworkEdgeTest"};

enum Member : DISPID { kThrows = 1, kRunsOutOfMemory, kRaises, kAnswers };

class FaultingControl final : public fw::OleControl {
public:
    FaultingControl() : fw::OleControl(kTestControl) {}

protected:
    HRESULT InvokeMember(DISPID id, WORD, const fw::DispatchArgs&, VARIANT* result) override {
        switch (id) {
            case kThrows: throw std::runtime_error("fault");
            case kRunsOutOfMemory: throw std::bad_alloc();
            case kRaises: RaiseException(0xE0000001, EXCEPTION_NONCONTINUABLE, 0, nullptr); return S_OK;
            case kAnswers: return fw::SetLongResult(result, 42);
            default: return DISP_E_MEMBERNOTFOUND;
        }
    }
    HRESULT ExchangeProperties(fw::PropertyExchange&) override { return S_OK; }
};

TEST(FrameworkEdge, ExceptionsInMembersBecomeResultsAndTheControlCarriesOn) {
    com_ptr<IDispatch> control(static_cast<IDispatch*>(new FaultingControl()));
    struct Row {
        DISPID id;
        HRESULT expected;
    };
    const Row rows[] = {
        {kThrows, E_UNEXPECTED}, {kRunsOutOfMemory, E_OUTOFMEMORY}, {kAnswers, S_OK},
    };
    for (const Row& row : rows) {
        unique_variant result;
        DISPPARAMS none = {};
        EXPECT_EQ(control->Invoke(row.id, IID_NULL, 0, DISPATCH_METHOD, &none, result.get(), nullptr, nullptr),
                  row.expected)
            << "member " << row.id;
        if (row.expected == S_OK) EXPECT_EQ(V_I4(result.get()), 42);
        else EXPECT_EQ(V_VT(result.get()), VT_EMPTY) << "member " << row.id;
    }
}

bool EndedWithTheFaultsCode(int status) { return static_cast<DWORD>(status) == 0xE0000001; }

TEST(FrameworkEdgeDeathTest, AFaultInAMemberEndsTheProcessWithItsCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            com_ptr<IDispatch> control(static_cast<IDispatch*>(new FaultingControl()));
            unique_variant result;
            DISPPARAMS none = {};
            control->Invoke(kRaises, IID_NULL, 0, DISPATCH_METHOD, &none, result.get(), nullptr, nullptr);
            std::exit(0);  // reached only if the fault was swallowed
        },
        EndedWithTheFaultsCode, "");
}

}  // namespace
}  // namespace omni::test
