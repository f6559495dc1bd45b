#include "app/Simulation.h"

#include "emulator/Models.h"
#include "platform/Debug.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <cctype>
#include <sstream>

namespace app {

namespace {
const char* const kFamilies[] = {"mouse", "keyboard", "MousePad", "HD"};

class ShortcutFilter : public QObject {
public:
    explicit ShortcutFilter(Simulation* sim) : sim_(sim) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            const auto mods = k->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
            if (mods == (Qt::ControlModifier | Qt::ShiftModifier) && !k->isAutoRepeat()) {
                // With Shift held, layouts report the digit's shifted symbol.
                int slot = -1;
                switch (k->key()) {
                case Qt::Key_1: case Qt::Key_Exclam: slot = 0; break;
                case Qt::Key_2: case Qt::Key_At: slot = 1; break;
                case Qt::Key_3: case Qt::Key_NumberSign: slot = 2; break;
                case Qt::Key_4: case Qt::Key_Dollar: slot = 3; break;
                default: break;
                }
                if (slot >= 0) {
                    sim_->Toggle(kFamilies[slot]);
                    return true;
                }
            }
        }
        return QObject::eventFilter(o, e);
    }

private:
    Simulation* sim_;
};
} // namespace

std::string Simulation::FamilyOf(const std::string& word) {
    std::string w;
    for (char c : word) w += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (w == "mouse" || w == "ms" || w == "m") return "mouse";
    if (w == "keyboard" || w == "kb" || w == "k") return "keyboard";
    if (w == "mousepad" || w == "pad" || w == "mp" || w == "p") return "MousePad";
    if (w == "hd" || w == "headset" || w == "h") return "HD";
    return {};
}

Simulation::Simulation(const std::vector<std::string>& initial)
    : bus_(std::make_shared<emu::VirtualHidBus>()), context_(std::make_unique<QObject>()) {
    models_["mouse"] = emu::MakeMouse();
    models_["keyboard"] = emu::MakeKeyboard();
    models_["MousePad"] = emu::MakeMousePad();
    models_["HD"] = emu::MakeHeadset();
    // A session streams frames for hours; keep only a recent window of the wire log.
    for (auto& [name, m] : models_) m->SetWireLogLimit(2000);
    hid::SetBackend(bus_);
    if (initial.empty()) {
        for (const char* f : kFamilies) Plug(f);
    } else {
        for (const auto& f : initial) Plug(FamilyOf(f));
    }
}

Simulation::~Simulation() = default;

bool Simulation::Plug(const std::string& family) {
    auto it = models_.find(family);
    if (it == models_.end() || plugged_[family]) return false;
    if (!it->second->Present()) it->second->Replug();
    bus_->Plug(it->second);
    plugged_[family] = true;
    platform::DebugOut("simulate: plug " + family);
    return true;
}

bool Simulation::Unplug(const std::string& family) {
    auto it = models_.find(family);
    if (it == models_.end() || !plugged_[family]) return false;
    bus_->Unplug(it->second);
    plugged_[family] = false;
    platform::DebugOut("simulate: unplug " + family);
    return true;
}

bool Simulation::Toggle(const std::string& family) { return IsPlugged(family) ? Unplug(family) : Plug(family); }

bool Simulation::IsPlugged(const std::string& family) const {
    auto it = plugged_.find(family);
    return it != plugged_.end() && it->second;
}

std::shared_ptr<emu::DeviceModel> Simulation::Model(const std::string& family) const {
    auto it = models_.find(family);
    return it == models_.end() ? nullptr : it->second;
}

bool Simulation::Schedule(const std::string& script) {
    struct Step {
        int ms;
        bool plug;
        std::string family;
    };
    std::vector<Step> steps;
    std::stringstream in(script);
    std::string entry;
    while (std::getline(in, entry, ';')) {
        if (entry.empty()) continue;
        const auto a = entry.find(':');
        const auto b = a == std::string::npos ? a : entry.find(':', a + 1);
        if (b == std::string::npos) return false;
        const std::string when = entry.substr(0, a);
        char* end = nullptr;
        const long ms = std::strtol(when.c_str(), &end, 10);
        const std::string action = entry.substr(a + 1, b - a - 1);
        const std::string family = FamilyOf(entry.substr(b + 1));
        if (when.empty() || !end || *end || ms < 0 || family.empty() || (action != "plug" && action != "unplug")) return false;
        steps.push_back({static_cast<int>(ms), action == "plug", family});
    }
    for (const auto& s : steps)
        QTimer::singleShot(s.ms, context_.get(), [this, s] { s.plug ? Plug(s.family) : Unplug(s.family); });
    return true;
}

void Simulation::InstallShortcuts() {
    auto* app = QCoreApplication::instance();
    if (!app) return;
    auto* filter = new ShortcutFilter(this);
    filter->setParent(context_.get());
    app->installEventFilter(filter);
}

} // namespace app
