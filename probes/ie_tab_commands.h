// The REG command lines for Internet Explorer's 32-bit tab settings. They live in the 64-bit
// registry view, so the commands run through the 64-bit command runner; "<path>" stands for a quote.
#pragma once

#include <string>

namespace omni {

inline constexpr char kTabProcGrowthValue[] = "TabProcGrowth";
inline constexpr char kX86AppPathValue[] = "x86AppPath";
inline constexpr char kUserRoot[] = "HKCU";
inline constexpr char kMachineRoot[] = "HKLM";

std::string TabProcGrowthQueryCommand(const std::string& root);
std::string X86AppPathQueryCommand();
std::string TabProcGrowthDeleteCommand(const std::string& root);
std::string X86AppPathAddCommand(const std::string& iexplorePath);

// "<32-bit program files>\Internet Explorer\IEXPLORE.EXE"; "" when the system has no such folder.
std::string Iexplore32Path();

// Runs a changing command; its log stays in the temporary folder, unread.
void RunRegistryCommand(const std::string& command);

// Runs a query and reads (then deletes) its log. True when the log was read and names the value;
// a runner that did not start or a log that cannot be read counts as "not there".
bool QueryFindsValue(const std::string& queryCommand, const std::string& valueName);

}  // namespace omni
