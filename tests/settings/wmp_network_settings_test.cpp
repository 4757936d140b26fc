// Media Player network protocols, on a sandboxed registry.
#include <gtest/gtest.h>

#include <string>

#include "core/result_codes.h"
#include "probes/wmp_network_settings.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"

namespace omni {
namespace {

using test::RegistrySandbox;

const char* const kPrefs = kMediaPlayerPreferencesKey;

void SetAll(DWORD udp, DWORD tcp, DWORD http, DWORD multicast) {
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseUDP", udp);
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseTCP", tcp);
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseHTTP", http);
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseMulticast", multicast);
}

DWORD Read(const char* name) {
    DWORD value = 0xDEAD;
    test::ReadDword(HKEY_CURRENT_USER, kPrefs, name, value);
    return value;
}

TEST(WmpProtocolIndex, NamesTcpFirstThenUdpHttpMulticast) {
    EXPECT_STREQ(WmpProtocolValueName(0), "UseTCP");
    EXPECT_STREQ(WmpProtocolValueName(1), "UseUDP");
    EXPECT_STREQ(WmpProtocolValueName(2), "UseHTTP");
    EXPECT_STREQ(WmpProtocolValueName(3), "UseMulticast");
    EXPECT_EQ(WmpProtocolValueName(-1), nullptr);
    EXPECT_EQ(WmpProtocolValueName(4), nullptr);
}

TEST(WmpSetProtocol, WritesTheNamedValueOfTheIndex) {
    RegistrySandbox sandbox;
    test::CreateKey(HKEY_CURRENT_USER, kPrefs);
    CWMPNetworkSettings settings;
    EXPECT_EQ(settings.SetProtocol(kWmpUseTcp, true), 1);
    EXPECT_EQ(settings.SetProtocol(kWmpUseUdp, false), 1);
    EXPECT_EQ(Read("UseTCP"), 1u);
    EXPECT_EQ(Read("UseUDP"), 0u);
    EXPECT_FALSE(test::ValuePresent(HKEY_CURRENT_USER, kPrefs, "UseHTTP"));
}

TEST(WmpSetProtocol, RefusesAnInvalidIndexAndAMissingKey) {
    RegistrySandbox sandbox;
    CWMPNetworkSettings settings;
    EXPECT_EQ(settings.SetProtocol(kWmpUseTcp, true), 0);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, kPrefs));
    test::CreateKey(HKEY_CURRENT_USER, kPrefs);
    EXPECT_EQ(settings.SetProtocol(4, true), 0);
    EXPECT_EQ(settings.SetProtocol(-1, true), 0);
}

// CheckProtocol for one value: how it is stored, what is wanted, the answer and what is left.
struct ProtocolRow {
    const char* stored;  // "missing", "text", or a number
    DWORD wanted;
    int answer;
    DWORD after;
};
void PrintTo(const ProtocolRow& row, std::ostream* os) { *os << row.stored << ", wanted " << row.wanted; }

class WmpCheckProtocol : public ::testing::TestWithParam<ProtocolRow> {
protected:
    RegistrySandbox sandbox_;
};

TEST_P(WmpCheckProtocol, ComparesAndInitialisesAMissingValue) {
    const ProtocolRow& row = GetParam();
    test::CreateKey(HKEY_CURRENT_USER, kPrefs);
    std::string stored = row.stored;
    if (stored == "text")
        test::SetString(HKEY_CURRENT_USER, kPrefs, "UseHTTP", "1");
    else if (stored != "missing")
        test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseHTTP", std::stoul(stored));
    EXPECT_EQ(CWMPNetworkSettings().CheckProtocol(kWmpUseHttp, row.wanted), row.answer);
    EXPECT_EQ(Read("UseHTTP"), row.after);
}

INSTANTIATE_TEST_SUITE_P(Values, WmpCheckProtocol,
                         ::testing::Values(ProtocolRow{"1", 1, 1, 1}, ProtocolRow{"0", 1, 0, 0},
                                           ProtocolRow{"0", 0, 1, 0}, ProtocolRow{"2", 1, 0, 2},
                                           ProtocolRow{"missing", 1, 0, 1}, ProtocolRow{"missing", 0, 0, 0},
                                           ProtocolRow{"text", 1, 0, 1}),
                         test::NamedBy<&ProtocolRow::stored>());

TEST(WmpCheckProtocolTest, AnswersZeroWithoutTheKeyAndCreatesNothing) {
    RegistrySandbox sandbox;
    CWMPNetworkSettings settings;
    EXPECT_EQ(settings.CheckProtocol(kWmpUseTcp, 1), 0);
    EXPECT_EQ(settings.CheckProtocol(7, 1), 0);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, kPrefs));
}

TEST(WmpCheckAll, PassesWhenUdpIsOffAndTheOthersOn) {
    RegistrySandbox sandbox;
    SetAll(0, 1, 1, 1);
    EXPECT_EQ(CWMPNetworkSettings().CheckAll(), 1);
}

TEST(WmpCheckAll, FailsOnAnyOneWrongValue) {
    RegistrySandbox sandbox;
    CWMPNetworkSettings settings;
    SetAll(0, 0, 1, 1);
    EXPECT_EQ(settings.CheckAll(), 0);
    SetAll(0, 1, 0, 1);
    EXPECT_EQ(settings.CheckAll(), 0);
    SetAll(0, 1, 1, 0);
    EXPECT_EQ(settings.CheckAll(), 0);
}

TEST(WmpCheckAll, StopsAtUdpOnSoTheOthersAreNotEvenRead) {
    RegistrySandbox sandbox;
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseUDP", 1);
    EXPECT_EQ(CWMPNetworkSettings().CheckAll(), 0);
    // Read, a missing value would have been written.
    EXPECT_FALSE(test::ValuePresent(HKEY_CURRENT_USER, kPrefs, "UseTCP"));
    EXPECT_FALSE(test::ValuePresent(HKEY_CURRENT_USER, kPrefs, "UseHTTP"));
    EXPECT_FALSE(test::ValuePresent(HKEY_CURRENT_USER, kPrefs, "UseMulticast"));
    EXPECT_EQ(Read("UseUDP"), 1u);
}

TEST(WmpCheckAll, VisitsUdpBeforeTcpAlthoughTcpHasIndexZero) {
    RegistrySandbox sandbox;
    test::CreateKey(HKEY_CURRENT_USER, kPrefs);
    EXPECT_EQ(CWMPNetworkSettings().CheckAll(), 0);
    EXPECT_EQ(Read("UseUDP"), 0u);  // the first visited, initialised off
    EXPECT_FALSE(test::ValuePresent(HKEY_CURRENT_USER, kPrefs, "UseTCP"));
}

TEST(WmpCheckAll, WritesAMissingTcpSoTheNextRunPasses) {
    RegistrySandbox sandbox;
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseUDP", 0);
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseHTTP", 1);
    test::SetDword(HKEY_CURRENT_USER, kPrefs, "UseMulticast", 1);
    CWMPNetworkSettings settings;
    EXPECT_EQ(settings.CheckAll(), 0);
    EXPECT_EQ(Read("UseTCP"), 1u);
    EXPECT_EQ(settings.CheckAll(), 1);
}

TEST(WmpRepairAll, WritesTheFourWantedValues) {
    RegistrySandbox sandbox;
    SetAll(1, 0, 0, 0);
    CWMPNetworkSettings settings;
    EXPECT_EQ(settings.RepairAll(), 1);
    EXPECT_EQ(Read("UseUDP"), 0u);
    EXPECT_EQ(Read("UseTCP"), 1u);
    EXPECT_EQ(Read("UseHTTP"), 1u);
    EXPECT_EQ(Read("UseMulticast"), 1u);
    EXPECT_EQ(settings.CheckAll(), 1);
}

TEST(WmpRepairAll, AnswersZeroAndCreatesNothingWithoutTheKey) {
    RegistrySandbox sandbox;
    EXPECT_EQ(CWMPNetworkSettings().RepairAll(), 0);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, kPrefs));
}

TEST(WmpNetworkRepair, ReportsZeroWhenWrittenAndOpenFailureOtherwise) {
    RegistrySandbox sandbox;
    CWMPNetworkSettings settings;
    EXPECT_EQ(settings.ApplyRepair(), kRegistryOpenFailed);
    EXPECT_EQ(kRegistryOpenFailed, -22);
    test::CreateKey(HKEY_CURRENT_USER, kPrefs);
    EXPECT_EQ(settings.ApplyRepair(), kOk);
    EXPECT_EQ(settings.CheckAll(), 1);
}

}  // namespace
}  // namespace omni
