#include "ui/UIWindow.h"

#include "ui/UIContainer.h"
#include "ui/UIResource.h"
#include "ui/UIXml.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/Event.h"

namespace ui {

// ---------------------------------------------------------------- notify pump
bool CNotifyPump::AddVirtualWnd(const std::string& name, CNotifyPump* pump) {
    if (!pump || m_virtualWnds.count(name)) return false;
    m_virtualWnds[name] = pump;
    return true;
}

bool CNotifyPump::RemoveVirtualWnd(const std::string& name) { return m_virtualWnds.erase(name) > 0; }

CNotifyPump* CNotifyPump::GetVirtualWnd(const std::string& name) const {
    auto it = m_virtualWnds.find(name);
    return it == m_virtualWnds.end() ? nullptr : it->second;
}

bool CNotifyPump::NotifyPump(TNotifyUI& msg) {
    if (!msg.sVirtualWnd.empty()) {
        if (CNotifyPump* p = GetVirtualWnd(msg.sVirtualWnd)) return p->HandleNotify(msg);
    }
    return HandleNotify(msg);
}

// ---------------------------------------------------------------- host widget
class WindowHost : public QDialog {
public:
    WindowHost(WindowImplBase* owner, QWidget* parent) : QDialog(parent), m_owner(owner) {}
    WindowImplBase* m_owner;
    QPoint m_dragFrom;
    bool m_dragging = false;

protected:
    void resizeEvent(QResizeEvent* e) override {
        QDialog::resizeEvent(e);
        if (m_owner) m_owner->OnHostResized();
    }
    void showEvent(QShowEvent* e) override {
        QDialog::showEvent(e);
        if (m_owner) m_owner->OnHostShown();
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        if (m_owner && m_owner->CloseOnEscape()) m_owner->Close(0);
    }
    void reject() override {
        if (m_owner && m_owner->CloseOnEscape()) m_owner->Close(0);
    }
    void accept() override {}
    // The skin's caption strip ("caption" = l,t,r,b; b is the strip height) drags the window.
    void mousePressEvent(QMouseEvent* e) override {
        if (m_owner && e->button() == Qt::LeftButton) {
            const UIRect cap = ParseRect(m_owner->m_pm.GetWindowAttribute("caption"));
            const int h = int(cap.bottom * CPaintManagerUI::GetDPIScale());
            if (h > 0 && e->position().y() < h) {
                m_dragging = true;
                m_dragFrom = e->globalPosition().toPoint() - frameGeometry().topLeft();
                return;
            }
        }
        QDialog::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (m_dragging) move(e->globalPosition().toPoint() - m_dragFrom);
        else QDialog::mouseMoveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        m_dragging = false;
        QDialog::mouseReleaseEvent(e);
    }
};

namespace {
std::function<void(WindowImplBase*)>& ModalHook() {
    static std::function<void(WindowImplBase*)> hook;
    return hook;
}
} // namespace

void WindowImplBase::SetModalHook(std::function<void(WindowImplBase*)> hook) { ModalHook() = std::move(hook); }

WindowImplBase::WindowImplBase() : m_receiver(new QObject) {}

WindowImplBase::~WindowImplBase() {
    ReleaseTimers();
    if (!m_destroyed) ReleaseTree();
    delete m_receiver;
}

bool WindowImplBase::Create(WindowImplBase* parent, const std::string& name) {
    if (m_window) return false;
    QWidget* parentWidget = parent ? parent->GetHWND() : nullptr;
    auto* host = new WindowHost(this, parentWidget);
    host->setWindowFlags((parentWidget ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint);
    host->setObjectName(QString::fromStdString(name));
    host->setWindowTitle(QString::fromStdString(name));
    host->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window = host;
    m_pm.Init(host, name);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), {}, this, &m_pm);
    if (!root) {
        static_cast<WindowHost*>(m_window)->m_owner = nullptr;
        delete m_window;
        m_window = nullptr;
        return false;
    }
    m_pm.AddNotifier(this);
    m_pm.AttachDialog(root);
    const UISize init = m_pm.GetInitSize();
    const double s = CPaintManagerUI::GetDPIScale();
    if (init.cx > 0 && init.cy > 0) host->resize(int(init.cx * s), int(init.cy * s));
    else host->resize(400, 300);
    const std::string title = m_pm.GetWindowAttribute("title");
    if (!title.empty()) host->setWindowTitle(QString::fromStdString(title));
    m_pm.DoLayout();
    InitWindow();
    // "windowinit" follows once the creator's own set-up has run.
    QTimer::singleShot(0, m_receiver, [this] {
        if (m_initSent || m_destroyed) return;
        m_initSent = true;
        m_pm.DoLayout();
        m_pm.SendNotify(m_pm.GetRoot(), "windowinit");
    });
    return true;
}

QWidget* WindowImplBase::GetHWND() const { return m_destroyed ? nullptr : m_window; }

void WindowImplBase::OnHostResized() {
    if (!m_pm.GetRoot()) return;
    m_pm.DoLayout();
    if (m_initSent) m_pm.SendNotify(m_pm.GetRoot(), "windowsize");
}

void WindowImplBase::OnHostShown() { m_pm.DoLayout(); }

void WindowImplBase::ShowNormal() {
    if (IsWindow()) m_window->showNormal();
}

void WindowImplBase::ShowMinimized() {
    if (IsWindow()) m_window->showMinimized();
}

void WindowImplBase::ShowMaximized() {
    if (IsWindow()) m_window->showMaximized();
}

void WindowImplBase::BringToTop() {
    if (!IsWindow()) return;
    m_window->raise();
    m_window->activateWindow();
}

bool WindowImplBase::IsMinimized() const { return IsWindow() && m_window->isMinimized(); }

bool WindowImplBase::IsVisibleNormally() const {
    return IsWindow() && m_window->isVisible() && !m_window->isMinimized();
}

void WindowImplBase::Repaint() {
    if (IsWindow()) m_window->update();
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    if (!IsWindow()) return;
    if (show) {
        m_window->show();
        if (takeFocus) {
            m_window->raise();
            m_window->activateWindow();
        }
    } else {
        m_window->hide();
    }
}

int WindowImplBase::ShowModal() {
    if (!IsWindow()) return -1;
    m_modal = true;
    m_window->setWindowModality(Qt::ApplicationModal);
    if (ModalHook()) {
        QTimer::singleShot(0, m_receiver, [this] {
            if (m_modal && ModalHook()) ModalHook()(this);
        });
    }
    const int result = m_closing ? m_modalResult : m_window->exec();
    m_modal = false;
    if (m_closing) {
        const int code = m_modalResult;
        Destroy(); // may delete this
        return code;
    }
    return result;
}

void WindowImplBase::Close(int code) {
    if (m_destroyed || m_closing || !m_window) return;
    bool handled = false;
    HandleCustomMessage(kWmClose, static_cast<uintptr_t>(code), 0, handled);
    if (handled) return;
    m_closing = true;
    m_modalResult = code;
    if (m_modal) {
        m_window->done(code);
        return;
    }
    m_window->hide();
    QTimer::singleShot(0, m_receiver, [this] { Destroy(); });
}

void WindowImplBase::Destroy() {
    if (m_destroyed) return;
    m_destroyed = true;
    HandleMessage(kWmDestroy, 0, 0);
    ReleaseTimers();
    m_pm.RemoveAllTimers();
    ReleaseTree();
    OnFinalMessage();
}

void WindowImplBase::ReleaseTimers() {
    for (auto& [id, t] : m_timers) delete t;
    m_timers.clear();
    m_pm.RemoveNotifier(this);
}

// The control tree dies before the window that shows it.
void WindowImplBase::ReleaseTree() {
    CControlUI* root = m_pm.GetRoot();
    m_pm.DetachRoot();
    delete root;
    if (m_window) {
        static_cast<WindowHost*>(m_window)->m_owner = nullptr;
        delete m_window;
        m_window = nullptr;
    }
}

void WindowImplBase::CenterWindow() {
    if (!IsWindow()) return;
    QRect area;
    if (QWidget* p = m_window->parentWidget(); p && p->isVisible()) area = p->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen()) area = screen->availableGeometry();
    if (area.isEmpty()) return;
    m_window->move(area.center() - QPoint(m_window->width() / 2, m_window->height() / 2));
}

void WindowImplBase::SetIcon(const std::string& file) {
    if (IsWindow()) m_window->setWindowIcon(QIcon(QString::fromStdString(ResolveSkinPath(file))));
}

void WindowImplBase::ResizeClient(int cx, int cy) {
    if (!IsWindow()) return;
    m_window->resize(cx, cy);
    m_pm.DoLayout(); // a hidden window gets its resize event only when shown
}

bool WindowImplBase::PostMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) {
    return QMetaObject::invokeMethod(
        m_receiver, [this, msg, wParam, lParam] { HandleMessage(msg, wParam, lParam); }, Qt::QueuedConnection);
}

intptr_t WindowImplBase::SendMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) {
    if (QThread::currentThread() == m_receiver->thread()) return HandleMessage(msg, wParam, lParam);
    intptr_t result = 0;
    QMetaObject::invokeMethod(
        m_receiver, [this, msg, wParam, lParam] { return HandleMessage(msg, wParam, lParam); },
        Qt::BlockingQueuedConnection, &result);
    return result;
}

intptr_t WindowImplBase::SendMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, const platform::Event* stop,
                                     bool* delivered) {
    if (QThread::currentThread() == m_receiver->thread() || !stop) {
        if (delivered) *delivered = true;
        return SendMessage(msg, wParam, lParam);
    }
    struct Call {
        std::mutex mutex;
        std::condition_variable cv;
        bool started = false, done = false, abandoned = false;
        intptr_t result = 0;
    };
    auto call = std::make_shared<Call>();
    QMetaObject::invokeMethod(
        m_receiver,
        [this, call, msg, wParam, lParam] {
            {
                std::lock_guard lock(call->mutex);
                if (call->abandoned) return;
                call->started = true;
            }
            const intptr_t r = HandleMessage(msg, wParam, lParam);
            std::lock_guard lock(call->mutex);
            call->result = r;
            call->done = true;
            call->cv.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(call->mutex);
    while (!call->done) {
        // A handler already running is waited for: its caller's data is still in use.
        if (!call->started && stop->IsSet()) {
            call->abandoned = true;
            if (delivered) *delivered = false;
            return 0;
        }
        call->cv.wait_for(lock, std::chrono::milliseconds(5));
    }
    if (delivered) *delivered = true;
    return call->result;
}

void WindowImplBase::SetTimer(unsigned id, unsigned elapseMs) {
    QTimer*& t = m_timers[id];
    if (!t) {
        t = new QTimer(m_receiver);
        QObject::connect(t, &QTimer::timeout, m_receiver, [this, id] { HandleMessage(kWmTimer, id, 0); });
    }
    t->start(static_cast<int>(elapseMs));
}

void WindowImplBase::KillTimer(unsigned id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    QTimer* t = it->second;
    t->stop();
    t->deleteLater();
    m_timers.erase(it);
}

intptr_t WindowImplBase::HandleCustomMessage(unsigned, uintptr_t, intptr_t, bool& handled) {
    handled = false;
    return 0;
}

intptr_t WindowImplBase::HandleMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) {
    bool handled = false;
    const intptr_t r = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) return r;
    if (msg == kWmTimer) OnTimer(static_cast<unsigned>(wParam));
    return r;
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType == "click") OnClick(msg);
    NotifyPump(msg);
}

// ---------------------------------------------------------------- menu
CMenuWnd::~CMenuWnd() { Close(); }

static void FillMenu(QMenu* menu, const XmlNode& node, WindowImplBase* owner) {
    for (const XmlNode& item : node.children) {
        if (!EqualsNoCase(item.tag, "MenuElement")) continue;
        auto attr = [&](const char* n) { const std::string* v = item.Attr(n); return v ? *v : std::string(); };
        if (!attr("visible").empty() && !ParseBool(attr("visible"))) continue;
        std::string text = attr("text");
        if (ParseBool(attr("resourcetext"))) text = CResourceManager::GetInstance().GetText(text);
        if (!item.children.empty()) {
            QMenu* sub = menu->addMenu(QString::fromStdString(text));
            FillMenu(sub, item, owner);
            continue;
        }
        QAction* a = menu->addAction(QString::fromStdString(text));
        a->setObjectName(QString::fromStdString(attr("name")));
        if (!attr("enabled").empty()) a->setEnabled(ParseBool(attr("enabled")));
        if (!attr("checked").empty()) {
            a->setCheckable(true);
            a->setChecked(ParseBool(attr("checked")));
        }
        MenuCmd proto{attr("name"), attr("userdata"), text, a->isChecked()};
        QObject::connect(a, &QAction::triggered, [owner, proto](bool checked) {
            if (!owner) return;
            auto* cmd = new MenuCmd(proto);
            cmd->bChecked = checked;
            owner->PostMessage(kWmMenuClick, reinterpret_cast<uintptr_t>(cmd), 0);
        });
    }
}

CMenuWnd* CMenuWnd::CreateMenu(const std::string& xml, QPoint at, WindowImplBase* owner) {
    auto doc = LoadLayoutDoc(xml);
    if (!doc) return nullptr;
    const XmlNode* root = doc.get();
    if (EqualsNoCase(root->tag, "Window")) {
        for (const XmlNode& c : root->children)
            if (EqualsNoCase(c.tag, "Menu")) { root = &c; break; }
    }
    auto* wnd = new CMenuWnd;
    wnd->m_menu = new QMenu(owner ? owner->GetHWND() : nullptr);
    wnd->m_menu->setStyleSheet("QMenu{background:#1E2128;color:#E6E6E6;border:1px solid #3A3F4B;padding:4px;}"
                               "QMenu::item{padding:6px 24px;}QMenu::item:selected{background:#FF4655;}");
    FillMenu(wnd->m_menu, *root, owner);
    wnd->m_menu->popup(at);
    return wnd;
}

void CMenuWnd::Close() {
    if (m_menu) {
        m_menu->close();
        m_menu->deleteLater();
        m_menu = nullptr;
    }
}

bool CMenuWnd::ClickItem(const std::string& name) {
    if (!m_menu) return false;
    for (QAction* a : m_menu->findChildren<QAction*>()) {
        if (a->objectName().toStdString() == name) {
            a->trigger();
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- tray
CTrayIcon::~CTrayIcon() { DeleteTrayIcon(); }

bool CTrayIcon::IsSystemTrayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void CTrayIcon::CreateTrayIcon(WindowImplBase* receiver, const std::string& iconFile, const std::string& tooltip,
                               unsigned message) {
    DeleteTrayIcon();
    m_receiver = receiver;
    m_message = message;
    m_icon = new QSystemTrayIcon(QIcon(QString::fromStdString(ResolveSkinPath(iconFile))));
    m_icon->setToolTip(QString::fromStdString(tooltip));
    QObject::connect(m_icon, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) SimulateClick(false);
        else if (r == QSystemTrayIcon::Context) SimulateClick(true);
    });
    if (IsSystemTrayAvailable()) m_icon->show();
}

void CTrayIcon::DeleteTrayIcon() {
    delete m_icon;
    m_icon = nullptr;
}

void CTrayIcon::SetTooltipText(const std::string& text) {
    if (m_icon) m_icon->setToolTip(QString::fromStdString(text));
}

void CTrayIcon::SimulateClick(bool right) {
    if (m_receiver) m_receiver->PostMessage(m_message, 0, right ? kWmRButtonUp : kWmLButtonUp);
}

} // namespace ui
