// Builds a diagnosis item from catalogue entries, the way every rule table reads.
#pragma once

#include <windows.h>

#include <string>

#include "core/message_catalog.h"
#include "diagnosis/diagnosis_item.h"

namespace omni {

// An entry of 0 leaves that message empty.
inline DiagnosisItem MakeItem(const char* colour, UINT result, UINT solution, const char* type,
                              const std::string& value, const std::string& param) {
    DiagnosisItem item;
    item.colour = colour;
    if (result) item.resultMsg = LoadMessage(result);
    if (solution) item.solutionMsg = LoadMessage(solution);
    item.solutionType = type;
    item.solutionValue = value;
    item.solutionParam = param;
    return item;
}

}  // namespace omni
