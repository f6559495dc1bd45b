#include "ui/UIControl.h"

#include "ui/UIContainer.h"
#include "ui/UIImage.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"
#include "ui/UIWidget_p.h"

#include <QPainter>
#include <QPainterPath>

namespace ui {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_bResourceText) CResourceManager::GetInstance().UnregisterTextControl(this);
    if (m_pManager) m_pManager->KillTimer(this);
    // m_link is the widget itself; a parent widget may already have deleted it.
    if (m_link && m_widget) m_link->control = nullptr;
    if (m_widget) {
        m_widget->blockSignals(true);
        delete m_widget.data();
    }
}

void* CControlUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Control")) return this;
    return nullptr;
}

void CControlUI::SetName(const std::string& name) {
    m_sName = name;
    if (m_widget) m_widget->setObjectName(QString::fromStdString(name));
}

std::string CControlUI::GetText() const {
    if (m_bResourceText) return CResourceManager::GetInstance().GetText(m_sText);
    return m_sText;
}

void CControlUI::SetText(const std::string& text) {
    if (m_sText == text) return;
    m_sText = text;
    OnTextChanged();
}

void CControlUI::SetResourceText(bool resource) {
    if (m_bResourceText == resource) return;
    m_bResourceText = resource;
    if (resource) CResourceManager::GetInstance().RegisterTextControl(this);
    else CResourceManager::GetInstance().UnregisterTextControl(this);
    OnTextChanged();
}

void CControlUI::ReloadText() {
    OnTextChanged();
    if (m_widget && !m_sToolTip.empty()) m_widget->setToolTip(QString::fromStdString(GetToolTip()));
}

void CControlUI::OnTextChanged() { Invalidate(); }

std::string CControlUI::GetToolTip() const {
    // A resource-text control's tooltip is a key as well.
    if (m_bResourceText && CResourceManager::GetInstance().HasText(m_sToolTip))
        return CResourceManager::GetInstance().GetText(m_sToolTip);
    return m_sToolTip;
}

void CControlUI::SetToolTip(const std::string& tip) {
    m_sToolTip = tip;
    if (m_widget) m_widget->setToolTip(QString::fromStdString(GetToolTip()));
}

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    m_bVisible = visible;
    if (m_widget && m_widget->parentWidget()) m_widget->setVisible(IsVisible());
    NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    m_bInternVisible = visible;
    if (m_widget && m_widget->parentWidget()) m_widget->setVisible(IsVisible());
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_bEnabled == enabled) return;
    m_bEnabled = enabled;
    if (m_widget) m_widget->setEnabled(enabled);
    Invalidate();
}

bool CControlUI::IsFocused() const { return m_widget && m_widget->hasFocus(); }

void CControlUI::SetFocus() {
    if (m_widget) m_widget->setFocus(Qt::OtherFocusReason);
}

void CControlUI::SetBkColor(UIColor color) {
    if (m_dwBkColor == color) return;
    m_dwBkColor = color;
    Invalidate();
}
void CControlUI::SetBorderColor(UIColor color) { m_dwBorderColor = color; Invalidate(); }
void CControlUI::SetBorderSize(int size) { m_nBorderSize = size; Invalidate(); }
void CControlUI::SetBorderRound(UISize round) { m_cxyBorderRound = round; Invalidate(); }
void CControlUI::SetBkImage(const std::string& image) {
    if (m_sBkImage == image) return;
    m_sBkImage = image;
    Invalidate();
}
void CControlUI::SetForeImage(const std::string& image) {
    if (m_sForeImage == image) return;
    m_sForeImage = image;
    Invalidate();
}
void CControlUI::SetFont(int id) {
    m_iFont = id;
    ApplyFontToWidget();
    Invalidate();
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0 || m_cxyFixed.cx == cx) return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}
void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0 || m_cxyFixed.cy == cy) return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}
void CControlUI::SetPadding(UIRect rc) { m_rcPadding = rc; NeedParentUpdate(); }
void CControlUI::SetFloat(bool f) { m_bFloat = f; NeedParentUpdate(); }
void CControlUI::SetFloatPos(UIRect rc) {
    m_rcFloat = rc;
    NeedParentUpdate();
}

UIRect CControlUI::GetPos() const {
    if (!m_widget) return {};
    QWidget* top = m_widget->window();
    const QPoint o = m_widget->mapTo(top, QPoint(0, 0));
    return UIRect{o.x(), o.y(), o.x() + m_widget->width(), o.y() + m_widget->height()};
}

UIRect CControlUI::GetRelativePos() const {
    if (!m_widget) return {};
    const QRect g = m_widget->geometry();
    return UIRect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void CControlUI::SetPos(const QRect& rc) {
    QWidget* w = GetWidget();
    if (w->geometry() != rc) w->setGeometry(rc);
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    m_pManager = manager;
    m_pParent = parent;
    if (init && manager) Init();
}

void CControlUI::Init() {
    if (m_bInited) return;
    m_bInited = true;
    ApplyFontToWidget();
    DoInit();
}

void CControlUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    const std::string v(value);
    UIColor c = 0;
    if (name == "name") SetName(v);
    else if (name == "text") SetText(v);
    else if (name == "tooltip") SetToolTip(v);
    else if (name == "userdata") SetUserData(v);
    else if (name == "virtualwnd") SetVirtualWnd(v);
    else if (name == "resourcetext") SetResourceText(ParseBool(v));
    else if (name == "visible") SetVisible(ParseBool(v));
    else if (name == "enabled") SetEnabled(ParseBool(v));
    else if (name == "width") SetFixedWidth(ParseInt(v));
    else if (name == "height") SetFixedHeight(ParseInt(v));
    else if (name == "minwidth") m_cxyMin.cx = ParseInt(v);
    else if (name == "minheight") m_cxyMin.cy = ParseInt(v);
    else if (name == "maxwidth") m_cxyMax.cx = ParseInt(v);
    else if (name == "maxheight") m_cxyMax.cy = ParseInt(v);
    else if (name == "padding") SetPadding(ParseRect(v));
    else if (name == "float") SetFloat(ParseBool(v));
    else if (name == "pos") {
        const UIRect rc = ParseRect(v);
        SetFloatPos(rc);
        if (m_cxyFixed.cx == 0) m_cxyFixed.cx = rc.Width();
        if (m_cxyFixed.cy == 0) m_cxyFixed.cy = rc.Height();
    }
    else if (name == "bkcolor") { if (ParseColor(v, c)) SetBkColor(c); }
    else if (name == "bordercolor") { if (ParseColor(v, c)) SetBorderColor(c); }
    else if (name == "bordersize") SetBorderSize(ParseInt(v));
    else if (name == "borderround") {
        const UISize s = ParseSize(v);
        SetBorderRound(s);
    }
    else if (name == "bkimage") SetBkImage(v);
    else if (name == "foreimage") SetForeImage(v);
    else if (name == "font") SetFont(ParseInt(v, -1));
    else if (name == "style") {
        if (m_pManager) ApplyAttributeList(m_pManager->GetStyle(v));
    }
}

void CControlUI::ApplyAttributeList(std::string_view list) {
    for (auto& [n, v] : ParseAttributeList(list)) SetAttribute(n, v);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEvent::Timer:
        if (m_pManager) m_pManager->SendNotify(this, "timer", event.wParam, event.lParam);
        break;
    case UIEvent::SetFocus:
        if (m_pManager) m_pManager->SendNotify(this, "setfocus");
        break;
    case UIEvent::KillFocus:
        if (m_pManager) m_pManager->SendNotify(this, "killfocus");
        break;
    default:
        event.bPassOn = true;
        break;
    }
}

void CControlUI::DoPaint(QPainter& p, const QRect& rc) {
    PaintBkColor(p, rc);
    PaintBkImage(p, rc);
    PaintStatusImage(p, rc);
    PaintText(p, rc);
    PaintBorder(p, rc);
}

static QColor ToQColor(UIColor c) {
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, (c >> 24) & 0xFF);
}

void CControlUI::PaintBkColor(QPainter& p, const QRect& rc) {
    if (m_dwBkColor == 0) return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath path;
        path.addRoundedRect(QRectF(rc), m_cxyBorderRound.cx / 2.0, m_cxyBorderRound.cy / 2.0);
        p.fillPath(path, ToQColor(m_dwBkColor));
    } else {
        p.fillRect(rc, ToQColor(m_dwBkColor));
    }
}

void CControlUI::PaintBkImage(QPainter& p, const QRect& rc) {
    if (!m_sBkImage.empty()) DrawImageDesc(p, rc, m_sBkImage);
}

void CControlUI::PaintStatusImage(QPainter&, const QRect&) {}
void CControlUI::PaintText(QPainter&, const QRect&) {}

void CControlUI::PaintBorder(QPainter& p, const QRect& rc) {
    if (m_nBorderSize <= 0 || m_dwBorderColor == 0) return;
    QPen pen(ToQColor(m_dwBorderColor));
    pen.setWidth(m_nBorderSize);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const int half = m_nBorderSize / 2;
    const QRect r = rc.adjusted(half, half, -half - (m_nBorderSize % 2 ? 1 : 0), -half - (m_nBorderSize % 2 ? 1 : 0));
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawRoundedRect(r, m_cxyBorderRound.cx / 2.0, m_cxyBorderRound.cy / 2.0);
    } else {
        p.drawRect(r);
    }
}

void CControlUI::Invalidate() {
    ++m_invalidateCount;
    if (m_widget) m_widget->update();
}

void CControlUI::NeedParentUpdate() {
    if (m_pParent) m_pParent->NeedUpdate();
    else if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedUpdate() {
    if (m_pManager) m_pManager->NeedUpdate();
}

QWidget* CControlUI::GetWidget() {
    if (!m_widget) {
        QWidget* w = CreateWidget();
        m_widget = w;
        m_link = dynamic_cast<detail::ControlLink*>(w);
        ApplyWidgetState();
    }
    return m_widget.data();
}

QWidget* CControlUI::CreateWidget() {
    auto* w = new detail::PlainWidget(this);
    w->setAttribute(Qt::WA_Hover, false);
    return w;
}

void CControlUI::ApplyWidgetState() {
    QWidget* w = m_widget.data();
    if (!m_sName.empty()) w->setObjectName(QString::fromStdString(m_sName));
    if (!m_sToolTip.empty()) w->setToolTip(QString::fromStdString(GetToolTip()));
    w->setEnabled(m_bEnabled);
    ApplyFontToWidget();
}

QFont CControlUI::ResolveFont() const {
    if (m_pManager) return m_pManager->GetFont(m_iFont);
    return QFont();
}

void CControlUI::ApplyFontToWidget() {
    if (m_widget && m_pManager) m_widget->setFont(ResolveFont());
}

void CControlUI::AttachWidget(QWidget* parentWidget) {
    QWidget* w = GetWidget();
    if (!m_sName.empty()) w->setObjectName(QString::fromStdString(m_sName));
    if (w->parentWidget() != parentWidget) w->setParent(parentWidget);
    w->setVisible(IsVisible());
}

} // namespace ui
