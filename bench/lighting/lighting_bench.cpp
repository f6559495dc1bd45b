// Cost of one effect step per effect and family (19-LED mouse, 15-LED pad,
// 13-LED headset), of the per-LED passes, of a sequence pass, and of turning a
// frame into wire bytes.
#include "devices/lighting/LightEngine.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace lighting;

namespace {

LightRecord Light(uint8_t effect, uint8_t multi) {
    LightRecord r;
    r.mode = effect;
    r.brightness = 3;
    r.speed = 4;
    r.direction = 1;
    r.multiColor = multi;
    r.red = 10;
    r.green = 200;
    r.blue = 90;
    r.present = 1;
    return r;
}

size_t LedsOf(Family f) { return f == Family::Mouse ? kMouseLeds : f == Family::Pad ? kPadLeds : kHeadsetLeds; }

// Args: family, effect number, multi-colour flag.
void BM_EffectStep(benchmark::State& st) {
    const Family family = static_cast<Family>(st.range(0));
    const uint8_t effect = static_cast<uint8_t>(st.range(1));
    const LightRecord li = Light(effect, static_cast<uint8_t>(st.range(2)));
    LedFrame frame(LedsOf(family));
    LightingEngine engine(family);
    uint32_t now = 0;
    for (auto _ : st) {
        RunEffectStep(family, effect, frame, engine.State(), li, now);
        now += 16;
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
}

void EffectArgs(benchmark::internal::Benchmark* b) {
    for (int family = 0; family < 3; ++family)
        for (int effect = 0; effect <= 8; ++effect) {
            if (family != 0 && effect == 5) continue;  // a sequence number there
            b->Args({family, effect, 0});
            if (effect == 0 || effect == 2 || effect == 5 || effect == 6 || effect == 7) b->Args({family, effect, 1});
        }
}
BENCHMARK(BM_EffectStep)->Apply(EffectArgs)->ArgNames({"family", "effect", "multi"});

void BM_LedPasses(benchmark::State& st) {
    const size_t n = static_cast<size_t>(st.range(0));
    LedFrame frame(n);
    std::vector<LightRecord> records(n);
    for (size_t i = 0; i < n; ++i) {
        records[i] = Light(static_cast<uint8_t>(i % 5), 1);
        records[i].mode = static_cast<uint8_t>(i % 5);
    }
    EffectState s;
    RunLedPasses(frame, records, s, 0, true);
    uint32_t now = 0;
    for (auto _ : st) {
        RunLedPasses(frame, records, s, now, false);
        now += 1;
        benchmark::DoNotOptimize(frame.data());
    }
}
BENCHMARK(BM_LedPasses)->Arg(kHeadsetLeds)->Arg(kPadLeds)->Arg(126);

void BM_SequencePass(benchmark::State& st) {
    LedFrame frame(kPadLeds);
    std::vector<SequenceStep> steps;
    for (uint8_t e = 0; e <= 5; ++e) steps.push_back({Light(e, e % 2), 20, 0});
    SequenceState q;
    uint32_t now = 0;
    for (auto _ : st) {
        RunLightSequence(frame, steps, q, 4, now++);
        benchmark::DoNotOptimize(frame.data());
    }
}
BENCHMARK(BM_SequencePass);

void BM_FrameToWire(benchmark::State& st) {
    const size_t n = static_cast<size_t>(st.range(0));
    LedFrame frame(n);
    for (size_t i = 0; i < n; ++i) frame[i] = {uint8_t(i * 7), uint8_t(i * 13), uint8_t(i * 29), uint8_t(100 + i)};
    std::vector<uint8_t> out(512);
    for (auto _ : st) {
        benchmark::DoNotOptimize(FrameToWire(frame, out));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameToWire)->Arg(kHeadsetLeds)->Arg(kPadLeds)->Arg(kMouseLeds)->Arg(126);

}  // namespace
