// Signed code only: every entry point that loads, registers or runs a file, with the file under each
// kind of signature. Only the control's own signer and a Trusted Publisher of the machine install; for
// every other signature (none, changed bytes, a same-name or untrusted certificate, a Trusted Publisher
// whose root nothing trusts, one that only the user trusts, text appended after the signature, a revoked
// certificate) the call answers -104 and the folders, the registry and the running programs are as before.
// What runs while the control holds the file (the component's registration in regsvr32, the installer)
// tries to write, rename and delete that file, as a hostile program would: each is a sharing violation,
// so the bytes that were checked are the bytes that ran.
// The three entry points that need nothing of their own run one after the other; Modify("SpMarklet")
// needs Windows XP and the parser's installer a PC without the parser, so each has its own group. The rows
// of a group share one page process (a container's start and first diagnosis cost seconds under
// emulation): each row still lays out its own files, diagnoses anew before its calls and compares its
// own snapshots, so a row proves as much as in a fresh page. A trusted row's page waits out the
// re-diagnosis its install arms before the next row begins.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/text.h"
#include "tests/install/install_suite.h"
#include "tests/support/box_presser.h"
#include "tests/support/page_session.h"
#include "tests/support/registry_sandbox.h"

namespace omni::test {
namespace {

const char kInstaller[] = "installer_standin.exe";

struct EntryPoint {
    const char* name;
    int page;  // the entry points of one page run one after the other in it
    // Lays out the page folder with the file of one signature kind.
    void (*arrange)(const std::string& page, const std::string& kind);
    const char* call;  // JScript after a first Retrieve; null: the call is that Retrieve
    // The file's trace when it was installed or run: its log beside where it registered or ran.
    std::string (*trace)(const std::string& page);
    const char* container;  // the container's name in the page folder
};

std::string Page(const std::string& page, const std::string& file) { return page + "\\" + file; }

const EntryPoint kEntryPoints[] = {
    {"InstallOcx", 0,
     [](const std::string& page, const std::string& kind) {
         WriteBytes(Page(page, "Z4OCX\\ocxlistz4.txt"), "SigOcx.ocx 1.0.0.5\r\n");
         WriteBytes(Page(page, "Z4OCX\\SigOcx.ocx"), SignedVariant(kind, "SigOcx.ocx"));
     },
     "Omniprobe.InstallOcx('SigOcx.ocx')", [](const std::string&) { return SystemFile("SigOcx.ocx.log"); },
     "omniprobe_page.exe"},
    {"InstallDll", 0,
     [](const std::string& page, const std::string& kind) {
         WriteBytes(Page(page, "DLL\\dlllist2000.txt"), "SigDll.dll 1.0.0.1\r\n");
         WriteBytes(Page(page, "DLL\\SigDll.dll"), SignedVariant(kind, "SigDll.dll"));
     },
     "Omniprobe.InstallDll('SigDll.dll')", [](const std::string&) { return SystemFile("SigDll.dll.log"); },
     "omniprobe_page.exe"},
    {"InstallProgram", 0,
     [](const std::string& page, const std::string& kind) {
         WriteBytes(Page(page, "Installer\\SigSetup.exe"), SignedVariant(kind, kInstaller));
     },
     "Omniprobe.InstallProgram('SigSetup.exe')",
     [](const std::string& page) { return Page(page, "Installer\\SigSetup.exe.log"); }, "omniprobe_page.exe"},
    // Only on Windows XP: the container of these rows is told by Wine that it runs there.
    {"ModifySpMarklet", 1,
     [](const std::string& page, const std::string& kind) {
         WriteBytes(Page(page, "Installer\\Marklet3Outer.ocx"), SignedVariant(kind, "Marklet3Outer.ocx"));
     },
     "Omniprobe.Modify('SpMarklet')", [](const std::string&) { return SystemFile("Marklet3Outer.ocx.log"); },
     "omniprobe_xp.exe"},
    // Only on a PC without the XML parser: these rows hide its class.
    {"RetrieveParserInstaller", 2,
     [](const std::string& page, const std::string& kind) {
         WriteBytes(Page(page, "Installer\\msxml3.exe"), SignedVariant(kind, kInstaller));
     },
     nullptr, [](const std::string& page) { return Page(page, "Installer\\msxml3.exe.log"); }, "omniprobe_page.exe"},
};

const char* const kPages[] = {"InstallOcxDllProgram", "ModifySpMarklet", "RetrieveParserInstaller"};
// The trusted kinds last: a group's page ends after a trusted row.
const char* const kKinds[] = {"unsigned",      "tampered", "samename", "untrusted", "orphanpublisher",
                              "userpublisher", "padded",   "revoked",  "maker",     "publisher"};
constexpr int kKindCount = sizeof(kKinds) / sizeof(kKinds[0]);

// Wine tells a program of this name that it runs on Windows XP, while the object lives.
class WindowsXpFor {
public:
    explicit WindowsXpFor(const std::string& program)
        : key_("Software\\Wine\\AppDefaults\\" + program) { SetString(HKEY_CURRENT_USER, key_, "Version", "winxp"); }
    ~WindowsXpFor() { DeleteTree(HKEY_CURRENT_USER, key_); }

private:
    std::string key_;
};

// The XML parser's class is gone from both registry views while the object lives, and comes back after.
class HiddenParser {
public:
    HiddenParser() {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            unique_hkey classes, saved;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, KEY_ALL_ACCESS | view,
                              classes.addressof()) != ERROR_SUCCESS)
                continue;
            const std::wstring to = Saved(view);
            if (RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                saved.addressof(), nullptr) != ERROR_SUCCESS ||
                RegCopyTreeW(classes.get(), kParserClass, saved.get()) != ERROR_SUCCESS)
                continue;
            RegDeleteTreeW(classes.get(), kParserClass);
            RegDeleteKeyExW(classes.get(), kParserClass, view, 0);
            hidden_.push_back(view);
        }
    }
    ~HiddenParser() {
        for (REGSAM view : hidden_) {
            unique_hkey clsid, saved;
            const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + kParserClass;
            if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                                clsid.addressof(), nullptr) == ERROR_SUCCESS &&
                RegOpenKeyExW(HKEY_CURRENT_USER, Saved(view).c_str(), 0, KEY_READ, saved.addressof()) == ERROR_SUCCESS)
                RegCopyTreeW(saved.get(), nullptr, clsid.get());
            RegDeleteTreeW(HKEY_CURRENT_USER, Saved(view).c_str());
            RegDeleteKeyW(HKEY_CURRENT_USER, Saved(view).c_str());
        }
    }
    HiddenParser(const HiddenParser&) = delete;
    HiddenParser& operator=(const HiddenParser&) = delete;

private:
    static constexpr wchar_t kParserClass[] = L"{F6D90F11-9C73-11D3-B32E-00C04F990BB4}";
    static std::wstring Saved(REGSAM view) {
        return view == KEY_WOW64_32KEY ? L"Software\\OmniprobeTests\\Parser32" : L"Software\\OmniprobeTests\\Parser64";
    }
    std::vector<REGSAM> hidden_;
};

using SignatureRow = std::tuple<int, int>;  // page of entry points, signature kind

// The page of one group of entry points, with its folder and the container Wine tells that it runs on
// Windows XP (set before the container starts: Wine reads it then).
class GroupPage {
public:
    GroupPage(int group, const std::string& container) : group_(group), xp_(container) {
        if (!CopyFileW(Widen(TestBinFolder() + "\\omniprobe_page.exe").c_str(), Widen(folder_.file(container)).c_str(),
                       FALSE)) {
            ADD_FAILURE() << "could not copy the container";
            return;
        }
        for (const char* folder : {"Z4OCX", "Z3OCX", "DLL", "Installer"})
            CreateDirectoryW(Widen(folder_.file(folder)).c_str(), nullptr);
        WriteBytes(folder_.file("Z4OCX\\ocxlistz4.txt"), "");
        WriteBytes(folder_.file("Z3OCX\\ocxlistz3.txt"), "");
        WriteBytes(folder_.file("DLL\\dlllist2000.txt"), "");
        session_ = std::make_unique<PageSession>(
            folder_.file(container),
            std::string("--timeout 3600000 --param Lang=eng --param InstallMode=0 --url ") + kRepairPageAddress,
            folder_.path());
    }
    int group() const { return group_; }
    bool running() const { return session_ && session_->running(); }
    const std::string& path() const { return folder_.path(); }
    PageSession& session() { return *session_; }

private:
    int group_;
    WindowsXpFor xp_;
    ScratchFolder folder_;
    std::unique_ptr<PageSession> session_;
};

class SignatureTable : public InstallSuite<::testing::TestWithParam<SignatureRow>> {
protected:
    static void TearDownTestSuite() {
        groupPage_.reset();
        InstallSuite::TearDownTestSuite();
    }
    void SetUp() override {
        InstallSuite::SetUp();
        SetEnvironmentVariableW(L"OMNI_STANDIN_TAMPER", L"1");
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"OMNI_STANDIN_TAMPER", nullptr);
        for (const char* name : {"SigOcx.ocx", "SigOcx.ocx.log", "SigDll.dll", "SigDll.dll.log", "Marklet3Outer.ocx",
                                 "Marklet3Outer.ocx.log"})
            DeleteFileW(Widen(SystemFile(name)).c_str());
        if (groupPage_)
            for (const EntryPoint& entry : kEntryPoints) DeleteFileW(Widen(entry.trace(groupPage_->path())).c_str());
    }
    // The page of the row's group; only one runs at a time (an idle page still polls for its next row).
    static GroupPage& PageOf(int group, const std::string& container) {
        if (!groupPage_ || groupPage_->group() != group || !groupPage_->running()) {
            groupPage_.reset();
            groupPage_ = std::make_unique<GroupPage>(group, container);
        }
        return *groupPage_;
    }

    inline static std::unique_ptr<GroupPage> groupPage_;
};

TEST_P(SignatureTable, OnlyTheControlsSignerAndATrustedPublisherInstall) {
    const int group = std::get<0>(GetParam());
    const std::string kind = kKinds[std::get<1>(GetParam())];
    const bool trusted = kind == "maker" || kind == "publisher";
    std::vector<const EntryPoint*> entries;
    for (const EntryPoint& entry : kEntryPoints)
        if (entry.page == group) entries.push_back(&entry);
    GroupPage& page = PageOf(group, entries[0]->container);
    if (HasFatalFailure()) return;
    std::unique_ptr<HiddenParser> noParser(entries[0]->call ? nullptr : new HiddenParser());
    std::string script = entries[0]->call ? "Omniprobe.Retrieve();\n" : "";
    for (const EntryPoint* entry : entries) {
        entry->arrange(page.path(), kind);
        script += "say('return " + std::string(entry->name) + " ' + " +
                  (entry->call ? entry->call : "Omniprobe.Retrieve()") + ");\n";
    }
    // An install that succeeded arms a re-diagnosis one second later; it runs before the page's timer.
    script += trusted ? "window.setTimeout(done, 2000);\n" : "done();\n";

    const MachineSnapshot before = TakeSnapshot(page.path());
    BoxPresser presser(IDYES);
    const StepRun run = page.session().Step(script);
    presser.Stop();
    EXPECT_FALSE(run.pageEnded) << run.out;
    for (const EntryPoint* entry : entries) {
        const std::string returned = "return " + std::string(entry->name) + " " + (trusted ? "0" : "-104") + "\n";
        EXPECT_NE(run.out.find(returned), std::string::npos) << returned << run.out;
        const std::string trace = entry->trace(page.path());
        EXPECT_EQ(FileExists(trace), trusted) << trace;
        if (trusted) {
            EXPECT_EQ(ReadBytes(trace).substr(0, 20), "tamper own 32 32 32\n") << trace << ReadBytes(trace);
        }
    }
    if (!trusted) {
        EXPECT_EQ(ChangesBetween(before, TakeSnapshot(page.path())), std::vector<std::string>{});
    } else {
        // The page may keep the installed component loaded (the re-diagnosis created it): a later row
        // would find it installed and up to date. The next row gets a fresh page.
        groupPage_.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(EntryPointsBySignature, SignatureTable,
                         ::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, kKindCount)),
                         [](const ::testing::TestParamInfo<SignatureRow>& info) {
                             return std::string(kPages[std::get<0>(info.param)]) + "_" + kKinds[std::get<1>(info.param)];
                         });

}  // namespace
}  // namespace omni::test
