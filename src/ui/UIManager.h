#pragma once
// CPaintManagerUI: one per window. Owns the notifier list, per-control timers,
// option groups, styles and the font table, and finds controls by name.
#include "ui/UIBase.h"

#include <QFont>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QTimer;
class QObject;

namespace ui {

class CControlUI;

// The record a menu item click carries in wParam of message 1145.
struct MenuCmd {
    std::string szName;
    std::string szUserData;
    std::string szText;
    bool bChecked = false;
};

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Skin folder (with trailing "/"); defaults to <resources>/skin/.
    static void SetResourcePath(const std::string& path);
    static const std::string& GetResourcePath();

    void Init(QWidget* paintWindow, const std::string& name = {});
    QWidget* GetPaintWindow() const { return m_window; }
    const std::string& GetName() const { return m_name; }

    // Makes root the window's tree: manager set on every control, DoInit run once each.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return m_root; }
    // Forgets the root without deleting it (the window deletes the tree).
    void DetachRoot() { m_root = nullptr; }

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    // Synchronous: the sender's own listeners, then every notifier of this window.
    void SendNotify(TNotifyUI& msg);
    void SendNotify(CControlUI* sender, std::string_view type, uintptr_t wParam = 0, intptr_t lParam = 0);

    CControlUI* FindControl(std::string_view name) const;
    CControlUI* FindSubControlByName(CControlUI* parent, std::string_view name) const;
    // Every control whose interface list contains iface, in tree order.
    std::vector<CControlUI*> FindSubControlsByClass(CControlUI* parent, std::string_view cls) const;

    // Control timers: each expiry reaches control->DoEvent as UIEvent::Timer with wParam = id.
    bool SetTimer(CControlUI* control, unsigned id, unsigned elapseMs);
    bool KillTimer(CControlUI* control, unsigned id);
    void KillTimer(CControlUI* control);
    void RemoveAllTimers();
    bool HasTimer(CControlUI* control, unsigned id) const;

    // Option groups (name -> options in the order they joined).
    void AddOptionGroup(const std::string& group, CControlUI* option);
    const std::vector<CControlUI*>* GetOptionGroup(const std::string& group) const;
    void RemoveOptionGroup(const std::string& group, CControlUI* option);

    // Fonts. Sizes are pixel sizes before DPI scaling. shared = visible to every window.
    int AddFont(int id, const std::string& family, int size, bool bold, bool underline, bool italic,
                bool shared = false);
    void SetDefaultFont(const std::string& family, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    // Drops the window's fonts and, with shared, the shared table too.
    void RemoveAllFonts(bool shared = true);
    bool HasFont(int id) const;
    QFont GetFont(int id) const;
    QFont GetDefaultFont() const;
    // Re-applies the font table to every control of the window.
    void ApplyFonts();

    // DPI is framework-wide (a change stays in effect for every window).
    static int GetDPI();
    static double GetDPIScale();
    void SetDPI(int dpi);
    static void SetAllDPI(int dpi);
    void ResetDPIAssets();

    // Relayout: NeedUpdate schedules it, DoLayout runs it now.
    void NeedUpdate();
    void DoLayout();

    // Styles: "name" -> attribute list ('name="value" ...').
    void AddStyle(const std::string& name, const std::string& attributes, bool shared = false);
    std::string GetStyle(const std::string& name) const;

    // Window attributes read from the layout's Window tag.
    void SetInitSize(int cx, int cy) { m_initSize = UISize{cx, cy}; }
    UISize GetInitSize() const { return m_initSize; }
    void SetWindowAttribute(std::string_view name, std::string_view value);
    std::string GetWindowAttribute(std::string_view name) const;

    // Frees the record of a menu click.
    static void DeletePtr(MenuCmd* cmd) { delete cmd; }

    static const std::vector<CPaintManagerUI*>& Managers();

private:
    struct FontInfo {
        std::string family;
        int size = 15;
        bool bold = false, underline = false, italic = false;
    };
    static QFont MakeFont(const FontInfo& f);

    struct TimerRec;
    QWidget* m_window = nullptr;
    std::string m_name;
    CControlUI* m_root = nullptr;
    std::vector<INotifyUI*> m_notifiers;
    std::vector<std::unique_ptr<TimerRec>> m_timers;
    // Killed timers wait here: one may be inside its own expiry right now.
    std::vector<std::unique_ptr<TimerRec>> m_killedTimers;
    std::map<std::string, std::vector<CControlUI*>> m_groups;
    std::map<int, FontInfo> m_fonts;
    bool m_hasDefaultFont = false;
    FontInfo m_defaultFont;
    std::map<std::string, std::string> m_styles;
    std::map<std::string, std::string> m_windowAttrs;
    UISize m_initSize;
    bool m_layoutPending = false;
    std::unique_ptr<QObject> m_context;
};

} // namespace ui
