#include "emulator/Models.h"

#include <array>

namespace emu {

namespace {

struct KeyCode {
    uint8_t type, code, param;
};

// Hardware slot order of the mouse: the back and forward buttons sit in the
// opposite order of the program's logical keys, so slot recognition matters.
constexpr std::array<KeyCode, 6> kMouseKeys{{
    {0x10, 0x01, 0}, {0x10, 0x02, 0}, {0x10, 0x04, 0}, {0x10, 0x08, 0}, {0x10, 0x10, 0}, {0x13, 0x03, 0},
}};

// Factory key map of the keyboard: one slot per key, slot k = LED k.
constexpr std::array<KeyCode, 126> kKeyboardKeys{{
    {0x20, 0, 41}, {0x20, 0, 58}, {0x20, 0, 59}, {0x20, 0, 60}, {0x20, 0, 61}, {0x20, 0, 62}, {0x20, 0, 63},
    {0x20, 0, 64}, {0x20, 0, 65}, {0x20, 0, 66}, {0x20, 0, 67}, {0x20, 0, 68}, {0x20, 0, 69}, {0x20, 0, 70},
    {0x20, 0, 71}, {0x20, 0, 72}, {0xA0, 27, 0}, {0xA0, 36, 0}, {0x20, 0, 0}, {0x20, 0, 0}, {0x20, 0, 0},
    {0x20, 0, 53}, {0x20, 0, 30}, {0x20, 0, 31}, {0x20, 0, 32}, {0x20, 0, 33}, {0x20, 0, 34}, {0x20, 0, 35},
    {0x20, 0, 36}, {0x20, 0, 37}, {0x20, 0, 38}, {0x20, 0, 39}, {0x20, 0, 45}, {0x20, 0, 46}, {0x20, 0, 42},
    {0x20, 0, 73}, {0x20, 0, 74}, {0x20, 0, 75}, {0x20, 0, 83}, {0x20, 0, 84}, {0x20, 0, 85}, {0x20, 0, 86},
    {0x20, 0, 43}, {0x20, 0, 20}, {0x20, 0, 26}, {0x20, 0, 8}, {0x20, 0, 21}, {0x20, 0, 23}, {0x20, 0, 28},
    {0x20, 0, 24}, {0x20, 0, 12}, {0x20, 0, 18}, {0x20, 0, 19}, {0x20, 0, 47}, {0x20, 0, 48}, {0x20, 0, 49},
    {0x20, 0, 76}, {0x20, 0, 77}, {0x20, 0, 78}, {0x20, 0, 95}, {0x20, 0, 96}, {0x20, 0, 97}, {0x20, 0, 0},
    {0x20, 0, 57}, {0x20, 0, 4}, {0x20, 0, 22}, {0x20, 0, 7}, {0x20, 0, 9}, {0x20, 0, 10}, {0x20, 0, 11},
    {0x20, 0, 13}, {0x20, 0, 14}, {0x20, 0, 15}, {0x20, 0, 51}, {0x20, 0, 52}, {0x20, 0, 40}, {0x20, 0, 92},
    {0x20, 0, 93}, {0x20, 0, 94}, {0x20, 0, 138}, {0x20, 0, 139}, {0x20, 0, 144}, {0x20, 0, 145}, {0x20, 0, 136},
    {0x20, 2, 0}, {0x20, 0, 29}, {0x20, 0, 27}, {0x20, 0, 6}, {0x20, 0, 25}, {0x20, 0, 5}, {0x20, 0, 17},
    {0x20, 0, 16}, {0x20, 0, 54}, {0x20, 0, 55}, {0x20, 0, 56}, {0x20, 32, 0}, {0x20, 0, 82}, {0x20, 0, 89},
    {0x20, 0, 90}, {0x20, 0, 91}, {0x20, 0, 135}, {0x20, 0, 137}, {0x20, 0, 100}, {0x20, 0, 133}, {0x20, 0, 0},
    {0x20, 1, 0}, {0x20, 8, 0}, {0x20, 4, 0}, {0x20, 0, 44}, {0x20, 64, 0}, {0xA0, 1, 0}, {0x20, 0, 101},
    {0x20, 16, 0}, {0x20, 0, 80}, {0x20, 0, 81}, {0x20, 0, 79}, {0x20, 0, 98}, {0x20, 0, 99}, {0x20, 0, 88},
    {0x20, 0, 87}, {0xD0, 162, 1}, {0xD0, 162, 2}, {0xD0, 162, 3}, {0xD0, 162, 4}, {0xD0, 162, 5}, {0x20, 128, 0}
}};

template <size_t N>
std::vector<uint8_t> KeyMapBytes(const std::array<KeyCode, N>& keys) {
    std::vector<uint8_t> out;
    for (const auto& k : keys) out.insert(out.end(), {k.type, k.code, k.param});
    return out;
}

std::array<uint8_t, kDeviceInfoSize> Info(uint8_t fwMajor, uint8_t fwMinor, uint8_t keys, uint8_t macroUnits,
                                          uint8_t dpiStep, uint16_t minDpi, uint16_t maxDpi, uint8_t leds) {
    std::array<uint8_t, kDeviceInfoSize> i{};
    i[0] = 0x01;  // info layout version
    i[1] = fwMajor;
    i[2] = fwMinor;
    i[3] = layout::kProfiles;
    i[4] = leds;
    i[info::kKeyCount] = keys;
    i[info::kMacroUnits] = macroUnits;
    i[info::kDpiStep] = dpiStep;
    i[info::kMinDpiLow] = static_cast<uint8_t>(minDpi & 0xFF);
    i[info::kMinDpiLow + 1] = static_cast<uint8_t>(minDpi >> 8);
    i[15] = static_cast<uint8_t>(maxDpi & 0xFF);
    i[16] = static_cast<uint8_t>(maxDpi >> 8);
    return i;
}

std::shared_ptr<DeviceModel> Combo(const char* family, uint16_t vid, uint16_t pid, uint16_t version) {
    return std::make_shared<DeviceModel>(ModelIdentity{family, vid, pid, version, 1}, ComboInterface(),
                                         /*command*/ 3, /*sync*/ 2, /*chip LEDs*/ false);
}

// Pad and headset keep the same 21-byte block; the program reads it at p * 25.
void SeedPadBlocks(DeviceModel& m, uint8_t effect) {
    for (int p = 0; p < layout::kProfiles; ++p) {
        std::vector<uint8_t> b(layout::kPadBlockLength, 0);
        b[1] = static_cast<uint8_t>(effect);
        b[2] = 4;      // brightness level
        b[3] = 4 - 2;  // speed 2, stored inverted
        b[5] = 1;      // multi-colour
        b[6] = 0x00;
        b[7] = 0x80;
        b[8] = 0xFF;
        m.SetConfig(static_cast<size_t>(p) * layout::kPadReadStride, b);
    }
}

} // namespace

std::shared_ptr<DeviceModel> MakeMouse() {
    auto m = Combo("mouse", 0x0C45, 0x7643, 0x0104);
    m->SetDeviceInfo(Info(1, 4, static_cast<uint8_t>(kMouseKeys.size()), 0x20, 100, 200, 6500, 19));
    m->SetKeyMap(0, KeyMapBytes(kMouseKeys));
    m->SetKeyMap(1, KeyMapBytes(kMouseKeys));
    std::vector<uint8_t> led;
    for (size_t k = 0; k < kMouseKeys.size(); ++k) led.push_back(static_cast<uint8_t>(k));
    m->SetKeyLedTable(led);
    for (int p = 0; p < layout::kProfiles; ++p) {
        std::vector<uint8_t> b(layout::kMouseBlockLength, 0);
        b[1] = 1;       // spectrum
        b[2] = 4;       // brightness level
        b[3] = 4 - 2;   // speed 2
        b[6] = 0xFF;
        b[14] = 3;      // report-rate index
        b[15] = 4;      // DPI indexes of stages 0..3: 600, 1000, 2000, 3000
        b[16] = 8;
        b[17] = 18;
        b[18] = 28;
        b[19] = 1;      // active stage
        b[20] = 38;     // stages 4 and 5: 4000, 5000
        b[21] = 48;
        b[22] = 7;      // 1920 >> 8
        m->SetConfig(static_cast<size_t>(p) * layout::kMouseBlockStride, b);
    }
    m->SetPowerStatus({100, 0, 0, 0, 0, 0});
    return m;
}

std::shared_ptr<DeviceModel> MakeKeyboard(uint16_t vendorId, uint16_t productId) {
    auto m = Combo("keyboard", vendorId, productId, 0x0101);
    m->SetDeviceInfo(Info(1, 1, static_cast<uint8_t>(kKeyboardKeys.size()), 0x40, 0, 0, 0, 126));
    m->SetKeyMap(0, KeyMapBytes(kKeyboardKeys));
    m->SetKeyMap(1, KeyMapBytes(kKeyboardKeys));
    std::vector<uint8_t> led;
    for (size_t k = 0; k < kKeyboardKeys.size(); ++k) led.push_back(static_cast<uint8_t>(k));
    m->SetKeyLedTable(led);
    for (int p = 0; p < layout::kProfiles; ++p) {
        std::vector<uint8_t> b(layout::kKeyboardBlockLength, 0);
        b[1] = 3;  // static
        b[2] = 4;
        b[3] = 4 - 2;
        b[6] = b[7] = b[8] = 0xFF;
        b[22] = 3;  // polling-rate index
        m->SetConfig(static_cast<size_t>(p) * layout::kKeyboardBlockStride, b);
    }
    m->SetPowerStatus({100, 0, 0, 0, 0, 0});
    return m;
}

std::shared_ptr<DeviceModel> MakeMousePad() {
    auto m = Combo("MousePad", 0x0C45, 0x6627, 0x0102);
    m->SetDeviceInfo(Info(1, 2, 0, 0, 0, 0, 0, 15));
    SeedPadBlocks(*m, 0);
    m->SetPowerStatus({85, 1, 0, 0, 0, 1});  // charging an iPhone
    return m;
}

std::shared_ptr<DeviceModel> MakeHeadset() {
    auto m = std::make_shared<DeviceModel>(ModelIdentity{"HD", 0x0D8C, 0x01DA, 0x0100, 3}, HeadsetInterface(),
                                           /*command*/ 0, /*sync*/ -1, /*chip LEDs*/ true);
    m->SetDeviceInfo(Info(1, 0, 0, 0, 0, 0, 0, 13));
    SeedPadBlocks(*m, 1);
    m->SetPowerStatus({100, 0, 0, 0, 0, 0});
    return m;
}

} // namespace emu
