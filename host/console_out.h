// UTF-8 output of the console host: raw bytes when redirected, UTF-16 on a real console.
#pragma once

#include <string>

namespace omni::host {

void Print(const std::string& utf8);       // standard output
void PrintError(const std::string& utf8);  // standard error

}  // namespace omni::host
