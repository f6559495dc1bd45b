#pragma once
// Internal: the QWidget side of a control. EventWidget<Base> forwards painting,
// mouse, focus and resize events of any Qt widget class to its control.
#include "ui/UIControl.h"

#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QKeyEvent>
#include <type_traits>
#include <utility>

namespace ui::detail {

inline uint32_t KeyState(Qt::KeyboardModifiers m, Qt::MouseButtons b) {
    uint32_t s = 0;
    if (m & Qt::ControlModifier) s |= kKeyStateControl;
    if (m & Qt::ShiftModifier) s |= kKeyStateShift;
    if (b & Qt::LeftButton) s |= kKeyStateLButton;
    return s;
}

template <class Base>
class EventWidget : public Base, public ControlLink {
public:
    template <class... A>
    explicit EventWidget(CControlUI* c, A&&... a) : Base(std::forward<A>(a)...) {
        control = c;
    }
    // Custom-painted widgets draw through the control; native ones paint themselves.
    bool customPaint = true;
    // Extra painting after the native paint (e.g. a border over a native widget).
    bool postPaint = false;

protected:
    bool Send(UIEvent t, QPoint pos, Qt::KeyboardModifiers m, Qt::MouseButtons b, uintptr_t w = 0) {
        if (!control) return true;
        TEventUI ev;
        ev.Type = t;
        ev.pSender = control;
        ev.ptMouse = UIPoint{pos.x(), pos.y()};
        ev.wKeyState = KeyState(m, b);
        ev.wParam = w;
        control->DoEvent(ev);
        return ev.bPassOn;
    }
    bool SendMouse(UIEvent t, QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        return Send(t, p, e->modifiers(), e->buttons(), static_cast<uintptr_t>(e->button()));
    }
    void paintEvent(QPaintEvent* e) override {
        if (customPaint && control) {
            QPainter p(this);
            control->DoPaint(p, this->rect());
            return;
        }
        if constexpr (!std::is_abstract_v<Base>) Base::paintEvent(e);
        if (postPaint && control) {
            QPainter p(this);
            control->PaintBorder(p, this->rect());
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        const UIEvent t = e->button() == Qt::RightButton ? UIEvent::RButtonDown : UIEvent::ButtonDown;
        if (SendMouse(t, e)) Base::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const UIEvent t = e->button() == Qt::RightButton ? UIEvent::RButtonUp : UIEvent::ButtonUp;
        if (SendMouse(t, e)) Base::mouseReleaseEvent(e);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (SendMouse(UIEvent::DblClick, e)) Base::mouseDoubleClickEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (SendMouse(UIEvent::MouseMove, e)) Base::mouseMoveEvent(e);
    }
    void enterEvent(QEnterEvent* e) override {
        if (Send(UIEvent::MouseEnter, e->position().toPoint(), e->modifiers(), Qt::NoButton)) Base::enterEvent(e);
    }
    void leaveEvent(QEvent* e) override {
        if (Send(UIEvent::MouseLeave, QPoint(), Qt::NoModifier, Qt::NoButton)) Base::leaveEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        Base::focusInEvent(e);
        Send(UIEvent::SetFocus, QPoint(), Qt::NoModifier, Qt::NoButton);
    }
    void focusOutEvent(QFocusEvent* e) override {
        Base::focusOutEvent(e);
        Send(UIEvent::KillFocus, QPoint(), Qt::NoModifier, Qt::NoButton);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        if (Send(UIEvent::ContextMenu, e->pos(), e->modifiers(), Qt::NoButton)) Base::contextMenuEvent(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (Send(UIEvent::KeyDown, QPoint(), e->modifiers(), Qt::NoButton, static_cast<uintptr_t>(e->key())))
            Base::keyPressEvent(e);
    }
    void resizeEvent(QResizeEvent* e) override {
        Base::resizeEvent(e);
        if (control) control->OnWidgetResized();
    }
};

using PlainWidget = EventWidget<QWidget>;

} // namespace ui::detail
