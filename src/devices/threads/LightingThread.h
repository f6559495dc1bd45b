#pragma once
// The per-device lighting thread: paces the lighting engine's steps by the
// coarse system tick and the effect's speed, owns the device's frame behind a
// mutex, applies queued key events before a step, and hands changed frames to
// the device's stream worker. The engine itself comes in as a callback.
#include "devices/threads/StreamWorker.h"
#include "devices/threads/SyncThread.h"
#include "platform/WorkerThread.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace devices::threads {

// Three colour bytes and a brightness byte per LED.
using LedEntry = std::array<uint8_t, 4>;
using LightFrame = std::vector<LedEntry>;

enum class TickRule {
    ClockChanges,  // mouse, keyboard: one tick per change of the coarse system tick
    EveryPass,     // mouse pad, headset: a 1 ms rest and one tick per pass
};

struct LightingConfig {
    TickRule rule = TickRule::ClockChanges;
    int periodRows = 9;                   // effects 0..periodRows-1 have a step period ...
    std::vector<uint8_t> sequenceEffects; // ... except these, which run the sequence like those above
    std::string exitLine;                 // written when the thread ends
    int lightCount = 0;
};

LightingConfig MouseLightingConfig();
LightingConfig KeyboardLightingConfig();
LightingConfig PadLightingConfig();      // mouse pad
LightingConfig HeadsetLightingConfig();

// Ticks between two effect steps at speed: 28, 23, 18, 13, 7 for 0..4 and 0
// (every pass) for 5..14. A byte beyond the table is taken as speed 4.
int StepPeriodTicks(uint8_t speed);
bool HasPeriodRow(const LightingConfig& config, uint8_t effect);

// What one pass of the loop runs.
struct LightPass {
    bool effectStep = false;  // the effect's step is due
    bool sequence = false;    // the effect is a sequence: run it on every pass
    uint8_t effect = 0;
    uint8_t speed = 0;
};

// The due-timing of the loop without the thread, so it can be driven by a test clock.
class LightPacer {
public:
    explicit LightPacer(const LightingConfig& config) : config_(config) {}
    // One pass at coarse tick value now (ignored for EveryPass).
    LightPass Pass(uint8_t effect, uint8_t speed, uint32_t now);
    void Reset();

private:
    LightingConfig config_;
    uint32_t counter_ = 0;
    uint32_t lastTick_ = 0;
    bool started_ = false;
};

// The 3-bytes-per-LED stream form: component x brightness, bits 8..15. Position 126
// marks "no LED" and positions past the 512-byte stream buffer are left out.
std::vector<uint8_t> EncodeStreamFrame(const LightFrame& frame);

class LightingThread {
public:
    struct Hooks {
        std::function<bool()> channelOpen;  // default: open
        std::function<bool()> enrolled;     // default: not enrolled in lighting sync
        // Runs under the frame lock; true when the frame changed and should be streamed.
        std::function<bool(const LightPass&, LightFrame&)> step;
        // Queued key events, applied under the frame lock before the next step.
        std::function<void(const KeyEvent&, LightFrame&)> keyEvent;
    };

    explicit LightingThread(LightingConfig config);
    ~LightingThread();
    LightingThread(const LightingThread&) = delete;
    LightingThread& operator=(const LightingThread&) = delete;

    // stream and keys may be null and must outlive the thread. A running thread is stopped first.
    bool Start(Hooks hooks, StreamWorker* stream = nullptr, KeyEventQueue* keys = nullptr);
    platform::StopOutcome Stop();
    bool Running() const { return thread_.Running(); }

    // Effect number and speed the pacing uses (the device's block mirror).
    void SetTiming(uint8_t effect, uint8_t speed);
    void SetLightCount(int count);

    // Frame access for the UI thread and the shared sync engine.
    LightFrame Snapshot() const;
    void SetLedValue(int index, uint32_t value);  // byte 0 colour 0 ... byte 3 brightness
    uint32_t GetLedValue(int index) const;

    uint64_t EffectSteps() const { return effectSteps_.load(); }
    uint64_t Passes() const { return passes_.load(); }

private:
    void Run(const platform::Event& exit);

    const LightingConfig config_;
    Hooks hooks_;
    StreamWorker* stream_ = nullptr;
    KeyEventQueue* keys_ = nullptr;

    mutable std::mutex mutex_;  // frame_ and the timing values
    LightFrame frame_;
    uint8_t effect_ = 0;
    uint8_t speed_ = 0;

    std::atomic<uint64_t> effectSteps_{0};
    std::atomic<uint64_t> passes_{0};
    platform::WorkerThread thread_;
};

} // namespace devices::threads
