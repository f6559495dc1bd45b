// The GNOME back-end's gsettings command lines, the file store, the command
// runner, and a real gsettings round trip into a private keyfile.
#include "platform/system_settings/CommandRunner.h"
#include "platform/system_settings/FileSystemSettings.h"
#include "platform/system_settings/GnomeSystemSettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/AtomicFile.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() / ("zandri-syssettings-" + std::to_string(::getpid()) + "-" +
                                            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string File(const char* name) const { return (path / name).string(); }
};

using Argv = std::vector<std::string>;

// Records each command line; `answer` decides the exit status.
struct FakeGsettings {
    std::vector<Argv> commands;
    std::function<int(const Argv&)> answer = [](const Argv&) { return 0; };
    CommandRunner Runner() {
        return [this](const Argv& a) {
            commands.push_back(a);
            return answer(a);
        };
    }
};

Argv Set(const char* schema, const char* key, const char* value) { return {"gsettings", "set", schema, key, value}; }
constexpr const char* kMouse = "org.gnome.desktop.peripherals.mouse";
constexpr const char* kKeyboard = "org.gnome.desktop.peripherals.keyboard";

}  // namespace

TEST(GnomeSystemSettings, SpeedMapsOneToTwentyOntoMinusOneToOne) {
    const std::pair<int, const char*> cases[] = {{1, "-1.00"}, {5, "-0.56"}, {10, "0.00"},
                                                 {15, "0.50"}, {20, "1.00"}, {0, "-1.00"}, {99, "1.00"}};
    for (auto [speed, text] : cases)
        EXPECT_EQ(GnomeSystemSettings::SpeedText(GnomeSystemSettings::GnomeSpeed(speed)), text) << speed;
}

TEST(GnomeSystemSettings, CommandLinesForEachSetting) {
    TempDir dir;
    FakeGsettings fake;
    GnomeSystemSettings g(fake.Runner(), dir.File("store.ini"));
    EXPECT_TRUE(g.SetPointerSpeed(5));
    EXPECT_TRUE(g.SetPointerPrecision(0));
    EXPECT_TRUE(g.SetPointerPrecision(1));
    EXPECT_FALSE(g.SetPointerPrecision(3));
    EXPECT_TRUE(g.SetDoubleClickTime(500));
    EXPECT_TRUE(g.SetDoubleClickTime(700));
    EXPECT_TRUE(g.SetKeyboardDelay(1));
    EXPECT_TRUE(g.SetKeyboardSpeed(31));
    const std::vector<Argv> expected = {
        Set(kMouse, "speed", "-0.56"),
        Set(kMouse, "accel-profile", "'flat'"),
        Set(kMouse, "accel-profile", "'default'"),
        {"gsettings", "range", kMouse, "double-click"},  // asked once
        Set(kMouse, "double-click", "500"),
        Set(kMouse, "double-click", "700"),
        Set(kKeyboard, "delay", "500"),
        Set(kKeyboard, "repeat-interval", "33"),
    };
    EXPECT_EQ(fake.commands, expected);
}

TEST(GnomeSystemSettings, WheelAndMissingKeysGoToTheFileStore) {
    TempDir dir;
    FakeGsettings fake;
    fake.answer = [](const Argv& a) { return a[1] == "range" ? 1 : 0; };  // no double-click key
    GnomeSystemSettings g(fake.Runner(), dir.File("store.ini"));
    EXPECT_TRUE(g.SetWheelScrollLines(kWheelPageScroll));
    EXPECT_TRUE(g.SetDoubleClickTime(300));
    EXPECT_EQ(fake.commands.size(), 1u);  // only the range probe
    EXPECT_EQ(g.Store().Stored("WheelScrollLines"), "page");
    EXPECT_EQ(g.Store().Stored("DoubleClickTime"), "300");

    fake.answer = [](const Argv&) { return 1; };  // gsettings refuses: reported, not hidden
    EXPECT_FALSE(g.SetPointerSpeed(10));
    EXPECT_FALSE(GnomeSystemSettings::Available(fake.Runner()));
}

TEST(FileSystemSettings, KeepsOneLinePerSettingAndOtherSections) {
    TempDir dir;
    const std::string path = dir.File("system_settings.ini");
    ASSERT_TRUE(WriteFileAtomic(path, "[Other]\nPointerSpeed=1\n"));
    FileSystemSettings f(path);
    EXPECT_TRUE(f.SetWheelScrollLines(3));
    EXPECT_TRUE(f.SetPointerSpeed(12));
    EXPECT_TRUE(f.SetWheelScrollLines(kWheelPageScroll));
    EXPECT_EQ(f.Stored("WheelScrollLines"), "page");
    EXPECT_EQ(f.Stored("PointerSpeed"), "12");
    EXPECT_EQ(f.Stored("KeyboardDelay"), std::nullopt);
    EXPECT_EQ(ReadWholeFile(path), "[SystemSettings]\nWheelScrollLines=page\nPointerSpeed=12\n");

    FileSystemSettings unwritable((dir.path / "missing" / "x.ini").string());
    EXPECT_FALSE(unwritable.SetKeyboardDelay(1));
}

TEST(RunCommand, ExitStatusNotFoundAndTimeOut) {
    EXPECT_EQ(RunCommand({"true"}), 0);
    EXPECT_EQ(RunCommand({"sh", "-c", "exit 3"}), 3);
    EXPECT_NE(RunCommand({"zandri-no-such-program"}), 0);
    EXPECT_EQ(RunCommand({}), -1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunCommand({"sleep", "5"}, 100), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Runs the real gsettings against glib's keyfile back-end in a private folder,
// so the values can be read back without touching any desktop.
TEST(GnomeSystemSettings, RealGsettingsWritesThePeripheralsKeys) {
    if (RunCommand({"gsettings", "list-keys", kMouse}) != 0) GTEST_SKIP() << "gsettings schemas not installed";
    TempDir dir;
    const char* oldBackend = std::getenv("GSETTINGS_BACKEND");
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedBackend = oldBackend ? oldBackend : "";
    const std::string savedConfig = oldConfig ? oldConfig : "";
    setenv("GSETTINGS_BACKEND", "keyfile", 1);
    setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1);

    GnomeSystemSettings g([](const Argv& a) { return RunCommand(a); }, dir.File("store.ini"));
    EXPECT_TRUE(GnomeSystemSettings::Available([](const Argv& a) { return RunCommand(a); }));
    EXPECT_TRUE(g.SetPointerSpeed(15));
    EXPECT_TRUE(g.SetPointerPrecision(0));
    EXPECT_TRUE(g.SetKeyboardDelay(3));
    EXPECT_TRUE(g.SetKeyboardSpeed(0));
    const auto keyfile = ReadWholeFile((dir.path / "glib-2.0" / "settings" / "keyfile").string());

    if (oldBackend) setenv("GSETTINGS_BACKEND", savedBackend.c_str(), 1); else unsetenv("GSETTINGS_BACKEND");
    if (oldConfig) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");

    ASSERT_TRUE(keyfile.has_value());
    EXPECT_NE(keyfile->find("speed=0.5"), std::string::npos) << *keyfile;
    EXPECT_NE(keyfile->find("accel-profile='flat'"), std::string::npos) << *keyfile;
    EXPECT_NE(keyfile->find("delay=1000"), std::string::npos) << *keyfile;
    EXPECT_NE(keyfile->find("repeat-interval=400"), std::string::npos) << *keyfile;
}
