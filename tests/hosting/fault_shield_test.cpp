#include "hosting/fault_shield.h"

#include <gtest/gtest.h>

namespace omni {
namespace {

void Nothing(void* context) { *static_cast<int*>(context) = 1; }
void Raises(void*) { RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr); }
void WritesThroughNull(void* context) {
    volatile int* nowhere = static_cast<int*>(context);
    *nowhere = 7;
}

TEST(FaultShield, ACallThatReturns_AnswersTrue) {
    int ran = 0;
    EXPECT_TRUE(CallShielded(Nothing, &ran));
    EXPECT_EQ(ran, 1);
}

TEST(FaultShield, ARaisedException_EndsTheCallAndAnswersFalse) {
    EXPECT_FALSE(CallShielded(Raises, nullptr));
}

TEST(FaultShield, AnAccessViolation_EndsTheCallAndAnswersFalse) {
    EXPECT_FALSE(CallShielded(WritesThroughNull, nullptr));
}

TEST(FaultShield, AfterAFault_TheNextShieldedCallsStillWork) {
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(CallShielded(Raises, nullptr));
    int ran = 0;
    EXPECT_TRUE(CallShielded(Nothing, &ran));
    EXPECT_EQ(ran, 1);
}

TEST(FaultShield, ShieldedHr_PassesTheResultOrAnswersFaulted) {
    EXPECT_EQ(ShieldedHr([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(ShieldedHr([]() -> HRESULT {
                  Raises(nullptr);
                  return S_OK;
              }),
              kControlFaulted);
    EXPECT_EQ(ShieldedHr([]() -> HRESULT { throw 1; }), E_UNEXPECTED);
}

// A foreign control's fault inside a call of ours is still only that call's end, not the process's.
TEST(FaultShield, AShieldedCallInsideOurOwnEdgeStillRecovers) {
    bool recovered = false;
    EndProcessOnFault([](void* context) { *static_cast<bool*>(context) = !CallShielded(Raises, nullptr); },
                      &recovered);
    EXPECT_TRUE(recovered);
}

}  // namespace
}  // namespace omni
