#include "app/DeviceOptionUI.h"

#include "app/AppMessages.h"
#include "devices/objects/OstrivanUSBDevice.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

namespace app {

namespace {
struct IconSet {
    const char* stem;
    const char* nameKey;
};
// Icons and name key by tile type; sub-type picks the mouse-pad variant.
IconSet IconsFor(int type, int subType, bool& known) {
    known = true;
    switch (type) {
    case 1: return {"kb", "kb_device_name_text"};
    case 2: return {"ms", "ms_device_name_text"};
    case 3:
        if (subType == 0) return {"hard_mp", "hard_mp_device_name_text"};
        if (subType == 1) return {"soft_mp", "soft_mp_device_name_text"};
        known = false;
        return {nullptr, nullptr};
    case 4:
    case 7: return {"hd", "hd_device_name_text"};
    case 5: return {"hub", "hub_device_name_text"};
    default: return {"unknow", "unknow_device_name_text"};
    }
}
} // namespace

void* CDeviceOptionUI::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, "DeviceOption")) return this;
    return ui::CHorizontalLayoutUI::GetInterface(name);
}

ui::COptionUI* CDeviceOptionUI::SelectOption() {
    if (!m_option) m_option = ui::ControlCast<ui::COptionUI>(FindSubControl("device_select"), "Option");
    return m_option;
}

ui::CCheckBoxUI* CDeviceOptionUI::SynchroBox() {
    if (!m_synchro) m_synchro = ui::ControlCast<ui::CCheckBoxUI>(FindSubControl("synchro_device_select"), "CheckBox");
    return m_synchro;
}

ui::CLabelUI* CDeviceOptionUI::NameLabel() {
    if (!m_name) m_name = ui::ControlCast<ui::CLabelUI>(FindSubControl("device_select_name"), "Label");
    return m_name;
}

void CDeviceOptionUI::SetVisible(bool visible) {
    m_visible = visible;
    ui::CHorizontalLayoutUI::SetVisible(visible);
}

void CDeviceOptionUI::SetType(int type, int subType) {
    m_type = type;
    m_subType = subType;
    bool known = false;
    const IconSet set = IconsFor(type, subType, known);
    if (!known) return;  // a pad variant we do not know keeps its icons
    const std::string base = std::string("common/device_ico/") + set.stem + "_device_";
    m_icons[0] = base + "normal.png";
    m_icons[1] = base + "selected.png";
    m_icons[2] = base + "synchro_normal.png";
    m_icons[3] = base + "synchro_selected.png";
    if (ui::COptionUI* o = SelectOption()) {
        o->SetNormalImage(m_icons[0]);
        o->SetSelectedImage(m_icons[1]);
        o->SetHotImage(m_icons[0]);
        o->SetToolTip(ui::CResourceManager::GetInstance().GetText(set.nameKey));
    }
}

void CDeviceOptionUI::ApplyIcons(bool synchro) {
    ui::COptionUI* o = SelectOption();
    if (!o) return;
    const std::string& normal = synchro ? m_icons[2] : m_icons[0];
    o->SetNormalImage(normal);
    o->SetHotImage(normal);
    o->SetSelectedImage(synchro ? m_icons[3] : m_icons[1]);
}

void CDeviceOptionUI::SetSynchroVisible(bool visible) {
    if (ui::CCheckBoxUI* c = SynchroBox()) {
        c->SetVisible(visible);
        ApplyIcons(c->GetCheck());
    }
}

void CDeviceOptionUI::SetSynchro(bool synchro) {
    if (ui::CCheckBoxUI* c = SynchroBox()) {
        c->SetCheck(synchro, true);
        ApplyIcons(synchro);
    }
}

bool CDeviceOptionUI::IsSynchro() {
    ui::CCheckBoxUI* c = SynchroBox();
    return c && c->GetCheck();
}

void CDeviceOptionUI::Select(bool select) {
    if (ui::COptionUI* o = SelectOption()) o->Selected(select, true);
}

bool CDeviceOptionUI::IsSelected() {
    ui::COptionUI* o = SelectOption();
    return o && o->IsSelected();
}

void CDeviceOptionUI::BindPage(const std::string& layout, int index) {
    if (ui::COptionUI* o = SelectOption()) {
        o->SetBindTabLayoutName(layout);
        o->SetBindTabIndex(index);
    }
}

int CDeviceOptionUI::GetBindIndex() {
    ui::COptionUI* o = SelectOption();
    return o ? o->GetBindTabIndex() : -1;
}

void CDeviceOptionUI::SetPowerPage(const std::string& layout, int index) {
    if (index < 0) return;
    m_powerLayout = layout;
    m_powerIndex = index;
}

void CDeviceOptionUI::SetGroup(const std::string& group) {
    if (ui::COptionUI* o = SelectOption()) o->SetGroup(group);
}

void CDeviceOptionUI::SetDeviceName(const std::string& text) {
    if (ui::CLabelUI* l = NameLabel()) l->SetText(text);
}

void CDeviceOptionUI::SetDevice(devices::COstrivanUSBDevice* device) {
    m_device = device;
    if (device) device->SetOptionTile(this);
}

bool CDeviceOptionUI::SetTileTimer(unsigned id, unsigned ms) {
    return m_pManager && m_pManager->SetTimer(this, id, ms);
}

void CDeviceOptionUI::Start() { SetTileTimer(kTileTimerConnected, 500); }

void CDeviceOptionUI::DoEvent(ui::TEventUI& event) {
    if (event.Type == ui::UIEvent::Timer && m_pManager) {
        const auto id = static_cast<unsigned>(event.wParam);
        if (id >= kTileTimerFrame && id <= kTileTimerPoll) {
            m_pManager->KillTimer(this, id);
            if (!m_device) return;
            switch (id) {
            case kTileTimerConnected:
                m_device->OnConnected();
                SetTileTimer(kTileTimerFrame, 5);
                if (m_device->GetPowerDisplay() != 0 && m_device->IsConnected()) SetTileTimer(kTileTimerPoll, 5000);
                break;
            case kTileTimerFrame:
                m_device->PushLightFrame();
                if (m_preview && IsSelected() && m_device->IsPanelVisible()) m_preview->Invalidate();
                if (m_device->IsConnected()) SetTileTimer(kTileTimerFrame, 5);
                break;
            case kTileTimerSync: m_device->OnSyncRequest(); break;
            case kTileTimerSpare3: m_device->OnSpareHook3(); break;
            case kTileTimerSpare4: m_device->OnSpareHook4(); break;
            case kTileTimerPoll:
                m_device->OnPeriodicPoll();
                if (m_device->GetPowerDisplay() != 0 && m_device->IsConnected()) SetTileTimer(kTileTimerPoll, 5000);
                break;
            default: break;
            }
            return;
        }
    }
    ui::CHorizontalLayoutUI::DoEvent(event);
}

} // namespace app
