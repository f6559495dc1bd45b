#include "app/MouseRoutes.h"

#include "app/MainWnd.h"
#include "devices/objects/MouseDevice.h"
#include "panels/LightControlUI.h"
#include "ui/UICommonControls.h"
#include "ui/UIManager.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace app {

namespace {

using devices::COstrivanMouseDevice;
using devices::COstrivanUSBDevice;

COstrivanMouseDevice* SelectedMouse(CMainWnd& wnd) {
    return dynamic_cast<COstrivanMouseDevice*>(wnd.GetSelectedDevice());
}

// Options and check boxes raise "selectchanged" for the one that lost the selection too.
bool SenderSelected(const ui::TNotifyUI& msg) {
    auto* o = ui::ControlCast<ui::COptionUI>(msg.pSender, "Option");
    return o && o->IsSelected();
}

panels::CLightControlUI* LightPanelOf(COstrivanUSBDevice* device) {
    if (!device) return nullptr;
    if (auto* mouse = dynamic_cast<COstrivanMouseDevice*>(device)) return mouse->LightPanel();
    ui::CPaintManagerUI* pm = device->GetManager();
    if (!pm) return nullptr;
    for (ui::CControlUI* c : pm->FindSubControlsByClass(device, "LightControl"))
        if (auto* lc = ui::ControlCast<panels::CLightControlUI>(c, "LightControl")) return lc;
    return nullptr;
}

// Bytes of the 11-byte lighting record.
enum : size_t { kMode = 0, kBrightness, kSpeed, kDirection, kMultiColor, kRed, kGreen, kBlue };

uint32_t Word(const devices::LightInfo& r, size_t first, size_t count) {
    uint32_t w = 0;
    for (size_t i = 0; i < count; ++i) w |= uint32_t(r.bytes[first + i]) << (8 * i);
    return w;
}

// The common light change: one field of the device's record, stored, saved,
// re-applied and written to the device.
void ChangeLight(CMainWnd& wnd, const std::function<void(devices::LightInfo&)>& change, bool clearSync = true) {
    COstrivanUSBDevice* device = wnd.GetSelectedDevice();
    if (!device || !LightPanelOf(device)) return;
    devices::LightInfo record = device->GetLightInfoRecord();
    change(record);
    if (clearSync) device->SetSyncEnrolled(false);
    device->SetLightInfo(Word(record, 0, 4), Word(record, 4, 4), Word(record, 8, 3));
    device->SaveProfile();
    device->LoadLightingFromProfile();
    if (auto* mouse = dynamic_cast<COstrivanMouseDevice*>(device)) mouse->QueueConfigWrite();
    else device->WriteConfig(0, 0, 1, COstrivanMouseDevice::ScreenPixelWidth(), COstrivanMouseDevice::ScreenPixelHeight());
}

// A colour change: the three channels, multi-colour off, and every view of the colour.
void ChangeColour(CMainWnd& wnd, uint8_t red, uint8_t green, uint8_t blue, bool clearSync = true) {
    panels::CLightControlUI* lc = LightPanelOf(wnd.GetSelectedDevice());
    if (!lc) return;
    ChangeLight(
        wnd,
        [&](devices::LightInfo& r) {
            r.bytes[kRed] = red;
            r.bytes[kGreen] = green;
            r.bytes[kBlue] = blue;
            r.bytes[kMultiColor] = 0;
        },
        clearSync);
    lc->ShowPickedColor(red, green, blue);
}

uint8_t Channel(uint32_t c, int shift) { return static_cast<uint8_t>(c >> shift); }

} // namespace

void AddMouseRoutes(CMainWnd& wnd, NotifyRoutes& routes) {
    CMainWnd* w = &wnd;
    RouteTable& select = routes.For("selectchanged");
    select.AddIndexed("DPI_enable_check_", [w](ui::TNotifyUI&, int n) {
        if (auto* m = SelectedMouse(*w)) m->OnStageCheck(n);
    });
    select.AddIndexed("polling_rate_option_", [w](ui::TNotifyUI& msg, int n) {
        if (!SenderSelected(msg)) return;
        if (auto* m = SelectedMouse(*w)) m->OnReportRateOption(n);
    });
    select.Add("pointer_precision_check", [w](ui::TNotifyUI&, int) {
        if (auto* m = SelectedMouse(*w)) m->OnPointerPrecision();
    });
    select.Add("scrolls_page_check", [w](ui::TNotifyUI&, int) {
        if (auto* m = SelectedMouse(*w)) m->OnScrollPage();
    });

    RouteTable& value = routes.For("valuechanged");
    value.AddIndexed("DPI_slider_", [w](ui::TNotifyUI&, int n) {
        if (auto* m = SelectedMouse(*w)) m->OnStageSlider(n, true);
    });
    value.Add("pointer_speed_slider", [w](ui::TNotifyUI&, int) {
        if (auto* m = SelectedMouse(*w)) m->OnPointerSpeed();
    });
    value.Add("scroll_speed_slider", [w](ui::TNotifyUI&, int) {
        if (auto* m = SelectedMouse(*w)) m->OnScrollSpeed();
    });
    value.Add("double_click_slider", [w](ui::TNotifyUI&, int) {
        if (auto* m = SelectedMouse(*w)) m->OnDoubleClick();
    });

    RouteTable& move = routes.For("movevaluechanged");
    move.AddIndexed("DPI_slider_", [w](ui::TNotifyUI&, int n) {
        if (auto* m = SelectedMouse(*w)) m->OnStageSlider(n, false);
    });
    move.AddIndexed("kelto_DPI_slider_", [](ui::TNotifyUI& msg, int n) {
        auto* slider = ui::ControlCast<ui::CSliderUI>(msg.pSender, "Slider");
        ui::CPaintManagerUI* pm = msg.pSender ? msg.pSender->GetManager() : nullptr;
        if (!slider || !pm) return;
        if (ui::CControlUI* edit = pm->FindControl("kelto_DPI_edit_" + std::to_string(n)))
            edit->SetText(std::to_string(slider->GetValue()));
    });

    RouteTable& kill = routes.For("killfocus");
    kill.AddIndexed("DPI_edit_", [w](ui::TNotifyUI&, int n) {
        if (auto* m = SelectedMouse(*w)) m->OnStageEdit(n);
    });
    kill.AddIndexed("kelto_DPI_edit_", [](ui::TNotifyUI& msg, int n) {
        ui::CPaintManagerUI* pm = msg.pSender ? msg.pSender->GetManager() : nullptr;
        if (!pm) return;
        const int v = std::clamp(std::atoi(msg.pSender->GetText().c_str()), 200, 6500);
        msg.pSender->SetText(std::to_string(v));
        if (auto* s = ui::ControlCast<ui::CSliderUI>(pm->FindControl("kelto_DPI_slider_" + std::to_string(n)), "Slider"))
            s->SetValue(v);
    });
}

void AddLightPanelRoutes(CMainWnd& wnd, NotifyRoutes& routes) {
    CMainWnd* w = &wnd;
    auto panel = [w] { return LightPanelOf(w->GetSelectedDevice()); };

    routes.For("itemselect").Add("light_combo_modeSelect", [w, panel](ui::TNotifyUI&, int) {
        panels::CLightControlUI* lc = panel();
        if (!lc) return;
        const int mode = lc->GetMode();
        if (mode < 0) return;
        lc->ApplyModeRules(mode);
        ChangeLight(*w, [mode](devices::LightInfo& r) { r.bytes[kMode] = static_cast<uint8_t>(mode); });
    });

    RouteTable& value = routes.For("valuechanged");
    value.Add("deng_light_slider", [w, panel](ui::TNotifyUI&, int) {
        if (panels::CLightControlUI* lc = panel())
            ChangeLight(*w, [v = lc->GetBrightness()](devices::LightInfo& r) { r.bytes[kBrightness] = uint8_t(v); });
    });
    value.Add("deng_speed_slider", [w, panel](ui::TNotifyUI&, int) {
        if (panels::CLightControlUI* lc = panel())
            ChangeLight(*w, [v = lc->GetSpeed()](devices::LightInfo& r) { r.bytes[kSpeed] = uint8_t(v); });
    });

    RouteTable& select = routes.For("selectchanged");
    select.Add("deng_FXL_check", [w](ui::TNotifyUI& msg, int) {
        if (SenderSelected(msg)) ChangeLight(*w, [](devices::LightInfo& r) { r.bytes[kDirection] = 1; });
    });
    select.Add("deng_FXR_check", [w](ui::TNotifyUI& msg, int) {
        if (SenderSelected(msg)) ChangeLight(*w, [](devices::LightInfo& r) { r.bytes[kDirection] = 0; });
    });
    select.Add("deng_7color_check", [w, panel](ui::TNotifyUI&, int) {
        if (panels::CLightControlUI* lc = panel())
            ChangeLight(*w, [on = lc->GetMultiColor()](devices::LightInfo& r) { r.bytes[kMultiColor] = on ? 1 : 0; });
    });

    routes.For("colorchanged").Add("deng_Color_Pallet", [w, panel](ui::TNotifyUI&, int) {
        panels::CLightControlUI* lc = panel();
        if (!lc) return;
        const uint32_t c = lc->GetPaletteColor();
        ChangeColour(*w, Channel(c, 16), Channel(c, 8), Channel(c, 0));
    });

    // Preset colours leave the device's part in a shared effect as it is.
    routes.For("click").AddIndexed("color_option_", [w, panel](ui::TNotifyUI& msg, int n) {
        panels::CLightControlUI* lc = panel();
        if (!lc || !lc->FindSubControl("color_option_" + std::to_string(n)) || !msg.pSender) return;
        const uint32_t c = lc->GetOptionColor(n);
        ChangeColour(*w, Channel(c, 16), Channel(c, 8), Channel(c, 0), false);
    });

    RouteTable& kill = routes.For("killfocus");
    const std::pair<const char*, panels::ColorChannel> edits[] = {{"deng_edit_R", panels::ColorChannel::Red},
                                                                  {"deng_edit_G", panels::ColorChannel::Green},
                                                                  {"deng_edit_B", panels::ColorChannel::Blue}};
    for (const auto& [name, ch] : edits) {
        kill.Add(name, [w, panel, ch = ch](ui::TNotifyUI&, int) {
            panels::CLightControlUI* lc = panel();
            COstrivanUSBDevice* device = w->GetSelectedDevice();
            if (!lc || !device) return;
            const auto v = static_cast<uint8_t>(lc->TakeChannelValue(ch));
            const devices::LightInfo& r = device->GetLightInfoRecord();
            ChangeColour(*w, ch == panels::ColorChannel::Red ? v : r.bytes[kRed],
                         ch == panels::ColorChannel::Green ? v : r.bytes[kGreen],
                         ch == panels::ColorChannel::Blue ? v : r.bytes[kBlue]);
        });
    }
}

} // namespace app
