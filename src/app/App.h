#pragma once
// The program's entry point, shared by the zandri executable and the tests that
// start it as a child process.
#include <string>
#include <vector>

namespace app {

struct AppOptions {
    bool simulate = false;
    std::vector<std::string> simulateFamilies;  // empty: all four
    std::string simulateScript;                 // see Simulation::Schedule
    int exitAfterMs = -1;                       // leave through the exit path after this long
    bool reportStartup = false;                 // print the time to the first window on stdout
    bool help = false;
    std::string error;
};

AppOptions ParseOptions(const std::vector<std::string>& args);

// Returns 0 on every path (a second instance hands over and returns 0 too).
int RunApp(int argc, char** argv);

} // namespace app
