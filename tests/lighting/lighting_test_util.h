#pragma once
// Small helpers for the lighting suites: records and expected frame entries.
#include "devices/lighting/LightEffects.h"

namespace lighting::test {

inline LightRecord Record(uint8_t mode, uint8_t brightness, uint8_t speed, uint8_t direction,
                          uint8_t multi, Rgb colour = {10, 20, 30}) {
    LightRecord r;
    r.mode = mode;
    r.brightness = brightness;
    r.speed = speed;
    r.direction = direction;
    r.multiColor = multi;
    r.red = colour.c0;
    r.green = colour.c1;
    r.blue = colour.c2;
    r.present = 1;
    return r;
}

inline LedEntry Entry(Rgb c, uint8_t brightness) { return {c.c0, c.c1, c.c2, brightness}; }

inline bool AllEqual(const LedFrame& f, const LedEntry& e) {
    for (const LedEntry& x : f)
        if (x != e) return false;
    return true;
}

}  // namespace lighting::test
