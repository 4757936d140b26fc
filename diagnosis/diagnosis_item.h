// The graded verdict of one check: colour, verdict text and proposed solution.
#pragma once

#include <string>

namespace omni {

inline constexpr char kColourPassed[] = "000000";
inline constexpr char kColourProblem[] = "FF0000";

inline constexpr char kSolutionText[] = "text";
inline constexpr char kSolutionLink[] = "link";
inline constexpr char kSolutionMethod[] = "method";

struct DiagnosisItem {
    std::string colour;
    std::string resultMsg;
    std::string solutionMsg;
    std::string solutionType;
    std::string solutionValue;
    std::string solutionParam;

    void Reset() { *this = DiagnosisItem(); }
};

}  // namespace omni
