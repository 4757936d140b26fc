// The publisher check as plain calls in the test process, for what the page tables cannot show cheaply:
// an installer package is trusted only with its cabinets inside it, and the own signer is the one of the
// file that was loaded, whatever lies at its path later.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/result_codes.h"
#include "machine/publisher_trust.h"
#include "platform/text.h"
#include "tests/install/install_suite.h"

namespace omni::test {
namespace {

struct PackageRow {
    const char* name;
    const char* file;  // in the bin folder, signed by the other maker (a Trusted Publisher)
    int code;
};
void PrintTo(const PackageRow& row, std::ostream* os) { *os << row.name; }

class InstallerPackage : public ::testing::TestWithParam<PackageRow> {};

// A cabinet beside the package is read from wherever the package lies and covered by no signature.
TEST_P(InstallerPackage, IsTrustedOnlyWithItsCabinetsInside) {
    LockedFile held;
    EXPECT_EQ(OpenTrustedFile(TestBinFolder() + "\\" + GetParam().file, held), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Packages, InstallerPackage,
                         ::testing::Values(PackageRow{"CabinetEmbedded", "repair_package.msi", kOk},
                                           PackageRow{"CabinetBeside", "repair_package_external_cab.msi",
                                                      kUntrustedPublisher}),
                         [](const ::testing::TestParamInfo<PackageRow>& info) { return std::string(info.param.name); });

// InstallOcx("Omniprobe.ocx") moves the loaded control aside and puts a new file at its path: the anchor
// stays the loaded file's signer. Here the "module" is a maker-signed copy, replaced by an unsigned one.
TEST(OwnSigner, IsTheFileThatWasHeldNotTheOneAtItsPathLater) {
    ScratchFolder scratch;
    const std::string module = scratch.file("Module.ocx"), component = scratch.file("Component.dll");
    WriteBytes(module, SignedVariant("maker", "regserver_standin.dll"));
    WriteBytes(component, SignedVariant("maker", "regserver_standin.dll"));
    LockedFile loaded = LockedFile::OpenRenamable(module);
    ASSERT_TRUE(loaded.ok());
    ASSERT_TRUE(MoveFileW(Widen(module).c_str(), Widen(module + ".aside").c_str()));
    WriteBytes(module, SignedVariant("unsigned", "regserver_standin.dll"));

    EXPECT_TRUE(PublisherTrust(loaded).Trusts(LockedFile::Open(component)));
    EXPECT_FALSE(PublisherTrust(LockedFile::Open(module)).Trusts(LockedFile::Open(component)));
}

}  // namespace
}  // namespace omni::test
