#include "ui/UICommonControls.h"

#include "ui/UIContainer.h"
#include "ui/UIImage.h"
#include "ui/UIManager.h"
#include "ui/UIWidget_p.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QProxyStyle>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QTextEdit>
#include <cmath>

namespace ui {

static QColor Q(UIColor c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, (c >> 24) & 0xFF); }

static std::string CssColor(UIColor c) {
    return "rgba(" + std::to_string((c >> 16) & 0xFF) + "," + std::to_string((c >> 8) & 0xFF) + "," +
           std::to_string(c & 0xFF) + "," + std::to_string((c >> 24) & 0xFF) + ")";
}

static int ParseAlign(std::string_view v, int current, bool vertical) {
    const std::string s = ToLower(v);
    if (!vertical) {
        current &= ~(Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter);
        if (s == "center") return current | Qt::AlignHCenter;
        if (s == "right") return current | Qt::AlignRight;
        return current | Qt::AlignLeft;
    }
    current &= ~(Qt::AlignTop | Qt::AlignBottom | Qt::AlignVCenter);
    if (s == "top") return current | Qt::AlignTop;
    if (s == "bottom") return current | Qt::AlignBottom;
    return current | Qt::AlignVCenter;
}

// ---------------------------------------------------------------- Label
void* CLabelUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Label")) return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    UIColor c = 0;
    if (name == "textcolor") { if (ParseColor(value, c)) SetTextColor(c); }
    else if (name == "disabledtextcolor") { if (ParseColor(value, c)) SetDisabledTextColor(c); }
    else if (name == "textpadding") SetTextPadding(ParseRect(value));
    else if (name == "align") {
        const std::string s = ToLower(value);
        if (s == "top" || s == "bottom" || s == "vcenter") m_align = ParseAlign(value, m_align, true);
        else m_align = ParseAlign(value, m_align, false);
        Invalidate();
    }
    else if (name == "valign") { m_align = ParseAlign(value, m_align, true); Invalidate(); }
    else if (name == "multiline" || name == "wordbreak") { m_bMultiLine = ParseBool(value); Invalidate(); }
    else if (name == "endellipsis") { m_bEndEllipsis = ParseBool(value); Invalidate(); }
    else CControlUI::SetAttribute(rawName, value);
}

void CLabelUI::DrawText(QPainter& p, const QRect& rc, UIColor color) {
    const std::string text = GetText();
    if (text.empty()) return;
    const double s = CPaintManagerUI::GetDPIScale();
    const QRect r = rc.adjusted(int(m_rcTextPadding.left * s), int(m_rcTextPadding.top * s),
                                -int(m_rcTextPadding.right * s), -int(m_rcTextPadding.bottom * s));
    if (color == 0) color = 0xFFE6E6E6;
    if (!IsEnabled() && m_dwDisabledTextColor != 0) color = m_dwDisabledTextColor;
    p.setPen(Q(color));
    p.setFont(m_widget ? m_widget->font() : ResolveFont());
    QString qs = QString::fromStdString(text);
    int flags = m_align;
    if (m_bMultiLine) flags |= Qt::TextWordWrap;
    else if (m_bEndEllipsis) qs = p.fontMetrics().elidedText(qs, Qt::ElideRight, r.width());
    p.drawText(r, flags, qs);
}

void CLabelUI::PaintText(QPainter& p, const QRect& rc) { DrawText(p, rc, m_dwTextColor); }

// ---------------------------------------------------------------- Button
namespace {
class ButtonWidget : public detail::EventWidget<QAbstractButton> {
public:
    using EventWidget::EventWidget;
    QSize sizeHint() const override { return QSize(60, 24); }
};
} // namespace

void* CButtonUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Button")) return this;
    return CLabelUI::GetInterface(name);
}

QWidget* CButtonUI::CreateWidget() {
    auto* w = new ButtonWidget(this);
    w->setAttribute(Qt::WA_Hover, true);
    w->setFocusPolicy(Qt::TabFocus);
    QObject::connect(w, &QAbstractButton::clicked, [this] { Activate(); });
    return w;
}

void CButtonUI::ApplyWidgetState() {
    CLabelUI::ApplyWidgetState();
    static_cast<QAbstractButton*>(m_widget.data())->setText(QString::fromStdString(GetText()));
}

void CButtonUI::OnTextChanged() {
    if (m_widget) static_cast<QAbstractButton*>(m_widget.data())->setText(QString::fromStdString(GetText()));
    Invalidate();
}

bool CButtonUI::Activate() {
    if (!IsEnabled()) return false;
    if (m_pManager) m_pManager->SendNotify(this, "click");
    return true;
}

bool CButtonUI::IsHot() const {
    return m_bHotState || (m_widget && m_widget->underMouse());
}

bool CButtonUI::IsPushed() const {
    if (m_bPushedState) return true;
    auto* b = qobject_cast<QAbstractButton*>(m_widget.data());
    return b && b->isDown();
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEvent::MouseEnter || event.Type == UIEvent::MouseLeave) Invalidate();
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    const std::string v(value);
    UIColor c = 0;
    if (name == "normalimage") SetNormalImage(v);
    else if (name == "hotimage") SetHotImage(v);
    else if (name == "pushedimage") SetPushedImage(v);
    else if (name == "focusedimage") m_sFocusedImage = v;
    else if (name == "disabledimage") SetDisabledImage(v);
    else if (name == "hotforeimage") m_sHotForeImage = v;
    else if (name == "pushedforeimage") m_sPushedForeImage = v;
    else if (name == "hottextcolor") { if (ParseColor(v, c)) m_dwHotTextColor = c; }
    else if (name == "pushedtextcolor") { if (ParseColor(v, c)) m_dwPushedTextColor = c; }
    else if (name == "focusedtextcolor") { if (ParseColor(v, c)) m_dwFocusedTextColor = c; }
    else if (name == "hotbkcolor") { if (ParseColor(v, c)) m_dwHotBkColor = c; }
    else if (name == "pushedbkcolor") { if (ParseColor(v, c)) m_dwPushedBkColor = c; }
    else CLabelUI::SetAttribute(rawName, value);
}

void CButtonUI::PaintBkColor(QPainter& p, const QRect& rc) {
    const UIColor saved = m_dwBkColor;
    if (IsEnabled()) {
        if (IsPushed() && m_dwPushedBkColor) m_dwBkColor = m_dwPushedBkColor;
        else if (IsHot() && m_dwHotBkColor) m_dwBkColor = m_dwHotBkColor;
    }
    CLabelUI::PaintBkColor(p, rc);
    m_dwBkColor = saved;
}

void CButtonUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    const std::string* img = &m_sNormalImage;
    if (!IsEnabled()) { if (!m_sDisabledImage.empty()) img = &m_sDisabledImage; }
    else if (IsPushed() && !m_sPushedImage.empty()) img = &m_sPushedImage;
    else if (IsHot() && !m_sHotImage.empty()) img = &m_sHotImage;
    else if (IsFocused() && !m_sFocusedImage.empty()) img = &m_sFocusedImage;
    if (!img->empty()) DrawImageDesc(p, rc, *img);
    const std::string* fore = &m_sForeImage;
    if (IsEnabled() && IsPushed() && !m_sPushedForeImage.empty()) fore = &m_sPushedForeImage;
    else if (IsEnabled() && IsHot() && !m_sHotForeImage.empty()) fore = &m_sHotForeImage;
    if (!fore->empty()) DrawImageDesc(p, rc, *fore);
}

void CButtonUI::PaintText(QPainter& p, const QRect& rc) {
    UIColor c = m_dwTextColor;
    if (IsEnabled()) {
        if (IsPushed() && m_dwPushedTextColor) c = m_dwPushedTextColor;
        else if (IsHot() && m_dwHotTextColor) c = m_dwHotTextColor;
        else if (IsFocused() && m_dwFocusedTextColor) c = m_dwFocusedTextColor;
    }
    DrawText(p, rc, c);
}

// ---------------------------------------------------------------- Option
COptionUI::~COptionUI() {
    if (m_pManager && !m_sGroupName.empty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

void* COptionUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Option")) return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    if (m_pManager && m_pManager != manager && !m_sGroupName.empty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    const bool joined = manager && manager != m_pManager;
    CButtonUI::SetManager(manager, parent, init);
    if (joined && !m_sGroupName.empty()) {
        manager->AddOptionGroup(m_sGroupName, this);
        if (m_bSelected) {
            // A layout may mark several options of a group selected: the last one wins.
            bool was = m_bSelected;
            m_bSelected = false;
            Selected(was, false);
        }
    }
}

void COptionUI::SetGroup(const std::string& group) {
    if (group == m_sGroupName) return;
    if (m_pManager && !m_sGroupName.empty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = group;
    if (m_pManager && !m_sGroupName.empty()) m_pManager->AddOptionGroup(m_sGroupName, this);
    Selected(m_bSelected, false);
}

void COptionUI::DoInit() {
    if (m_bSelected) ApplyBinding();
}

void COptionUI::ApplyBinding() {
    if (m_iBindTabIndex < 0 || m_sBindTabLayoutName.empty() || !m_pManager) return;
    if (auto* tab = ControlCast<CTabLayoutUI>(m_pManager->FindControl(m_sBindTabLayoutName), "TabLayout"))
        tab->SelectItem(m_iBindTabIndex);
}

void COptionUI::Selected(bool selected, bool triggerEvent) {
    if (m_bSelected == selected) return;
    m_bSelected = selected;
    if (m_bSelected && m_pManager && !m_sGroupName.empty()) {
        if (const auto* group = m_pManager->GetOptionGroup(m_sGroupName)) {
            const auto members = *group; // deselecting may not change the group, but stay safe
            for (CControlUI* c : members) {
                auto* o = static_cast<COptionUI*>(c);
                if (o != this && o->IsSelected()) o->Selected(false, triggerEvent);
            }
        }
    }
    if (m_bSelected) ApplyBinding();
    if (triggerEvent && m_pManager) m_pManager->SendNotify(this, "selectchanged");
    Invalidate();
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!m_sGroupName.empty()) Selected(true, true);
    else Selected(!m_bSelected, true);
    return true;
}

void COptionUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    const std::string v(value);
    UIColor c = 0;
    if (name == "group") SetGroup(v);
    else if (name == "selected") Selected(ParseBool(v), false);
    else if (name == "selectedimage") SetSelectedImage(v);
    else if (name == "selectedhotimage") m_sSelectedHotImage = v;
    else if (name == "selectedpushedimage") m_sSelectedPushedImage = v;
    else if (name == "selectedforeimage") m_sSelectedForeImage = v;
    else if (name == "selectedtextcolor") { if (ParseColor(v, c)) m_dwSelectedTextColor = c; }
    else if (name == "selectedbkcolor") { if (ParseColor(v, c)) m_dwSelectedBkColor = c; }
    else if (name == "bindtabindex") m_iBindTabIndex = ParseInt(v, -1);
    else if (name == "bindtablayoutname") m_sBindTabLayoutName = v;
    else CButtonUI::SetAttribute(rawName, value);
}

void COptionUI::PaintBkColor(QPainter& p, const QRect& rc) {
    if (m_bSelected && m_dwSelectedBkColor) {
        const UIColor saved = m_dwBkColor;
        m_dwBkColor = m_dwSelectedBkColor;
        CLabelUI::PaintBkColor(p, rc);
        m_dwBkColor = saved;
        return;
    }
    CButtonUI::PaintBkColor(p, rc);
}

void COptionUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    if (m_bSelected) {
        const std::string* img = &m_sSelectedImage;
        if (IsPushed() && !m_sSelectedPushedImage.empty()) img = &m_sSelectedPushedImage;
        else if (IsHot() && !m_sSelectedHotImage.empty()) img = &m_sSelectedHotImage;
        if (!img->empty()) {
            DrawImageDesc(p, rc, *img);
            const std::string& fore = m_sSelectedForeImage.empty() ? m_sForeImage : m_sSelectedForeImage;
            if (!fore.empty()) DrawImageDesc(p, rc, fore);
            return;
        }
    }
    CButtonUI::PaintStatusImage(p, rc);
}

void COptionUI::PaintText(QPainter& p, const QRect& rc) {
    if (m_bSelected && m_dwSelectedTextColor) {
        DrawText(p, rc, m_dwSelectedTextColor);
        return;
    }
    CButtonUI::PaintText(p, rc);
}

void* CCheckBoxUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "CheckBox")) return this;
    return COptionUI::GetInterface(name);
}

void CCheckBoxUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    if (!m_sNormalImage.empty() || !m_sSelectedImage.empty()) {
        COptionUI::PaintStatusImage(p, rc);
        return;
    }
    // No images in the skin: a plain box with a tick, left of the text.
    const int side = std::min(rc.height() - 4, int(16 * CPaintManagerUI::GetDPIScale()));
    const QRect box(rc.left() + 2, rc.top() + (rc.height() - side) / 2, side, side);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Q(IsEnabled() ? 0xFF8A8F98 : 0xFF50545A), 1.5));
    p.setBrush(m_bSelected ? Q(0xFFFF4655) : QColor(0, 0, 0, 0));
    p.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    if (m_bSelected) {
        p.setPen(QPen(Qt::white, 2));
        const QPointF a(box.left() + side * 0.22, box.top() + side * 0.52);
        const QPointF b(box.left() + side * 0.43, box.top() + side * 0.72);
        const QPointF c(box.left() + side * 0.78, box.top() + side * 0.30);
        p.drawLine(a, b);
        p.drawLine(b, c);
    }
    if (m_rcTextPadding.left == 0) m_rcTextPadding.left = side + 8;
}

// ---------------------------------------------------------------- Edit
void* CEditUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Edit")) return this;
    return CLabelUI::GetInterface(name);
}

QWidget* CEditUI::CreateWidget() {
    auto* w = new detail::EventWidget<QLineEdit>(this);
    w->customPaint = false;
    QObject::connect(w, &QLineEdit::textEdited, [this](const QString& t) {
        m_sText = t.toStdString();
        if (m_pManager) m_pManager->SendNotify(this, "textchanged");
    });
    QObject::connect(w, &QLineEdit::returnPressed, [this] {
        if (m_pManager) m_pManager->SendNotify(this, "return");
    });
    return w;
}

void CEditUI::ApplyWidgetState() {
    CLabelUI::ApplyWidgetState();
    auto* e = static_cast<QLineEdit*>(m_widget.data());
    e->setMaxLength(m_iMaxChar);
    e->setReadOnly(m_bReadOnly);
    e->setEchoMode(m_bPassword ? QLineEdit::Password : QLineEdit::Normal);
    e->setPlaceholderText(QString::fromStdString(m_sPrompt));
    if (m_bNumberOnly) e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
    e->setAlignment(Qt::Alignment(m_align));
    OnTextChanged();
    ApplyStyle();
}

void CEditUI::ApplyStyle() {
    if (!m_widget) return;
    const UIColor bk = m_dwBkColor ? m_dwBkColor : 0xFF1E2128;
    const UIColor fg = m_dwTextColor ? m_dwTextColor : 0xFFE6E6E6;
    const UIColor border = m_dwBorderColor ? m_dwBorderColor : 0xFF3A3F4B;
    const double s = CPaintManagerUI::GetDPIScale();
    std::string css = "QLineEdit{background:" + CssColor(bk) + ";color:" + CssColor(fg) + ";border:" +
                      std::to_string(std::max(1, m_nBorderSize)) + "px solid " + CssColor(border) +
                      ";border-radius:3px;padding:0 " + std::to_string(int(m_rcTextPadding.left * s) + 2) +
                      "px;selection-background-color:#FF4655;}QLineEdit:focus{border-color:#FF4655;}"
                      "QLineEdit:disabled{color:#6A6F78;}";
    m_widget->setStyleSheet(QString::fromStdString(css));
}

void CEditUI::OnTextChanged() {
    if (!m_widget) return;
    auto* e = static_cast<QLineEdit*>(m_widget.data());
    const QString t = QString::fromStdString(CLabelUI::GetText());
    if (e->text() != t) {
        const QSignalBlocker block(e);
        e->setText(t);
    }
}

std::string CEditUI::GetText() const {
    if (m_widget) return static_cast<QLineEdit*>(m_widget.data())->text().toStdString();
    return CLabelUI::GetText();
}

void CEditUI::SetText(const std::string& text) {
    m_sText = text;
    OnTextChanged();
}

void CEditUI::SetMaxChar(int n) {
    m_iMaxChar = n;
    if (m_widget) static_cast<QLineEdit*>(m_widget.data())->setMaxLength(n);
}

void CEditUI::SetReadOnly(bool ro) {
    m_bReadOnly = ro;
    if (m_widget) static_cast<QLineEdit*>(m_widget.data())->setReadOnly(ro);
}

void CEditUI::SetNumberOnly(bool only) {
    m_bNumberOnly = only;
    if (!m_widget) return;
    auto* e = static_cast<QLineEdit*>(m_widget.data());
    e->setValidator(only ? new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e) : nullptr);
}

void CEditUI::SetPasswordMode(bool on) {
    m_bPassword = on;
    if (m_widget) static_cast<QLineEdit*>(m_widget.data())->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
}

void CEditUI::SetSel(int start, int end) {
    if (!m_widget) return;
    auto* e = static_cast<QLineEdit*>(m_widget.data());
    if (end < 0) end = e->text().size();
    e->setSelection(start, end - start);
}

void CEditUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "maxchar") SetMaxChar(ParseInt(value, 255));
    else if (name == "readonly") SetReadOnly(ParseBool(value));
    else if (name == "numberonly") SetNumberOnly(ParseBool(value));
    else if (name == "password") SetPasswordMode(ParseBool(value));
    else if (name == "prompttext") {
        m_sPrompt = std::string(value);
        if (m_widget) static_cast<QLineEdit*>(m_widget.data())->setPlaceholderText(QString::fromStdString(m_sPrompt));
    } else {
        CLabelUI::SetAttribute(rawName, value);
        if (name == "bkcolor" || name == "textcolor" || name == "bordercolor" || name == "textpadding") ApplyStyle();
        if (name == "align" && m_widget) static_cast<QLineEdit*>(m_widget.data())->setAlignment(Qt::Alignment(m_align));
    }
}

// ---------------------------------------------------------------- RichEdit
void* CRichEditUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "RichEdit")) return this;
    return CLabelUI::GetInterface(name);
}

QWidget* CRichEditUI::CreateWidget() {
    auto* w = new detail::EventWidget<QTextEdit>(this);
    w->customPaint = false;
    w->setAcceptRichText(false);
    QObject::connect(w, &QTextEdit::textChanged, [this, w] {
        m_sText = w->toPlainText().toStdString();
        if (m_pManager) m_pManager->SendNotify(this, "textchanged");
    });
    return w;
}

void CRichEditUI::ApplyWidgetState() {
    CLabelUI::ApplyWidgetState();
    auto* e = static_cast<QTextEdit*>(m_widget.data());
    e->setReadOnly(m_bReadOnly);
    const UIColor bk = m_dwBkColor ? m_dwBkColor : 0xFF1E2128;
    const UIColor fg = m_dwTextColor ? m_dwTextColor : 0xFFE6E6E6;
    e->setStyleSheet(QString::fromStdString("QTextEdit{background:" + CssColor(bk) + ";color:" + CssColor(fg) +
                                            ";border:1px solid #3A3F4B;border-radius:3px;}"));
    OnTextChanged();
}

void CRichEditUI::OnTextChanged() {
    if (!m_widget) return;
    auto* e = static_cast<QTextEdit*>(m_widget.data());
    const QString t = QString::fromStdString(CLabelUI::GetText());
    if (e->toPlainText() != t) {
        const QSignalBlocker block(e);
        e->setPlainText(t);
    }
}

std::string CRichEditUI::GetText() const {
    if (m_widget) return static_cast<QTextEdit*>(m_widget.data())->toPlainText().toStdString();
    return CLabelUI::GetText();
}

void CRichEditUI::SetText(const std::string& text) {
    m_sText = text;
    OnTextChanged();
}

void CRichEditUI::AppendText(const std::string& text) { SetText(GetText() + text); }

void CRichEditUI::SetReadOnly(bool ro) {
    m_bReadOnly = ro;
    if (m_widget) static_cast<QTextEdit*>(m_widget.data())->setReadOnly(ro);
}

void CRichEditUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "readonly") SetReadOnly(ParseBool(value));
    else if (name == "wantreturn") m_bWantReturn = ParseBool(value);
    else if (name == "multiline" || name == "rich" || name == "vscrollbar" || name == "autovscroll") {}
    else CLabelUI::SetAttribute(rawName, value);
}

// ---------------------------------------------------------------- Progress
void* CProgressUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Progress")) return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int v) { m_nMin = v; Invalidate(); }
void CProgressUI::SetMaxValue(int v) { m_nMax = v; Invalidate(); }
void CProgressUI::SetValue(int v) {
    if (v == m_nValue) return;
    m_nValue = v;
    Invalidate();
}

void CProgressUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    UIColor c = 0;
    if (name == "min") SetMinValue(ParseInt(value));
    else if (name == "max") SetMaxValue(ParseInt(value));
    else if (name == "value") SetValue(ParseInt(value));
    else if (name == "hor") m_bHorizontal = ParseBool(value);
    else if (name == "forecolor") { if (ParseColor(value, c)) SetForeColor(c); }
    else if (name == "isstretchfore") {}
    else CLabelUI::SetAttribute(rawName, value);
}

void CProgressUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    if (m_nMax <= m_nMin) return;
    const double f = std::clamp(double(m_nValue - m_nMin) / double(m_nMax - m_nMin), 0.0, 1.0);
    QRect fore = rc;
    if (m_bHorizontal) fore.setWidth(int(rc.width() * f));
    else fore.setTop(rc.bottom() + 1 - int(rc.height() * f));
    if (fore.isEmpty()) return;
    if (m_dwForeColor) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(Q(m_dwForeColor));
        const double r = std::min(fore.height(), fore.width()) / 2.0;
        if (m_cxyBorderRound.cx > 0) p.drawRoundedRect(fore, r, r);
        else p.drawRect(fore);
    }
    if (!m_sForeImage.empty()) {
        p.save();
        p.setClipRect(fore);
        DrawImageDesc(p, rc, m_sForeImage);
        p.restore();
    }
}

// ---------------------------------------------------------------- Slider
namespace {
// Clicking the groove moves the thumb there (the skin's sliders have no page steps).
class SliderStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* opt, const QWidget* w, QStyleHintReturn* ret) const override {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, opt, w, ret);
    }
};
} // namespace

void* CSliderUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "Slider")) return this;
    return CProgressUI::GetInterface(name);
}

QWidget* CSliderUI::CreateWidget() {
    auto* w = new detail::EventWidget<QSlider>(this, Qt::Horizontal);
    static SliderStyle* style = new SliderStyle;
    w->setStyle(style);
    w->setAttribute(Qt::WA_Hover, true);
    w->setTracking(true);
    QObject::connect(w, &QSlider::valueChanged, [this, w](int v) {
        m_nValue = v;
        Invalidate();
        if (!m_pManager) return;
        // While the thumb is dragged the value only "moves"; the release reports it.
        m_pManager->SendNotify(this, w->isSliderDown() ? "movevaluechanged" : "valuechanged");
    });
    QObject::connect(w, &QSlider::sliderReleased, [this] {
        if (m_pManager) m_pManager->SendNotify(this, "valuechanged");
    });
    return w;
}

void CSliderUI::ApplyWidgetState() {
    CProgressUI::ApplyWidgetState();
    SyncWidget();
}

void CSliderUI::SyncWidget() {
    if (!m_widget) return;
    auto* s = static_cast<QSlider*>(m_widget.data());
    const QSignalBlocker block(s);
    s->setOrientation(m_bHorizontal ? Qt::Horizontal : Qt::Vertical);
    s->setRange(m_nMin, std::max(m_nMin, m_nMax));
    s->setSingleStep(m_nStep);
    s->setPageStep(m_nStep);
    s->setValue(m_nValue);
    m_nValue = s->value();
}

void CSliderUI::SetMinValue(int v) { m_nMin = v; SyncWidget(); Invalidate(); }
void CSliderUI::SetMaxValue(int v) { m_nMax = v; SyncWidget(); Invalidate(); }
void CSliderUI::SetValue(int v) {
    m_nValue = std::clamp(v, m_nMin, std::max(m_nMin, m_nMax));
    SyncWidget();
    Invalidate();
}
void CSliderUI::SetChangeStep(int step) { m_nStep = std::max(1, step); SyncWidget(); }

void CSliderUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    UIColor c = 0;
    if (name == "thumbimage") m_sThumbImage = std::string(value);
    else if (name == "thumbhotimage") m_sThumbHotImage = std::string(value);
    else if (name == "thumbpushedimage") m_sThumbPushedImage = std::string(value);
    else if (name == "thumbsize") m_szThumb = ParseSize(value);
    else if (name == "thumbcolor") { if (ParseColor(value, c)) m_dwThumbColor = c; }
    else if (name == "step") SetChangeStep(ParseInt(value, 1));
    else if (name == "sendmove") {}
    else {
        CProgressUI::SetAttribute(rawName, value);
        if (name == "min" || name == "max" || name == "value" || name == "hor") SyncWidget();
    }
}

QRect CSliderUI::GetThumbRect(const QRect& rc) const {
    const double s = CPaintManagerUI::GetDPIScale();
    const int tw = int(m_szThumb.cx * s), th = int(m_szThumb.cy * s);
    const double f = m_nMax > m_nMin ? std::clamp(double(m_nValue - m_nMin) / (m_nMax - m_nMin), 0.0, 1.0) : 0.0;
    if (m_bHorizontal) {
        const int x = rc.left() + int((rc.width() - tw) * f);
        return QRect(x, rc.top() + (rc.height() - th) / 2, tw, th);
    }
    const int y = rc.bottom() + 1 - th - int((rc.height() - th) * f);
    return QRect(rc.left() + (rc.width() - tw) / 2, y, tw, th);
}

QRect CSliderUI::GetTrackRect(const QRect& rc, const std::string& image) const {
    const QPixmap pm = LoadSkinImage(ParseImageDesc(image).file);
    if (pm.isNull()) return rc;
    if (m_bHorizontal && pm.height() < rc.height())
        return QRect(rc.left(), rc.top() + (rc.height() - pm.height()) / 2, rc.width(), pm.height());
    if (!m_bHorizontal && pm.width() < rc.width())
        return QRect(rc.left() + (rc.width() - pm.width()) / 2, rc.top(), pm.width(), rc.height());
    return rc;
}

void CSliderUI::PaintBkImage(QPainter& p, const QRect& rc) {
    if (!m_sBkImage.empty()) DrawImageDesc(p, GetTrackRect(rc, m_sBkImage), m_sBkImage);
}

void CSliderUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    const QRect thumb = GetThumbRect(rc);
    const bool hasImages = !m_sBkImage.empty() || !m_sForeImage.empty();
    if (!hasImages) {
        // A groove with the filled part in the accent colour.
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        const int gh = std::max(4, rc.height() / 5);
        QRect groove = m_bHorizontal ? QRect(rc.left() + thumb.width() / 2, rc.center().y() - gh / 2,
                                             rc.width() - thumb.width(), gh)
                                     : QRect(rc.center().x() - gh / 2, rc.top() + thumb.height() / 2, gh,
                                             rc.height() - thumb.height());
        p.setBrush(Q(m_dwBkColor && m_dwBkColor != 0 ? 0xFF3A3F4B : 0xFF3A3F4B));
        p.drawRoundedRect(groove, gh / 2.0, gh / 2.0);
        QRect fill = groove;
        if (m_bHorizontal) fill.setRight(thumb.center().x());
        else fill.setTop(thumb.center().y());
        p.setBrush(Q(m_dwForeColor ? m_dwForeColor : 0xFFFF4655));
        p.drawRoundedRect(fill, gh / 2.0, gh / 2.0);
    } else {
        QRect fore = rc;
        if (m_bHorizontal) fore.setRight(thumb.center().x());
        else fore.setTop(thumb.center().y());
        if (!m_sForeImage.empty()) {
            p.save();
            p.setClipRect(fore);
            DrawImageDesc(p, GetTrackRect(rc, m_sForeImage), m_sForeImage);
            p.restore();
        }
    }
    const std::string* img = &m_sThumbImage;
    auto* s = qobject_cast<QSlider*>(m_widget.data());
    if (s && s->isSliderDown() && !m_sThumbPushedImage.empty()) img = &m_sThumbPushedImage;
    else if (m_widget && m_widget->underMouse() && !m_sThumbHotImage.empty()) img = &m_sThumbHotImage;
    if (img->empty() || !DrawImageDesc(p, thumb, *img)) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(Q(0xFFFF4655), 2));
        p.setBrush(Q(m_dwThumbColor ? m_dwThumbColor : 0xFFF2F2F2));
        p.drawEllipse(QRectF(thumb).adjusted(1, 1, -1, -1));
    }
}

// ---------------------------------------------------------------- ColorPalette
void* CColorPaletteUI::GetInterface(std::string_view name) {
    if (EqualsNoCase(name, "ColorPalette")) return this;
    return CControlUI::GetInterface(name);
}

void CColorPaletteUI::SetAttribute(std::string_view rawName, std::string_view value) {
    const std::string name = ToLower(rawName);
    if (name == "palletheight") m_nPalletHeight = ParseInt(value);
    else if (name == "barheight") m_nBarHeight = ParseInt(value, 12);
    else if (name == "thumbimage") {}
    else CControlUI::SetAttribute(rawName, value);
}

UIColor CColorPaletteUI::GetSelectColor() const {
    const QColor c = QColor::fromHsvF(float(m_h), float(m_s), float(m_v));
    return 0xFF000000u | (uint32_t(c.red()) << 16) | (uint32_t(c.green()) << 8) | uint32_t(c.blue());
}

void CColorPaletteUI::SetSelectColor(UIColor color) {
    const QColor c((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
    float h = 0, s = 0, v = 0;
    c.getHsvF(&h, &s, &v);
    if (h >= 0) m_h = h;
    m_s = s;
    m_v = v;
    Invalidate();
}

void CColorPaletteUI::PickAt(UIPoint pt) {
    if (!m_widget) return;
    const QRect rc = m_widget->rect();
    const double scale = CPaintManagerUI::GetDPIScale();
    const int bar = int(m_nBarHeight * scale);
    const int fieldH = m_nPalletHeight > 0 ? int(m_nPalletHeight * scale) : rc.height() - bar - 4;
    const double fx = std::clamp(double(pt.x) / std::max(1, rc.width() - 1), 0.0, 1.0);
    if (m_drag == 2) {
        m_h = std::min(fx, 0.999);
    } else {
        m_s = fx;
        m_v = 1.0 - std::clamp(double(pt.y) / std::max(1, fieldH - 1), 0.0, 1.0);
    }
    Invalidate();
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
    if (!IsEnabled() || !m_widget) {
        CControlUI::DoEvent(event);
        return;
    }
    const double scale = CPaintManagerUI::GetDPIScale();
    const int bar = int(m_nBarHeight * scale);
    const int fieldH = m_nPalletHeight > 0 ? int(m_nPalletHeight * scale) : m_widget->height() - bar - 4;
    switch (event.Type) {
    case UIEvent::ButtonDown:
        m_drag = event.ptMouse.y < fieldH ? 1 : 2;
        PickAt(event.ptMouse);
        return;
    case UIEvent::MouseMove:
        if (m_drag) PickAt(event.ptMouse);
        return;
    case UIEvent::ButtonUp:
        if (m_drag) {
            PickAt(event.ptMouse);
            m_drag = 0;
            if (m_pManager) m_pManager->SendNotify(this, "colorchanged", GetSelectColor());
        }
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

void CColorPaletteUI::PaintStatusImage(QPainter& p, const QRect& rc) {
    const double scale = CPaintManagerUI::GetDPIScale();
    const int bar = int(m_nBarHeight * scale);
    const int fieldH = m_nPalletHeight > 0 ? int(m_nPalletHeight * scale) : rc.height() - bar - 4;
    const QRect field(rc.left(), rc.top(), rc.width(), fieldH);
    QLinearGradient sat(field.topLeft(), field.topRight());
    sat.setColorAt(0, Qt::white);
    sat.setColorAt(1, QColor::fromHsvF(float(m_h), 1.0f, 1.0f));
    p.fillRect(field, sat);
    QLinearGradient val(field.topLeft(), field.bottomLeft());
    val.setColorAt(0, QColor(0, 0, 0, 0));
    val.setColorAt(1, QColor(0, 0, 0, 255));
    p.fillRect(field, val);
    const QRect hue(rc.left(), rc.bottom() + 1 - bar, rc.width(), bar);
    QLinearGradient hg(hue.topLeft(), hue.topRight());
    for (int i = 0; i <= 6; ++i) hg.setColorAt(i / 6.0, QColor::fromHsvF(std::min(0.999f, i / 6.0f), 1.0f, 1.0f));
    p.fillRect(hue, hg);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 2));
    const QPointF mark(field.left() + m_s * (field.width() - 1), field.top() + (1.0 - m_v) * (field.height() - 1));
    p.drawEllipse(mark, 5, 5);
    const double hx = hue.left() + m_h * (hue.width() - 1);
    p.drawRect(QRectF(hx - 2, hue.top(), 4, hue.height()));
}

} // namespace ui
