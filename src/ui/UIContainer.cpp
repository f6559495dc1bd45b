#include "ui/UIContainer.h"

#include "ui/UIManager.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

namespace ui {

namespace {
std::vector<CControlUI*>& PendingDeletes() {
    static std::vector<CControlUI*> pending;
    return pending;
}
bool g_flushQueued = false;
} // namespace

void FlushDeferredDeletes() {
    g_flushQueued = false;
    auto pending = std::move(PendingDeletes());
    PendingDeletes().clear();
    for (CControlUI* c : pending) delete c;
}

void DeferDeleteControl(CControlUI* control) {
    if (!control) return;
    if (control->HasWidget()) control->GetWidget()->hide();
    if (!QCoreApplication::instance()) {
        delete control;
        return;
    }
    PendingDeletes().push_back(control);
    // Controls removed just before the application ends would otherwise never be freed.
    static const bool flushAtExit = [] {
        qAddPostRoutine(FlushDeferredDeletes);
        return true;
    }();
    (void)flushAtExit;
    if (!g_flushQueued) {
        g_flushQueued = true;
        QTimer::singleShot(0, [] { FlushDeferredDeletes(); });
    }
}

CContainerUI::~CContainerUI() {
    // Children (and their widgets) go before this container's widget.
    for (CControlUI* c : m_items) delete c;
    m_items.clear();
}

void* CContainerUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Container")) return this;
    return CControlUI::GetInterface(name);
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > GetCount()) return false;
    m_items.insert(m_items.begin() + index, control);
    control->m_pParent = this;
    control->AttachWidget(GetContentWidget());
    control->SetInternVisible(IsVisible());
    if (m_pManager) control->SetManager(m_pManager, this, m_bInited);
    NeedUpdate();
    return true;
}

void CContainerUI::DetachChild(CControlUI* control) {
    if (CPaintManagerUI* m = control->GetManager()) {
        // Timers and groups must not outlive the tree the control left.
        std::vector<CControlUI*> stack{control};
        while (!stack.empty()) {
            CControlUI* c = stack.back();
            stack.pop_back();
            m->KillTimer(c);
            if (auto* box = static_cast<CContainerUI*>(c->GetInterface("Container")))
                for (CControlUI* k : box->m_items) stack.push_back(k);
        }
        control->SetManager(nullptr, nullptr, false);
    }
    control->m_pParent = nullptr;
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
    auto it = std::find(m_items.begin(), m_items.end(), control);
    if (it == m_items.end()) return false;
    m_items.erase(it);
    DetachChild(control);
    if (doNotDestroy) {
        if (control->HasWidget()) {
            control->GetWidget()->hide();
            control->GetWidget()->setParent(nullptr);
        }
    } else {
        DeferDeleteControl(control);
    }
    NeedUpdate();
    return true;
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
    CControlUI* c = GetItemAt(index);
    return c && Remove(c, doNotDestroy);
}

void CContainerUI::RemoveAll() {
    auto items = std::move(m_items);
    m_items.clear();
    for (CControlUI* c : items) {
        DetachChild(c);
        DeferDeleteControl(c);
    }
    NeedUpdate();
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[static_cast<size_t>(index)];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto it = std::find(m_items.begin(), m_items.end(), control);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    const int from = GetItemIndex(control);
    if (from < 0 || index < 0 || index >= GetCount()) return false;
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + index, control);
    NeedUpdate();
    return true;
}

void CContainerUI::SetInset(UIRect rc) { m_rcInset = rc; NeedUpdate(); }
void CContainerUI::SetChildPadding(int padding) { m_iChildPadding = padding; NeedUpdate(); }

CControlUI* CContainerUI::FindSubControl(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (CControlUI* c : m_items) {
        if (c->GetName() == name) return c;
        if (auto* box = static_cast<CContainerUI*>(c->GetInterface("Container")))
            if (CControlUI* f = box->FindSubControl(name)) return f;
    }
    return nullptr;
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    for (CControlUI* c : m_items) c->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

void CContainerUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    CControlUI::SetVisible(visible);
    for (CControlUI* c : m_items) c->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (CControlUI* c : m_items) c->SetInternVisible(IsVisible());
}

void CContainerUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "inset") SetInset(ParseRect(value));
    else if (name == "childpadding") SetChildPadding(ParseInt(value));
    else CControlUI::SetAttribute(rawName, value);
}

void CContainerUI::SetPos(const QRect& rc) {
    QWidget* w = GetWidget();
    const bool resized = w->size() != rc.size();
    if (w->geometry() != rc) w->setGeometry(rc);
    if (resized || m_bDirty) Relayout();
}

void CContainerUI::NeedUpdate() {
    m_bDirty = true;
    if (m_pManager) m_pManager->NeedUpdate();
}

void CContainerUI::OnWidgetResized() {
    if (m_widget && m_widget->size() != m_lastArranged) Relayout();
}

void CContainerUI::Relayout() {
    QWidget* content = GetContentWidget();
    m_bDirty = false;
    m_lastArranged = GetWidget()->size();
    ArrangeChildren(QRect(QPoint(0, 0), content->size()));
}

int CContainerUI::Scale(int v) {
    const double s = CPaintManagerUI::GetDPIScale();
    return static_cast<int>(v * s + (v >= 0 ? 0.5 : -0.5));
}

void CContainerUI::ArrangeFloat(CControlUI* child, const QRect& content) {
    const UIRect p = child->GetFloatPos();
    const int w = Scale(child->GetFixedWidth() > 0 ? child->GetFixedWidth() : p.Width());
    const int h = Scale(child->GetFixedHeight() > 0 ? child->GetFixedHeight() : p.Height());
    child->SetPos(QRect(content.left() + Scale(p.left), content.top() + Scale(p.top), std::max(0, w), std::max(0, h)));
}

void CContainerUI::ArrangeChildren(const QRect& content) {
    const QRect rc = content.adjusted(Scale(m_rcInset.left), Scale(m_rcInset.top), -Scale(m_rcInset.right),
                                      -Scale(m_rcInset.bottom));
    for (CControlUI* c : m_items) {
        if (!c->IsOwnVisible()) continue;
        if (c->IsFloat()) {
            ArrangeFloat(c, content);
            continue;
        }
        const UIRect pad = c->GetPadding();
        QRect r = rc.adjusted(Scale(pad.left), Scale(pad.top), -Scale(pad.right), -Scale(pad.bottom));
        if (c->GetFixedWidth() > 0) r.setWidth(Scale(c->GetFixedWidth()));
        if (c->GetFixedHeight() > 0) r.setHeight(Scale(c->GetFixedHeight()));
        c->SetPos(QRect(r.topLeft(), r.size().expandedTo(QSize(0, 0))));
    }
}

void CContainerUI::ArrangeLinear(const QRect& content, bool vertical) {
    const QRect rc = content.adjusted(Scale(m_rcInset.left), Scale(m_rcInset.top), -Scale(m_rcInset.right),
                                      -Scale(m_rcInset.bottom));
    const int along = vertical ? rc.height() : rc.width();
    int fixedSum = 0, stretchCount = 0, count = 0;
    for (CControlUI* c : m_items) {
        if (!c->IsOwnVisible() || c->IsFloat()) continue;
        const UIRect pad = c->GetPadding();
        const int fixed = vertical ? c->GetFixedHeight() : c->GetFixedWidth();
        fixedSum += Scale(vertical ? pad.top + pad.bottom : pad.left + pad.right);
        if (fixed > 0) fixedSum += Scale(fixed);
        else ++stretchCount;
        ++count;
    }
    if (count > 1) fixedSum += Scale(m_iChildPadding) * (count - 1);
    int remain = std::max(0, along - fixedSum);
    int stretchLeft = stretchCount;
    int pos = vertical ? rc.top() : rc.left();
    for (CControlUI* c : m_items) {
        if (!c->IsOwnVisible()) continue;
        if (c->IsFloat()) {
            ArrangeFloat(c, content);
            continue;
        }
        const UIRect pad = c->GetPadding();
        const int fixed = vertical ? c->GetFixedHeight() : c->GetFixedWidth();
        int size;
        if (fixed > 0) {
            size = Scale(fixed);
        } else {
            size = stretchLeft > 1 ? remain / stretchLeft : remain;
            const int minSize = Scale(vertical ? c->GetMinHeight() : c->GetMinWidth());
            size = std::max(size, minSize);
            remain = std::max(0, remain - size);
            --stretchLeft;
        }
        QRect r;
        if (vertical) {
            pos += Scale(pad.top);
            const int x = rc.left() + Scale(pad.left);
            int w = rc.width() - Scale(pad.left) - Scale(pad.right);
            if (c->GetFixedWidth() > 0) w = Scale(c->GetFixedWidth());
            r = QRect(x, pos, std::max(0, w), std::max(0, size));
            pos += size + Scale(pad.bottom) + Scale(m_iChildPadding);
        } else {
            pos += Scale(pad.left);
            const int y = rc.top() + Scale(pad.top);
            int h = rc.height() - Scale(pad.top) - Scale(pad.bottom);
            if (c->GetFixedHeight() > 0) h = Scale(c->GetFixedHeight());
            r = QRect(pos, y, std::max(0, size), std::max(0, h));
            pos += size + Scale(pad.right) + Scale(m_iChildPadding);
        }
        c->SetPos(r);
    }
}

void* CVerticalLayoutUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "VerticalLayout")) return this;
    return CContainerUI::GetInterface(name);
}

void* CHorizontalLayoutUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "HorizontalLayout")) return this;
    return CContainerUI::GetInterface(name);
}

void* CTabLayoutUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "TabLayout")) return this;
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (m_iCurSel < 0 && control->IsOwnVisible()) {
        m_iCurSel = index;
    } else {
        if (index <= m_iCurSel) ++m_iCurSel;
        control->SetVisible(false);
    }
    if (m_iPendingSel >= 0 && m_iPendingSel < GetCount()) {
        const int sel = m_iPendingSel;
        m_iPendingSel = -1;
        SelectItem(sel);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
    const int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control, doNotDestroy)) return false;
    if (index == m_iCurSel) {
        m_iCurSel = -1;
        if (GetCount() > 0) SelectItem(std::min(index, GetCount() - 1));
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index, bool triggerEvent) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_iCurSel) return true;
    const int old = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
    if (triggerEvent && m_pManager) m_pManager->SendNotify(this, "tabselect", static_cast<uintptr_t>(index), old);
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control, bool triggerEvent) {
    const int index = GetItemIndex(control);
    return index >= 0 && SelectItem(index, triggerEvent);
}

void CTabLayoutUI::SetAttribute(std::string_view rawName, std::string_view value) {
    if (EqualsNoCase(rawName, "selectedid")) {
        const int sel = ParseInt(value, 0);
        if (!SelectItem(sel)) m_iPendingSel = sel;
        return;
    }
    CContainerUI::SetAttribute(rawName, value);
}

} // namespace ui
