// Grading of the maker's own controls and support DLLs against the component lists.
#pragma once

#include <string>

#include "diagnosis/diagnosis_item.h"
#include "diagnosis/diagnosis_probes.h"
#include "diagnosis/total_info_state.h"

namespace omni {

// Names come from the lists, or from a page; a name that is not listed is "not installed".
// Creation and the add-on switch are probed on every call.
DiagnosisItem GradeOcx(const TotalInfoState& state, GradingProbes& probes, const std::string& name);
DiagnosisItem GradeDll(const TotalInfoState& state, const std::string& name);
// True when the control can be created and is not older than listed; false for unlisted names.
bool IsOcxUpToDate(const TotalInfoState& state, GradingProbes& probes, const std::string& name);

}  // namespace omni
