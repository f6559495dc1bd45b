#pragma once
// Windows: WindowImplBase (a skinned top-level window with a modal loop, numbered
// messages that any thread may post or send, and window timers), CNotifyPump
// (named virtual windows), CMenuWnd (menus from a layout) and CTrayIcon.
#include "ui/UIBuilder.h"
#include "ui/UIManager.h"

#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace platform {
class Event;
}

class QDialog;
class QMenu;
class QObject;
class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace ui {

class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;
    bool AddVirtualWnd(const std::string& name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const std::string& name);
    CNotifyPump* GetVirtualWnd(const std::string& name) const;
    // Hands the message to the virtual window named in msg.sVirtualWnd, or to this pump.
    // True when someone handled it.
    bool NotifyPump(TNotifyUI& msg);

protected:
    // Per-type handlers of a pump; return true when handled.
    virtual bool HandleNotify(TNotifyUI&) { return false; }

private:
    std::map<std::string, CNotifyPump*> m_virtualWnds;
};

class WindowImplBase : public CNotifyPump, public INotifyUI, public IDialogBuilderCallback {
public:
    WindowImplBase();
    ~WindowImplBase() override;
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    virtual std::string GetWindowClassName() const = 0;
    // Layout id ("XML_MSG") or file below the skin folder.
    virtual std::string GetSkinFile() = 0;
    virtual std::string GetSkinFolder() { return {}; }

    // Builds the layout into a new top-level window. False when the layout fails.
    bool Create(WindowImplBase* parent, const std::string& name);
    QWidget* GetHWND() const;
    CPaintManagerUI& GetPaintManager() { return m_pm; }
    bool IsWindow() const { return m_window != nullptr && !m_destroyed; }

    void ShowWindow(bool show = true, bool takeFocus = true);
    // Window states, so callers above the UI layer need no widget headers.
    void ShowNormal();
    void ShowMinimized();
    void ShowMaximized();
    void BringToTop();  // raise and activate without moving or resizing
    bool IsMinimized() const;
    bool IsVisibleNormally() const;  // shown and not minimised
    void Repaint();
    // Runs a nested loop until Close(code); returns the code.
    int ShowModal();
    bool IsModal() const { return m_modal; }
    // Asks the window to close (HandleCustomMessage sees kWmClose first and may keep it
    // open by setting handled). The window is then destroyed and OnFinalMessage called.
    void Close(int code = 0);
    void CenterWindow();
    void SetIcon(const std::string& file);
    void ResizeClient(int cx, int cy);

    // Numbered messages. Post queues to the UI thread; Send blocks until handled
    // (called directly on the UI thread). Both are safe from any thread.
    bool PostMessage(unsigned msg, uintptr_t wParam = 0, intptr_t lParam = 0);
    intptr_t SendMessage(unsigned msg, uintptr_t wParam = 0, intptr_t lParam = 0);
    // As SendMessage, but a worker gives up waiting once stop is signalled (the UI thread
    // may itself be waiting for that worker to end). A message not yet handled then is
    // dropped. delivered (optional) tells whether the handler ran.
    intptr_t SendMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, const platform::Event* stop,
                         bool* delivered = nullptr);

    // Window timers reach OnTimer (after HandleCustomMessage sees kWmTimer).
    void SetTimer(unsigned id, unsigned elapseMs);
    void KillTimer(unsigned id);

    // INotifyUI: "click" goes to OnClick, everything goes through the notify pump.
    void Notify(TNotifyUI& msg) override;
    // IDialogBuilderCallback
    CControlUI* CreateControl(std::string_view) override { return nullptr; }

    // Test seam: called once a modal loop has started (the window is shown).
    static void SetModalHook(std::function<void(WindowImplBase*)> hook);

protected:
    virtual void InitWindow() {}
    virtual void OnFinalMessage() {}
    virtual void OnClick(TNotifyUI&) {}
    virtual intptr_t HandleCustomMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, bool& handled);
    virtual void OnTimer(unsigned) {}
    // Escape (and the window manager's close) close with 0 only when this says so.
    virtual bool CloseOnEscape() const { return false; }
    virtual intptr_t HandleMessage(unsigned msg, uintptr_t wParam, intptr_t lParam);

    CPaintManagerUI m_pm;

private:
    void ReleaseTimers();
    void ReleaseTree();
    friend class WindowHost;
    void Destroy();
    void OnHostResized();
    void OnHostShown();

    QDialog* m_window = nullptr;
    QObject* m_receiver = nullptr;
    bool m_modal = false;
    bool m_destroyed = false;
    bool m_closing = false;
    bool m_initSent = false;
    int m_modalResult = 0;
    std::map<unsigned, QTimer*> m_timers;
};

// A popup menu built from a layout of "MenuElement" items (nested for submenus).
// A click posts kWmMenuClick (1145) to the owner with wParam = new MenuCmd (freed with
// CPaintManagerUI::DeletePtr).
class CMenuWnd {
public:
    ~CMenuWnd();
    // Shows at the point (global coordinates). Returns nullptr when the layout fails.
    static CMenuWnd* CreateMenu(const std::string& xml, QPoint at, WindowImplBase* owner);
    void Close();
    QMenu* GetMenu() const { return m_menu; }
    // Test hook: acts as if the user clicked the named item. False when there is none.
    bool ClickItem(const std::string& name);

private:
    CMenuWnd() = default;
    QPointer<QMenu> m_menu;
};

// Tray icon; activation posts 1025 with lParam 514 (left up) or 517 (right up).
class CTrayIcon {
public:
    CTrayIcon() = default;
    ~CTrayIcon();
    void CreateTrayIcon(WindowImplBase* receiver, const std::string& iconFile, const std::string& tooltip,
                        unsigned message = kWmTrayCallback);
    void DeleteTrayIcon();
    void SetTooltipText(const std::string& text);
    bool IsCreated() const { return m_icon != nullptr; }
    // False when the desktop has no tray: hiding the window would leave it unreachable.
    static bool IsSystemTrayAvailable();
    // Whether hiding the window "to the tray" leaves it reachable; when false the window
    // should be minimised instead of hidden.
    bool CanHideToTray() const { return IsCreated() && IsSystemTrayAvailable(); }
    // The receiving window posts exactly what a click on the icon would.
    void SimulateClick(bool right);

private:
    QSystemTrayIcon* m_icon = nullptr;
    WindowImplBase* m_receiver = nullptr;
    unsigned m_message = kWmTrayCallback;
};

} // namespace ui
