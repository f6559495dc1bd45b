#pragma once
// Containers and layouts. Layout follows the skin's rules: fixed sizes are kept,
// children without a fixed size share what is left, "padding" is the margin around
// a child, "inset" the margin inside the container, "childpadding" the gap between
// children; "float" children sit at their "pos" inside the parent.
#include "ui/UIControl.h"

#include <QSize>
#include <vector>

namespace ui {

class CContainerUI : public CControlUI {
public:
    CContainerUI() = default;
    ~CContainerUI() override;

    std::string GetClass() const override { return "ContainerUI"; }
    void* GetInterface(std::string_view name) override;

    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    // Removes and (unless doNotDestroy) deletes the control once the current event is over.
    virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
    virtual bool RemoveAt(int index, bool doNotDestroy = false);
    virtual void RemoveAll();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;
    bool SetItemIndex(CControlUI* control, int index);

    UIRect GetInset() const { return m_rcInset; }
    void SetInset(UIRect rc);
    int GetChildPadding() const { return m_iChildPadding; }
    void SetChildPadding(int padding);

    // Depth-first search below this container (not the container itself).
    CControlUI* FindSubControl(std::string_view name) const;

    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetPos(const QRect& rc) override;
    void NeedUpdate() override;
    void OnWidgetResized() override;

    // Lays the children out inside the content widget now.
    void Relayout();
    bool IsLayoutDirty() const { return m_bDirty; }
    virtual QWidget* GetContentWidget() { return GetWidget(); }

protected:
    virtual void ArrangeChildren(const QRect& content);
    void ArrangeFloat(CControlUI* child, const QRect& content);
    void ArrangeLinear(const QRect& content, bool vertical);
    static int Scale(int v);
    void DetachChild(CControlUI* control);

    std::vector<CControlUI*> m_items;
    UIRect m_rcInset;
    int m_iChildPadding = 0;
    bool m_bDirty = true;
    QSize m_lastArranged{-1, -1};
};

class CVerticalLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override { return "VerticalLayoutUI"; }
    void* GetInterface(std::string_view name) override;

protected:
    void ArrangeChildren(const QRect& content) override { ArrangeLinear(content, true); }
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override { return "HorizontalLayoutUI"; }
    void* GetInterface(std::string_view name) override;

protected:
    void ArrangeChildren(const QRect& content) override { ArrangeLinear(content, false); }
};

// Shows one child at a time; the others are hidden (own visible flag, as pages are).
class CTabLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override { return "TabLayoutUI"; }
    void* GetInterface(std::string_view name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    // Raises "tabselect" only when triggerEvent is set. False for an index out of range.
    virtual bool SelectItem(int index, bool triggerEvent = false);
    bool SelectItem(CControlUI* control, bool triggerEvent = false);
    void SetAttribute(std::string_view name, std::string_view value) override;

private:
    int m_iCurSel = -1;
    int m_iPendingSel = -1; // "selectedid" read before the pages exist
};

// Deletes controls removed from a tree once control returns to the event loop
// (a control may remove itself from inside its own notification).
void DeferDeleteControl(CControlUI* control);
// Runs the pending deletions now (tests, shutdown).
void FlushDeferredDeletes();

} // namespace ui
