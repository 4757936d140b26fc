#include <gtest/gtest.h>

#include <string>

#include "core/result_codes.h"
#include "probes/effective_ie_version.h"
#include "probes/version_retriever.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

using test::SetDword;
using test::SetString;

const char kIEKey[] = "Software\\Microsoft\\Internet Explorer";

class IEVersionTest : public ::testing::Test {
protected:
    test::RegistrySandbox sandbox_;
    CVersionRetriever retriever_;
};

TEST_F(IEVersionTest, ReadsVersionAndServiceVersion) {
    SetString(HKEY_LOCAL_MACHINE, kIEKey, "Version", "9.11.9600.17031");
    SetString(HKEY_LOCAL_MACHINE, kIEKey, "svcVersion", "11.0.9600.17031");
    Version version, service;
    EXPECT_EQ(retriever_.RetrieveIEVersion(version), kOk);
    EXPECT_EQ(retriever_.RetrieveIEServiceVersion(service), kOk);
    EXPECT_EQ(version.GetText(), "9.11.9600.17031");
    EXPECT_EQ(version.minor, 11);
    EXPECT_EQ(service.GetText(), "11.0.9600.17031");
}

TEST_F(IEVersionTest, AnswersOpenFailedWithoutTheKeyAndLeavesTheVersions) {
    Version version("5.5.5.5");
    EXPECT_EQ(retriever_.RetrieveIEVersion(version), kRegistryOpenFailed);
    EXPECT_EQ(retriever_.RetrieveIEServiceVersion(version), kRegistryOpenFailed);
    EXPECT_EQ(version.GetText(), "5.5.5.5");
}

TEST_F(IEVersionTest, AnswersReadFailedForAMissingOrNumericValue) {
    SetDword(HKEY_LOCAL_MACHINE, kIEKey, "Version", 9);
    Version version("5.5.5.5");
    EXPECT_EQ(retriever_.RetrieveIEVersion(version), kRegistryReadFailed);
    EXPECT_EQ(retriever_.RetrieveIEServiceVersion(version), kRegistryReadFailed);
    EXPECT_EQ(version.GetText(), "5.5.5.5");
}

struct EffectiveRow {
    std::string version;
    bool serviceRead;
    std::string service;
    std::string effective;
};

void PrintTo(const EffectiveRow& row, std::ostream* out) { *out << row.version << " / " << row.service; }

class EffectiveIEVersionTable : public ::testing::TestWithParam<EffectiveRow> {};

TEST_P(EffectiveIEVersionTable, ChoosesTheVersionOfItsRow) {
    const EffectiveRow& row = GetParam();
    Version chosen = ChooseEffectiveIEVersion(Version(row.version), row.serviceRead, Version(row.service));
    EXPECT_EQ(chosen.GetText(), row.effective);
}

INSTANTIATE_TEST_SUITE_P(
    IEVersion, EffectiveIEVersionTable,
    ::testing::Values(EffectiveRow{"9.11.9600.17031", true, "11.0.9600.17031", "11.0.9600.17031"},
                      EffectiveRow{"9.11.9600.17031", false, "", "9.11.9600.17031"},
                      EffectiveRow{"9.10.9200.16384", true, "10.0.9200.16384", "10.0.9200.16384"},
                      EffectiveRow{"9.10.0.0", true, "10.0", "10.0"},
                      EffectiveRow{"9.9.9999.0", true, "11.0", "9.9.9999.0"},      // below the threshold
                      EffectiveRow{"8.0.6001.18702", true, "11.0", "8.0.6001.18702"},
                      EffectiveRow{"9.0.8112.16421", true, "9.0.8112.16421", "9.0.8112.16421"}),
    test::NamedBy<&EffectiveRow::version>());

}  // namespace
}  // namespace omni
