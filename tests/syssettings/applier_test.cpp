// The settings applier: values are applied on its own worker, newer values of
// a waiting setting replace older ones, and Stop drains and joins.
#include "platform/SystemSettings.h"
#include "platform/system_settings/RecordingSystemSettings.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>

using namespace platform;
using S = SystemSetting;
using R = RecordingSystemSettings;

namespace {

// Holds every call until Release(), so a test can see the applier while busy.
class GatedSettings : public RecordingSystemSettings {
public:
    void Release() {
        std::lock_guard<std::mutex> lock(m_);
        open_ = true;
        cv_.notify_all();
    }
    bool WaitEntered(int ms) {
        std::unique_lock<std::mutex> lock(m_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return entered_ > 0; });
    }

protected:
    bool Record(S s, int64_t value) override {
        {
            std::unique_lock<std::mutex> lock(m_);
            ++entered_;
            cv_.notify_all();
            cv_.wait(lock, [this] { return open_; });
        }
        return RecordingSystemSettings::Record(s, value);
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
    int entered_ = 0;
};

}  // namespace

TEST(SystemSettingsApplier, AppliesOnItsOwnThreadInOrder) {
    auto rec = std::make_shared<RecordingSystemSettings>();
    SystemSettingsApplier applier(rec);
    EXPECT_TRUE(applier.Post(S::PointerSpeed, PointerSpeedFromSlider(4)));
    EXPECT_TRUE(applier.Post(S::WheelScrollLines, WheelLinesFromSlider(0, true)));
    EXPECT_TRUE(applier.Post(S::PointerPrecision, 7));  // refused by the rules: nothing applied
    ASSERT_TRUE(applier.WaitIdle(2000));
    EXPECT_FALSE(applier.Busy());
    const auto calls = rec->Calls();
    EXPECT_EQ(calls, (std::vector<R::Call>{R::Expect(S::PointerSpeed, 10), R::Expect(S::WheelScrollLines, 0xFFFFFFFFll)}));
    for (const auto& c : calls) EXPECT_NE(c.thread, std::this_thread::get_id());
}

TEST(SystemSettingsApplier, BusyWhileApplyingAndNewerValuesReplaceWaitingOnes) {
    auto gated = std::make_shared<GatedSettings>();
    SystemSettingsApplier applier(gated);
    applier.Post(S::PointerSpeed, 2);
    ASSERT_TRUE(gated->WaitEntered(2000));  // the worker holds the first value
    EXPECT_TRUE(applier.Busy());
    // A slider dragged while the desktop is slow: only its last position waits.
    for (int v = 3; v <= 9; ++v) applier.Post(S::PointerSpeed, v);
    applier.Post(S::KeyboardDelay, 1);
    EXPECT_FALSE(applier.WaitIdle(50));
    gated->Release();
    ASSERT_TRUE(applier.WaitIdle(2000));
    EXPECT_FALSE(applier.Busy());
    EXPECT_EQ(gated->Calls(), (std::vector<R::Call>{R::Expect(S::PointerSpeed, 2), R::Expect(S::PointerSpeed, 9),
                                                    R::Expect(S::KeyboardDelay, 1)}));
}

TEST(SystemSettingsApplier, StopAppliesWhatIsQueuedThenJoins) {
    auto gated = std::make_shared<GatedSettings>();
    auto applier = std::make_unique<SystemSettingsApplier>(gated);
    applier->Post(S::DoubleClickTime, 400);
    ASSERT_TRUE(gated->WaitEntered(2000));
    applier->Post(S::KeyboardSpeed, 20);
    gated->Release();
    applier->Stop();
    EXPECT_FALSE(applier->Busy());
    EXPECT_FALSE(applier->Post(S::KeyboardSpeed, 1));  // stopped: refused
    applier.reset();  // a second stop in the destructor is harmless
    EXPECT_EQ(gated->Calls(), (std::vector<R::Call>{R::Expect(S::DoubleClickTime, 400), R::Expect(S::KeyboardSpeed, 20)}));
}

TEST(SystemSettingsApplier, FactoryHonoursTheForcedFileStore) {
    const std::string home = ::testing::TempDir() + "zandri-syssettings-factory";
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);  // keep the store out of the real config folder
    setenv("ZANDRI_SYSTEM_SETTINGS", "file", 1);
    auto backend = CreateSystemSettings();
    unsetenv("ZANDRI_SYSTEM_SETTINGS");
    if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
    ASSERT_NE(backend, nullptr);
    EXPECT_EQ(backend->Name(), "file");
}
