// zandrictl against the four emulated devices, run as a separate process.
#include "devices/SupportedDevices.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct Run {
    std::string out;
    int exitCode = -1;
};

Run Zandrictl(const std::string& args, bool withStderr = false) {
    Run r;
    const std::string cmd = std::string(ZANDRICTL_EXE) + " " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) r.out += buf;
    const int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

} // namespace

TEST(Zandrictl, SimulateListShowsEverySlotOfTheFourFamilies) {
    const auto r = Zandrictl("--simulate list");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    for (const auto& o : devices::DeviceOptionTable)
        EXPECT_NE(r.out.find(" " + std::string(o.familyName) + " "), std::string::npos) << o.familyName;
    // Seven interfaces: command and sync of mouse, keyboard and pad; the headset's command interface.
    EXPECT_EQ(Count(r.out, "\\\\?\\hid#"), 7u);
    EXPECT_EQ(Count(r.out, "255 (sync)"), 3u);
    EXPECT_NE(r.out.find("vid_ffff&pid_ffff&mi_01&col04"), std::string::npos);  // keyboard, emulation only
    EXPECT_NE(r.out.find("vid_0d8c&pid_01da&mi_03#"), std::string::npos);
}

TEST(Zandrictl, SimulateInfoDecodesEachCommandInterface) {
    const auto r = Zandrictl("--simulate info");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(Count(r.out, "DeviceInfo: "), 4u);
    for (const char* family : {"mouse", "keyboard", "MousePad", "HD"})
        EXPECT_NE(r.out.find(std::string("  ") + family + "  "), std::string::npos) << family;
    EXPECT_NE(r.out.find("key count 6, macro memory 4096 bytes (32 x 128), DPI step 100, min DPI 200"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("key count 126, macro memory 8192 bytes"), std::string::npos);
}

TEST(Zandrictl, UsageErrorsAndNoDevices) {
    EXPECT_EQ(Zandrictl("").exitCode, 64);
    EXPECT_EQ(Zandrictl("--simulate frobnicate").exitCode, 64);
    // Without --simulate: either real devices are listed, or a clear reason and a non-zero exit.
    const auto r = Zandrictl("list", true);
    if (r.exitCode == 1)
        EXPECT_NE(r.out.find("No supported Zandri device found."), std::string::npos) << r.out;
    else if (r.exitCode == 2)
        EXPECT_NE(r.out.find("70-zandri.rules"), std::string::npos) << r.out;
    else
        EXPECT_EQ(r.exitCode, 0) << r.out;
}
