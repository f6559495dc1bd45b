#include "devices/threads/LightingThread.h"

#include "devices/threads/ExitWait.h"
#include "devices/SupportedDevices.h"
#include "platform/Debug.h"
#include "platform/Tick.h"

#include <algorithm>

namespace devices::threads {

namespace {
constexpr int kClosedIdleMs = 100;
constexpr size_t kStreamBufferSize = 512;
constexpr size_t kNoLedPosition = 126;
constexpr std::array<int, 5> kPeriods{28, 23, 18, 13, 7};
constexpr int kPeriodTableSpeeds = 15;
} // namespace

// Family rows of DeviceFamilyTable: 0 mouse, 1 keyboard, 2 mouse pad, 3 headset.
LightingConfig MouseLightingConfig() {
    return {TickRule::ClockChanges, 9, {}, "MS灯光线程设定退出", DeviceFamilyTable[0].lightCount};
}
LightingConfig KeyboardLightingConfig() {
    return {TickRule::ClockChanges, 25, {}, "KB灯光线程设定退出", DeviceFamilyTable[1].lightCount};
}
// Effect 5 of the pad and the headset is their sequence slot.
LightingConfig PadLightingConfig() {
    return {TickRule::EveryPass, 9, {5}, "MS灯光线程设定退出", DeviceFamilyTable[2].lightCount};
}
LightingConfig HeadsetLightingConfig() {
    return {TickRule::EveryPass, 9, {5}, "MS灯光线程设定退出", DeviceFamilyTable[3].lightCount};
}

int StepPeriodTicks(uint8_t speed) {
    if (speed < kPeriods.size()) return kPeriods[speed];
    if (speed < kPeriodTableSpeeds) return 0;
    return kPeriods.back();
}

bool HasPeriodRow(const LightingConfig& config, uint8_t effect) {
    if (effect >= config.periodRows) return false;
    return std::find(config.sequenceEffects.begin(), config.sequenceEffects.end(), effect) ==
           config.sequenceEffects.end();
}

void LightPacer::Reset() {
    counter_ = 0;
    lastTick_ = 0;
    started_ = false;
}

LightPass LightPacer::Pass(uint8_t effect, uint8_t speed, uint32_t now) {
    if (config_.rule == TickRule::EveryPass) {
        ++counter_;
    } else if (!started_) {
        lastTick_ = now;
        started_ = true;
    } else if (now - lastTick_ > 1) {
        ++counter_;
        lastTick_ = now;
    }
    LightPass p;
    p.effect = effect;
    p.speed = speed;
    if (!HasPeriodRow(config_, effect)) {
        p.sequence = true;
    } else if (counter_ >= static_cast<uint32_t>(StepPeriodTicks(speed))) {
        counter_ = 0;
        p.effectStep = true;
    }
    return p;
}

std::vector<uint8_t> EncodeStreamFrame(const LightFrame& frame) {
    std::vector<uint8_t> out(std::min(frame.size() * 3, kStreamBufferSize), 0);
    for (size_t i = 0; i < frame.size(); ++i) {
        if (i == kNoLedPosition || 3 * i + 2 >= out.size()) continue;
        const LedEntry& e = frame[i];
        for (size_t c = 0; c < 3; ++c) out[3 * i + c] = static_cast<uint8_t>((e[c] * e[3]) >> 8);
    }
    return out;
}

LightingThread::LightingThread(LightingConfig config)
    : config_(std::move(config)), frame_(static_cast<size_t>(std::max(config_.lightCount, 0))) {}

LightingThread::~LightingThread() { Stop(); }

bool LightingThread::Start(Hooks hooks, StreamWorker* stream, KeyEventQueue* keys) {
    Stop();
    hooks_ = std::move(hooks);
    stream_ = stream;
    keys_ = keys;
    effectSteps_ = 0;
    passes_ = 0;
    return thread_.Start([this](const platform::Event& exit) { Run(exit); });
}

platform::StopOutcome LightingThread::Stop() {
    if (!thread_.Running()) return platform::StopOutcome::NotStarted;
    return thread_.Stop(platform::StopLines::DeviceThread);
}

void LightingThread::SetTiming(uint8_t effect, uint8_t speed) {
    std::lock_guard lock(mutex_);
    effect_ = effect;
    speed_ = speed;
}

void LightingThread::SetLightCount(int count) {
    std::lock_guard lock(mutex_);
    frame_.assign(static_cast<size_t>(std::max(count, 0)), LedEntry{});
}

LightFrame LightingThread::Snapshot() const {
    std::lock_guard lock(mutex_);
    return frame_;
}

void LightingThread::SetLedValue(int index, uint32_t value) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= frame_.size()) return;
    for (size_t b = 0; b < 4; ++b) frame_[static_cast<size_t>(index)][b] = static_cast<uint8_t>(value >> (8 * b));
}

uint32_t LightingThread::GetLedValue(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= frame_.size()) return 0;
    const LedEntry& e = frame_[static_cast<size_t>(index)];
    return e[0] | (e[1] << 8) | (e[2] << 16) | (static_cast<uint32_t>(e[3]) << 24);
}

void LightingThread::Run(const platform::Event& exit) {
    LightPacer pacer(config_);
    std::vector<uint8_t> wire;
    while (!ExitWithin(exit, 1)) {
        if (hooks_.channelOpen && !hooks_.channelOpen()) {
            if (ExitWithin(exit, kClosedIdleMs)) break;
            continue;
        }
        // While enrolled the shared engine writes this device's frame.
        if (hooks_.enrolled && hooks_.enrolled()) continue;
        if (config_.rule == TickRule::EveryPass && ExitWithin(exit, 1)) break;

        const std::vector<KeyEvent> events = keys_ ? keys_->Drain() : std::vector<KeyEvent>{};
        bool changed = false;
        {
            std::lock_guard lock(mutex_);
            if (hooks_.keyEvent)
                for (const auto& e : events) hooks_.keyEvent(e, frame_);
            const LightPass pass = pacer.Pass(effect_, speed_, platform::GetTickCount());
            if (pass.effectStep) ++effectSteps_;
            if (hooks_.step) changed = hooks_.step(pass, frame_);
            if (changed && stream_) wire = EncodeStreamFrame(frame_);
        }
        ++passes_;
        if (changed && stream_) stream_->SubmitFrame(wire);
    }
    platform::DebugOut(config_.exitLine);
}

} // namespace devices::threads
