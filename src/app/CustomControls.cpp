#include "app/CustomControls.h"

#include "app/DeviceOptionUI.h"
#include "devices/objects/OstrivanFamilies.h"
#include "panels/LightControlUI.h"
#include "ui/UIBuilder.h"
#include "ui/UICustomWidgets.h"

#include <functional>
#include <utility>

namespace app {

void* CPlaceholderPanelUI::GetInterface(std::string_view name) {
    if (ui::EqualsNoCase(name, m_class)) return this;
    return ui::CVerticalLayoutUI::GetInterface(name);
}

namespace {
using Creator = std::function<ui::CControlUI*()>;

template <class T>
Creator Make() {
    return [] { return new T; };
}
Creator Placeholder(const char* cls) {
    return [cls] { return new CPlaceholderPanelUI(cls); };
}

// Panels whose issues are still to come use placeholders: replace the row when they land.
const std::vector<std::pair<std::string, Creator>>& Registry() {
    static const std::vector<std::pair<std::string, Creator>> rows = {
        {"CCircleProgressUI", Make<ui::CCircleProgressUI>()},
        {"CChartViewUI", Make<ui::CChartViewUI>()},
        {"CWndUI", Make<ui::CWndUI>()},
        {"CSelectPanelUI", Make<ui::CSelectPanelUI>()},
        {"CDeviceKeyButtonUI", Make<ui::CDeviceKeyButtonUI>()},
        {"CCloudShareListItemUI", Make<ui::CCloudShareListItemUI>()},
        {"CUpdateInfoListItemUI", Placeholder("UpdateInfoListItemUI")},
        {"CDeviceOptionUI", Make<CDeviceOptionUI>()},
        {"CMpDevicePowerUI", Placeholder("MpDevicePower")},
        {"CComboEditContainerElementUI", Make<ui::CComboEditContainerElementUI>()},
        {"CHandImgButtonUI", Make<ui::CHandImgButtonUI>()},
        {"CHandImgSelectButtonUI", Make<ui::CHandImgSelectButtonUI>()},
        {"CRedioMacroButtonUI", Make<ui::CRedioMacroButtonUI>()},
        {"CLightControlUI", Make<panels::CLightControlUI>()},
        {"CMacroControlUI", Placeholder("MacroControl")},
        {"CKeySetControlUI", Placeholder("KeySetControl")},
        {"CDeviceProfileUI", Placeholder("DeviceProfile")},
        {"CShootControlUI", Placeholder("ShootControl")},
        {"CMagicControlUI", Placeholder("MagicControl")},
        {"CVoice6533ControlUI", Placeholder("Voice6533Control")},
        {"COstrivanUSBDevice", Make<devices::COstrivanUSBDevice>()},
        {"COstrivanMousePadDevice", Make<devices::COstrivanMousePadDevice>()},
        {"COstrivanRI6533Device", Make<devices::COstrivanRI6533Device>()},
    };
    return rows;
}

struct FactoryRow {
    const char* tag;
    Creator create;     // a control of our own
    const char* xml;    // or a subtree built from this layout
};

const std::vector<FactoryRow>& FactoryTable() {
    static const std::vector<FactoryRow> rows = {
        {"CircleProgress", Make<ui::CCircleProgressUI>(), nullptr},
        {"SelectPanel", Make<ui::CSelectPanelUI>(), nullptr},
        {"DeviceKeyButton", Make<ui::CDeviceKeyButtonUI>(), nullptr},
        {"HandImgButton", Make<ui::CHandImgButtonUI>(), nullptr},
        {"HandImgSelectButton", Make<ui::CHandImgSelectButtonUI>(), nullptr},
        {"RedioMacroButton", Make<ui::CRedioMacroButtonUI>(), nullptr},
        {"ComboEditContainerElement", Make<ui::CComboEditContainerElementUI>(), nullptr},
        {"OstrivanMousePadDevice", Make<devices::COstrivanMousePadDevice>(), nullptr},
        {"OstrivanRI6533Device", Make<devices::COstrivanRI6533Device>(), nullptr},
        {"OstrivanMouseDevice", Make<devices::COstrivanMouseDevice>(), nullptr},
        {"OstrivanKeyboardDevice", Make<devices::COstrivanKeyboardDevice>(), nullptr},
        {"DeviceProfile", Placeholder("DeviceProfile"), nullptr},
        {"LightControl", Make<panels::CLightControlUI>(), nullptr},
        {"MagicControl", Placeholder("MagicControl"), nullptr},
        {"Voice6533Control", Placeholder("Voice6533Control"), nullptr},
        {"KeySetControl", Placeholder("KeySetControl"), nullptr},
        {"ShootControl", Placeholder("ShootControl"), nullptr},
        {"DeviceProfileUI", nullptr, "XML\\CustomControlXML\\DeviceProfile.xml"},
        {"LightSetControlUI", nullptr, "XML\\CustomControlXML\\LightControl.xml"},
        {"Voice6533SetControlUI", nullptr, "XML\\CustomControlXML\\Voice6533Control.xml"},
        {"MagicSetControlUI", nullptr, "XML\\CustomControlXML\\MagicControl.xml"},
        {"KeySetControlUI", nullptr, "XML\\CustomControlXML\\KeySetControl.xml"},
        {"MacroSetControlUI", nullptr, "XML\\CustomControlXML\\MacroControl.xml"},
        {"ShootKeySetControlUI", nullptr, "XML\\CustomControlXML\\ShootControl.xml"},
    };
    return rows;
}
} // namespace

std::vector<std::string> RegisterCustomControls() {
    std::vector<std::string> names;
    for (const auto& [name, create] : Registry()) {
        ui::CControlFactory::GetInstance().RegistControl(name, create);
        names.push_back(name);
    }
    return names;
}

ui::CControlUI* CreateMainWindowControl(std::string_view tag, ui::CPaintManagerUI* manager) {
    for (const FactoryRow& row : FactoryTable()) {
        if (!ui::EqualsNoCase(tag, row.tag)) continue;
        if (row.create) return row.create();
        ui::CDialogBuilder builder;
        return builder.Create(row.xml, {}, nullptr, manager, nullptr);
    }
    return nullptr;
}

} // namespace app
