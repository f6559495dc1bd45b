#include "panels/LightControlUI.h"

#include "panels/LightModeRules.h"
#include "ui/UIBuilder.h"
#include "ui/UICommonControls.h"
#include "ui/UIList.h"

namespace panels {

namespace {
constexpr uint32_t kOpaque = 0xFF000000u;

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return kOpaque + (r << 16) + (g << 8) + b; }

const char* ChannelEditName(ColorChannel c) {
    switch (c) {
    case ColorChannel::Red: return "deng_edit_R";
    case ColorChannel::Green: return "deng_edit_G";
    case ColorChannel::Blue: return "deng_edit_B";
    }
    return "";
}

void Apply(ui::CControlUI* c, LightCell cell) {
    if (!c) return;
    switch (cell) {
    case LightCell::Keep: return;
    case LightCell::Enable: c->SetEnabled(true); c->SetVisible(true); return;
    case LightCell::Disable: c->SetEnabled(false); c->SetVisible(true); return;
    case LightCell::Hide: c->SetEnabled(false); c->SetVisible(false); return;
    case LightCell::EnableHide: c->SetEnabled(true); c->SetVisible(false); return;
    }
}
} // namespace

CLightControlUI::~CLightControlUI() = default;

void* CLightControlUI::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, "LightControl") || ui::EqualsNoCase(name, "LightControlUI")) return this;
    return ui::CHorizontalLayoutUI::GetInterface(name);
}

template <class T>
T* CLightControlUI::Lookup(T*& slot, const char* name, const char* iface) {
    if (!slot) slot = ui::ControlCast<T>(FindSubControl(name), iface);
    return slot;
}

ui::CControlUI* CLightControlUI::LookupControl(ui::CControlUI*& slot, const char* name) {
    if (!slot) slot = FindSubControl(name);
    return slot;
}

ui::CComboUI* CLightControlUI::ModeCombo() { return Lookup(m_modeCombo, "light_combo_modeSelect", "Combo"); }
ui::CComboUI* CLightControlUI::GroupCombo() { return Lookup(m_groupCombo, "light_combo_custommodeSelect", "Combo"); }
ui::CSliderUI* CLightControlUI::BrightnessSlider() { return Lookup(m_brightness, "deng_light_slider", "Slider"); }
ui::CSliderUI* CLightControlUI::SpeedSlider() { return Lookup(m_speed, "deng_speed_slider", "Slider"); }
ui::CEditUI* CLightControlUI::ChannelEdit(ColorChannel c) {
    return Lookup(m_edits[static_cast<int>(c)], ChannelEditName(c), "Edit");
}
ui::CColorPaletteUI* CLightControlUI::Palette() { return Lookup(m_palette, "deng_Color_Pallet", "ColorPalette"); }
ui::CButtonUI* CLightControlUI::Preview() { return Lookup(m_preview, "deng_colordp_btn", "Button"); }
ui::CCheckBoxUI* CLightControlUI::MultiColorBox() { return Lookup(m_multiColor, "deng_7color_check", "CheckBox"); }

// Every device page has its own lighting panel in the same window, so the direction
// pair gets a group of its own; a shared group name would couple the pages.
ui::COptionUI* CLightControlUI::LeftOption() {
    if (!m_left && Lookup(m_left, "deng_FXL_check", "Option"))
        m_left->SetGroup("deng_fx_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    return m_left;
}
ui::COptionUI* CLightControlUI::RightOption() {
    if (!m_right && Lookup(m_right, "deng_FXR_check", "Option"))
        m_right->SetGroup("deng_fx_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    return m_right;
}

void CLightControlUI::DoInit() {
    LeftOption();
    RightOption();
}

void CLightControlUI::InitModes(const std::vector<std::string>& names, const std::vector<int>& visible,
                                int maxBrightness, int maxSpeed) {
    if (ui::CComboUI* combo = ModeCombo()) {
        combo->RemoveAll();
        for (size_t i = 0; i < names.size(); ++i) {
            auto* item = new ui::CListLabelElementUI;
            item->SetResourceText(true);
            item->SetText(names[i]);
            item->SetUserData(names[i]);
            item->SetFixedHeight(30);
            item->SetVisible(i >= visible.size() || visible[i] != 0);
            combo->Add(item);
        }
    }
    if (ui::CSliderUI* s = BrightnessSlider()) s->SetMaxValue(maxBrightness);
    if (ui::CSliderUI* s = SpeedSlider()) s->SetMaxValue(maxSpeed);
}

void CLightControlUI::ShowLightSetting(uint32_t a, uint32_t b) {
    const int mode = static_cast<int>(a & 0xFF);
    const uint32_t red = (b >> 8) & 0xFF, green = (b >> 16) & 0xFF, blue = (b >> 24) & 0xFF;
    SelectMode(mode);
    SetBrightness(static_cast<int>((a >> 8) & 0xFF));
    SetSpeed(static_cast<int>((a >> 16) & 0xFF));
    SetChannelText(ColorChannel::Red, std::to_string(red));
    SetChannelText(ColorChannel::Green, std::to_string(green));
    SetChannelText(ColorChannel::Blue, std::to_string(blue));
    SetPaletteColor(Rgb(red, green, blue));
    SetMultiColor((b & 0xFF) != 0);
    SetDirection(static_cast<int>((a >> 24) & 0xFF));
    ApplyModeRules(mode);
}

void CLightControlUI::SelectMode(int mode) {
    if (ui::CComboUI* combo = ModeCombo()) combo->SelectItem(mode, false, false);
    ApplyModeRules(mode);
}

int CLightControlUI::GetMode() {
    ui::CComboUI* combo = ModeCombo();
    return combo ? combo->GetCurSel() : -1;
}

void CLightControlUI::SelectCustomGroup(int group) {
    if (ui::CComboUI* combo = GroupCombo()) combo->SelectItem(group, false, false);
}

int CLightControlUI::GetSelectedGroup() {
    ui::CComboUI* combo = GroupCombo();
    return combo ? combo->GetCurSel() : -1;
}

void CLightControlUI::SetBrightness(int v) {
    if (ui::CSliderUI* s = BrightnessSlider()) s->SetValue(v);
}
int CLightControlUI::GetBrightness() {
    ui::CSliderUI* s = BrightnessSlider();
    return s ? s->GetValue() : 0;
}
void CLightControlUI::SetSpeed(int v) {
    if (ui::CSliderUI* s = SpeedSlider()) s->SetValue(v);
}
int CLightControlUI::GetSpeed() {
    ui::CSliderUI* s = SpeedSlider();
    return s ? s->GetValue() : 0;
}

void CLightControlUI::SetChannelText(ColorChannel c, const std::string& text) {
    if (ui::CEditUI* e = ChannelEdit(c)) e->SetText(text);
}

std::string CLightControlUI::GetChannelText(ColorChannel c) {
    ui::CEditUI* e = ChannelEdit(c);
    return e ? e->GetText() : std::string();
}

int CLightControlUI::TakeChannelValue(ColorChannel c) {
    const std::string text = GetChannelText(c);
    const int value = ColorTextToValue(text);
    const std::string shown = std::to_string(value);
    if (text != shown) SetChannelText(c, shown);
    return value;
}

void CLightControlUI::SetPaletteColor(uint32_t c) {
    if (ui::CColorPaletteUI* p = Palette()) p->SetSelectColor(c);
    SetPreviewColor(c);
}

uint32_t CLightControlUI::GetPaletteColor() {
    ui::CColorPaletteUI* p = Palette();
    return p ? p->GetSelectColor() : kOpaque;
}

uint32_t CLightControlUI::GetOptionColor(int n) {
    if (n < 0) return 0;
    ui::CControlUI* c = FindSubControl("color_option_" + std::to_string(n));
    return c ? c->GetBkColor() : 0;
}

void CLightControlUI::SetPreviewColor(uint32_t c) {
    if (ui::CButtonUI* b = Preview()) b->SetBkColor(c);
}

void CLightControlUI::ShowPickedColor(uint8_t red, uint8_t green, uint8_t blue) {
    SetChannelText(ColorChannel::Red, std::to_string(red));
    SetChannelText(ColorChannel::Green, std::to_string(green));
    SetChannelText(ColorChannel::Blue, std::to_string(blue));
    SetPaletteColor(Rgb(red, green, blue));
    SetMultiColor(false);
}

void CLightControlUI::SetMultiColor(bool on) {
    if (ui::CCheckBoxUI* c = MultiColorBox()) c->SetCheck(on, false);
}

bool CLightControlUI::GetMultiColor() {
    ui::CCheckBoxUI* c = MultiColorBox();
    return c && c->GetCheck();
}

void CLightControlUI::SetDirection(int d) {
    ui::COptionUI* left = LeftOption();
    ui::COptionUI* right = RightOption();
    // Both are set explicitly: the group only binds them once the panel has a window.
    if (left) left->Selected(d != 0, false);
    if (right) right->Selected(d == 0, false);
}

int CLightControlUI::GetDirection() {
    ui::COptionUI* left = LeftOption();
    return left && left->IsSelected() ? 1 : 0;
}

void CLightControlUI::SetSameModeAllowed(bool allowed) {
    m_sameModeAllowed = allowed;
    ApplyModeRules(GetMode());
}

void CLightControlUI::ApplyModeRules(int mode) {
    ui::CControlUI* sameMode = LookupControl(m_sameMode, "deng_same_mode");
    ui::CControlUI* fx = LookupControl(m_groups[kGroupDirection], LightGroupControlName(kGroupDirection));
    if (KindResetsSameAndDirection(m_kind)) {
        if (sameMode) sameMode->SetVisible(false);
        if (fx) fx->SetEnabled(true);
        if (m_kind == kKindKeyboard)
            if (ui::CControlUI* custom = LookupControl(m_customLayout, "lightcustom_layout")) custom->SetVisible(false);
    }
    if (ui::CControlUI* effect = LookupControl(m_effectLayout, "lighteffect_layout")) effect->SetEnabled(true);

    const std::optional<LightModeRule> rule = FindLightModeRule(m_kind, mode);
    if (!rule) return;
    for (int g = 0; g < kGroupCount; ++g) Apply(LookupControl(m_groups[g], LightGroupControlName(g)), rule->cells[g]);
    if (rule->sameMode && m_sameModeAllowed && sameMode) sameMode->SetVisible(true);
    if (rule->customLayout)
        if (ui::CControlUI* custom = LookupControl(m_customLayout, "lightcustom_layout")) custom->SetVisible(true);
}

void RegisterPanelControls() {
    ui::CControlFactory::GetInstance().RegistControl("CLightControlUI", [] { return new CLightControlUI; });
}

} // namespace panels
