// The lighting panel built from its skin layout: silent setters and their getters,
// the effect rules per device kind, and the colour edits' 0..255 clamp.
#include "panels/LightControlUI.h"
#include "panels/LightModeRules.h"
#include "ui/UiTestUtil.h"

#include <gtest/gtest.h>

#include <memory>

using namespace panels;

namespace {

const char* kLayout = "XML\\CustomControlXML\\LightControl.xml";

struct Panel {
    std::unique_ptr<uitest::Tree> tree;
    CLightControlUI* light = nullptr;

    explicit Panel(int kind, bool sameAllowed = true) {
        uitest::SetSkinToRepo();
        RegisterPanelControls();
        tree = std::make_unique<uitest::Tree>(kLayout, nullptr, 900, 360);
        light = ui::ControlCast<CLightControlUI>(tree->root, "LightControl");
        if (!light) return;
        light->SetLightKind(kind);
        std::vector<std::string> names;
        for (int i = 0; i < (kind == kKindKeyboard ? 25 : 9); ++i) names.push_back("m" + std::to_string(i));
        light->InitModes(names, {}, 4, 4);
        light->SetSameModeAllowed(sameAllowed);
    }
    ui::CControlUI* Find(const std::string& name) { return tree->Find(name); }
};

// What a group looks like: 'E' enabled and shown, 'D' disabled but shown,
// 'H' disabled and hidden, 'h' enabled but hidden.
char State(ui::CControlUI* c) {
    if (!c) return '?';
    if (c->IsOwnVisible()) return c->IsEnabled() ? 'E' : 'D';
    return c->IsEnabled() ? 'h' : 'H';
}

// The six groups in order 7C CL PA BR SP FX, then 'S'/'-' for "deng_same_mode".
std::string Groups(Panel& p) {
    std::string s;
    for (int g = 0; g < kGroupCount; ++g) s += State(p.Find(LightGroupControlName(g)));
    s += p.Find("deng_same_mode")->IsOwnVisible() ? 'S' : '-';
    return s;
}

} // namespace

TEST(LightControl, LayoutHoldsEveryNamedControl) {
    Panel p(kKindMouse);
    ASSERT_NE(p.light, nullptr) << "LightControl.xml must build a CLightControlUI at its root";
    const std::pair<const char*, const char*> kControls[] = {
        {"light_combo_modeSelect", "Combo"}, {"light_combo_custommodeSelect", "Combo"},
        {"deng_light_slider", "Slider"},     {"deng_speed_slider", "Slider"},
        {"deng_edit_R", "Edit"},             {"deng_edit_G", "Edit"},
        {"deng_edit_B", "Edit"},             {"deng_Color_Pallet", "ColorPalette"},
        {"deng_colordp_btn", "Button"},      {"deng_7color_check", "CheckBox"},
        {"deng_FXL_check", "Option"},        {"deng_FXR_check", "Option"},
        {"deng_same_mode", "Button"},        {"lighteffect_layout", "Container"},
        {"deng_color_layout", "Container"},  {"colorpallet_layout", "Container"},
        {"deng_light_layout", "Container"},  {"deng_speed_layout", "Container"},
        {"deng_fx_layout", "Container"},     {"lightcustom_layout", "Container"},
        {"custom_bright_color_btn", "Button"}, {"custom_off_color_btn", "Button"},
    };
    for (const auto& [name, iface] : kControls) {
        ui::CControlUI* c = p.Find(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_NE(c->GetInterface(iface), nullptr) << name << " is not a " << iface;
    }
    // Preset colours are numbered from 0 without gaps, each an opaque colour.
    for (int n = 0; n < 8; ++n) EXPECT_EQ(p.light->GetOptionColor(n) >> 24, 0xFFu) << n;
    EXPECT_EQ(p.light->GetOptionColor(8), 0u);
    EXPECT_EQ(p.light->GetOptionColor(-1), 0u);
}

TEST(LightControl, ShowLightSettingIsSilentAndReadsBack) {
    Panel p(kKindMouse);
    ASSERT_NE(p.light, nullptr);
    uitest::Pump();
    p.tree->rec.msgs.clear();
    // mode 4, brightness 3, speed 1, direction 1 | multi-colour 1, red 0x12, green 0x34, blue 0x56
    p.light->ShowLightSetting(0x01010304u, 0x56341201u);
    EXPECT_EQ(p.light->GetMode(), 4);
    EXPECT_EQ(p.light->GetBrightness(), 3);
    EXPECT_EQ(p.light->GetSpeed(), 1);
    EXPECT_EQ(p.light->GetRedText(), "18");
    EXPECT_EQ(p.light->GetGreenText(), "52");
    EXPECT_EQ(p.light->GetBlueText(), "86");
    EXPECT_EQ(p.light->GetPaletteColor(), 0xFF123456u);
    EXPECT_EQ(p.Find("deng_colordp_btn")->GetBkColor(), 0xFF123456u);
    EXPECT_TRUE(p.light->GetMultiColor());
    EXPECT_EQ(p.light->GetDirection(), 1);

    // The other way round: mode 2, direction 0, multi-colour off.
    p.light->ShowLightSetting(0x00020202u, 0x00FF0000u);
    EXPECT_EQ(p.light->GetMode(), 2);
    EXPECT_EQ(p.light->GetBrightness(), 2);
    EXPECT_EQ(p.light->GetSpeed(), 2);
    EXPECT_FALSE(p.light->GetMultiColor());
    EXPECT_EQ(p.light->GetDirection(), 0);
    EXPECT_TRUE(static_cast<ui::COptionUI*>(p.Find("deng_FXR_check"))->IsSelected());
    EXPECT_FALSE(static_cast<ui::COptionUI*>(p.Find("deng_FXL_check"))->IsSelected());
    EXPECT_EQ(p.light->GetGreenText(), "255");
    EXPECT_EQ(p.light->GetPaletteColor(), 0xFF00FF00u);

    p.light->SelectMode(7);
    p.light->SetBrightness(0);
    p.light->SetSpeed(4);
    p.light->SetMultiColor(true);
    p.light->SetDirection(5);
    p.light->SetPaletteColor(0xFFFF4655u);
    EXPECT_EQ(p.light->GetMode(), 7);
    EXPECT_EQ(p.light->GetBrightness(), 0);
    EXPECT_EQ(p.light->GetSpeed(), 4);
    EXPECT_EQ(p.light->GetDirection(), 1);
    EXPECT_EQ(p.light->GetPaletteColor(), 0xFFFF4655u);
    uitest::Pump();
    EXPECT_TRUE(p.tree->rec.msgs.empty())
        << p.tree->rec.msgs.front().sType << " from " << p.tree->rec.msgs.front().pSender->GetName();
}

TEST(LightControl, InitModesRefillsTheComboAndSetsMaxima) {
    Panel p(kKindMouse);
    ASSERT_NE(p.light, nullptr);
    p.light->InitModes({"light_mode_wave", "light_mode_static", "light_mode_off"}, {1, 0, 1}, 3, 2);
    auto* combo = static_cast<ui::CComboUI*>(p.Find("light_combo_modeSelect"));
    ASSERT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetItemAt(1)->GetUserData(), "light_mode_static");
    EXPECT_TRUE(combo->GetItemAt(1)->IsResourceText());
    EXPECT_EQ(combo->GetItemAt(1)->GetFixedHeight(), 30);
    EXPECT_FALSE(combo->GetItemAt(1)->IsOwnVisible());
    EXPECT_TRUE(combo->GetItemAt(2)->IsOwnVisible());
    p.light->SetBrightness(9);
    p.light->SetSpeed(9);
    EXPECT_EQ(p.light->GetBrightness(), 3);
    EXPECT_EQ(p.light->GetSpeed(), 2);
    p.light->SelectMode(2);
    EXPECT_EQ(p.light->GetMode(), 2);
    // A mode the list does not hold leaves nothing selected rather than a stale item.
    p.light->InitModes({"a"}, {1}, 4, 4);
    EXPECT_EQ(p.light->GetMode(), -1);
}

struct RuleCase {
    int kind;
    int mode;
    const char* groups; // 7C CL PA BR SP FX, same-mode button
};

class LightRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(LightRules, GroupsFollowTheMode) {
    const RuleCase& c = GetParam();
    Panel p(c.kind);
    ASSERT_NE(p.light, nullptr);
    p.light->SelectMode(8); // start from another mode so every cell has to be set
    p.light->SelectMode(c.mode == 8 ? 0 : 8);
    p.light->SelectMode(c.mode);
    EXPECT_EQ(Groups(p), c.groups) << "kind " << c.kind << " mode " << c.mode;
    EXPECT_TRUE(p.Find("lighteffect_layout")->IsEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    PerKind, LightRules,
    ::testing::Values(
        // Mouse: no direction; effect 5 keeps 7C visible but disabled and hides the speed group.
        RuleCase{kKindMouse, 0, "EEEEEH-"}, RuleCase{kKindMouse, 2, "HHHEEH-"},
        RuleCase{kKindMouse, 5, "DEEEhH-"}, RuleCase{kKindMouse, 7, "DDDEED-"},
        RuleCase{kKindMouse, 8, "HHHHHHS"}, RuleCase{kKindMouse, 12, "DDDDDD-"},
        RuleCase{kKindWirelessMouse, 5, "DEEEhH-"},
        // Keyboard.
        RuleCase{kKindKeyboard, 0, "EEEEEE-"}, RuleCase{kKindKeyboard, 1, "DDDEEDS"},
        RuleCase{kKindKeyboard, 3, "DEEEDDS"}, RuleCase{kKindKeyboard, 13, "DDDEEE-"},
        RuleCase{kKindKeyboard, 24, "DDDDDDS"},
        // Mouse pad and headset.
        RuleCase{kKindMousePad, 0, "EEEEEE-"}, RuleCase{kKindMousePad, 4, "EEEEEDS"},
        RuleCase{kKindHeadset, 6, "DDDDDD-"}, RuleCase{kKindHeadset, 8, "DDDDDDS"}));

TEST(LightControl, KeyboardCustomColoursShowOnlyInEffect8) {
    Panel p(kKindKeyboard);
    ASSERT_NE(p.light, nullptr);
    p.light->SelectMode(8);
    EXPECT_TRUE(p.Find("lightcustom_layout")->IsOwnVisible());
    EXPECT_EQ(Groups(p), "DEEEDD-");
    p.light->SelectMode(5);
    EXPECT_FALSE(p.Find("lightcustom_layout")->IsOwnVisible());
}

TEST(LightControl, HubPageLeavesDirectionAndSameModeAlone) {
    Panel p(kKindHub);
    ASSERT_NE(p.light, nullptr);
    p.Find("deng_fx_layout")->SetEnabled(false);
    p.Find("deng_same_mode")->SetVisible(true);
    p.light->SelectMode(1);
    EXPECT_EQ(Groups(p), "DEEEDDS");
    p.light->SelectMode(4);
    EXPECT_EQ(Groups(p), "DDDEEDS");
}

TEST(LightControl, SameModeButtonNeedsTheFlag) {
    for (int kind : {kKindKeyboard, kKindMouse, kKindMousePad, kKindHeadset}) {
        Panel p(kind, false);
        ASSERT_NE(p.light, nullptr);
        for (int mode = 0; mode < 25; ++mode) {
            p.light->SelectMode(mode);
            EXPECT_FALSE(p.Find("deng_same_mode")->IsOwnVisible()) << "kind " << kind << " mode " << mode;
        }
        // Allowing it re-applies the rules of the current mode at once.
        p.light->SelectMode(kind == kKindKeyboard ? 24 : 8);
        p.light->SetSameModeAllowed(true);
        EXPECT_TRUE(p.Find("deng_same_mode")->IsOwnVisible()) << "kind " << kind;
        p.light->SetSameModeAllowed(false);
        EXPECT_FALSE(p.Find("deng_same_mode")->IsOwnVisible()) << "kind " << kind;
    }
}

TEST(LightControl, ColourEditsClampAndShowTheStoredValue) {
    struct Case {
        const char* typed;
        int value;
        const char* shown;
    };
    const Case kCases[] = {
        {"300", 255, "255"}, {"", 0, "0"},        {"-1", 0, "0"},      {"-200", 0, "0"},
        {"abc", 0, "0"},     {"42", 42, "42"},    {"255", 255, "255"}, {"0", 0, "0"},
        {"99999999999999999999", 255, "255"},     {"12x", 12, "12"},
    };
    Panel p(kKindMouse);
    ASSERT_NE(p.light, nullptr);
    for (ColorChannel ch : {ColorChannel::Red, ColorChannel::Green, ColorChannel::Blue}) {
        for (const Case& c : kCases) {
            p.light->SetChannelText(ch, c.typed);
            EXPECT_EQ(p.light->TakeChannelValue(ch), c.value) << "typed '" << c.typed << "'";
            EXPECT_EQ(p.light->GetChannelText(ch), c.shown) << "typed '" << c.typed << "'";
        }
    }
    EXPECT_TRUE(p.tree->rec.msgs.empty());
}

TEST(LightControl, PickedColourClearsMultiColourAndFillsEveryView) {
    Panel p(kKindMouse);
    ASSERT_NE(p.light, nullptr);
    p.light->SetMultiColor(true);
    const uint32_t c = p.light->GetOptionColor(5);
    p.light->ShowPickedColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    EXPECT_FALSE(p.light->GetMultiColor());
    EXPECT_EQ(p.light->GetPaletteColor(), c);
    EXPECT_EQ(p.Find("deng_colordp_btn")->GetBkColor(), c);
    EXPECT_EQ(p.light->GetRedText(), std::to_string((c >> 16) & 0xFF));
    EXPECT_EQ(p.light->GetGreenText(), std::to_string((c >> 8) & 0xFF));
    EXPECT_EQ(p.light->GetBlueText(), std::to_string(c & 0xFF));
}

TEST(LightControl, PanelsInOneWindowKeepTheirOwnDirection) {
    uitest::SetSkinToRepo();
    RegisterPanelControls();
    uitest::Tree t(std::string("<VerticalLayout><Include source=\"") + kLayout + "\" count=\"2\"/></VerticalLayout>",
                   nullptr, 900, 700);
    auto panels = t.pm.FindSubControlsByClass(t.root, "LightControl");
    ASSERT_EQ(panels.size(), 2u);
    auto* a = static_cast<CLightControlUI*>(panels[0]);
    auto* b = static_cast<CLightControlUI*>(panels[1]);
    a->SetDirection(1);
    b->SetDirection(0);
    // A user click on the second panel's left option must not touch the first panel.
    a->SetDirection(0);
    auto* bLeft = static_cast<ui::COptionUI*>(b->FindSubControl("deng_FXL_check"));
    bLeft->Activate();
    EXPECT_EQ(b->GetDirection(), 1);
    EXPECT_FALSE(static_cast<ui::COptionUI*>(b->FindSubControl("deng_FXR_check"))->IsSelected());
    EXPECT_EQ(a->GetDirection(), 0);
    EXPECT_TRUE(static_cast<ui::COptionUI*>(a->FindSubControl("deng_FXR_check"))->IsSelected());
}

TEST(LightControl, MissingControlsGiveTheDefaults) {
    CLightControlUI bare;
    bare.SetLightKind(kKindMouse);
    bare.ShowLightSetting(0x01010304u, 0x56341201u);
    bare.SetSameModeAllowed(true);
    EXPECT_EQ(bare.GetMode(), -1);
    EXPECT_EQ(bare.GetSelectedGroup(), -1);
    EXPECT_EQ(bare.GetBrightness(), 0);
    EXPECT_EQ(bare.GetSpeed(), 0);
    EXPECT_EQ(bare.GetRedText(), "");
    EXPECT_EQ(bare.GetPaletteColor(), 0xFF000000u);
    EXPECT_EQ(bare.GetOptionColor(0), 0u);
    EXPECT_FALSE(bare.GetMultiColor());
    EXPECT_EQ(bare.TakeChannelValue(ColorChannel::Blue), 0);
}
