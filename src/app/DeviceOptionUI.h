#pragma once
// CDeviceOptionUI: one tile of the device strip. It shows its device's icon and
// name, selects the device's page, and its timers drive the device's periodic
// work (connect 500 ms after arrival, frame push every 5 ms, power poll).
#include "ui/UICommonControls.h"
#include "ui/UIContainer.h"

#include <string>

namespace devices {
class COstrivanUSBDevice;
}

namespace app {

class CDeviceOptionUI : public ui::CHorizontalLayoutUI {
public:
    std::string GetClass() const override { return "DeviceOption"; }
    void* GetInterface(std::string_view name) override;
    void DoEvent(ui::TEventUI& event) override;
    void SetVisible(bool visible = true) override;

    void SetType(int type, int subType);
    int GetType() const { return m_type; }
    int GetSubType() const { return m_subType; }
    void SetSynchroVisible(bool visible);
    void SetSynchro(bool synchro);
    bool IsSynchro();
    void Select(bool select);
    bool IsSelected();
    void BindPage(const std::string& layout, int index);
    int GetBindIndex();
    void SetPowerPage(const std::string& layout, int index);
    const std::string& GetPowerLayout() const { return m_powerLayout; }
    int GetPowerIndex() const { return m_powerIndex; }
    void SetGroup(const std::string& group);
    void SetDeviceName(const std::string& text);
    void SetDevice(devices::COstrivanUSBDevice* device);
    devices::COstrivanUSBDevice* GetDevice() const { return m_device; }
    void SetPreviewControl(ui::CControlUI* control) { m_preview = control; }
    ui::CControlUI* GetPreviewControl() const { return m_preview; }
    // Arms the connect timer (1001, 500 ms) after an arrival.
    void Start();
    bool GetLastVisible() const { return m_visible; }

    ui::COptionUI* SelectOption();
    ui::CCheckBoxUI* SynchroBox();
    ui::CLabelUI* NameLabel();
    const std::string& NormalIcon() const { return m_icons[0]; }
    const std::string& SelectedIcon() const { return m_icons[1]; }

private:
    void ApplyIcons(bool synchro);
    bool SetTileTimer(unsigned id, unsigned ms);

    devices::COstrivanUSBDevice* m_device = nullptr;
    ui::CControlUI* m_preview = nullptr;
    int m_type = 0;
    int m_subType = 0;
    std::string m_icons[4] = {"common/device_ico/unknow_device_normal.png", "common/device_ico/unknow_device_selected.png",
                              "common/device_ico/unknow_device_synchro_normal.png",
                              "common/device_ico/unknow_device_synchro_selected.png"};
    std::string m_powerLayout;
    int m_powerIndex = -1;
    bool m_visible = true;
    ui::COptionUI* m_option = nullptr;
    ui::CCheckBoxUI* m_synchro = nullptr;
    ui::CLabelUI* m_name = nullptr;
};

} // namespace app
