#pragma once
// Runs a helper program (gsettings) without a shell and waits for it.
#include <functional>
#include <string>
#include <vector>

namespace platform {

// argv[0] is looked up in PATH; output goes to /dev/null. Returns the exit
// status, or -1 when the program cannot be started, is killed by a signal, or
// runs past timeoutMs (it is then killed).
int RunCommand(const std::vector<std::string>& argv, int timeoutMs = 3000);

using CommandRunner = std::function<int(const std::vector<std::string>& argv)>;

}  // namespace platform
