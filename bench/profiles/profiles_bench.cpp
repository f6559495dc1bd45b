// Load and save of a full keyboard profile (126 keys, four custom colour
// groups of 126) and of a 2000-step macro, on a temporary folder.
#include "macros/MacroStore.h"
#include "platform/Folders.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileData.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

struct TempHome {
    TempHome() {
        char pattern[] = "/tmp/zandri-bench-XXXXXX";
        path = ::mkdtemp(pattern);
        ::setenv("XDG_CONFIG_HOME", path.c_str(), 1);
    }
    ~TempHome() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

// A keyboard profile file made from the shipped factory data.
std::string MakeKeyboardProfile() {
    const std::string path = platform::DeviceDataFolder("keyboard") + "2020_01_01_00_00_00_000.Json";
    profiles::CKeyboardProfiledata data;
    data.SetDefaultDataPath(platform::DefaultDataFolder() + "keyboard.Json");
    data.Load(path);
    return path;
}

void BM_KeyboardProfileLoad(benchmark::State& state) {
    TempHome home;
    const std::string path = MakeKeyboardProfile();
    profiles::CKeyboardProfiledata data;
    for (auto _ : state) {
        data.Load(path);
        auto keys = data.GetKeyList();
        auto colours = data.GetCustomColors(data.GetCustomGroup(), 126);
        auto lights = data.GetLightList();
        benchmark::DoNotOptimize(keys.data());
        benchmark::DoNotOptimize(colours.data());
        benchmark::DoNotOptimize(lights.data());
    }
    if (data.GetKeyList().size() != 126) state.SkipWithError("factory keyboard profile not found");
}
BENCHMARK(BM_KeyboardProfileLoad)->Unit(benchmark::kMicrosecond);

// Read-modify-write of the whole file, temporary file, fsync and rename.
void BM_KeyboardProfileSave(benchmark::State& state) {
    TempHome home;
    const std::string path = MakeKeyboardProfile();
    profiles::CKeyboardProfiledata data;
    data.SetProfilePath(path);
    data.Load(path);
    auto keys = data.GetKeyList();
    auto colours = data.GetCustomColors(0, 126);
    uint8_t n = 0;
    for (auto _ : state) {
        keys[5].current.b0 = ++n;
        colours[7].red = n;
        data.SetKeyList(keys);
        data.SetCustomColors(colours, 0);
        if (!data.Save()) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_KeyboardProfileSave)->Unit(benchmark::kMicrosecond);

// The text rendering alone, without any file system work.
void BM_KeyboardProfileStyledText(benchmark::State& state) {
    TempHome home;
    const Json::Value file = profiles::ReadJson(MakeKeyboardProfile());
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = profiles::StyledText(file);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_KeyboardProfileStyledText)->Unit(benchmark::kMicrosecond);

std::vector<macros::MacroEvent> Steps(size_t n) {
    std::vector<macros::MacroEvent> v;
    for (size_t i = 0; i < n; ++i)
        v.push_back({static_cast<uint16_t>(i % 500), macros::kKey, i % 2 == 0, static_cast<uint8_t>(4 + i % 26)});
    return v;
}

void BM_Macro2000Save(benchmark::State& state) {
    TempHome home;
    macros::CMacroStore store(platform::DeviceDataFolder("keyboard"));
    store.AddMacro();
    const auto steps = Steps(2000);
    for (auto _ : state)
        if (!store.SaveMacro(0, steps)) state.SkipWithError("save failed");
}
BENCHMARK(BM_Macro2000Save)->Unit(benchmark::kMicrosecond);

void BM_Macro2000Load(benchmark::State& state) {
    TempHome home;
    macros::CMacroStore store(platform::DeviceDataFolder("keyboard"));
    store.AddMacro();
    store.SaveMacro(0, Steps(2000));
    const std::string guid = store.LoadIndex()[0].guid;
    size_t count = 0;
    for (auto _ : state) {
        const auto events = store.LoadEvents(guid);
        count = events.size();
        benchmark::DoNotOptimize(events.data());
    }
    if (count != 2000) state.SkipWithError("macro not read back");
}
BENCHMARK(BM_Macro2000Load)->Unit(benchmark::kMicrosecond);

} // namespace
