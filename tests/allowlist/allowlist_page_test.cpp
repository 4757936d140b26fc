// The host allow-list through the page container with the real control: the machine policy written in
// the prefix's registry as an administrator's tools write it (64-bit view), the page's address given by
// the container's moniker as the browser gives it. The program runs in a throwaway copy of the tests'
// prefix, so no other test ever sees a policy.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/content_server.h"
#include "tests/support/page_container.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

const char kPolicyKey[] = "SOFTWARE\\Policies\\Talvek\\Omniprobe";
const char kPolicyVendorKey[] = "SOFTWARE\\Policies\\Talvek";
const char kAllowedHosts[] = "AllowedHosts";
constexpr REGSAM k64 = KEY_WOW64_64KEY;
const char kIeMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
const char kSoftwareRenderValue[] = "UseSWRender";
const char kRefusedText[] = "This page's site is not allowed to use the diagnostic tool.";
const char kRefusedTextKorean[] = u8"이 페이지의 사이트는 진단 도구를 사용할 수 없습니다.";
const char kProbeScenario[] = "allowlist/";
const char kRefusedScenario[] = "allowlist_refused/";

const char kPrintEvent[] =
    "function Omniprobe_OnRetrieveComplete(x) {\n"
    "  document.write('event ' + (x == '<?xml version=\"1.0\" ?><diagnosis></diagnosis>' ? 'empty' : 'report') + '\\n');\n"
    "}\n"
    "function show(name, value) { document.write(name + ' ' + value + '\\n'); }\n";

// kDenied: the list is written, then the key's access list lets nobody read it.
enum class Policy { kNone, kKeyOnly, kList, kNumber, kDenied };

// Sets the key's access list: none at all lets nobody in (its owner may still change the list);
// a null one lets everybody in.
void SetKeyAccess(const char* path, bool nobody) {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(path).c_str(), 0, WRITE_DAC | k64, key.addressof()) != ERROR_SUCCESS)
        return;
    ACL empty;
    InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nobody ? &empty : nullptr, FALSE);
    RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor);
}

// The policy as an administrator leaves it, removed with its vendor key again.
class MachinePolicy {
public:
    MachinePolicy(Policy kind, const std::string& list) {
        Remove();
        if (kind == Policy::kNone) return;
        CreateKey(HKEY_LOCAL_MACHINE, kPolicyKey, k64);
        if (kind == Policy::kList || kind == Policy::kDenied)
            SetString(HKEY_LOCAL_MACHINE, kPolicyKey, kAllowedHosts, list, REG_SZ, k64);
        if (kind == Policy::kNumber) SetDword(HKEY_LOCAL_MACHINE, kPolicyKey, kAllowedHosts, 1, k64);
        if (kind == Policy::kDenied) SetKeyAccess(kPolicyKey, true);
    }
    ~MachinePolicy() { Remove(); }
    MachinePolicy(const MachinePolicy&) = delete;
    MachinePolicy& operator=(const MachinePolicy&) = delete;

private:
    static void Remove() {
        SetKeyAccess(kPolicyKey, false);
        DeleteTree(HKEY_LOCAL_MACHINE, kPolicyVendorKey, k64);
    }
};

// Wine shares HKLM\Software\Policies between the registry views, through a link key in the 32-bit
// view, as Windows 7 does. A PC whose 32-bit view has a Policies key of its own would answer "not found"
// there; while the object lives the prefix is laid out so, and the link is put back afterwards.
class SeparatePolicyViews {
public:
    explicit SeparatePolicyViews(bool separate) : separate_(separate) {
        if (!separate_) return;
        unique_hkey link;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLink, REG_OPTION_OPEN_LINK, DELETE | k64, link.addressof()) ==
            ERROR_SUCCESS) {
            using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
            auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtDeleteKey"));
            if (deleteKey) deleteKey(link.get());
        }
        CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Policies", KEY_WOW64_32KEY);
    }
    ~SeparatePolicyViews() {
        if (!separate_) return;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLink);
        unique_hkey link;
        DWORD created = 0;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLink, 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | k64, nullptr,
                            link.addressof(), &created) != ERROR_SUCCESS)
            return;
        const wchar_t target[] = L"\\Registry\\Machine\\Software\\Policies";
        RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target),
                       sizeof(target) - sizeof(wchar_t));
    }
    SeparatePolicyViews(const SeparatePolicyViews&) = delete;
    SeparatePolicyViews& operator=(const SeparatePolicyViews&) = delete;

private:
    static constexpr wchar_t kLink[] = L"Software\\Wow6432Node\\Policies";
    bool separate_;
};

std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(out.substr(start, end - start));
    if (start < out.size()) lines.push_back(out.substr(start));
    return lines;
}

// Requests that reached the content server below a scenario since the given count.
std::vector<std::string> RequestsSince(size_t before, const std::string& scenario) {
    std::vector<std::string> log = ContentRequests(), found;
    for (size_t i = before; i < log.size(); ++i)
        if (log[i].find("/" + scenario) != std::string::npos) found.push_back(log[i]);
    return found;
}

// The four lists of the probing pages: one DLL, no controls.
bool PublishProbeLists() {
    bool published = true;
    for (const char* list : {"DLL/dlllist2000.txt", "DLL/dlllist98.txt"})
        published = PublishContent(kProbeScenario + std::string(list), "OrvaneText.dll 1.0.0.1\r\n") && published;
    for (const char* list : {"Z3OCX/ocxlistz3.txt", "Z4OCX/ocxlistz4.txt"})
        published = PublishContent(kProbeScenario + std::string(list), "") && published;
    return published;
}

class AllowList : public ControlPageSuite<> {
protected:
    void SetUp() override {
        ASSERT_NE(ContentServerUrl(), "") << "no content server: run through ctest (OMNI_CONTENT_SERVER)";
        ASSERT_TRUE(ControlRegistered()) << "regsvr32 could not register Omniprobe.ocx";
    }

    // The page in web mode against the content server, at url ("" for a page the container names not).
    CapturedProcess Run(const std::string& scenario, const std::string& url, const std::string& script) {
        std::string arguments = "--timeout 150000 --param Lang=eng --param InstallMode=1 --param ServerURL=" +
                                ContentServerUrl() + scenario;
        if (!url.empty()) arguments += " --url \"" + url + "\"";
        CapturedProcess page = RunPage(TestBinFolder() + "\\omniprobe_page.exe", arguments,
                                       kPrintEvent + script + "window.close(0);\n", scratch_.path());
        EXPECT_EQ(page.exitCode, 0u) << page.err;
        return page;
    }

    ScratchFolder scratch_;
    ChildTempFolder temp_;  // where a web-mode page's downloads would go
};

// --- One page of harmless calls, under each state of the policy

struct PolicyRow {
    const char* name;
    Policy policy;
    const char* list;
    const char* url;
    bool allowed;
};
void PrintTo(const PolicyRow& row, std::ostream* os) { *os << row.name; }

class PolicyState : public AllowList, public ::testing::WithParamInterface<PolicyRow> {};

TEST_P(PolicyState, AllowsOrRefusesThePageByItsHost) {
    const PolicyRow& row = GetParam();
    ASSERT_TRUE(PublishProbeLists());
    SeparatePolicyViews views(row.policy == Policy::kDenied);
    MachinePolicy policy(row.policy, row.list);
    const size_t before = ContentRequests().size();
    CapturedProcess page = Run(kProbeScenario, row.url,
                               "show('SetWebMode', Omniprobe.SetWebMode(1));\n"
                               "show('Retrieve', Omniprobe.Retrieve());\n"
                               "var ie = Omniprobe.GetIEVersion();\n"  // known once a diagnosis ran
                               "show('GetIEVersion', ie > 0 ? 'a version' : ie);\n"
                               "show('GetErrorMsg', Omniprobe.GetErrorMsg(-103));\n");
    const std::vector<std::string> allowed = {"SetWebMode 0", "event report", "Retrieve 0", "GetIEVersion a version",
                                              std::string("GetErrorMsg ") + kRefusedText};
    const std::vector<std::string> refused = {"SetWebMode -103", "event empty", "Retrieve -103", "GetIEVersion -103",
                                              std::string("GetErrorMsg ") + kRefusedText};
    EXPECT_EQ(Lines(page.out), row.allowed ? allowed : refused) << page.err;
    EXPECT_EQ(RequestsSince(before, kProbeScenario).size(), row.allowed ? 4u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Policies, PolicyState,
    ::testing::Values(
        // Without a policy the control behaves as it always has, wherever the page comes from.
        PolicyRow{"NoPolicy", Policy::kNone, "", "http://desk.example/support/page.htm", true},
        PolicyRow{"NoPolicyNoAddress", Policy::kNone, "", "", true},
        PolicyRow{"KeyWithoutValue", Policy::kKeyOnly, "", "http://evil.example/", true},
        PolicyRow{"HostListed", Policy::kList, " other.example ; DESK.example", "https://desk.example/support/page.htm",
                  true},
        PolicyRow{"SubdomainListed", Policy::kList, "*.example", "https://desk.example/", true},
        PolicyRow{"HttpPageOfAnHttpEntry", Policy::kList, "http://desk.example:8080", "http://desk.example:8080/page.htm",
                  true},
        PolicyRow{"HostNotListed", Policy::kList, "other.example", "https://desk.example/", false},
        PolicyRow{"ListedNameInTheUserPart", Policy::kList, "desk.example", "https://evil.example\\@desk.example/", false},
        PolicyRow{"ListedNameAsASubdomain", Policy::kList, "desk.example", "https://desk.example.evil.example/", false},
        // Anyone on the way can forge a plain http page, so a bare entry means https on its own port.
        PolicyRow{"HttpPageOfABareEntry", Policy::kList, "desk.example", "http://desk.example/", false},
        PolicyRow{"AnotherPort", Policy::kList, "desk.example", "https://desk.example:8443/", false},
        PolicyRow{"NoAddress", Policy::kList, "desk.example", "", false},
        PolicyRow{"FileAddress", Policy::kList, "desk.example", "file:///C:/support/page.htm", false},
        PolicyRow{"EmptyList", Policy::kList, "", "https://desk.example/", false},
        PolicyRow{"ValueOfAnotherType", Policy::kNumber, "", "https://desk.example/", false},
        // Unreadable in the 64-bit view, absent in the 32-bit one: a policy that cannot be read allows nothing.
        PolicyRow{"AccessDeniedIn64BitView", Policy::kDenied, "desk.example", "https://desk.example/", false}),
    [](const ::testing::TestParamInfo<PolicyRow>& info) { return std::string(info.param.name); });

// --- ListsFromPageOrigin: web mode fetches only from the page's own origin, whatever AllowedHosts says

struct ListServerRow {
    const char* name;
    bool pageOnTheServer;  // the page's address on the content server's origin, or https://desk.example/
    const char* retrieve;
    size_t requests;
};
void PrintTo(const ListServerRow& row, std::ostream* os) { *os << row.name; }

class ListServer : public AllowList, public ::testing::WithParamInterface<ListServerRow> {};

TEST_P(ListServer, IsThePagesOwnOriginWhenThePolicySaysSo) {
    const ListServerRow& row = GetParam();
    ASSERT_TRUE(PublishProbeLists());
    MachinePolicy policy(Policy::kKeyOnly, "");
    SetDword(HKEY_LOCAL_MACHINE, kPolicyKey, "ListsFromPageOrigin", 1, k64);
    const size_t before = ContentRequests().size();
    CapturedProcess page = Run(kProbeScenario, row.pageOnTheServer ? ContentServerUrl() + "page.htm" : "https://desk.example/",
                               "show('Retrieve', Omniprobe.Retrieve());\n");
    EXPECT_EQ(Lines(page.out), (std::vector<std::string>{row.requests ? "event report" : "event empty",
                                                         std::string("Retrieve ") + row.retrieve}))
        << page.err;
    EXPECT_EQ(RequestsSince(before, kProbeScenario).size(), row.requests);
}

INSTANTIATE_TEST_SUITE_P(Pages, ListServer,
                         ::testing::Values(ListServerRow{"PageOnTheServersOrigin", true, "0", 4},
                                           ListServerRow{"PageOfAnotherOrigin", false, "-103", 0}),
                         [](const ::testing::TestParamInfo<ListServerRow>& info) { return std::string(info.param.name); });

// --- Where an allowed page may post: only to an origin the policy allows too

struct PostRow {
    const char* name;
    const char* extraEntry;  // after "desk.example; ": "http" names the content server's http origin,
                             // "bare" the same host and port without a scheme (so https); "" none
    bool posted;
};
void PrintTo(const PostRow& row, std::ostream* os) { *os << row.name; }

class PostTarget : public AllowList, public ::testing::WithParamInterface<PostRow> {};

TEST_P(PostTarget, IsAnOriginThePolicyAllows) {
    const PostRow& row = GetParam();
    const std::string server = ContentServerUrl();  // "http://127.0.0.1:<port>/"
    const std::string origin = server.substr(0, server.size() - 1);
    std::string list = "desk.example";
    if (std::string(row.extraEntry) == "http") list += "; " + origin;
    if (std::string(row.extraEntry) == "bare") list += "; " + origin.substr(7);
    MachinePolicy policy(Policy::kList, list);
    const std::string name = std::string("allowlist_post_") + row.name + std::to_string(GetTickCount()) + ".asp";
    CapturedProcess page = Run(kProbeScenario, "https://desk.example/page.htm",
                               "show('SendInformation', Omniprobe.SendInformation('" + server + name +
                                   "', '<diagnosis/>', '', 'eng'));\n");
    EXPECT_EQ(Lines(page.out), std::vector<std::string>{row.posted ? "SendInformation true" : "SendInformation false"});
    std::string body;
    for (int tries = 180; row.posted && (body = ContentPostBody(name)).empty() && tries-- > 0;) Sleep(500);
    CloseBrowserWindows();
    EXPECT_EQ(body, row.posted ? "txt_diagnosis=<diagnosis%2F>&txt_ie_addons=&txt_lang=eng" : "");
}

INSTANTIATE_TEST_SUITE_P(Targets, PostTarget,
                         ::testing::Values(PostRow{"Listed", "http", true}, PostRow{"NotListed", "", false},
                                           PostRow{"ListedOnlyForHttps", "bare", false}),
                         [](const ::testing::TestParamInfo<PostRow>& info) { return std::string(info.param.name); });

// --- Every member of a refused page: the code or its type's empty answer, and nothing fetched, changed or run

class RefusedPage : public AllowList {
protected:
    void SetUp() override {
        AllowList::SetUp();
        hadRenderValue_ = ReadDword(HKEY_CURRENT_USER, kIeMainKey, kSoftwareRenderValue, savedRender_);
        SetDword(HKEY_CURRENT_USER, kIeMainKey, kSoftwareRenderValue, 0);  // Modify would set it to 1
    }
    void TearDown() override {
        if (hadRenderValue_)
            SetDword(HKEY_CURRENT_USER, kIeMainKey, kSoftwareRenderValue, savedRender_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, Widen(kIeMainKey).c_str(), Widen(kSoftwareRenderValue).c_str());
    }
    bool hadRenderValue_ = false;
    DWORD savedRender_ = 0;
};

TEST_F(RefusedPage, EveryMethodButGetErrorMsgAnswersTheCodeAndDoesNothing) {
    const std::string scenario = kRefusedScenario;
    ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist2000.txt", "AllowDll.dll 1.0.0.1\r\n"));
    ASSERT_TRUE(PublishContent(scenario + "DLL/dlllist98.txt", "AllowDll.dll 1.0.0.1\r\n"));
    ASSERT_TRUE(PublishContent(scenario + "Z3OCX/ocxlistz3.txt", ""));
    ASSERT_TRUE(PublishContent(scenario + "Z4OCX/ocxlistz4.txt", "AllowOcx.ocx 1.0.0.5\r\n"));
    ASSERT_TRUE(PublishContent(scenario + "Z4OCX/AllowOcx.ocx", ReadBytes(TestBinFolder() + "\\named\\AllowOcx.ocx")));
    ASSERT_TRUE(PublishContent(scenario + "DLL/AllowDll.dll", ReadBytes(TestBinFolder() + "\\named\\AllowDll.dll")));
    ASSERT_TRUE(PublishContent(scenario + "Installer/Setup.exe", ReadBytes(TestBinFolder() + "\\installer_standin.exe")));
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::string systemFolder = Narrow(system) + "\\";

    MachinePolicy policy(Policy::kList, "other.example");
    const size_t before = ContentRequests().size();
    const std::string server = ContentServerUrl() + scenario;
    CapturedProcess page = Run(
        scenario, "http://desk.example/support/page.htm",
        "show('SetWebMode', Omniprobe.SetWebMode(1));\n"
        "show('Retrieve', Omniprobe.Retrieve());\n"
        "show('InstallOcx', Omniprobe.InstallOcx('AllowOcx.ocx'));\n"
        "show('InstallDll', Omniprobe.InstallDll('AllowDll.dll'));\n"
        "show('Modify', Omniprobe.Modify('UseSWRender'));\n"
        "show('SaveTo', Omniprobe.SaveTo());\n"
        "show('MailTo', Omniprobe.MailTo());\n"
        "show('InstallProgram', Omniprobe.InstallProgram('Setup.exe'));\n"
        "show('ShowSampleContent', Omniprobe.ShowSampleContent(4));\n"
        "show('ShowIEToolbarList', Omniprobe.ShowIEToolbarList());\n"
        "show('GetDisabledIEAddins', '[' + Omniprobe.GetDisabledIEAddins() + ']');\n"
        "show('SendInformation', Omniprobe.SendInformation('" + server + "allowlist_post', '<diagnosis/>', '', 'eng'));\n"
        "show('IsIE10orAbove', Omniprobe.IsIE10orAbove());\n"
        "show('Is64bitOS', Omniprobe.Is64bitOS());\n"
        "show('GetIEVersion', Omniprobe.GetIEVersion());\n"
        "show('ServerURL', Omniprobe.ServerURL == '" + server + "' ? 'kept' : Omniprobe.ServerURL);\n"
        "show('GetErrorMsg', Omniprobe.GetErrorMsg(-103));\n"
        "Omniprobe.Lang = 'kor';\n"
        "show('GetErrorMsg', Omniprobe.GetErrorMsg(-103));\n");
    const std::vector<std::string> expected = {
        "SetWebMode -103",  "event empty",          "Retrieve -103",      "InstallOcx -103",
        "InstallDll -103",  "Modify -103",          "SaveTo -103",        "MailTo -103",
        "InstallProgram -103", "ShowSampleContent -103", "ShowIEToolbarList -103", "GetDisabledIEAddins []",
        "SendInformation false", "IsIE10orAbove false", "Is64bitOS false", "GetIEVersion -103",
        "ServerURL kept",  std::string("GetErrorMsg ") + kRefusedText,
        std::string("GetErrorMsg ") + kRefusedTextKorean};
    EXPECT_EQ(Lines(page.out), expected) << page.err;

    EXPECT_EQ(RequestsSince(before, scenario), std::vector<std::string>{});
    DWORD render = 99;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kIeMainKey, kSoftwareRenderValue, render));
    EXPECT_EQ(render, 0u);
    EXPECT_FALSE(FileExists(temp_.file("Setup.exe")));
    EXPECT_FALSE(FileExists(temp_.file("Setup.exe.log")));
    for (const char* name : {"AllowOcx.ocx", "AllowDll.dll"}) EXPECT_FALSE(FileExists(systemFolder + name)) << name;
}

}  // namespace
}  // namespace omni::test
