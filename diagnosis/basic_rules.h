// Grading of the four programs that playback needs (the "basic" group), with the texts that say
// what was found.
#pragma once

#include <string>

#include "diagnosis/diagnosis_item.h"
#include "diagnosis/diagnosis_probes.h"
#include "diagnosis/total_info_state.h"

namespace omni {

DiagnosisItem GradeOs(const TotalInfoState& state);
std::string DescribeOs(const TotalInfoState& state);

DiagnosisItem GradeIe(const TotalInfoState& state);
// The service version from the browser 10 on (it reports 9.1x as its version), else the version.
std::string GetIeDisplayVersion(const TotalInfoState& state, GradingProbes& probes);
std::string DescribeIe(const TotalInfoState& state, GradingProbes& probes);
short GetIeDisplayMajor(const TotalInfoState& state, GradingProbes& probes);

// The install mode is the module-wide one, read when grading.
DiagnosisItem GradeWmp(const TotalInfoState& state);
std::string DescribeWmp(const TotalInfoState& state, const DiagnosisItem& item);

DiagnosisItem GradeFlash(const TotalInfoState& state);
std::string DescribeFlash(const TotalInfoState& state, const DiagnosisItem& item);

}  // namespace omni
