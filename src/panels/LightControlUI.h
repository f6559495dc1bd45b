#pragma once
// CLightControlUI: the lighting panel of every device page. It only shows a light
// setting and hands the user's choices back through its getters; the main window
// decides what a change means for the device. Setters never raise notifications.
#include "ui/UIContainer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ui {
class CComboUI;
class CSliderUI;
class CEditUI;
class CColorPaletteUI;
class CButtonUI;
class CCheckBoxUI;
class COptionUI;
} // namespace ui

namespace panels {

enum class ColorChannel { Red, Green, Blue };

class CLightControlUI : public ui::CHorizontalLayoutUI {
public:
    CLightControlUI() = default;
    ~CLightControlUI() override;

    std::string GetClass() const override { return "LightControlUI"; }
    void* GetInterface(std::string_view name) override;
    void DoInit() override;

    void SetLightKind(int kind) { m_kind = kind; }
    int GetLightKind() const { return m_kind; }

    // Refills the mode combo (item i = mode i; texts are language keys) and sets both
    // slider maxima. visible[i] == 0 hides item i; a missing flag leaves it shown.
    void InitModes(const std::vector<std::string>& names, const std::vector<int>& visible, int maxBrightness,
                   int maxSpeed);

    // a: mode, brightness, speed, direction from the low byte up;
    // b: multi-colour, red, green, blue from the low byte up.
    void ShowLightSetting(uint32_t a, uint32_t b);

    void SelectMode(int mode);
    int GetMode();
    void SelectCustomGroup(int group);
    int GetSelectedGroup();

    void SetBrightness(int v);
    int GetBrightness();
    void SetSpeed(int v);
    int GetSpeed();

    void SetRedText(const std::string& t) { SetChannelText(ColorChannel::Red, t); }
    void SetGreenText(const std::string& t) { SetChannelText(ColorChannel::Green, t); }
    void SetBlueText(const std::string& t) { SetChannelText(ColorChannel::Blue, t); }
    std::string GetRedText() { return GetChannelText(ColorChannel::Red); }
    std::string GetGreenText() { return GetChannelText(ColorChannel::Green); }
    std::string GetBlueText() { return GetChannelText(ColorChannel::Blue); }
    void SetChannelText(ColorChannel c, const std::string& text);
    std::string GetChannelText(ColorChannel c);
    // Reads a colour edit as 0..255 and, when its text does not already say that
    // number (empty, out of range, not a number), writes the number back.
    int TakeChannelValue(ColorChannel c);

    // Palette selection (0xAARRGGBB); setting it also sets the preview.
    void SetPaletteColor(uint32_t c);
    uint32_t GetPaletteColor();
    // Background colour of "color_option_" + n; 0 when there is no such button.
    uint32_t GetOptionColor(int n);
    void SetPreviewColor(uint32_t c);
    // A colour the user picked: the edits, palette and preview show it and the
    // multi-colour box is cleared.
    void ShowPickedColor(uint8_t red, uint8_t green, uint8_t blue);

    void SetMultiColor(bool on);
    bool GetMultiColor();
    // d != 0 selects "deng_FXL_check", otherwise "deng_FXR_check".
    void SetDirection(int d);
    // 1 while "deng_FXL_check" is selected, else 0.
    int GetDirection();

    void SetSameModeAllowed(bool allowed);
    bool IsSameModeAllowed() const { return m_sameModeAllowed; }

    // Applies the kind's mode rules for mode to the groups of the panel.
    void ApplyModeRules(int mode);

private:
    template <class T>
    T* Lookup(T*& slot, const char* name, const char* iface);
    ui::CControlUI* LookupControl(ui::CControlUI*& slot, const char* name);
    ui::CComboUI* ModeCombo();
    ui::CComboUI* GroupCombo();
    ui::CSliderUI* BrightnessSlider();
    ui::CSliderUI* SpeedSlider();
    ui::CEditUI* ChannelEdit(ColorChannel c);
    ui::CColorPaletteUI* Palette();
    ui::CButtonUI* Preview();
    ui::CCheckBoxUI* MultiColorBox();
    ui::COptionUI* LeftOption();
    ui::COptionUI* RightOption();

    int m_kind = 0;
    bool m_sameModeAllowed = false;

    ui::CComboUI* m_modeCombo = nullptr;
    ui::CComboUI* m_groupCombo = nullptr;
    ui::CSliderUI* m_brightness = nullptr;
    ui::CSliderUI* m_speed = nullptr;
    ui::CEditUI* m_edits[3] = {nullptr, nullptr, nullptr};
    ui::CColorPaletteUI* m_palette = nullptr;
    ui::CButtonUI* m_preview = nullptr;
    ui::CCheckBoxUI* m_multiColor = nullptr;
    ui::COptionUI* m_left = nullptr;
    ui::COptionUI* m_right = nullptr;
    ui::CControlUI* m_sameMode = nullptr;
    ui::CControlUI* m_groups[6] = {};
    ui::CControlUI* m_effectLayout = nullptr;
    ui::CControlUI* m_customLayout = nullptr;
};

// Registers "CLightControlUI" with the global control factory (the tag LightControl.xml uses).
void RegisterPanelControls();

} // namespace panels
