// The X11 back-end: the pointer and key-repeat mapping, refusing everything
// without a display, and a round trip through a private Xvfb server that is
// then killed under it.
#include "platform/system_settings/X11SystemSettings.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace platform;
namespace fs = std::filesystem;
using PC = X11SystemSettings::PointerControl;
using AR = X11SystemSettings::AutoRepeat;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() / ("zandri-x11-" + std::to_string(::getpid()) + "-" +
                                            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string File(const char* name) const { return (path / name).string(); }
};

// A private Xvfb on a display number the server picks itself (-displayfd), so
// parallel runs never collide.
class Xvfb {
public:
    Xvfb() {
        if (access("/usr/bin/Xvfb", X_OK) != 0) return;
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0",
                  "640x480x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid_ < 0) {
            close(fds[0]);
            return;
        }
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c;
        while (poll(&p, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~Xvfb() { Kill(); }
    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace

TEST(X11SystemSettings, PointerControlForSpeedAndPrecision) {
    const struct {
        int speed;
        bool precision;
        PC expected;
    } cases[] = {
        {10, true, {1, 1, 4}},  {20, true, {2, 1, 4}},  {1, true, {1, 10, 4}}, {5, true, {1, 2, 4}},
        {4, true, {2, 5, 4}},   {15, true, {3, 2, 4}},  {0, true, {1, 10, 4}}, {99, true, {2, 1, 4}},
        {20, false, {1, 1, 0}}, {1, false, {1, 1, 0}},
    };
    for (const auto& c : cases) {
        const PC got = X11SystemSettings::PointerControlFor(c.speed, c.precision);
        EXPECT_EQ(got, c.expected) << c.speed << "/" << c.precision << " → " << got.numerator << "/" << got.denominator
                                   << " t" << got.threshold;
    }
}

TEST(X11SystemSettings, RepeatDelayAndRateKeepTheOtherHalf) {
    const AR current{660, 25};
    const std::pair<int, unsigned> delays[] = {{0, 250}, {1, 500}, {3, 1000}};
    for (auto [index, ms] : delays) EXPECT_EQ(X11SystemSettings::WithDelayIndex(current, index), (AR{ms, 25})) << index;
    EXPECT_FALSE(X11SystemSettings::WithDelayIndex(current, -1));
    EXPECT_FALSE(X11SystemSettings::WithDelayIndex(current, 4));

    const std::pair<int, unsigned> rates[] = {{0, 400}, {31, 33}, {-3, 400}, {40, 33}};
    for (auto [rate, ms] : rates) EXPECT_EQ(X11SystemSettings::WithRate(current, rate), (AR{660, ms})) << rate;
}

TEST(X11SystemSettings, WithoutADisplayEverythingX11RefusesAndTheStoreStillWorks) {
    TempDir dir;
    X11SystemSettings x(dir.File("store.ini"), "/nonexistent-zandri-display:0");
    EXPECT_FALSE(x.Connected());
    EXPECT_EQ(x.Name(), "x11");
    EXPECT_FALSE(x.SetPointerSpeed(10));
    EXPECT_FALSE(x.SetPointerPrecision(1));
    EXPECT_FALSE(x.SetKeyboardDelay(1));
    EXPECT_FALSE(x.SetKeyboardSpeed(31));
    EXPECT_FALSE(x.ReadPointerControl());
    EXPECT_FALSE(x.ReadAutoRepeat());
    // Wheel and double-click never needed the server.
    EXPECT_TRUE(x.SetWheelScrollLines(kWheelPageScroll));
    EXPECT_TRUE(x.SetDoubleClickTime(500));
    EXPECT_EQ(x.Store().Stored("WheelScrollLines"), "page");
    EXPECT_EQ(x.Store().Stored("DoubleClickTime"), "500");
}

TEST(X11SystemSettings, CreateSystemSettingsForcedX11WithoutDisplayIsX11AndRefuses) {
    const char* oldDisplay = std::getenv("DISPLAY");
    const std::string saved = oldDisplay ? oldDisplay : "";
    setenv("DISPLAY", "/nonexistent-zandri-display:0", 1);
    setenv("ZANDRI_SYSTEM_SETTINGS", "x11", 1);
    auto forced = CreateSystemSettings();
    unsetenv("ZANDRI_SYSTEM_SETTINGS");
    ASSERT_TRUE(forced);
    EXPECT_EQ(forced->Name(), "x11");
    EXPECT_FALSE(forced->SetPointerSpeed(12));
    if (oldDisplay)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

TEST(X11SystemSettings, XvfbRoundTripThenServerGone) {
    Xvfb server;
    if (server.Display().empty()) GTEST_SKIP() << "Xvfb not available";
    TempDir dir;
    X11SystemSettings x(dir.File("store.ini"), server.Display().c_str());
    if (!x.Connected()) GTEST_SKIP() << "cannot open " << server.Display() << " (libX11 1.7+ needed)";

    ASSERT_TRUE(x.SetPointerPrecision(1));
    ASSERT_TRUE(x.SetPointerSpeed(15));
    EXPECT_EQ(x.ReadPointerControl(), (PC{3, 2, 4}));
    ASSERT_TRUE(x.SetPointerSpeed(4));
    EXPECT_EQ(x.ReadPointerControl(), (PC{2, 5, 4}));
    ASSERT_TRUE(x.SetPointerPrecision(0));
    EXPECT_EQ(x.ReadPointerControl(), (PC{1, 1, 0}));
    ASSERT_TRUE(x.SetPointerPrecision(1));  // the speed comes back
    EXPECT_EQ(x.ReadPointerControl(), (PC{2, 5, 4}));
    EXPECT_FALSE(x.SetPointerPrecision(2));
    EXPECT_EQ(x.ReadPointerControl(), (PC{2, 5, 4}));

    ASSERT_TRUE(x.SetKeyboardDelay(3));
    ASSERT_TRUE(x.SetKeyboardSpeed(31));
    EXPECT_EQ(x.ReadAutoRepeat(), (AR{1000, 33}));
    ASSERT_TRUE(x.SetKeyboardDelay(0));  // interval kept
    EXPECT_EQ(x.ReadAutoRepeat(), (AR{250, 33}));
    ASSERT_TRUE(x.SetKeyboardSpeed(0));  // delay kept
    EXPECT_EQ(x.ReadAutoRepeat(), (AR{250, 400}));
    EXPECT_FALSE(x.SetKeyboardDelay(4));
    EXPECT_EQ(x.ReadAutoRepeat(), (AR{250, 400}));

    // The server goes away: calls fail instead of ending the process.
    server.Kill();
    EXPECT_FALSE(x.SetPointerSpeed(10));
    EXPECT_FALSE(x.Connected());
    EXPECT_FALSE(x.SetPointerPrecision(1));
    EXPECT_FALSE(x.SetKeyboardDelay(1));
    EXPECT_FALSE(x.SetKeyboardSpeed(5));
    EXPECT_FALSE(x.ReadPointerControl());
    EXPECT_TRUE(x.SetDoubleClickTime(400));
}
