#include "ui/UIList.h"

#include "ui/UIManager.h"
#include "ui/UIWidget_p.h"

#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>

namespace ui {

static QColor Q(UIColor c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, (c >> 24) & 0xFF); }

static IListItemUI* AsItem(CControlUI* c) {
    return c ? static_cast<IListItemUI*>(c->GetInterface("ListItem")) : nullptr;
}

// Shared item behaviour: press = "itemclick" then select, double click = "itemactivate".
static void ItemMouse(CControlUI* self, IListItemUI* item, TEventUI& e, bool& hot) {
    switch (e.Type) {
    case UIEvent::ButtonDown:
        if (self->IsEnabled()) {
            if (self->GetManager()) self->GetManager()->SendNotify(self, "itemclick");
            if (IListOwnerUI* owner = item->GetOwner()) {
                if ((e.wKeyState & kKeyStateControl) && item->IsSelected()) owner->UnselectItem(item->GetIndex(), true);
                else owner->SelectItem(item->GetIndex(), true, true);
            }
        }
        return;
    case UIEvent::DblClick:
        if (self->IsEnabled()) item->Activate();
        return;
    case UIEvent::MouseEnter:
        hot = true;
        self->Invalidate();
        return;
    case UIEvent::MouseLeave:
        hot = false;
        self->Invalidate();
        return;
    default:
        break;
    }
}

static void PaintItemBk(QPainter& p, const QRect& rc, bool selected, bool hot) {
    if (selected) p.fillRect(rc, Q(0x40FF4655));
    else if (hot) p.fillRect(rc, Q(0x20FFFFFF));
}

// ---------------------------------------------------------------- shared item behaviour
template <class Base>
void CListItemT<Base>::DoEvent(TEventUI& e) {
    ItemMouse(this, this, e, m_bHot);
    if (e.Type != UIEvent::ButtonDown && e.Type != UIEvent::DblClick && e.Type != UIEvent::MouseEnter &&
        e.Type != UIEvent::MouseLeave)
        Base::DoEvent(e);
}

template <class Base>
void CListItemT<Base>::PaintBkColor(QPainter& p, const QRect& rc) {
    Base::PaintBkColor(p, rc);
    PaintItemBk(p, rc, m_bSelected, m_bHot);
}

template <class Base>
bool CListItemT<Base>::Activate() {
    if (!this->IsEnabled()) return false;
    if (CPaintManagerUI* pm = this->GetManager()) pm->SendNotify(this, "itemactivate");
    return true;
}

template <class Base>
bool CListItemT<Base>::Select(bool select, bool triggerEvent) {
    if (!m_pOwner) {
        m_bSelected = select;
        return true;
    }
    if (select) return m_pOwner->SelectItem(m_iIndex, false, triggerEvent);
    m_pOwner->UnselectItem(m_iIndex, triggerEvent);
    return true;
}

template class CListItemT<CLabelUI>;
template class CListItemT<CHorizontalLayoutUI>;

// ---------------------------------------------------------------- label element
void* CListLabelElementUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "ListItem")) return static_cast<IListItemUI*>(this);
    if (EqualsNoCase(name, "ListLabelElement")) return this;
    return CLabelUI::GetInterface(name);
}

void CListLabelElementUI::SetAttribute(std::string_view name, std::string_view value) {
    if (EqualsNoCase(name, "selected")) {
        if (ParseBool(value)) Select(true, false);
        return;
    }
    CLabelUI::SetAttribute(name, value);
}

void CListLabelElementUI::OnTextChanged() {
    CLabelUI::OnTextChanged();
    if (m_pOwner) m_pOwner->OnItemTextChanged(this);
}

// ---------------------------------------------------------------- container element
void* CListContainerElementUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "ListItem")) return static_cast<IListItemUI*>(this);
    if (EqualsNoCase(name, "ListContainerElement")) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

// ---------------------------------------------------------------- list
void* CListUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "List")) return this;
    if (EqualsNoCase(name, "IListOwner")) return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

QWidget* CListUI::CreateWidget() {
    auto* area = new detail::EventWidget<QScrollArea>(this);
    area->customPaint = false;
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(false);
    area->setStyleSheet("QScrollArea{background:transparent;}QScrollBar:vertical{background:#1A1C22;width:8px;}"
                        "QScrollBar::handle:vertical{background:#4A4F5B;border-radius:4px;min-height:20px;}"
                        "QScrollBar::add-line,QScrollBar::sub-line{height:0;}");
    m_content = new QWidget;
    m_content->setAttribute(Qt::WA_TranslucentBackground);
    m_content->setStyleSheet("background:transparent;");
    area->setWidget(m_content);
    area->viewport()->setAutoFillBackground(false);
    return area;
}

QWidget* CListUI::GetContentWidget() {
    GetWidget();
    return m_content;
}

void CListUI::OnWidgetResized() { Relayout(); }

void CListUI::ArrangeChildren(const QRect&) {
    auto* area = static_cast<QScrollArea*>(GetWidget());
    const int viewportH = area->viewport()->height();
    int total = 0;
    for (CControlUI* c : m_items)
        if (c->IsOwnVisible()) total += Scale(c->GetFixedHeight() > 0 ? c->GetFixedHeight() : m_iItemHeight);
    const bool scroll = total > viewportH;
    const int width = area->width() - (scroll ? area->verticalScrollBar()->sizeHint().width() : 0);
    m_content->resize(std::max(0, width), std::max(total, viewportH));
    int y = 0;
    for (CControlUI* c : m_items) {
        if (!c->IsOwnVisible()) continue;
        const int h = Scale(c->GetFixedHeight() > 0 ? c->GetFixedHeight() : m_iItemHeight);
        c->SetPos(QRect(0, y, std::max(0, width), h));
        y += h;
    }
}

void CListUI::Reindex() {
    for (int i = 0; i < GetCount(); ++i)
        if (IListItemUI* it = AsItem(GetItemAt(i))) it->SetIndex(i);
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!CVerticalLayoutUI::AddAt(control, index)) return false;
    if (IListItemUI* it = AsItem(control)) it->SetOwner(this);
    if (m_iCurSel >= index) ++m_iCurSel;
    Reindex();
    return true;
}

bool CListUI::Remove(CControlUI* control, bool doNotDestroy) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    if (IListItemUI* it = AsItem(control)) it->SetOwner(nullptr);
    if (!CVerticalLayoutUI::Remove(control, doNotDestroy)) return false;
    if (index == m_iCurSel) m_iCurSel = -1;
    else if (index < m_iCurSel) --m_iCurSel;
    Reindex();
    return true;
}

void CListUI::RemoveAll() {
    for (CControlUI* c : m_items)
        if (IListItemUI* it = AsItem(c)) it->SetOwner(nullptr);
    m_iCurSel = -1;
    CVerticalLayoutUI::RemoveAll();
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    if (index == m_iCurSel) return true;
    if (index >= GetCount() || index < -1) return false;
    const int old = m_iCurSel;
    if (IListItemUI* it = AsItem(GetItemAt(old))) it->SetSelectedFlag(false);
    m_iCurSel = index;
    if (index >= 0) {
        if (IListItemUI* it = AsItem(GetItemAt(index))) it->SetSelectedFlag(true);
        EnsureVisible(index);
        if (takeFocus) SetFocus();
    }
    if (triggerEvent && m_pManager) m_pManager->SendNotify(this, "itemselect", static_cast<uintptr_t>(index), old);
    return true;
}

void CListUI::UnselectItem(int index, bool triggerEvent) {
    if (index != m_iCurSel || index < 0) return;
    SelectItem(-1, false, triggerEvent);
}

void CListUI::EnsureVisible(int index) {
    CControlUI* c = GetItemAt(index);
    if (!c || !c->HasWidget()) return;
    auto* area = static_cast<QScrollArea*>(GetWidget());
    area->ensureWidgetVisible(c->GetWidget(), 0, 0);
}

void CListUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "itemheight") m_iItemHeight = ParseInt(value, 30);
    else if (name == "header" || name == "itemselectedbkcolor" || name == "itemhotbkcolor" || name == "vscrollbar" ||
             name == "itemtextcolor" || name == "itemshowhtml" || name == "itemalign" || name == "itemfont")
        {}
    else CVerticalLayoutUI::SetAttribute(rawName, value);
}

// ---------------------------------------------------------------- combo
void* CComboUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Combo")) return this;
    if (EqualsNoCase(name, "IListOwner")) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

QWidget* CComboUI::CreateWidget() {
    auto* w = new detail::EventWidget<QComboBox>(this);
    w->customPaint = false;
    m_holder = new QWidget(w);
    m_holder->hide();
    QObject::connect(w, &QComboBox::activated, [this](int index) { SelectItem(index, false, true); });
    return w;
}

void CComboUI::ApplyWidgetState() {
    CContainerUI::ApplyWidgetState();
    ApplyStyle();
    Rebuild();
}

void CComboUI::ApplyStyle() {
    if (!m_widget) return;
    auto hex = [](UIColor c) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "rgba(%u,%u,%u,%u)", (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, (c >> 24) & 0xFF);
        return std::string(buf);
    };
    const std::string bk = hex(m_dwBkColor ? m_dwBkColor : 0xFF1E2128);
    const std::string fg = hex(m_dwTextColor ? m_dwTextColor : 0xFFE6E6E6);
    const std::string css = "QComboBox{background:" + bk + ";color:" + fg +
                            ";border:1px solid #3A3F4B;border-radius:3px;padding:0 6px;}"
                            "QComboBox:focus{border-color:#FF4655;}QComboBox::drop-down{border:0;width:18px;}"
                            "QComboBox QAbstractItemView{background:#1E2128;color:" + fg +
                            ";selection-background-color:#FF4655;border:1px solid #3A3F4B;}";
    m_widget->setStyleSheet(QString::fromStdString(css));
}

QWidget* CComboUI::GetContentWidget() {
    GetWidget();
    return m_holder;
}

void CComboUI::Rebuild() {
    if (!m_widget) return;
    auto* box = static_cast<QComboBox*>(m_widget.data());
    const QSignalBlocker block(box);
    box->clear();
    for (CControlUI* c : m_items) box->addItem(QString::fromStdString(c->GetText()));
    box->setCurrentIndex(m_iCurSel);
}

void CComboUI::OnItemTextChanged(CControlUI* item) {
    const int i = GetItemIndex(item);
    if (i < 0 || !m_widget) return;
    auto* box = static_cast<QComboBox*>(m_widget.data());
    const QSignalBlocker block(box);
    box->setItemText(i, QString::fromStdString(item->GetText()));
}

bool CComboUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (IListItemUI* it = AsItem(control)) it->SetOwner(this);
    for (int i = 0; i < GetCount(); ++i)
        if (IListItemUI* it = AsItem(GetItemAt(i))) it->SetIndex(i);
    if (m_iCurSel >= index) ++m_iCurSel;
    if (IListItemUI* it = AsItem(control); it && it->IsSelected()) m_iCurSel = index;
    Rebuild();
    return true;
}

bool CComboUI::Remove(CControlUI* control, bool doNotDestroy) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    if (IListItemUI* it = AsItem(control)) it->SetOwner(nullptr);
    CContainerUI::Remove(control, doNotDestroy);
    if (index == m_iCurSel) m_iCurSel = -1;
    else if (index < m_iCurSel) --m_iCurSel;
    for (int i = 0; i < GetCount(); ++i)
        if (IListItemUI* it = AsItem(GetItemAt(i))) it->SetIndex(i);
    Rebuild();
    return true;
}

void CComboUI::RemoveAll() {
    for (CControlUI* c : m_items)
        if (IListItemUI* it = AsItem(c)) it->SetOwner(nullptr);
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    Rebuild();
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    if (index == m_iCurSel) return true;
    if (index >= GetCount() || index < -1) return false;
    const int old = m_iCurSel;
    if (IListItemUI* it = AsItem(GetItemAt(old))) it->SetSelectedFlag(false);
    m_iCurSel = index;
    if (IListItemUI* it = AsItem(GetItemAt(index))) it->SetSelectedFlag(true);
    if (m_widget) {
        auto* box = static_cast<QComboBox*>(m_widget.data());
        const QSignalBlocker block(box);
        box->setCurrentIndex(index);
    }
    if (takeFocus) SetFocus();
    if (triggerEvent && m_pManager) m_pManager->SendNotify(this, "itemselect", static_cast<uintptr_t>(index), old);
    return true;
}

std::string CComboUI::GetText() const {
    if (CControlUI* c = GetItemAt(m_iCurSel)) return c->GetText();
    return CContainerUI::GetText();
}

void CComboUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    UIColor c = 0;
    if (name == "textcolor" || name == "itemtextcolor") {
        if (ParseColor(value, c)) m_dwTextColor = c;
        ApplyStyle();
    } else if (name == "bkcolor") {
        CContainerUI::SetAttribute(rawName, value);
        ApplyStyle();
    } else if (name == "dropboxsize" || name == "textpadding" || name == "normalimage" || name == "hotimage" ||
               name == "pushedimage" || name == "itemfont" || name == "itemalign" || name == "vscrollbar" ||
               name == "itemselectedbkcolor" || name == "itemhotbkcolor") {
    } else {
        CContainerUI::SetAttribute(rawName, value);
    }
}

} // namespace ui
