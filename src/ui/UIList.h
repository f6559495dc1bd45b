#pragma once
// Lists, their elements and the combo box. A combo's items are list label elements
// (with text and user data) mirrored into a QComboBox.
#include "ui/UICommonControls.h"
#include "ui/UIContainer.h"

namespace ui {

class IListItemUI;

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = false) = 0;
    virtual void OnItemTextChanged(CControlUI*) {}
    // Ctrl-click on a selected item clears the selection.
    virtual void UnselectItem(int index, bool triggerEvent = false) = 0;
};

// Answered by GetInterface("ListItem").
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual IListOwnerUI* GetOwner() const = 0;
    virtual void SetOwner(IListOwnerUI* owner) = 0;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual bool IsSelected() const = 0;
    // Marks the item only; the owner keeps its current selection.
    virtual void SetSelectedFlag(bool selected) = 0;
    // "itemactivate" from the item.
    virtual bool Activate() = 0;
};

// What label and container elements share: owner, index, selection, hover, mouse
// handling and the selection background. Instantiated for the two bases below.
template <class Base>
class CListItemT : public Base, public IListItemUI {
public:
    void DoEvent(TEventUI& event) override;
    void PaintBkColor(QPainter& p, const QRect& rc) override;

    IListOwnerUI* GetOwner() const override { return m_pOwner; }
    void SetOwner(IListOwnerUI* owner) override { m_pOwner = owner; }
    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    bool IsSelected() const override { return m_bSelected; }
    void SetSelectedFlag(bool selected) override {
        m_bSelected = selected;
        this->Invalidate();
    }
    bool Activate() override;
    bool Select(bool select = true, bool triggerEvent = true);
    bool IsHot() const { return m_bHot; }

protected:
    IListOwnerUI* m_pOwner = nullptr;
    int m_iIndex = -1;
    bool m_bSelected = false;
    bool m_bHot = false;
};

extern template class CListItemT<CLabelUI>;
extern template class CListItemT<CHorizontalLayoutUI>;

class CListLabelElementUI : public CListItemT<CLabelUI> {
public:
    std::string GetClass() const override { return "ListLabelElementUI"; }
    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

protected:
    void OnTextChanged() override;
};

class CListContainerElementUI : public CListItemT<CHorizontalLayoutUI> {
public:
    std::string GetClass() const override { return "ListContainerElementUI"; }
    void* GetInterface(std::string_view name) override;
};

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    std::string GetClass() const override { return "ListUI"; }
    void* GetInterface(std::string_view name) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override { return AddAt(control, GetCount()); }
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = false) override;
    void UnselectItem(int index, bool triggerEvent = false) override;
    void EnsureVisible(int index);
    int GetItemHeight() const { return m_iItemHeight; }
    QWidget* GetContentWidget() override;

protected:
    QWidget* CreateWidget() override;
    void ArrangeChildren(const QRect& content) override;
    void OnWidgetResized() override;
    void Reindex();
    int m_iCurSel = -1;
    int m_iItemHeight = 30;
    QWidget* m_content = nullptr;
};

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    std::string GetClass() const override { return "ComboUI"; }
    void* GetInterface(std::string_view name) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override { return AddAt(control, GetCount()); }
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    std::string GetText() const override;

    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = false) override;
    void UnselectItem(int, bool) override {}
    void OnItemTextChanged(CControlUI* item) override;
    QWidget* GetContentWidget() override;

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    void ArrangeChildren(const QRect&) override {}
    void Rebuild();
    void ApplyStyle();
    int m_iCurSel = -1;
    QWidget* m_holder = nullptr;
    UIColor m_dwTextColor = 0;
};

} // namespace ui
