#include "platform/system_settings/X11SystemSettings.h"

#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <ctime>
#include <mutex>
#include <numeric>
#include <set>

namespace platform {

namespace {

// The few Xlib declarations we use, spelled out so no X11 headers are needed.
using XDisplay = void;
struct XErrorEventHead {
    int type;
    XDisplay* display;  // the rest of the event is not read
};
using XErrorHandler = int (*)(XDisplay*, XErrorEventHead*);
using XIOErrorHandler = int (*)(XDisplay*);
using XIOErrorExitHandler = void (*)(XDisplay*, void*);
constexpr unsigned kXkbUseCoreKbd = 0x0100;

struct XLib {
    XDisplay* (*OpenDisplay)(const char*) = nullptr;
    int (*CloseDisplay)(XDisplay*) = nullptr;
    int (*Sync)(XDisplay*, int) = nullptr;
    XErrorHandler (*SetErrorHandler)(XErrorHandler) = nullptr;
    XIOErrorHandler (*SetIOErrorHandler)(XIOErrorHandler) = nullptr;
    void (*SetIOErrorExitHandler)(XDisplay*, XIOErrorExitHandler, void*) = nullptr;  // libX11 1.7+
    int (*ChangePointerControl)(XDisplay*, int, int, int, int, int) = nullptr;
    int (*GetPointerControl)(XDisplay*, int*, int*, int*) = nullptr;
    int (*XkbSetAutoRepeatRate)(XDisplay*, unsigned, unsigned, unsigned) = nullptr;
    int (*XkbGetAutoRepeatRate)(XDisplay*, unsigned, unsigned*, unsigned*) = nullptr;
    bool ok = false;
};

template <typename F>
bool Bind(void* lib, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    return fn != nullptr;
}

const XLib& X() {
    static const XLib lib = [] {
        XLib l;
        // Never closed: the library may have registered state we cannot undo.
        void* h = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!h) return l;
        l.ok = Bind(h, "XOpenDisplay", l.OpenDisplay) && Bind(h, "XCloseDisplay", l.CloseDisplay) &&
               Bind(h, "XSync", l.Sync) && Bind(h, "XSetErrorHandler", l.SetErrorHandler) &&
               Bind(h, "XSetIOErrorHandler", l.SetIOErrorHandler) &&
               Bind(h, "XChangePointerControl", l.ChangePointerControl) &&
               Bind(h, "XGetPointerControl", l.GetPointerControl) &&
               Bind(h, "XkbSetAutoRepeatRate", l.XkbSetAutoRepeatRate) &&
               Bind(h, "XkbGetAutoRepeatRate", l.XkbGetAutoRepeatRate);
        // Without it a server that goes away makes Xlib exit the process, so
        // an older libX11 is not used at all.
        l.ok = l.ok && Bind(h, "XSetIOErrorExitHandler", l.SetIOErrorExitHandler);
        return l;
    }();
    return lib;
}

// Xlib's error handler is process-wide: every call of ours runs under this
// lock with our handler installed, and errors on other connections go on to
// the handler that was there before.
std::mutex g_callMutex;
XDisplay* g_callDisplay = nullptr;
bool g_callFailed = false;
XErrorHandler g_previousHandler = nullptr;

int OnXError(XDisplay* dpy, XErrorEventHead* event) {
    if (dpy == g_callDisplay) {
        g_callFailed = true;
        return 0;
    }
    return g_previousHandler ? g_previousHandler(dpy, event) : 0;
}

// Runs fn (Xlib calls on dpy) and waits for the server's answer; false on an X
// error. SIGPIPE from writing to a dead server is held back on this thread and
// discarded, so only the connection-lost handler reports it.
// The default I/O error handler exits the process. Ours returns for our own
// connections (the per-connection exit handler then marks them lost) and
// hands every other connection to the handler that was there before.
std::mutex g_ownMutex;
std::set<XDisplay*> g_own;
XIOErrorHandler g_previousIOHandler = nullptr;

int OnXIOError(XDisplay* dpy) {
    {
        std::lock_guard<std::mutex> lock(g_ownMutex);
        if (g_own.count(dpy)) return 0;
    }
    return g_previousIOHandler ? g_previousIOHandler(dpy) : 0;
}

void Own(XDisplay* dpy) {
    static std::once_flag installed;
    std::call_once(installed, [] { g_previousIOHandler = X().SetIOErrorHandler(OnXIOError); });
    std::lock_guard<std::mutex> lock(g_ownMutex);
    g_own.insert(dpy);
}

void Disown(XDisplay* dpy) {
    std::lock_guard<std::mutex> lock(g_ownMutex);
    g_own.erase(dpy);
}

template <typename Fn>
bool Call(XDisplay* dpy, Fn&& fn) {
    const XLib& x = X();
    std::lock_guard<std::mutex> lock(g_callMutex);
    sigset_t pipe, old;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
    g_callDisplay = dpy;
    g_callFailed = false;
    g_previousHandler = x.SetErrorHandler(OnXError);
    bool ok = fn();
    x.Sync(dpy, 0);
    x.SetErrorHandler(g_previousHandler);
    g_callDisplay = nullptr;
    ok = ok && !g_callFailed;
    if (!sigismember(&old, SIGPIPE)) {
        const timespec zero{0, 0};
        while (sigtimedwait(&pipe, nullptr, &zero) == SIGPIPE) {
        }
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    }
    return ok;
}

}  // namespace

X11SystemSettings::PointerControl X11SystemSettings::PointerControlFor(int speed, bool precision) {
    if (!precision) return {1, 1, 0};
    speed = std::clamp(speed, kPointerSpeedMin, kPointerSpeedMax);
    const int g = std::gcd(speed, 10);
    return {speed / g, 10 / g, 4};
}

std::optional<X11SystemSettings::AutoRepeat> X11SystemSettings::WithDelayIndex(AutoRepeat current, int index) {
    if (index < 0 || index > kKeyboardDelayMax) return std::nullopt;
    current.delayMs = static_cast<unsigned>(KeyboardDelayMs(index));
    return current;
}

X11SystemSettings::AutoRepeat X11SystemSettings::WithRate(AutoRepeat current, int rate) {
    current.intervalMs = static_cast<unsigned>(KeyboardRepeatIntervalMs(std::clamp(rate, 0, kKeyboardSpeedMax)));
    return current;
}

X11SystemSettings::X11SystemSettings(std::string storePath, const char* displayName) : store_(std::move(storePath)) {
    const XLib& x = X();
    if (!x.ok) return;
    XDisplay* dpy = x.OpenDisplay(displayName);
    if (!dpy) return;
    x.SetIOErrorExitHandler(dpy, &X11SystemSettings::OnConnectionLost, this);
    Own(dpy);
    display_ = static_cast<Display*>(dpy);
}

X11SystemSettings::~X11SystemSettings() {
    if (display_) {
        std::lock_guard<std::mutex> lock(g_callMutex);
        X().CloseDisplay(display_);
        Disown(display_);
    }
}

void X11SystemSettings::OnConnectionLost(void*, void* self) {
    // Returning (instead of exiting) leaves the connection marked dead; later
    // Xlib calls on it return at once.
    static_cast<X11SystemSettings*>(self)->lost_.store(true);
}

bool X11SystemSettings::Connected() const { return display_ && !lost_.load(); }

bool X11SystemSettings::ApplyPointer() {
    if (!Connected()) return false;
    const PointerControl pc = PointerControlFor(speed_, precision_);
    const bool ok = Call(display_, [&] {
        X().ChangePointerControl(display_, 1, 1, pc.numerator, pc.denominator, pc.threshold);
        return true;
    });
    return ok && Connected();
}

bool X11SystemSettings::SetPointerSpeed(int speed) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    speed_ = std::clamp(speed, kPointerSpeedMin, kPointerSpeedMax);
    return ApplyPointer();
}

bool X11SystemSettings::SetPointerPrecision(int on) {
    if (!IsPointerPrecisionValue(on)) return false;
    std::lock_guard<std::mutex> lock(stateMutex_);
    precision_ = on == 1;
    return ApplyPointer();
}

std::optional<X11SystemSettings::PointerControl> X11SystemSettings::ReadPointerControl() {
    if (!Connected()) return std::nullopt;
    PointerControl pc{};
    const bool ok = Call(display_, [&] {
        X().GetPointerControl(display_, &pc.numerator, &pc.denominator, &pc.threshold);
        return true;
    });
    if (!ok || !Connected()) return std::nullopt;
    return pc;
}

std::optional<X11SystemSettings::AutoRepeat> X11SystemSettings::ReadAutoRepeat() {
    if (!Connected()) return std::nullopt;
    AutoRepeat r{};
    const bool ok = Call(display_, [&] {
        return X().XkbGetAutoRepeatRate(display_, kXkbUseCoreKbd, &r.delayMs, &r.intervalMs) != 0;
    });
    if (!ok || !Connected()) return std::nullopt;
    return r;
}

bool X11SystemSettings::ApplyRepeat(AutoRepeat value) {
    if (!Connected()) return false;
    const bool ok = Call(display_, [&] {
        return X().XkbSetAutoRepeatRate(display_, kXkbUseCoreKbd, value.delayMs, value.intervalMs) != 0;
    });
    return ok && Connected();
}

// XKB sets delay and interval together, so the one not being changed is read
// back from the server first.
bool X11SystemSettings::SetKeyboardDelay(int index) {
    if (index < 0 || index > kKeyboardDelayMax) return false;
    std::lock_guard<std::mutex> lock(stateMutex_);
    const auto current = ReadAutoRepeat();
    if (!current) return false;
    return ApplyRepeat(*WithDelayIndex(*current, index));
}

bool X11SystemSettings::SetKeyboardSpeed(int rate) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    const auto current = ReadAutoRepeat();
    if (!current) return false;
    return ApplyRepeat(WithRate(*current, rate));
}

}  // namespace platform
