// The diagnosis object: one run gathers the PC's state, the rules grade it, and the report made
// from the grades is kept as text.
#pragma once

#include <memory>
#include <string>

#include "diagnosis/diagnosis_item.h"
#include "diagnosis/diagnosis_probes.h"
#include "diagnosis/total_info_state.h"

namespace omni {

class CSystemProbes;

class CTotalInfo {
public:
    CTotalInfo();  // probes the machine
    CTotalInfo(RunProbes& run, GradingProbes& grading);  // probes through the given seams
    virtual ~CTotalInfo();
    CTotalInfo(const CTotalInfo&) = delete;
    CTotalInfo& operator=(const CTotalInfo&) = delete;

    // 0 when complete; otherwise the code of the step that stopped it (-1, -21, -22, -70).
    int Run();

    const std::string& GetReportText() const { return state_.reportText; }
    int GetRunState() const { return state_.runState; }

    // Before any run the facts below are unknown; this reads the OS and the browser version from the PC,
    // once, so that a page asking before its first Retrieve gets true answers. A run replaces them.
    void ProbeFactsIfNeverRun();
    int GetOsCode() const { return state_.osCode; }
    bool IsOn64BitWindows() const { return state_.isWow64 != 0; }
    bool SupportsAddonManager() const;
    bool IsIe7OrLater() const;
    bool IsIe10OrLater() const;
    short GetIeDisplayMajor();
    // 0 when the media player's network protocols were set, -22 otherwise.
    int ApplyWmpNetworkOption();

    // Basic environment
    DiagnosisItem GradeOs() const;
    std::string DescribeOs() const;
    DiagnosisItem GradeIe() const;
    std::string DescribeIe();
    std::string GetIeDisplayVersion();
    DiagnosisItem GradeWmp() const;
    std::string DescribeWmp(const DiagnosisItem& item) const;
    DiagnosisItem GradeFlash() const;
    std::string DescribeFlash(const DiagnosisItem& item) const;

    // Settings
    DiagnosisItem GradeFlashSecure() const;
    DiagnosisItem GradeIeFlash() const;
    DiagnosisItem GradeIeMarklet() const;
    DiagnosisItem GradeIePopup() const;
    DiagnosisItem GradeStatusBarScript() const;
    DiagnosisItem GradeSoftwareRendering() const;
    DiagnosisItem GradeIe32BitTabs() const;
    DiagnosisItem GradeWmpSrs() const;
    DiagnosisItem GradeWmpNetwork();
    DiagnosisItem GradeWmpSeeking();

    // Components
    DiagnosisItem GradeOcx(const std::string& name);
    DiagnosisItem GradeDll(const std::string& name) const;
    bool IsOcxUpToDate(const std::string& name);

    // What the last run gathered; the report writer walks its lists.
    const TotalInfoState& state() const { return state_; }
    TotalInfoState& state() { return state_; }
    void SetReportText(const std::string& text) { state_.reportText = text; }

private:
    int Stop(int code);

    TotalInfoState state_;
    bool factsProbed_ = false;
    std::unique_ptr<CSystemProbes> system_;
    RunProbes* run_;
    GradingProbes* grading_;
};

}  // namespace omni
