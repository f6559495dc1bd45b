#include "ui/UIManager.h"

#include "platform/Folders.h"
#include "ui/UIContainer.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace ui {

struct CPaintManagerUI::TimerRec {
    CControlUI* control = nullptr;
    unsigned id = 0;
    QTimer* timer = nullptr;
    bool killed = false;
};

namespace {
std::string& ResourcePath() {
    static std::string path;
    return path;
}
int g_dpi = 96;
std::vector<CPaintManagerUI*>& ManagerList() {
    static std::vector<CPaintManagerUI*> list;
    return list;
}
struct SharedFonts {
    std::map<int, std::pair<std::string, std::tuple<int, bool, bool, bool>>> fonts;
    bool hasDefault = false;
    std::string family;
    std::tuple<int, bool, bool, bool> def{15, false, false, false};
};
SharedFonts& Shared() {
    static SharedFonts s;
    return s;
}
std::map<std::string, std::string>& SharedStyles() {
    static std::map<std::string, std::string> s;
    return s;
}

template <class F>
void Walk(CControlUI* c, F&& f) {
    if (!c) return;
    if (!f(c)) return;
    if (auto* box = static_cast<CContainerUI*>(c->GetInterface("Container")))
        for (int i = 0; i < box->GetCount(); ++i) Walk(box->GetItemAt(i), f);
}
} // namespace

CPaintManagerUI::CPaintManagerUI() : m_context(std::make_unique<QObject>()) {
    ManagerList().push_back(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    RemoveAllTimers();
    auto& list = ManagerList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

const std::vector<CPaintManagerUI*>& CPaintManagerUI::Managers() { return ManagerList(); }

void CPaintManagerUI::SetResourcePath(const std::string& path) {
    std::string p = path;
    for (char& c : p) if (c == '\\') c = '/';
    if (!p.empty() && p.back() != '/') p += '/';
    ResourcePath() = p;
}

const std::string& CPaintManagerUI::GetResourcePath() {
    if (ResourcePath().empty()) ResourcePath() = platform::ResourceFolder() + "skin/";
    return ResourcePath();
}

void CPaintManagerUI::Init(QWidget* paintWindow, const std::string& name) {
    m_window = paintWindow;
    m_name = name;
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (!root) return false;
    m_root = root;
    root->SetManager(this, nullptr, true);
    if (m_window) root->AttachWidget(m_window);
    ApplyFonts();
    NeedUpdate();
    return true;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier && std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
        m_notifiers.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), notifier), m_notifiers.end());
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg) {
    if (msg.pSender) {
        // The nearest "virtualwnd" of the sender or its ancestors routes the message.
        for (CControlUI* c = msg.pSender; c && msg.sVirtualWnd.empty(); c = c->GetParent())
            msg.sVirtualWnd = c->GetVirtualWnd();
        const auto listeners = msg.pSender->OnNotify;
        for (const auto& l : listeners)
            if (l && l(msg)) return;
    }
    const auto notifiers = m_notifiers;
    for (INotifyUI* n : notifiers) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), n) == m_notifiers.end()) continue;
        n->Notify(msg);
    }
}

void CPaintManagerUI::SendNotify(CControlUI* sender, std::string_view type, uintptr_t wParam, intptr_t lParam) {
    TNotifyUI msg;
    msg.sType = std::string(type);
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg);
}

CControlUI* CPaintManagerUI::FindControl(std::string_view name) const {
    if (!m_root || name.empty()) return nullptr;
    if (m_root->GetName() == name) return m_root;
    return FindSubControlByName(m_root, name);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, std::string_view name) const {
    if (!parent) parent = m_root;
    auto* box = parent ? static_cast<CContainerUI*>(parent->GetInterface("Container")) : nullptr;
    return box ? box->FindSubControl(name) : nullptr;
}

std::vector<CControlUI*> CPaintManagerUI::FindSubControlsByClass(CControlUI* parent, std::string_view cls) const {
    std::vector<CControlUI*> out;
    if (!parent) parent = m_root;
    Walk(parent, [&](CControlUI* c) {
        if (c != parent && c->GetInterface(cls)) out.push_back(c);
        return true;
    });
    return out;
}

bool CPaintManagerUI::SetTimer(CControlUI* control, unsigned id, unsigned elapseMs) {
    if (!control) return false;
    for (auto& t : m_timers) {
        if (t->control == control && t->id == id && !t->killed) {
            t->timer->start(static_cast<int>(elapseMs));
            return true;
        }
    }
    auto rec = std::make_unique<TimerRec>();
    rec->control = control;
    rec->id = id;
    rec->timer = new QTimer(m_context.get());
    TimerRec* raw = rec.get();
    QObject::connect(rec->timer, &QTimer::timeout, m_context.get(), [raw] {
        if (raw->killed) return;
        TEventUI ev;
        ev.Type = UIEvent::Timer;
        ev.pSender = raw->control;
        ev.wParam = raw->id;
        raw->control->DoEvent(ev);
    });
    rec->timer->start(static_cast<int>(elapseMs));
    m_timers.push_back(std::move(rec));
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, unsigned id) {
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        TimerRec* t = it->get();
        if (t->control == control && t->id == id && !t->killed) {
            // The record may be inside its own timeout right now: stop it and free it later.
            t->killed = true;
            t->timer->stop();
            t->timer->deleteLater();
            m_killedTimers.push_back(std::move(*it));
            m_timers.erase(it);
            QTimer::singleShot(0, m_context.get(), [this] { m_killedTimers.clear(); });
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* control) {
    std::vector<unsigned> ids;
    for (auto& t : m_timers)
        if (t->control == control) ids.push_back(t->id);
    for (unsigned id : ids) KillTimer(control, id);
}

void CPaintManagerUI::RemoveAllTimers() {
    for (auto& t : m_timers) {
        t->killed = true;
        delete t->timer;
    }
    m_timers.clear();
}

bool CPaintManagerUI::HasTimer(CControlUI* control, unsigned id) const {
    for (auto& t : m_timers)
        if (t->control == control && t->id == id && !t->killed) return true;
    return false;
}

void CPaintManagerUI::AddOptionGroup(const std::string& group, CControlUI* option) {
    auto& v = m_groups[group];
    if (std::find(v.begin(), v.end(), option) == v.end()) v.push_back(option);
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(const std::string& group) const {
    auto it = m_groups.find(group);
    return it == m_groups.end() ? nullptr : &it->second;
}

void CPaintManagerUI::RemoveOptionGroup(const std::string& group, CControlUI* option) {
    auto it = m_groups.find(group);
    if (it == m_groups.end()) return;
    auto& v = it->second;
    v.erase(std::remove(v.begin(), v.end(), option), v.end());
    if (v.empty()) m_groups.erase(it);
}

QFont CPaintManagerUI::MakeFont(const FontInfo& f) {
    QFont font(QString::fromStdString(f.family));
    // Families the machine lacks fall back to a face that covers CJK text.
    font.setFamilies({QString::fromStdString(f.family), "Noto Sans CJK SC", "Noto Sans", "DejaVu Sans"});
    font.setPixelSize(std::max(1, static_cast<int>(f.size * GetDPIScale() + 0.5)));
    font.setBold(f.bold);
    font.setUnderline(f.underline);
    font.setItalic(f.italic);
    return font;
}

int CPaintManagerUI::AddFont(int id, const std::string& family, int size, bool bold, bool underline, bool italic,
                             bool shared) {
    if (shared) Shared().fonts[id] = {family, {size, bold, underline, italic}};
    else m_fonts[id] = FontInfo{family, size, bold, underline, italic};
    NeedUpdate();
    return id;
}

void CPaintManagerUI::SetDefaultFont(const std::string& family, int size, bool bold, bool underline, bool italic,
                                     bool shared) {
    if (shared) {
        Shared().hasDefault = true;
        Shared().family = family;
        Shared().def = {size, bold, underline, italic};
    } else {
        m_hasDefaultFont = true;
        m_defaultFont = FontInfo{family, size, bold, underline, italic};
    }
    ApplyFonts();
}

void CPaintManagerUI::RemoveAllFonts(bool shared) {
    m_fonts.clear();
    m_hasDefaultFont = false;
    if (shared) {
        Shared().fonts.clear();
        Shared().hasDefault = false;
    }
}

bool CPaintManagerUI::HasFont(int id) const {
    return m_fonts.count(id) || Shared().fonts.count(id);
}

QFont CPaintManagerUI::GetDefaultFont() const {
    if (m_hasDefaultFont) return MakeFont(m_defaultFont);
    if (Shared().hasDefault) {
        auto [size, b, u, i] = Shared().def;
        return MakeFont(FontInfo{Shared().family, size, b, u, i});
    }
    return MakeFont(FontInfo{"Noto Sans CJK SC", 14, false, false, false});
}

QFont CPaintManagerUI::GetFont(int id) const {
    if (id >= 0) {
        if (auto it = m_fonts.find(id); it != m_fonts.end()) return MakeFont(it->second);
        if (auto it = Shared().fonts.find(id); it != Shared().fonts.end()) {
            auto [size, b, u, i] = it->second.second;
            return MakeFont(FontInfo{it->second.first, size, b, u, i});
        }
    }
    return GetDefaultFont();
}

void CPaintManagerUI::ApplyFonts() {
    Walk(m_root, [](CControlUI* c) {
        c->ApplyFontToWidget();
        c->Invalidate();
        return true;
    });
}

int CPaintManagerUI::GetDPI() { return g_dpi; }
double CPaintManagerUI::GetDPIScale() { return g_dpi / 96.0; }

void CPaintManagerUI::SetDPI(int dpi) { SetAllDPI(dpi); }

void CPaintManagerUI::SetAllDPI(int dpi) {
    if (dpi <= 0 || dpi == g_dpi) return;
    g_dpi = dpi;
    for (CPaintManagerUI* m : ManagerList()) m->ResetDPIAssets();
}

void CPaintManagerUI::ResetDPIAssets() {
    ApplyFonts();
    Walk(m_root, [](CControlUI* c) {
        if (auto* box = static_cast<CContainerUI*>(c->GetInterface("Container"))) box->NeedUpdate();
        return true;
    });
    NeedUpdate();
}

void CPaintManagerUI::NeedUpdate() {
    if (m_layoutPending || !QCoreApplication::instance()) return;
    m_layoutPending = true;
    QTimer::singleShot(0, m_context.get(), [this] { DoLayout(); });
}

void CPaintManagerUI::DoLayout() {
    m_layoutPending = false;
    if (!m_root || !m_window) return;
    const QRect full(QPoint(0, 0), m_window->size());
    auto* rootBox = static_cast<CContainerUI*>(m_root->GetInterface("Container"));
    if (m_root->GetWidget()->geometry() != full) m_root->SetPos(full);
    else if (rootBox && rootBox->IsLayoutDirty()) rootBox->Relayout();
    // Containers marked dirty below the root (added children, changed sizes).
    Walk(m_root, [](CControlUI* c) {
        auto* box = static_cast<CContainerUI*>(c->GetInterface("Container"));
        if (box && box->IsLayoutDirty()) box->Relayout();
        return true;
    });
}

void CPaintManagerUI::AddStyle(const std::string& name, const std::string& attributes, bool shared) {
    if (shared) SharedStyles()[name] = attributes;
    else m_styles[name] = attributes;
}

std::string CPaintManagerUI::GetStyle(const std::string& name) const {
    if (auto it = m_styles.find(name); it != m_styles.end()) return it->second;
    if (auto it = SharedStyles().find(name); it != SharedStyles().end()) return it->second;
    return {};
}

void CPaintManagerUI::SetWindowAttribute(std::string_view name, std::string_view value) {
    const std::string n = ToLower(name);
    if (n == "size") {
        const UISize s = ParseSize(value);
        SetInitSize(s.cx, s.cy);
    }
    m_windowAttrs[n] = std::string(value);
}

std::string CPaintManagerUI::GetWindowAttribute(std::string_view name) const {
    auto it = m_windowAttrs.find(ToLower(name));
    return it == m_windowAttrs.end() ? std::string() : it->second;
}

} // namespace ui
