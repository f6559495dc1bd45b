#pragma once
// Labels, buttons, options and check boxes, edits, progress bars, sliders and the
// colour palette. Setters never raise notifications unless their trigger flag is set.
#include "ui/UIControl.h"

namespace ui {

class CLabelUI : public CControlUI {
public:
    std::string GetClass() const override { return "LabelUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintText(QPainter& p, const QRect& rc) override;

    void SetTextColor(UIColor c) { m_dwTextColor = c; Invalidate(); }
    UIColor GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(UIColor c) { m_dwDisabledTextColor = c; Invalidate(); }
    void SetTextPadding(UIRect rc) { m_rcTextPadding = rc; Invalidate(); }
    // Qt::Alignment flags.
    void SetTextAlign(int align) { m_align = align; Invalidate(); }

protected:
    void DrawText(QPainter& p, const QRect& rc, UIColor color);
    UIColor m_dwTextColor = 0;
    UIColor m_dwDisabledTextColor = 0;
    UIRect m_rcTextPadding;
    int m_align = 0x0001 | 0x0080; // left | vcenter
    bool m_bMultiLine = false;
    bool m_bEndEllipsis = false;
};

class CTextUI : public CLabelUI {
public:
    std::string GetClass() const override { return "TextUI"; }
};

class CButtonUI : public CLabelUI {
public:
    CButtonUI() { m_align = 0x0004 | 0x0080; } // buttons centre their text
    std::string GetClass() const override { return "ButtonUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintBkColor(QPainter& p, const QRect& rc) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;
    void PaintText(QPainter& p, const QRect& rc) override;
    void DoEvent(TEventUI& event) override;

    // Raises "click" (the user's click ends here too).
    virtual bool Activate();

    void SetNormalImage(const std::string& s) { m_sNormalImage = s; Invalidate(); }
    const std::string& GetNormalImage() const { return m_sNormalImage; }
    void SetHotImage(const std::string& s) { m_sHotImage = s; Invalidate(); }
    void SetPushedImage(const std::string& s) { m_sPushedImage = s; Invalidate(); }
    void SetDisabledImage(const std::string& s) { m_sDisabledImage = s; Invalidate(); }
    void SetHotBkColor(UIColor c) { m_dwHotBkColor = c; Invalidate(); }
    bool IsHot() const;
    bool IsPushed() const;

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    void OnTextChanged() override;
    std::string m_sNormalImage, m_sHotImage, m_sPushedImage, m_sFocusedImage, m_sDisabledImage;
    std::string m_sHotForeImage, m_sPushedForeImage;
    UIColor m_dwHotTextColor = 0, m_dwPushedTextColor = 0, m_dwFocusedTextColor = 0;
    UIColor m_dwHotBkColor = 0, m_dwPushedBkColor = 0;
    // State driven by controls that handle the mouse themselves.
    bool m_bHotState = false;
    bool m_bPushedState = false;
    bool m_bCaptured = false;
};

class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    std::string GetClass() const override { return "OptionUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void PaintBkColor(QPainter& p, const QRect& rc) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;
    void PaintText(QPainter& p, const QRect& rc) override;

    bool Activate() override;
    const std::string& GetGroup() const { return m_sGroupName; }
    void SetGroup(const std::string& group);
    bool IsSelected() const { return m_bSelected; }
    // Selecting clears the rest of the group and switches a bound tab page.
    // "selectchanged" is raised (for every option that changed) only with triggerEvent.
    virtual void Selected(bool selected, bool triggerEvent = false);
    void SetBindTabLayoutName(const std::string& name) { m_sBindTabLayoutName = name; }
    void SetBindTabIndex(int index) { m_iBindTabIndex = index; }
    int GetBindTabIndex() const { return m_iBindTabIndex; }
    void SetSelectedImage(const std::string& s) { m_sSelectedImage = s; Invalidate(); }
    void SetSelectedBkColor(UIColor c) { m_dwSelectedBkColor = c; Invalidate(); }

protected:
    void DoInit() override;
    void ApplyBinding();
    bool m_bSelected = false;
    std::string m_sGroupName;
    std::string m_sBindTabLayoutName;
    int m_iBindTabIndex = -1;
    std::string m_sSelectedImage, m_sSelectedHotImage, m_sSelectedPushedImage, m_sSelectedForeImage;
    UIColor m_dwSelectedTextColor = 0, m_dwSelectedBkColor = 0;
};

class CCheckBoxUI : public COptionUI {
public:
    CCheckBoxUI() { m_align = 0x0001 | 0x0080; } // text left of nothing: box, then text
    std::string GetClass() const override { return "CheckBoxUI"; }
    void* GetInterface(std::string_view name) override;
    void SetCheck(bool check, bool triggerEvent = false) { Selected(check, triggerEvent); }
    bool GetCheck() const { return IsSelected(); }
    void PaintStatusImage(QPainter& p, const QRect& rc) override;
};

class CEditUI : public CLabelUI {
public:
    std::string GetClass() const override { return "EditUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void SetMaxChar(int n);
    int GetMaxChar() const { return m_iMaxChar; }
    void SetReadOnly(bool ro);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetNumberOnly(bool only);
    void SetPasswordMode(bool on);
    void SetSel(int start, int end);

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    void OnTextChanged() override;
    void ApplyStyle();
    int m_iMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bNumberOnly = false;
    bool m_bPassword = false;
    std::string m_sPrompt;
};

class CRichEditUI : public CLabelUI {
public:
    std::string GetClass() const override { return "RichEditUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void AppendText(const std::string& text);
    void SetReadOnly(bool ro);

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    void OnTextChanged() override;
    bool m_bReadOnly = false;
    bool m_bWantReturn = true;
};

class CProgressUI : public CLabelUI {
public:
    std::string GetClass() const override { return "ProgressUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;

    int GetMinValue() const { return m_nMin; }
    int GetMaxValue() const { return m_nMax; }
    int GetValue() const { return m_nValue; }
    virtual void SetMinValue(int v);
    virtual void SetMaxValue(int v);
    virtual void SetValue(int v);
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetForeColor(UIColor c) { m_dwForeColor = c; Invalidate(); }
    UIColor GetForeColor() const { return m_dwForeColor; }

protected:
    bool m_bHorizontal = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    UIColor m_dwForeColor = 0;
};

class CSliderUI : public CProgressUI {
public:
    std::string GetClass() const override { return "SliderUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;
    void PaintBkImage(QPainter& p, const QRect& rc) override;
    void SetMinValue(int v) override;
    void SetMaxValue(int v) override;
    void SetValue(int v) override;
    void SetChangeStep(int step);
    QRect GetThumbRect(const QRect& rc) const;
    // Track images keep their own height, centred across the control.
    QRect GetTrackRect(const QRect& rc, const std::string& image) const;

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    void SyncWidget();
    std::string m_sThumbImage, m_sThumbHotImage, m_sThumbPushedImage;
    UISize m_szThumb{14, 14};
    int m_nStep = 1;
    UIColor m_dwThumbColor = 0;
};

// Hue bar below a saturation/brightness field; the picked colour is 0xAARRGGBB.
class CColorPaletteUI : public CControlUI {
public:
    std::string GetClass() const override { return "ColorPaletteUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& p, const QRect& rc) override;

    UIColor GetSelectColor() const;
    void SetSelectColor(UIColor color);

private:
    void PickAt(UIPoint pt);
    int m_nPalletHeight = 0;  // 0: whole height minus the bar
    int m_nBarHeight = 12;
    double m_h = 0, m_s = 1, m_v = 1;
    int m_drag = 0; // 0 none, 1 field, 2 bar
};

} // namespace ui
