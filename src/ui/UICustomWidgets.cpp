#include "ui/UICustomWidgets.h"

#include "ui/UIBuilder.h"
#include "ui/UIImage.h"
#include "ui/UIManager.h"
#include "ui/UIWidget_p.h"

#include <QAbstractButton>
#include <QImage>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace ui {

static QColor Q(UIColor c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, (c >> 24) & 0xFF); }

// ---------------------------------------------------------------- CircleProgress
void* CCircleProgressUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "CircleProgress")) return this;
    return CProgressUI::GetInterface(name);
}

double CCircleProgressUI::SweepDegrees(int value, int minValue, int maxValue) {
    if (maxValue <= minValue) return 0.0;
    return double(value) * 360.0 / double(maxValue - minValue);
}

void CCircleProgressUI::DoPaint(QPainter& p, const QRect& rc) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const QRectF r(rc);
    p.setBrush(Q(m_dwBkColor));
    p.drawEllipse(r);
    const double sweep = SweepDegrees(m_nValue, m_nMin, m_nMax);
    if (sweep != 0.0) {
        // Starts at the bottom and runs clockwise (Qt counts angles counter-clockwise).
        p.setBrush(Q(m_dwForeColor));
        p.drawPie(r, -90 * 16, -static_cast<int>(std::lround(sweep * 16)));
    }
    const double inset = 10 * CPaintManagerUI::GetDPIScale();
    p.setBrush(QColor(255, 255, 255, 255));
    p.drawEllipse(r.adjusted(inset, inset, -inset, -inset));
    PaintText(p, rc);
}

// ---------------------------------------------------------------- DeviceKeyButton
void* CDeviceKeyButtonUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "DeviceKeyButton")) return this;
    return CButtonUI::GetInterface(name);
}

void CDeviceKeyButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "lightimage") { m_sLightImage = std::string(value); Invalidate(); }
    else if (name == "keysetimage") SetKeySetImage(std::string(value));
    else if (name == "gmnametextcolor") ParseColor(value, m_dwGmNameTextColor);
    else CButtonUI::SetAttribute(rawName, value);
}

void CDeviceKeyButtonUI::SetKeySetImage(const std::string& image) {
    if (m_sKeySetImage == image) return;
    m_sKeySetImage = image;
    if (!m_bKeyImageHidden) Invalidate();
}

void CDeviceKeyButtonUI::SetLightOverlay(bool show, int p1, int p2) {
    if (m_bOverlay == show && m_p1 == p1 && m_p2 == p2) return;
    m_bOverlay = show;
    m_p1 = p1;
    m_p2 = p2;
    Invalidate();
}

void CDeviceKeyButtonUI::SetKeyImageHidden(bool hidden) {
    if (m_bKeyImageHidden == hidden) return;
    m_bKeyImageHidden = hidden;
    Invalidate();
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (m_bSelected == selected) return;
    m_bSelected = selected;
    Invalidate();
}

void CDeviceKeyButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEvent::DblClick && IsEnabled()) {
        if (m_pManager) m_pManager->SendNotify(this, "dbclick");
        event.bPassOn = true; // the button also shows pushed
        return;
    }
    CButtonUI::DoEvent(event);
}

void CDeviceKeyButtonUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    CButtonUI::PaintStatusImage(p, rc);
    if (m_bOverlay && !m_sLightImage.empty()) {
        const ImageDesc d = ParseImageDesc(m_sLightImage);
        if (m_p2 > 0 && m_dwBkColor != 0) {
            // The light glyph takes the key's LED colour.
            QImage layer(rc.size(), QImage::Format_ARGB32_Premultiplied);
            layer.fill(Qt::transparent);
            QPainter lp(&layer);
            DrawImage(lp, QRect(QPoint(0, 0), rc.size()), d);
            lp.setCompositionMode(QPainter::CompositionMode_SourceAtop);
            QColor c = Q(m_dwBkColor | 0xFF000000u);
            c.setAlpha(std::clamp(m_p2, 0, 255));
            lp.fillRect(layer.rect(), c);
            lp.end();
            const qreal old = p.opacity();
            p.setOpacity(old * std::clamp(m_p1, 0, 255) / 255.0);
            p.drawImage(rc.topLeft(), layer);
            p.setOpacity(old);
        } else {
            DrawImage(p, rc, d, m_p1);
        }
    }
    if (!m_bKeyImageHidden && !m_sKeySetImage.empty()) DrawImageDesc(p, rc, m_sKeySetImage);
}

void CDeviceKeyButtonUI::PaintBorder(QPainter& p, const QRect& rc) {
    CButtonUI::PaintBorder(p, rc);
    if (m_bSelected) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Q(0xFFFF4655), 2));
        p.drawRoundedRect(QRectF(rc).adjusted(1, 1, -1, -1), 3, 3);
    }
}

// ---------------------------------------------------------------- HandImgButton
void* CHandImgButtonUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "HandImgButton")) return this;
    return CButtonUI::GetInterface(name);
}

void CHandImgButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "handimage") { m_sHandImage = std::string(value); Invalidate(); }
    else if (name == "deletenormalimage") m_sDeleteNormalImage = std::string(value);
    else if (name == "deletehotimage") m_sDeleteHotImage = std::string(value);
    else CButtonUI::SetAttribute(rawName, value);
}

static bool Inside(CControlUI* c, UIPoint pt) {
    QWidget* w = c->GetWidget();
    return pt.x >= 0 && pt.y >= 0 && pt.x < w->width() && pt.y < w->height();
}

// Hover and capture handling shared by the two hand-image buttons.
static bool HandHover(CButtonUI* self, TEventUI& e, bool& hot) {
    if (e.Type == UIEvent::MouseEnter) {
        if (self->IsEnabled()) {
            hot = true;
            self->Invalidate();
            if (self->GetManager()) self->GetManager()->SendNotify(self, "msenter");
        }
        return true;
    }
    if (e.Type == UIEvent::MouseLeave) {
        if (self->IsEnabled()) {
            hot = false;
            self->Invalidate();
            if (self->GetManager()) self->GetManager()->SendNotify(self, "msleave");
        }
        return true;
    }
    return false;
}

void CHandImgButtonUI::DoEvent(TEventUI& e) {
    if (HandHover(this, e, m_bHotState)) return;
    switch (e.Type) {
    case UIEvent::ButtonDown:
    case UIEvent::DblClick:
        if (IsEnabled() && Inside(this, e.ptMouse)) {
            m_bPushedState = m_bCaptured = true;
            Invalidate();
        }
        return;
    case UIEvent::MouseMove:
        return;
    case UIEvent::ButtonUp:
        if (m_bCaptured) {
            m_bPushedState = m_bCaptured = false;
            Invalidate();
            if (Inside(this, e.ptMouse)) Activate();
        }
        return;
    default:
        CButtonUI::DoEvent(e);
    }
}

void CHandImgButtonUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    CButtonUI::PaintStatusImage(p, rc);
    if (!m_sHandImage.empty()) DrawImageDesc(p, rc, m_sHandImage);
}

// ---------------------------------------------------------------- HandImgSelectButton
void* CHandImgSelectButtonUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "HandImgSelectButton")) return this;
    return CButtonUI::GetInterface(name);
}

bool CHandImgSelectButtonUI::CursorShapeForName(std::string_view name, int& shape) {
    static const std::pair<const char*, Qt::CursorShape> table[] = {
        {"arrow", Qt::ArrowCursor},      {"ibeam", Qt::IBeamCursor},       {"wait", Qt::WaitCursor},
        {"cross", Qt::CrossCursor},      {"uparrow", Qt::UpArrowCursor},   {"size", Qt::SizeAllCursor},
        {"icon", Qt::ArrowCursor},       {"sizenwse", Qt::SizeFDiagCursor}, {"sizenesw", Qt::SizeBDiagCursor},
        {"sizewe", Qt::SizeHorCursor},   {"sizens", Qt::SizeVerCursor},    {"sizeall", Qt::SizeAllCursor},
        {"no", Qt::ForbiddenCursor},     {"hand", Qt::PointingHandCursor},
    };
    for (const auto& [n, s] : table) {
        if (EqualsNoCase(name, n)) {
            shape = s;
            return true;
        }
    }
    return false;
}

void CHandImgSelectButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "handimage") SetHandImage(std::string(value));
    else if (name == "cursor") {
        int shape = 0;
        if (CursorShapeForName(value, shape)) GetWidget()->setCursor(QCursor(static_cast<Qt::CursorShape>(shape)));
    } else {
        CButtonUI::SetAttribute(rawName, value);
        if (name == "width" || name == "height") SetHandImage(m_sFile);
    }
}

void CHandImgSelectButtonUI::SetHandImage(const std::string& file) {
    m_sFile = file;
    const QPixmap pm = LoadSkinImage(file);
    m_image = UISize{pm.width(), pm.height()};
    const int cw = GetFixedWidth() > 0 ? GetFixedWidth() : (HasWidget() ? GetWidget()->width() : 0);
    const int ch = GetFixedHeight() > 0 ? GetFixedHeight() : (HasWidget() ? GetWidget()->height() : 0);
    m_bPanning = !pm.isNull() && cw > 0 && ch > 0 && (m_image.cx > cw || m_image.cy > ch);
    m_rcSource = m_bPanning ? UIRect{0, 0, cw, ch} : UIRect{0, 0, m_image.cx, m_image.cy};
    UpdateDesc();
}

void CHandImgSelectButtonUI::UpdateDesc() {
    if (!m_bPanning) {
        m_sDesc = m_sFile;
    } else {
        char buf[96];
        std::snprintf(buf, sizeof buf, "source='%d,%d,%d,%d'", m_rcSource.left, m_rcSource.top, m_rcSource.right,
                      m_rcSource.bottom);
        m_sDesc = "file='" + m_sFile + "' " + buf;
    }
    Invalidate();
}

void CHandImgSelectButtonUI::DoEvent(TEventUI& e) {
    if (HandHover(this, e, m_bHotState)) return;
    switch (e.Type) {
    case UIEvent::ButtonDown:
    case UIEvent::DblClick:
        if (IsEnabled() && Inside(this, e.ptMouse)) {
            m_ptPress = e.ptMouse;
            m_bDragging = true;
        }
        return;
    case UIEvent::MouseMove:
        if (m_bDragging) {
            if (m_bPanning) {
                // The picture follows the pointer: the source moves the other way,
                // kept inside the image.
                const int w = m_rcSource.Width(), h = m_rcSource.Height();
                int left = m_rcSource.left - (e.ptMouse.x - m_ptPress.x);
                int top = m_rcSource.top - (e.ptMouse.y - m_ptPress.y);
                left = std::clamp(left, 0, std::max(0, m_image.cx - w));
                top = std::clamp(top, 0, std::max(0, m_image.cy - h));
                m_rcSource = UIRect{left, top, left + w, top + h};
                UpdateDesc();
            }
            m_ptPress = e.ptMouse;
        }
        return;
    case UIEvent::ButtonUp:
        m_bDragging = false;
        return;
    default:
        CButtonUI::DoEvent(e);
    }
}

void CHandImgSelectButtonUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    CButtonUI::PaintStatusImage(p, rc);
    if (!m_sDesc.empty()) {
        if (m_bPanning) {
            // Source and destination are the same size: the picture is shown 1:1.
            ImageDesc d = ParseImageDesc(m_sDesc);
            const double s = CPaintManagerUI::GetDPIScale();
            DrawImage(p, QRect(rc.topLeft(), QSize(int(d.source.Width() * s), int(d.source.Height() * s))), d);
        } else {
            DrawImageDesc(p, rc, m_sDesc);
        }
    }
}

// ---------------------------------------------------------------- RedioMacroButton
void* CRedioMacroButtonUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "RedioMacroButton")) return this;
    return CButtonUI::GetInterface(name);
}

void CRedioMacroButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    if (EqualsNoCase(rawName, "redioimage")) {
        m_sRedioImage = std::string(value);
        return;
    }
    CButtonUI::SetAttribute(rawName, value);
}

void CRedioMacroButtonUI::StepFade() {
    if (m_sRedioImage.empty()) return;
    if (m_nFade > 254) m_bFadeUp = false;
    else if (m_nFade <= 80) m_bFadeUp = true;
    m_nFade = std::clamp(m_nFade + (m_bFadeUp ? 20 : -20), 80, 255);
    char buf[32];
    std::snprintf(buf, sizeof buf, "fade='%d'", m_nFade);
    SetNormalImage("res='" + m_sRedioImage + "' " + buf);
}

void CRedioMacroButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEvent::Timer && event.wParam == kBlinkTimer && !m_sRedioImage.empty()) {
        StepFade();
        return;
    }
    CButtonUI::DoEvent(event);
}

// ---------------------------------------------------------------- SelectPanel
namespace {
class BandOverlay : public QWidget {
public:
    BandOverlay(CSelectPanelUI* panel, QWidget* parent) : QWidget(parent), m_panel(panel) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    CSelectPanelUI* m_panel;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_panel || !m_panel->IsSelecting()) return;
        QPainter p(this);
        m_panel->PaintBand(p);
    }
};

// Sees the pointer over key buttons too, so a band may start on a key.
class PanelFilter : public QObject {
public:
    PanelFilter(CSelectPanelUI* panel) : m_panel(panel) {}
    CSelectPanelUI* m_panel;
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || !m_panel->HasWidget()) return false;
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseMove ||
            e->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (e->type() != QEvent::MouseMove && me->button() != Qt::LeftButton) return false;
            const QPoint p = w->mapTo(m_panel->GetWidget(), me->position().toPoint());
            const UIEvent t = e->type() == QEvent::MouseButtonPress ? UIEvent::ButtonDown
                              : e->type() == QEvent::MouseMove     ? UIEvent::MouseMove
                                                                   : UIEvent::ButtonUp;
            m_panel->OnPanelMouse(t, UIPoint{p.x(), p.y()});
        }
        return false;
    }
};
} // namespace

CSelectPanelUI::CSelectPanelUI() : m_filter(new PanelFilter(this)) {}

CSelectPanelUI::~CSelectPanelUI() {
    // Children go first (container), the filter after them.
    for (CControlUI* c : m_items) delete c;
    m_items.clear();
    delete m_filter;
}

void* CSelectPanelUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "SelectPanel")) return this;
    return CVerticalLayoutUI::GetInterface(name);
}

QWidget* CSelectPanelUI::CreateWidget() {
    QWidget* w = CVerticalLayoutUI::CreateWidget();
    w->setMouseTracking(false);
    m_overlay = new BandOverlay(this, w);
    m_overlay->hide();
    return w;
}

bool CSelectPanelUI::AddAt(CControlUI* control, int index) {
    if (!CVerticalLayoutUI::AddAt(control, index)) return false;
    control->GetWidget()->installEventFilter(m_filter);
    if (m_overlay) m_overlay->raise();
    return true;
}

void CSelectPanelUI::OnWidgetResized() {
    CVerticalLayoutUI::OnWidgetResized();
    if (m_overlay) m_overlay->setGeometry(GetWidget()->rect());
}

void CSelectPanelUI::UpdateBand() {
    m_rcBand = UIRect{std::min(m_ptPress.x, m_ptCurrent.x), std::min(m_ptPress.y, m_ptCurrent.y),
                      std::max(m_ptPress.x, m_ptCurrent.x), std::max(m_ptPress.y, m_ptCurrent.y)};
}

void CSelectPanelUI::OnPanelMouse(UIEvent type, UIPoint pt) {
    switch (type) {
    case UIEvent::ButtonDown:
        if (!IsEnabled()) return;
        m_bPressed = true;
        m_bSelecting = false;
        m_ptPress = m_ptCurrent = pt;
        return;
    case UIEvent::MouseMove:
        if (!m_bPressed) return;
        m_bSelecting = true;
        m_ptCurrent = pt;
        UpdateBand();
        if (m_overlay) {
            m_overlay->setGeometry(GetWidget()->rect());
            m_overlay->show();
            m_overlay->raise();
            m_overlay->update();
        }
        return;
    case UIEvent::ButtonUp: {
        const bool selecting = m_bSelecting;
        m_bPressed = m_bSelecting = false;
        if (m_overlay) m_overlay->hide();
        if (!selecting) return;
        // The band includes both corner pixels; one shared pixel selects a key.
        const UIRect band{m_rcBand.left, m_rcBand.top, m_rcBand.right + 1, m_rcBand.bottom + 1};
        for (CControlUI* c : m_items) {
            if (c->GetClass() != "DeviceKeyButton") continue;
            static_cast<CDeviceKeyButtonUI*>(c)->SetSelected(c->GetRelativePos().Intersects(band));
        }
        if (m_pManager) m_pManager->SendNotify(this, "click_select_end");
        return;
    }
    default:
        return;
    }
}

void CSelectPanelUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEvent::ButtonDown || event.Type == UIEvent::MouseMove || event.Type == UIEvent::ButtonUp) {
        if (event.Type == UIEvent::MouseMove || event.wParam == static_cast<uintptr_t>(Qt::LeftButton))
            OnPanelMouse(event.Type, event.ptMouse);
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CSelectPanelUI::PaintBand(QPainter& p) {
    const QRect r(QPoint(m_rcBand.left, m_rcBand.top), QPoint(m_rcBand.right, m_rcBand.bottom));
    p.fillRect(r, Q(0x460099FF));
    QPen pen(Q(0xFF0099FF));
    pen.setWidth(2);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

// ---------------------------------------------------------------- ComboEditContainerElement
void* CComboEditContainerElementUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "ComboEditContainerElement")) return this;
    return CListContainerElementUI::GetInterface(name);
}

void CComboEditContainerElementUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "normalimage" || name == "hotimage" || name == "selectedimage") return;
    if (name == "menu") {
        m_bContextMenu = ParseBool(value);
        return;
    }
    CListContainerElementUI::SetAttribute(rawName, value);
}

void CComboEditContainerElementUI::Watch(CControlUI* c) {
    c->OnNotify.push_back([this, c](TNotifyUI& msg) {
        if (msg.sType == "selectchanged") m_bChanged = true;
        else if (msg.sType == "return" && c == m_delayEdit) m_bChanged = true;
        return false;
    });
    if (auto* box = static_cast<CContainerUI*>(c->GetInterface("Container")))
        for (int i = 0; i < box->GetCount(); ++i) Watch(box->GetItemAt(i));
}

void CComboEditContainerElementUI::DoInit() {
    if (GetCount() == 0) {
        CDialogBuilder builder;
        builder.Create(kLayout, {}, nullptr, m_pManager, this);
    }
    m_text1 = FindSubControl("text1");
    m_text2 = FindSubControl("text2");
    m_delayEdit = FindSubControl("delay_edit");
    for (CControlUI* c : m_items) Watch(c);
}

void CComboEditContainerElementUI::DoEvent(TEventUI& e) {
    switch (e.Type) {
    case UIEvent::ButtonDown:
        if (IsEnabled()) {
            m_bPressed = true;
            if (m_pOwner) {
                if ((e.wKeyState & kKeyStateControl) && m_bSelected) m_pOwner->UnselectItem(m_iIndex, true);
                else m_pOwner->SelectItem(m_iIndex, true, true);
            }
        }
        return;
    case UIEvent::ButtonUp:
        if (IsEnabled() && m_bPressed && m_pManager) m_pManager->SendNotify(this, "itemclick");
        m_bPressed = false;
        return;
    case UIEvent::KeyDown:
        if (IsEnabled() && (e.wParam == Qt::Key_Return || e.wParam == Qt::Key_Enter)) {
            Activate();
            if (m_pManager) m_pManager->SendNotify(this, "return");
            return;
        }
        break;
    case UIEvent::ContextMenu:
        if (m_bContextMenu && m_pManager) m_pManager->SendNotify(this, "menu", 0, 0);
        return;
    default:
        break;
    }
    CListContainerElementUI::DoEvent(e);
}

// ---------------------------------------------------------------- ChartView
void* CChartViewUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "ChartView")) return this;
    return CControlUI::GetInterface(name);
}

void CChartViewUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "view") m_bPie = !EqualsNoCase(value, "histpgram");
    else if (name == "shadowimage") m_sShadowImage = std::string(value);
    else if (name == "shadowimageheight") m_nShadowHeight = ParseInt(value);
    else if (name == "pillarimage") m_sPillarImage = std::string(value);
    else if (name == "pillarimagewidth") m_nPillarWidth = ParseInt(value);
    else if (name == "showtext") m_bShowText = ParseBool(value);
    else if (name == "showhtml") {}
    else CControlUI::SetAttribute(rawName, value);
}

void CChartViewUI::AddItem(const std::string& name, double value) {
    m_items.push_back(Item{name, value});
    Invalidate();
}

void CChartViewUI::RemoveAllItems() {
    m_items.clear();
    Invalidate();
}

void CChartViewUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    if (m_items.empty()) return;
    double total = 0, maxv = 0;
    for (const Item& it : m_items) {
        total += std::max(0.0, it.value);
        maxv = std::max(maxv, it.value);
    }
    if (total <= 0) return;
    p.setRenderHint(QPainter::Antialiasing, true);
    const UIColor palette[] = {0xFFFF4655, 0xFF0099FF, 0xFF2ECC71, 0xFFF1C40F, 0xFF9B59B6, 0xFFE67E22};
    if (m_bPie) {
        const int side = std::min(rc.width(), rc.height());
        const QRect pie(rc.left() + (rc.width() - side) / 2, rc.top() + (rc.height() - side) / 2, side, side);
        double start = 90.0;
        for (size_t i = 0; i < m_items.size(); ++i) {
            const double span = 360.0 * std::max(0.0, m_items[i].value) / total;
            p.setPen(Qt::NoPen);
            p.setBrush(Q(palette[i % 6]));
            p.drawPie(pie, int(start * 16), int(-span * 16));
            start -= span;
        }
        return;
    }
    const int n = static_cast<int>(m_items.size());
    const int slot = rc.width() / std::max(1, n);
    const int barW = m_nPillarWidth > 0 ? m_nPillarWidth : std::max(4, slot / 2);
    for (int i = 0; i < n; ++i) {
        const int room = rc.height() - (m_bShowText ? 20 : 4);
        const int h = maxv > 0 ? int(room * std::max(0.0, m_items[size_t(i)].value) / maxv) : 0;
        const QRect bar(rc.left() + i * slot + (slot - barW) / 2, rc.bottom() + 1 - h, barW, h);
        if (m_sPillarImage.empty() || !DrawImageDesc(p, bar, m_sPillarImage)) p.fillRect(bar, Q(palette[i % 6]));
        if (m_bShowText) {
            p.setPen(Q(0xFFE6E6E6));
            p.drawText(QRect(bar.left() - 10, bar.top() - 18, bar.width() + 20, 16), Qt::AlignCenter,
                       QString::fromStdString(m_items[size_t(i)].name));
        }
    }
}

// ---------------------------------------------------------------- Wnd
void* CWndUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Wnd")) return this;
    return CControlUI::GetInterface(name);
}

void CWndUI::AttachHostedWindow(QWidget* window) {
    m_hosted = window;
    SyncHosted();
}

void CWndUI::SyncHosted() {
    if (!m_hosted || !HasWidget()) return;
    QWidget* self = GetWidget();
    // A child window is placed in its parent's coordinates, a top-level one on the screen.
    const QPoint global = self->mapToGlobal(QPoint(0, 0));
    QPoint origin = global;
    if (!m_hosted->isWindow() && m_hosted->parentWidget()) origin = m_hosted->parentWidget()->mapFromGlobal(global);
    m_hosted->setGeometry(QRect(origin, self->size()));
    m_hosted->setVisible(IsVisible());
}

void CWndUI::SetPos(const QRect& rc) {
    CControlUI::SetPos(rc);
    SyncHosted();
}

void CWndUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    SyncHosted();
}

void CWndUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    SyncHosted();
}

// ---------------------------------------------------------------- CloudShareListItem
void* CCloudShareListItemUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "CloudShareListItemUI")) return this;
    return CListContainerElementUI::GetInterface(name);
}

// ---------------------------------------------------------------- registration
CControlUI* CreateCustomControl(std::string_view tag) {
    if (EqualsNoCase(tag, "CircleProgress")) return new CCircleProgressUI;
    if (EqualsNoCase(tag, "SelectPanel")) return new CSelectPanelUI;
    if (EqualsNoCase(tag, "DeviceKeyButton")) return new CDeviceKeyButtonUI;
    if (EqualsNoCase(tag, "HandImgButton")) return new CHandImgButtonUI;
    if (EqualsNoCase(tag, "HandImgSelectButton")) return new CHandImgSelectButtonUI;
    if (EqualsNoCase(tag, "RedioMacroButton")) return new CRedioMacroButtonUI;
    if (EqualsNoCase(tag, "ComboEditContainerElement")) return new CComboEditContainerElementUI;
    if (EqualsNoCase(tag, "ChartView")) return new CChartViewUI;
    if (EqualsNoCase(tag, "Wnd")) return new CWndUI;
    if (EqualsNoCase(tag, "CloudShareListItemUI")) return new CCloudShareListItemUI;
    return nullptr;
}

void RegisterCustomControls() {
    for (const char* name : {"CircleProgress", "SelectPanel", "DeviceKeyButton", "HandImgButton",
                             "HandImgSelectButton", "RedioMacroButton", "ComboEditContainerElement", "ChartView",
                             "Wnd", "CloudShareListItemUI"}) {
        const std::string n = name;
        CControlFactory::GetInstance().RegistControl(n, [n] { return CreateCustomControl(n); });
    }
}

} // namespace ui
