// Builds a page with every control of the UI layer and saves a screenshot, so anyone
// can see what the layer draws. Usage: zandri_gallery [out.png] [cn|en]
#include "platform/Folders.h"
#include "ui/UILib.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class GalleryWnd : public ui::WindowImplBase {
public:
    explicit GalleryWnd(std::string layout) : m_layout(std::move(layout)) {}
    std::string GetWindowClassName() const override { return "GalleryWnd"; }
    std::string GetSkinFile() override { return m_layout; }
    ui::CControlUI* CreateControl(std::string_view tag) override { return ui::CreateCustomControl(tag); }

    // Puts the controls into states worth seeing.
    void Stage() {
        auto& pm = GetPaintManager();
        auto key = [&](int i) { return static_cast<ui::CDeviceKeyButtonUI*>(pm.FindControl("key_" + std::to_string(i))); };
        for (int i : {0, 1, 2, 3, 6}) key(i)->SetLightOverlay(true, 255, 200);
        key(2)->SetKeyImageHidden(false);
        key(1)->SetSelected(true);
        key(5)->SetSelected(true);
        static_cast<ui::CColorPaletteUI*>(pm.FindControl("palette"))->SetSelectColor(0xFFFF4655);
        auto* pie = static_cast<ui::CChartViewUI*>(pm.FindControl("chart_pie"));
        auto* bar = static_cast<ui::CChartViewUI*>(pm.FindControl("chart_bar"));
        const std::pair<const char*, double> items[] = {{"400", 2}, {"800", 5}, {"1600", 8}, {"3200", 6}, {"6400", 3}};
        for (auto [n, v] : items) {
            pie->AddItem(n, v);
            bar->AddItem(n, v);
        }
        auto* redio = static_cast<ui::CRedioMacroButtonUI*>(pm.FindControl("redio"));
        for (int i = 0; i < 4; ++i) redio->StepFade();
        auto* row = static_cast<ui::CComboEditContainerElementUI*>(pm.FindControl("step_row"));
        if (row && row->GetText1()) {
            row->GetText1()->SetText("  A");
            row->GetText2()->SetText("down");
            row->GetDelayEdit()->SetText("20");
        }
        static_cast<ui::CListUI*>(pm.FindControl("lst_macro"))->SelectItem(1);
        // Pan the picture a little so the source rectangle is not at the corner.
        auto* pan = static_cast<ui::CHandImgSelectButtonUI*>(pm.FindControl("hand_pan"));
        ui::TEventUI e;
        e.Type = ui::UIEvent::ButtonDown;
        e.ptMouse = {150, 120};
        pan->DoEvent(e);
        e.Type = ui::UIEvent::MouseMove;
        e.ptMouse = {30, 40};
        pan->DoEvent(e);
        e.Type = ui::UIEvent::ButtonUp;
        pan->DoEvent(e);
        // A rubber band in progress over the panel.
        auto* panel = static_cast<ui::CSelectPanelUI*>(pm.FindControl("device_key_light"));
        panel->OnPanelMouse(ui::UIEvent::ButtonDown, {100, 60});
        panel->OnPanelMouse(ui::UIEvent::MouseMove, {220, 110});
    }

private:
    std::string m_layout;
};

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const std::string out = argc > 1 ? argv[1] : "gallery.png";
    const std::string lang = argc > 2 ? argv[2] : "cn";
    ui::CPaintManagerUI::SetResourcePath(platform::ResourceFolder() + "skin/");
    auto& rm = ui::CResourceManager::GetInstance();
    if (!rm.LoadResource("res.xml")) {
        std::fprintf(stderr, "cannot read %sres.xml\n", ui::CPaintManagerUI::GetResourcePath().c_str());
        return 1;
    }
    rm.LoadLanguage(lang == "en" ? "lan_en.xml" : "lan_cn.xml");
    ui::RegisterCustomControls();

    GalleryWnd wnd(ZANDRI_GALLERY_LAYOUT);
    if (!wnd.Create(nullptr, "gallery")) {
        std::fprintf(stderr, "the gallery layout did not build\n");
        return 1;
    }
    wnd.ShowWindow(true);
    QTimer::singleShot(50, [&] {
        wnd.Stage();
        QTimer::singleShot(50, [&] {
            const QPixmap shot = wnd.GetHWND()->grab();
            const bool ok = shot.save(QString::fromStdString(out));
            std::printf("%s %s (%dx%d)\n", ok ? "saved" : "could not save", out.c_str(), shot.width(), shot.height());
            app.exit(ok ? 0 : 1);
        });
    });
    return app.exec();
}
