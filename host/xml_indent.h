// Lays a report out one element per line for a person to read; the page gets the text unindented.
#pragma once

#include <string>

namespace omni::host {

// Elements holding only text stay on one line; white space between elements is dropped.
std::string IndentXml(const std::string& xml);

}  // namespace omni::host
