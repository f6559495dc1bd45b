#pragma once
// The device panels' own controls. Each answers its factory name as class name;
// RegisterCustomControls() makes them known to every layout.
#include "ui/UIList.h"

#include <QPointer>
#include <vector>

class QObject;

namespace ui {

// A ring: background disc, foreground pie from the bottom, white inner disc.
class CCircleProgressUI : public CProgressUI {
public:
    std::string GetClass() const override { return "CircleProgress"; }
    void* GetInterface(std::string_view name) override;
    void DoPaint(QPainter& p, const QRect& rc) override;
    // Degrees of the foreground pie; 0 when max <= min (no division by zero).
    static double SweepDegrees(int value, int minValue, int maxValue);
};

class CDeviceKeyButtonUI : public CButtonUI {
public:
    std::string GetClass() const override { return "DeviceKeyButton"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;
    void PaintBorder(QPainter& p, const QRect& rc) override;

    // p1: opacity of the light image, p2: how strongly it takes the button's colour (0..255).
    void SetLightOverlay(bool show, int p1 = 255, int p2 = 200);
    bool IsLightOverlayShown() const { return m_bOverlay; }
    void SetKeyImageHidden(bool hidden);
    bool IsKeyImageHidden() const { return m_bKeyImageHidden; }
    void SetSelected(bool selected);
    bool IsSelected() const { return m_bSelected; }
    const std::string& GetLightImage() const { return m_sLightImage; }
    const std::string& GetKeySetImage() const { return m_sKeySetImage; }
    void SetKeySetImage(const std::string& image);

private:
    std::string m_sLightImage;
    std::string m_sKeySetImage;
    UIColor m_dwGmNameTextColor = 0;
    bool m_bOverlay = false;
    int m_p1 = 255;
    int m_p2 = 200;
    bool m_bKeyImageHidden = true;
    bool m_bSelected = false;
};

class CHandImgButtonUI : public CButtonUI {
public:
    std::string GetClass() const override { return "HandImgButton"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;
    const std::string& GetHandImage() const { return m_sHandImage; }

private:
    std::string m_sHandImage;
    std::string m_sDeleteNormalImage;
    std::string m_sDeleteHotImage;
};

// A picture larger than the control that the user pans by dragging.
class CHandImgSelectButtonUI : public CButtonUI {
public:
    std::string GetClass() const override { return "HandImgSelectButton"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;

    void SetHandImage(const std::string& file);
    // The drawn description: the whole image, or "file='…' source='l,t,r,b'".
    const std::string& GetHandImageDesc() const { return m_sDesc; }
    UIRect GetSourceRect() const { return m_rcSource; }
    bool IsDragging() const { return m_bDragging; }
    // "hand", "sizeall" ... to a Qt cursor shape; false for unknown names.
    static bool CursorShapeForName(std::string_view name, int& shape);

private:
    void UpdateDesc();
    std::string m_sFile;
    std::string m_sDesc;
    UISize m_image;
    bool m_bPanning = false;
    UIRect m_rcSource;
    UIPoint m_ptPress;
    bool m_bDragging = false;
};

// Record button whose mark blinks on timer 100 while recording.
class CRedioMacroButtonUI : public CButtonUI {
public:
    static constexpr unsigned kBlinkTimer = 100;
    std::string GetClass() const override { return "RedioMacroButton"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    int GetFade() const { return m_nFade; }
    const std::string& GetRedioImage() const { return m_sRedioImage; }
    // One blink step (what timer 100 does).
    void StepFade();

private:
    std::string m_sRedioImage;
    int m_nFade = 255;
    bool m_bFadeUp = false;
};

// Rubber-band selection of the DeviceKeyButton children; raises "click_select_end".
class CSelectPanelUI : public CVerticalLayoutUI {
public:
    CSelectPanelUI();
    ~CSelectPanelUI() override;
    std::string GetClass() const override { return "SelectPanel"; }
    void* GetInterface(std::string_view name) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override { return AddAt(control, GetCount()); }
    void DoEvent(TEventUI& event) override;
    void OnWidgetResized() override;

    bool IsSelecting() const { return m_bSelecting; }
    // Band in the panel's coordinates (inclusive of both corner points).
    UIRect GetBandRect() const { return m_rcBand; }
    void PaintBand(QPainter& p);

    // Pointer input in panel coordinates (children forward theirs here too).
    void OnPanelMouse(UIEvent type, UIPoint pt);

protected:
    QWidget* CreateWidget() override;

private:
    void UpdateBand();
    bool m_bPressed = false;
    bool m_bSelecting = false;
    UIPoint m_ptPress;
    UIPoint m_ptCurrent;
    UIRect m_rcBand;
    QWidget* m_overlay = nullptr;
    QObject* m_filter = nullptr;
};

class CComboEditContainerElementUI : public CListContainerElementUI {
public:
    static constexpr const char* kLayout = "XML\\CustomControlXML\\ComboEditElementItem.xml";
    std::string GetClass() const override { return "ComboEditContainerElement"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void DoInit() override;

    CControlUI* GetText1() const { return m_text1; }
    CControlUI* GetText2() const { return m_text2; }
    CControlUI* GetDelayEdit() const { return m_delayEdit; }
    bool IsChanged() const { return m_bChanged; }
    void SetChanged(bool changed) { m_bChanged = changed; }

private:
    void Watch(CControlUI* c);
    CControlUI* m_text1 = nullptr;
    CControlUI* m_text2 = nullptr;
    CControlUI* m_delayEdit = nullptr;
    bool m_bChanged = false;
    bool m_bContextMenu = false;
    bool m_bPressed = false;
};

class CChartViewUI : public CControlUI {
public:
    struct Item {
        std::string name;
        double value = 0;
    };
    std::string GetClass() const override { return "ChartView"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;
    void AddItem(const std::string& name, double value);
    void RemoveAllItems();
    bool IsPie() const { return m_bPie; }

private:
    bool m_bPie = true;
    std::vector<Item> m_items;
    std::string m_sShadowImage, m_sPillarImage;
    int m_nShadowHeight = 0, m_nPillarWidth = 0;
    bool m_bShowText = false;
};

// Keeps a foreign widget (a window) on top of this control's rectangle.
class CWndUI : public CControlUI {
public:
    std::string GetClass() const override { return "Wnd"; }
    void* GetInterface(std::string_view name) override;
    void AttachHostedWindow(QWidget* window);
    QWidget* GetHostedWindow() const { return m_hosted; }
    void SetPos(const QRect& rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SyncHosted();

private:
    QPointer<QWidget> m_hosted;
};

class CCloudShareListItemUI : public CListContainerElementUI {
public:
    std::string GetClass() const override { return "CloudShareListItemUI"; }
    void* GetInterface(std::string_view name) override;
};

// Registers the classes above in CControlFactory under their factory names.
void RegisterCustomControls();
// The factory of the main window: a new control for a custom tag (case-insensitive), or nullptr.
CControlUI* CreateCustomControl(std::string_view tag);

} // namespace ui
