#pragma once
// CControlUI: a plain C++ object that owns one QWidget. The control tree is the
// program's model; the widget tree mirrors it (a child's widget lives inside its
// parent's content widget). A control's widget is made on first use, so a derived
// class chooses its widget type through CreateWidget().
#include "ui/UIBase.h"

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QPainter;

namespace ui {

class CPaintManagerUI;
class CContainerUI;
class CControlUI;

namespace detail {
// Back link from a widget to the control that owns it (cut before the widget dies).
struct ControlLink {
    CControlUI* control = nullptr;
    virtual ~ControlLink() = default;
};
} // namespace detail

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::string GetClass() const { return "ControlUI"; }
    // "Control", "Button" ... the interface names this object answers to (case-insensitive).
    virtual void* GetInterface(std::string_view name);

    const std::string& GetName() const { return m_sName; }
    void SetName(const std::string& name);

    // Shown text: for a resource-text control the current language's text of its key.
    virtual std::string GetText() const;
    virtual void SetText(const std::string& text);
    const std::string& GetRawText() const { return m_sText; }
    bool IsResourceText() const { return m_bResourceText; }
    void SetResourceText(bool resource);
    // Re-reads the language text (resource-text controls) and tells the widget.
    virtual void ReloadText();

    std::string GetToolTip() const;
    void SetToolTip(const std::string& tip);
    const std::string& GetUserData() const { return m_sUserData; }
    void SetUserData(const std::string& data) { m_sUserData = data; }
    // Name of the virtual window (CNotifyPump) that handles this subtree's notifications.
    const std::string& GetVirtualWnd() const { return m_sVirtualWnd; }
    void SetVirtualWnd(const std::string& name) { m_sVirtualWnd = name; }
    uintptr_t GetTag() const { return m_tag; }
    void SetTag(uintptr_t tag) { m_tag = tag; }

    // Own flag and the flag set by hidden ancestors or unselected tab pages.
    virtual bool IsVisible() const { return m_bVisible && m_bInternVisible; }
    bool IsOwnVisible() const { return m_bVisible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const { return m_bEnabled; }
    virtual void SetEnabled(bool enabled = true);
    bool IsFocused() const;
    void SetFocus();

    UIColor GetBkColor() const { return m_dwBkColor; }
    void SetBkColor(UIColor color);
    UIColor GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(UIColor color);
    void SetBorderSize(int size);
    void SetBorderRound(UISize round);
    const std::string& GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const std::string& image);
    const std::string& GetForeImage() const { return m_sForeImage; }
    void SetForeImage(const std::string& image);
    int GetFont() const { return m_iFont; }
    void SetFont(int id);

    // Geometry (logical pixels; scaled by the framework DPI when laid out).
    int GetFixedWidth() const { return m_cxyFixed.cx; }
    int GetFixedHeight() const { return m_cxyFixed.cy; }
    void SetFixedWidth(int cx);
    void SetFixedHeight(int cy);
    UIRect GetPadding() const { return m_rcPadding; }
    void SetPadding(UIRect rc);
    bool IsFloat() const { return m_bFloat; }
    void SetFloat(bool f);
    UIRect GetFloatPos() const { return m_rcFloat; }
    void SetFloatPos(UIRect rc);
    int GetMinWidth() const { return m_cxyMin.cx; }
    int GetMinHeight() const { return m_cxyMin.cy; }
    // Position in the window's client coordinates (physical widget pixels).
    UIRect GetPos() const;
    // Position inside the parent's content area.
    UIRect GetRelativePos() const;
    // Places the widget (parent content coordinates) and lays out children.
    virtual void SetPos(const QRect& rc);

    CPaintManagerUI* GetManager() const { return m_pManager; }
    CControlUI* GetParent() const { return m_pParent; }
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    void Init();
    virtual void DoInit() {}

    virtual void SetAttribute(std::string_view name, std::string_view value);
    void ApplyAttributeList(std::string_view list);

    virtual void DoEvent(TEventUI& event);
    // Paints the control itself (children are widgets of their own).
    virtual void DoPaint(QPainter& p, const QRect& rc);
    virtual void PaintBkColor(QPainter& p, const QRect& rc);
    virtual void PaintBkImage(QPainter& p, const QRect& rc);
    virtual void PaintStatusImage(QPainter& p, const QRect& rc);
    virtual void PaintText(QPainter& p, const QRect& rc);
    virtual void PaintBorder(QPainter& p, const QRect& rc);

    void Invalidate();
    // Asks the parent to lay out again (size or visibility changed).
    void NeedParentUpdate();
    virtual void NeedUpdate();
    // Test hook: counts repaint requests made through Invalidate().
    int GetInvalidateCount() const { return m_invalidateCount; }

    QWidget* GetWidget();
    bool HasWidget() const { return !m_widget.isNull(); }

    // Listeners that see a notification of this control before the window does.
    // Returning true stops the dispatch to the window.
    std::vector<std::function<bool(TNotifyUI&)>> OnNotify;

    // Used by containers: attach this control's widget below parentWidget.
    void AttachWidget(QWidget* parentWidget);
    // Called by the widget when Qt resized it.
    virtual void OnWidgetResized() {}

protected:
    virtual QWidget* CreateWidget();
    // Pushes the stored state (text, tooltip, visibility...) into a new widget.
    virtual void ApplyWidgetState();
    // The shown text changed: custom controls repaint, native ones copy it.
    virtual void OnTextChanged();
    QFont ResolveFont() const;
    void ApplyFontToWidget();
    friend class CPaintManagerUI;
    friend class CContainerUI;

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    QPointer<QWidget> m_widget;
    detail::ControlLink* m_link = nullptr;

    std::string m_sName;
    std::string m_sText;
    std::string m_sToolTip;
    std::string m_sUserData;
    std::string m_sVirtualWnd;
    uintptr_t m_tag = 0;
    bool m_bResourceText = false;
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bInited = false;
    bool m_bFloat = false;
    UIColor m_dwBkColor = 0;
    UIColor m_dwBorderColor = 0;
    int m_nBorderSize = 0;
    UISize m_cxyBorderRound;
    std::string m_sBkImage;
    std::string m_sForeImage;
    int m_iFont = -1;
    UISize m_cxyFixed;
    UISize m_cxyMin;
    UISize m_cxyMax{9999, 9999};
    UIRect m_rcPadding;
    UIRect m_rcFloat;
    int m_invalidateCount = 0;
};

// A control's interface lookup, e.g. AsType<CButtonUI>(ctrl, "Button").
template <class T>
T* ControlCast(CControlUI* c, std::string_view iface) {
    return c ? static_cast<T*>(c->GetInterface(iface)) : nullptr;
}

} // namespace ui
