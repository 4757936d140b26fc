#include "hosting/control_host.h"

#include <gtest/gtest.h>
#include <exdisp.h>

#include <cstdio>
#include <string>

#include "fixtures/standin_control/standin_ids.h"
#include "hosting/fault_shield.h"
#include "machine/component_ids.h"
#include "machine/user_mode_ocx_register_util.h"
#include "platform/text.h"
#include "tests/hosting/standin_server.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/row_names.h"
#include "tests/support/scratch_folder.h"

namespace omni {
namespace {

using test::ClsidOf;
using test::LoadedServer;
using test::MachineRegistration;
using test::StandinPath;

const ComponentIds& Faulty(int row) { return standin::kFaultyStandins[row]; }

std::string MakerStandin(const ComponentIds& ids) { return StandinPath(standin::kFolder, ids.fileName); }
std::string FaultyStandin(const ComponentIds& ids) { return StandinPath(standin::kFaultyFolder, ids.fileName); }

// A visible top-level window to host controls in, as the browser's page would be.
class ParentWindow {
public:
    ParentWindow() {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OmniHostingTestParent";
        RegisterClassExW(&wc);
        window_.reset(CreateWindowExW(0, wc.lpszClassName, L"Hosting test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                      400, 300, nullptr, nullptr, wc.hInstance, nullptr));
    }
    HWND get() const { return window_.get(); }

    // The stand-in windows living inside it.
    int StandinChildren() const {
        int count = 0;
        for (HWND child = FindWindowExW(window_.get(), nullptr, standin::kWindowClass, nullptr); child;
             child = FindWindowExW(window_.get(), child, standin::kWindowClass, nullptr))
            ++count;
        return count;
    }

private:
    unique_hwnd window_;
};

class HostingTest : public ::testing::Test {
protected:
    com_init com_;
};

// --- The creation test of the maker's controls ------------------------------------------

class MakerStandinTest : public HostingTest, public ::testing::WithParamInterface<int> {};

TEST_P(MakerStandinTest, IsCreatableWhileRegisteredAndNotOnceUnregistered) {
    const ComponentIds& ids = kComponentIds[GetParam()];
    {
        MachineRegistration registration(MakerStandin(ids), ids);
        ASSERT_EQ(registration.result(), S_OK);
        EXPECT_TRUE(CanCreateControlWindow(ClsidOf(ids)));
        ASSERT_EQ(test::CallServerExport(MakerStandin(ids), "DllUnregisterServer"), S_OK);
        EXPECT_FALSE(CanCreateControlWindow(ClsidOf(ids)));
    }
    EXPECT_FALSE(test::KeyPresent(HKEY_CLASSES_ROOT, std::string("CLSID\\") + ids.clsid));
    EXPECT_FALSE(test::KeyPresent(HKEY_CLASSES_ROOT, ids.progId));
}

INSTANTIATE_TEST_SUITE_P(FiveControls, MakerStandinTest,
                         ::testing::Values(kMarklet2Row, kQuadrelRow, kMarklet3OuterRow, kMarklet3InnerRow,
                                           kQuadrelURow),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return test::RowName(kComponentIds[info.param].fileName, info.index);
                         });

TEST_F(HostingTest, AClassNeverRegistered_CannotBeCreated) {
    CLSID unknown;
    ASSERT_EQ(CoCreateGuid(&unknown), S_OK);
    EXPECT_FALSE(CanCreateControlWindow(unknown));
}

TEST_F(HostingTest, ARegisteredControlWhoseFileIsGone_CannotBeCreated) {
    const ComponentIds& ids = kComponentIds[kQuadrelRow];
    test::ScratchFolder scratch;
    const std::string copy = scratch.file(ids.fileName);
    ASSERT_TRUE(CopyFileW(Widen(MakerStandin(ids)).c_str(), Widen(copy).c_str(), FALSE));
    MachineRegistration registration(copy, ids);
    ASSERT_EQ(registration.result(), S_OK);
    ASSERT_TRUE(CanCreateControlWindow(ClsidOf(ids)));
    CoFreeUnusedLibrariesEx(0, 0);  // lets go of the copy, so it can be deleted

    ASSERT_TRUE(DeleteFileW(Widen(copy).c_str()));

    EXPECT_FALSE(CanCreateControlWindow(ClsidOf(ids)));
}

// --- Controls that fail while being created ----------------------------------------------

struct FailingCase {
    int row;
    HRESULT expected;
};
void PrintTo(const FailingCase& row, std::ostream* os) { *os << Faulty(row.row).fileName; }

class FailingControlTest : public HostingTest, public ::testing::WithParamInterface<FailingCase> {};

TEST_P(FailingControlTest, CountsAsNotCreatableAndLeavesNothingBehind) {
    const ComponentIds& ids = Faulty(GetParam().row);
    MachineRegistration registration(FaultyStandin(ids), ids);
    ASSERT_EQ(registration.result(), S_OK);
    LoadedServer server(FaultyStandin(ids));
    ASSERT_TRUE(server.loaded());
    ParentWindow parent;
    RECT rect = {10, 10, 110, 60};
    ControlHost host;

    EXPECT_EQ(host.Create(parent.get(), ClsidOf(ids), rect, true), GetParam().expected);

    EXPECT_EQ(host.control(), nullptr);
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_EQ(parent.StandinChildren(), 0);
    EXPECT_TRUE(server.NothingAlive());
    EXPECT_FALSE(CanCreateControlWindow(ClsidOf(ids)));
    EXPECT_TRUE(server.NothingAlive());
}

INSTANTIATE_TEST_SUITE_P(Variants, FailingControlTest,
                         ::testing::Values(FailingCase{standin::kFailsVerbRow, E_FAIL},
                                           FailingCase{standin::kFailsFactoryRow, E_FAIL},
                                           FailingCase{standin::kFaultsRow, kControlFaulted}),
                         [](const ::testing::TestParamInfo<FailingCase>& info) {
                             return test::RowName(Faulty(info.param.row).fileName, info.index);
                         });

// --- Visible hosting --------------------------------------------------------------------

class HostedMarklet2Test : public HostingTest {
protected:
    const ComponentIds& ids_ = kComponentIds[kMarklet2Row];
    MachineRegistration registration_{MakerStandin(ids_), ids_};
    LoadedServer server_{MakerStandin(ids_)};
    ParentWindow parent_;
    RECT rect_ = {10, 20, 210, 120};
};

TEST_F(HostedMarklet2Test, Visible_ShowsTheControlsWindowAsAChildOfTheParent) {
    ControlHost host;
    ASSERT_EQ(host.Create(parent_.get(), ClsidOf(ids_), rect_, true), S_OK);

    HWND window = host.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), parent_.get());
    EXPECT_TRUE(IsWindowVisible(window));
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    EXPECT_EQ(Narrow(text), "Marklet2.ocx");
    RECT placed = {};
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, parent_.get(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 20);
    EXPECT_EQ(placed.right - placed.left, 200);
    EXPECT_EQ(placed.bottom - placed.top, 100);
    EXPECT_EQ(parent_.StandinChildren(), 1);
}

TEST_F(HostedMarklet2Test, Control_AnswersForTheHostedObject) {
    ControlHost host;
    ASSERT_EQ(host.Create(parent_.get(), ClsidOf(ids_), rect_, true), S_OK);
    ASSERT_NE(host.control(), nullptr);

    com_ptr<IPersist> persist;
    ASSERT_EQ(host.control()->QueryInterface(IID_IPersist, persist.put_void()), S_OK);
    CLSID clsid = CLSID_NULL;
    ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, ClsidOf(ids_)));
}

TEST_F(HostedMarklet2Test, Invisible_CreatesTheWindowHidden) {
    ControlHost host;
    ASSERT_EQ(host.Create(parent_.get(), ClsidOf(ids_), rect_, false), S_OK);
    ASSERT_NE(host.window(), nullptr);
    EXPECT_FALSE(IsWindowVisible(host.window()));
}

TEST_F(HostedMarklet2Test, Destroy_TakesDownTheWindowAndReleasesTheControl) {
    ControlHost host;
    ASSERT_EQ(host.Create(parent_.get(), ClsidOf(ids_), rect_, true), S_OK);
    HWND window = host.window();

    host.Destroy();

    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(host.control(), nullptr);
    EXPECT_EQ(parent_.StandinChildren(), 0);
    EXPECT_TRUE(server_.NothingAlive());
    host.Destroy();  // a second time does nothing
}

TEST_F(HostedMarklet2Test, CreateAgain_ReplacesTheEarlierControl) {
    ControlHost host;
    ASSERT_EQ(host.Create(parent_.get(), ClsidOf(ids_), rect_, true), S_OK);
    ASSERT_EQ(host.Create(parent_.get(), ClsidOf(ids_), rect_, true), S_OK);
    EXPECT_EQ(parent_.StandinChildren(), 1);
}

TEST_F(HostedMarklet2Test, HostGoingOutOfScope_ReleasesTheControl) {
    {
        ControlHost host;
        ASSERT_EQ(host.Create(parent_.get(), ClsidOf(ids_), rect_, true), S_OK);
        EXPECT_FALSE(server_.NothingAlive());
    }
    EXPECT_EQ(parent_.StandinChildren(), 0);
    EXPECT_TRUE(server_.NothingAlive());
}

TEST_F(HostingTest, CreateWithoutAParentWindow_IsRefused) {
    ControlHost host;
    RECT rect = {0, 0, 2, 2};
    EXPECT_EQ(host.Create(nullptr, ClsidOf(kComponentIds[kMarklet2Row]), rect, false), E_INVALIDARG);
    EXPECT_EQ(host.control(), nullptr);
}

// --- Per-user registration through the merged classes view --------------------------------

TEST_F(HostingTest, PerUserRegistration_MakesTheControlCreatable) {
    CUserModeOcxRegisterUtil& util = GetUserModeOcxRegisterUtil();
    const ComponentIds& ids = kComponentIds[kQuadrelURow];
    const std::string folder = test::TestBinFolder() + "\\" + standin::kFolder + "\\";
    test::RemoveMachineRegistration(ids);
    ASSERT_FALSE(CanCreateControlWindow(ClsidOf(ids)));
    util.SetFolder(ids.fileName, folder);
    ASSERT_EQ(util.Register(ids.fileName), 1);

    const bool mergedView = test::KeyPresent(HKEY_CLASSES_ROOT, std::string("CLSID\\") + ids.clsid);
    const bool creatable = CanCreateControlWindow(ClsidOf(ids));
    const std::string registeredFolder = util.GetRegisteredFolder(ids.fileName);
    const int unregistered = util.Unregister(ids.fileName);
    util.SetFolder(ids.fileName, "");

    EXPECT_EQ(registeredFolder, folder);
    EXPECT_EQ(unregistered, 1);
    EXPECT_FALSE(test::KeyPresent(HKEY_CURRENT_USER, std::string("Software\\Classes\\CLSID\\") + ids.clsid));
    EXPECT_FALSE(CanCreateControlWindow(ClsidOf(ids)));
    // Wine 8 keeps HKEY_CLASSES_ROOT machine-only, so COM cannot see a per-user class there. (A skip
    // is not used: reporting any test result to the debugger output ends the process under Wine.)
    if (!mergedView) {
        std::printf("[   NOTE   ] no per-user classes in HKEY_CLASSES_ROOT here; creation not checked\n");
        return;
    }
    EXPECT_TRUE(creatable);
}

// --- The system's WebBrowser control, as the Flash verification page hosts it ----------------

TEST_F(HostingTest, SystemWebBrowser_HostsVisiblyAndAnswersIWebBrowser2) {
    ParentWindow parent;
    ControlHost host;
    RECT rect = {0, 0, 300, 200};
    ASSERT_EQ(host.Create(parent.get(), CLSID_WebBrowser, rect, true), S_OK);
    com_ptr<IWebBrowser2> browser;
    ASSERT_EQ(host.control()->QueryInterface(IID_IWebBrowser2, browser.put_void()), S_OK);
    HWND window = host.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), parent.get());
    browser.reset();
    host.Destroy();
}

}  // namespace
}  // namespace omni
