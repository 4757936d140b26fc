#include <windows.h>

#include <gtest/gtest.h>

#include "core/result_codes.h"
#include "probes/check_flash_ver.h"
#include "probes/version_retriever.h"
#include "tests/support/flash_registration.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::FlashGenerationRegistration;

// These tests register in the real prefix (COM activation ignores the registry sandbox), so they
// first make sure no Flash Player of any generation is there to begin with.
class FlashVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(test::AnyFlashGenerationRegistered()) << "a Flash Player is registered in this prefix";
        ASSERT_TRUE(test::FileExists(test::FlashStandinPath()));
    }
    void TearDown() override { EXPECT_FALSE(test::AnyFlashGenerationRegistered()) << "a registration was left"; }

    CVersionRetriever retriever_;
    Version version_{"5.5.5.5"};
};

TEST_F(FlashVersionTest, WithoutFlashAnswersZeroVersionAndFlashVersionFailed) {
    EXPECT_EQ(CCheckFlashVer().FindFlashGeneration(), 0);
    EXPECT_EQ(retriever_.RetrieveFlashVersion(version_), kFlashVersionFailed);
    EXPECT_EQ(version_.GetText(), "0.0.0.0");
}

TEST_F(FlashVersionTest, TheHighestOfTwoRegisteredGenerationsWins) {
    FlashGenerationRegistration nine(9), ten(10);
    EXPECT_EQ(CCheckFlashVer().FindFlashGeneration(), 10);
    EXPECT_EQ(retriever_.RetrieveFlashVersion(version_), kOk);
    EXPECT_EQ(version_.GetText(), "10.0.0.0");
    EXPECT_EQ(version_.major, 10);
}

TEST_F(FlashVersionTest, AGenerationWhoseControlCannotBeCreatedDoesNotCount) {
    test::ScratchFolder scratch;
    FlashGenerationRegistration nine(9), broken(12, scratch.file("missing_flash.ocx"));
    EXPECT_EQ(retriever_.RetrieveFlashVersion(version_), kOk);
    EXPECT_EQ(version_.GetText(), "9.0.0.0");
}

TEST_F(FlashVersionTest, FindsTheFirstAndTheLastGenerationTried) {
    {
        FlashGenerationRegistration fifteen(15);
        EXPECT_EQ(CCheckFlashVer().FindFlashGeneration(), 15);
    }
    {
        FlashGenerationRegistration one(1);
        EXPECT_EQ(CCheckFlashVer().FindFlashGeneration(), 1);
    }
    FlashGenerationRegistration sixteen(16);
    EXPECT_EQ(CCheckFlashVer().FindFlashGeneration(), 0) << "16 is beyond the generations tried";
}

TEST_F(FlashVersionTest, BalancesItsComInitialisation) {
    FlashGenerationRegistration ten(10);
    EXPECT_EQ(CCheckFlashVer().FindFlashGeneration(), 10);
    // COM is no longer initialised on this thread, so a fresh initialisation is the first one.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(hr, S_OK);
    // Inside a multithreaded apartment it still finds the control and leaves that apartment alone.
    EXPECT_EQ(CCheckFlashVer().FindFlashGeneration(), 10);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    if (SUCCEEDED(hr)) CoUninitialize();
}

}  // namespace
}  // namespace omni
