#pragma once
// The custom-control registry the skin layouts can name directly, and the main
// window's own control factory (tags compared without regard to case).
#include "ui/UIContainer.h"

#include <string>
#include <string_view>
#include <vector>

namespace ui {
class CPaintManagerUI;
}

namespace app {

// Stands in for a panel class whose issue has not landed yet: an empty container
// that answers its class name, so every layout builds and names resolve.
class CPlaceholderPanelUI : public ui::CVerticalLayoutUI {
public:
    explicit CPlaceholderPanelUI(std::string cls) : m_class(std::move(cls)) {}
    std::string GetClass() const override { return m_class; }
    void* GetInterface(std::string_view name) override;

private:
    std::string m_class;
};

// Registers the global custom classes in their fixed order; returns the names in that order.
std::vector<std::string> RegisterCustomControls();

// The main window's factory: a control for tag, or nullptr. Subtree tags build their
// layout with a fresh builder on manager, with no callback.
ui::CControlUI* CreateMainWindowControl(std::string_view tag, ui::CPaintManagerUI* manager);

} // namespace app
