// Grading of the ten settings of the "etcchecklist" group. Each failing rule offers Modify with
// its settings key; outside its gate a rule answers "not relevant".
#pragma once

#include "diagnosis/diagnosis_item.h"
#include "diagnosis/diagnosis_probes.h"
#include "diagnosis/total_info_state.h"

namespace omni {

DiagnosisItem GradeFlashSecure(const TotalInfoState& state);
DiagnosisItem GradeIeFlash(const TotalInfoState& state);
DiagnosisItem GradeIeMarklet(const TotalInfoState& state);
DiagnosisItem GradeIePopup(const TotalInfoState& state);
DiagnosisItem GradeStatusBarScript(const TotalInfoState& state);
DiagnosisItem GradeSoftwareRendering(const TotalInfoState& state);
DiagnosisItem GradeIe32BitTabs(const TotalInfoState& state);
DiagnosisItem GradeWmpSrs(const TotalInfoState& state);
// These two probe the media player's settings each time they grade.
DiagnosisItem GradeWmpNetwork(const TotalInfoState& state, GradingProbes& probes);
DiagnosisItem GradeWmpSeeking(const TotalInfoState& state, GradingProbes& probes);

}  // namespace omni
