// The install path through the page container with the real control, in a throwaway prefix of its own
// (the suite registers the maker's controls, hides the XML parser, writes policies): each case gets a
// page folder with a copy of the container, and the cases share one temporary folder, so that what a
// diagnosis writes there once is there before every case.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "machine/publisher_trust.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/support/machine_snapshot.h"
#include "tests/support/page_container.h"
#include "tests/support/repair_page.h"
#include "tests/support/scratch_folder.h"

namespace omni::test {

// The test variants of a component and an installer under one kind of signature (bin/signatures/<kind>/).
std::string SignedVariant(const std::string& kind, const std::string& file);

// Where the page's components may land or leave traces: the system folder, the user's component folders,
// the temporary folder and the page's own folder; and the registry where they would be registered.
MachineSnapshot TakeSnapshot(const std::string& pageFolder);
// The changes between two snapshots, without those Wine makes on its own (its own settings) and the
// page's script.
std::vector<std::string> ChangesBetween(const MachineSnapshot& before, const MachineSnapshot& after);

// Once a program: the temporary folder that the cases share, and one diagnosis before the first case, so
// that what every diagnosis writes there, and the programs Wine keeps running once a program has run, are
// there before each case too. The folder goes when the program ends.
void PrepareInstallCases();
std::string InstallTempFile(const std::string& name);

template <class Base>
class InstallSuite : public ControlPageSuite<Base> {
protected:
    static void SetUpTestSuite() {
        ControlPageSuite<Base>::SetUpTestSuite();
        PrepareInstallCases();
    }
    void SetUp() override {
        ASSERT_TRUE(ControlPageSuite<Base>::ControlRegistered()) << "regsvr32 could not register Omniprobe.ocx";
        ASSERT_TRUE(CopyFileW(Widen(TestBinFolder() + "\\omniprobe_page.exe").c_str(),
                              Widen(page_.file("omniprobe_page.exe")).c_str(), FALSE));
        for (const char* folder : {"Z4OCX", "Z3OCX", "DLL", "Installer"})
            CreateDirectoryW(Widen(page_.file(folder)).c_str(), nullptr);
        WriteBytes(page_.file("Z4OCX\\ocxlistz4.txt"), "");
        WriteBytes(page_.file("Z3OCX\\ocxlistz3.txt"), "");
        WriteBytes(page_.file("DLL\\dlllist2000.txt"), "");
    }
    static std::string TempFile(const std::string& name) { return InstallTempFile(name); }

    PageRun RunLocal(const std::string& script, int question = IDYES, const std::string& options = "") {
        return RunRepairPage(page_.file(container_), page_.path(), "--param InstallMode=0 " + options, script,
                             question);
    }

    com_init com_;
    ScratchFolder page_;
    std::string container_ = "omniprobe_page.exe";
};

}  // namespace omni::test
