// Child processes and ports for the receiver's tests and benchmarks.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace omni::desk::harness {

// Starts argv (argv[0] searched on PATH unless it holds a slash) with the given environment, its output
// and errors into log (appended, or the file emptied first). The child is killed with SIGKILL when the
// thread that started it ends, so that no orphan keeps a test's output pipe open. Returns its process id,
// or -1 when the log cannot be opened or the process not made.
pid_t StartLogged(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                  const std::string& log, bool append);

// This process's environment, without the variables whose names begin with prefix.
std::vector<std::string> EnvironmentWithout(const std::string& prefix);

// A loopback port that was free a moment ago.
int FreePort();

}  // namespace omni::desk::harness
