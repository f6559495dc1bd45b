#pragma once
// Basic vocabulary of the UI layer: rectangles, colours, the notification record,
// the control event record and the small text helpers the skin parser needs.
// Everything here is free of QtWidgets so panels can include it cheaply.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui {

class CControlUI;

using UIColor = uint32_t; // 0xAARRGGBB

struct UIPoint {
    int x = 0;
    int y = 0;
};

struct UISize {
    int cx = 0;
    int cy = 0;
};

struct UIRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(UIPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    // Rectangles that share at least one pixel (edges are exclusive on right/bottom).
    bool Intersects(const UIRect& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    bool operator==(const UIRect&) const = default;
};

// Window message numbers the layer and its users share.
inline constexpr unsigned kWmDestroy = 0x0002;
inline constexpr unsigned kWmClose = 0x0010;
inline constexpr unsigned kWmTimer = 0x0113;
inline constexpr unsigned kWmLButtonUp = 0x0202;   // 514
inline constexpr unsigned kWmRButtonUp = 0x0205;   // 517
inline constexpr unsigned kWmLButtonDblClk = 0x0203;
inline constexpr unsigned kWmUser = 0x0400;
inline constexpr unsigned kWmTrayCallback = kWmUser + 1; // 1025
inline constexpr unsigned kWmMenuClick = 1145;

// One notification: a type name, the control that raised it and two numbers.
struct TNotifyUI {
    std::string sType;
    std::string sVirtualWnd;
    CControlUI* pSender = nullptr;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    UIPoint ptMouse;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

enum class UIEvent {
    Timer,
    ButtonDown,
    ButtonUp,
    DblClick,
    RButtonDown,
    RButtonUp,
    MouseMove,
    MouseEnter,
    MouseLeave,
    ContextMenu,
    KeyDown,
    SetFocus,
    KillFocus,
};

inline constexpr uint32_t kKeyStateControl = 0x0008;
inline constexpr uint32_t kKeyStateShift = 0x0004;
inline constexpr uint32_t kKeyStateLButton = 0x0001;

// An input or timer event handed to CControlUI::DoEvent.
struct TEventUI {
    UIEvent Type = UIEvent::Timer;
    CControlUI* pSender = nullptr;
    uintptr_t wParam = 0;   // timer id, key code
    intptr_t lParam = 0;
    UIPoint ptMouse;        // in the control's own coordinates
    uint32_t wKeyState = 0;
    // Set by CControlUI::DoEvent: the widget should also run its own Qt handling.
    bool bPassOn = false;
};

// Text helpers used by the skin parser (ASCII case folding; names are ASCII).
std::string ToLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool ParseBool(std::string_view v);
int ParseInt(std::string_view v, int fallback = 0);
// "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB" or bare hex; false when unparsable.
bool ParseColor(std::string_view v, UIColor& out);
// "l,t,r,b" (missing values are 0).
UIRect ParseRect(std::string_view v);
// "cx,cy".
UISize ParseSize(std::string_view v);
// name="value" name2="value2" (the style/attribute-list syntax).
std::vector<std::pair<std::string, std::string>> ParseAttributeList(std::string_view list);
// Replaces the first "%d" in text with n and leaves every other character as it is.
// Language texts are never used as format strings.
std::string ReplaceFirstNumber(std::string_view text, long long n);

} // namespace ui
