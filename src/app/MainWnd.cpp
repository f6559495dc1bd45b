#include "app/MainWnd.h"
#include "app/MouseRoutes.h"

#include "app/AppMessages.h"
#include "app/CustomControls.h"
#include "app/DeviceOptionUI.h"
#include "platform/Debug.h"
#include "ui/UIResource.h"
#include "ui/UIXml.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <atomic>

namespace app {

namespace {
std::atomic<bool> g_awake{true};
CMainWnd* g_mainWnd = nullptr;
int g_screenWidth = 0;
int g_screenHeight = 0;

constexpr const char* kAppTitle = "Zandri Gaming Mouse";
constexpr const char* kAppIconFallback = "common/device_ico/app_icon.png";
constexpr const char* kLightOnText = "控制灯光";
constexpr const char* kLightOffText = "不控制灯光";

// Icon resource 107 of the skin index, or our own icon.
std::string AppIcon() {
    const std::string icon = ui::CResourceManager::GetInstance().GetImagePath("ICON_107");
    if (!icon.empty() && QFile::exists(QString::fromStdString(ui::ResolveSkinPath(icon)))) return icon;
    return kAppIconFallback;
}
constexpr const char* kMainLayoutFile = "XML\\MainWnd.xml";
constexpr const char* kTrayMenuFallback =
    "<Menu><MenuElement name=\"exit\" text=\"Exit\"/></Menu>";

bool SameIdentity(const devices::DeviceSlot& a, const devices::DeviceSlot& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
           a.collectionNumber == b.collectionNumber && a.kind == b.kind && a.channel == b.channel &&
           a.usagePage == b.usagePage && a.usage == b.usage;
}

bool SameDevice(const devices::DeviceSlot& a, const devices::DeviceSlot& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.kind == b.kind;
}

ui::CTabLayoutUI* AsTab(ui::CControlUI* c) { return ui::ControlCast<ui::CTabLayoutUI>(c, "TabLayout"); }
ui::CContainerUI* AsBox(ui::CControlUI* c) { return ui::ControlCast<ui::CContainerUI>(c, "Container"); }
} // namespace

bool IsAwake() { return g_awake.load(); }
void SetAwake(bool awake) { g_awake = awake; }

CMainWnd::CMainWnd()
    : m_bridge(std::make_unique<MessageBridge>(
          [this](unsigned msg, uintptr_t w, intptr_t l) -> intptr_t {
              if (m_destroyed) return 0;
              return HandleMessage(msg, w, l);
          })) {
    AddWindowRoutes();
}

CMainWnd::~CMainWnd() {
    StopWorkerThreads();
    if (m_trayMenu) {
        delete m_trayMenu;
        m_trayMenu = nullptr;
    }
    m_mice.clear();
    m_pads.clear();
    m_powerTiles.clear();
    m_keyboards.clear();
    m_headsets.clear();
    if (g_mainWnd == this) g_mainWnd = nullptr;
}

std::string CMainWnd::GetSkinFile() {
    // Until the resource index names an existing layout, find it by its file.
    const std::string path = ui::CResourceManager::GetInstance().GetXmlPath("XML_MAIN");
    if (path.empty() || !QFile::exists(QString::fromStdString(ui::ResolveSkinPath(path)))) return kMainLayoutFile;
    return "XML_MAIN";
}

ui::CControlUI* CMainWnd::CreateControl(std::string_view tag) { return CreateMainWindowControl(tag, &m_pm); }

// ------------------------------------------------------------------ routes
void CMainWnd::AddWindowRoutes() {
    RouteTable& click = m_routes.For("click");
    click.Add("closebtn", [this](ui::TNotifyUI&, int) { ShowWindow(false); });
    click.Add("nodevice_ok_btn", [this](ui::TNotifyUI&, int) { ShowWindow(false); });
    click.Add("control_light_status", [this](ui::TNotifyUI&, int) { SetLightControl(!m_lightControl); });
    // The three size buttons are matched by identity, not by name.
    click.AddMatcher([this](const ui::TNotifyUI& m) { return m.pSender && m.pSender == m_minBtn; },
                     [this](ui::TNotifyUI&, int) { SysCommand(kScMinimize); });
    click.AddMatcher([this](const ui::TNotifyUI& m) { return m.pSender && m.pSender == m_maxBtn; },
                     [this](ui::TNotifyUI&, int) { SysCommand(kScMaximize); });
    click.AddMatcher([this](const ui::TNotifyUI& m) { return m.pSender && m.pSender == m_restoreBtn; },
                     [this](ui::TNotifyUI&, int) { SysCommand(kScRestore); });

    RouteTable& select = m_routes.For("selectchanged");
    select.Add("synchro_device_select", [](ui::TNotifyUI&, int) {});
    select.Add("device_select", [this](ui::TNotifyUI&, int) { SelectDevice(); });
    // Page tabs of the device panels: the number is the page kind SetKind understands.
    const std::pair<const char*, int> pageTabs[] = {{"deng_Op_tab", 1},   {"key_Op_tab", 2},        {"macro_Op_tab", 3},
                                                    {"system_Op_tab", 4}, {"cursor_Op_tab", 5},     {"6533_voice_Op_tab", 6},
                                                    {"magic_Op_tab", 7}};
    for (const auto& [name, kind] : pageTabs) {
        select.Add(name, [this, kind = kind](ui::TNotifyUI& msg, int) {
            auto* option = ui::ControlCast<ui::COptionUI>(msg.pSender, "Option");
            if (option && !option->IsSelected()) return;  // the option that lost the selection
            if (devices::COstrivanUSBDevice* device = GetSelectedDevice()) device->SetKind(kind);
        });
    }

    AddMouseRoutes(*this, m_routes);
    AddLightPanelRoutes(*this, m_routes);

    m_routes.For("windowsize").Add("root", [this](ui::TNotifyUI&, int) {
        if (!m_displayChanged) return;
        m_displayChanged = false;
        FitToDesignSize();
    });
}

void CMainWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType != "timer")
        platform::DebugOut(msg.sType + " " + (msg.pSender ? msg.pSender->GetName() : std::string()));
    if (msg.sType == "windowinit") OnWindowInit();
    else m_routes.Dispatch(msg);
    if (msg.sType == "click_wpremove" || msg.sType == "click_wpedit") return;
    ui::WindowImplBase::Notify(msg);
}

// ------------------------------------------------------------------ set-up
void CMainWnd::InitWindow() {
    platform::DebugOut("InitWindow");
    ui::CResourceManager::GetInstance().LoadLanguage("lan_cn.xml");
    m_closeBtn = m_pm.FindControl("closebtn");
    m_maxBtn = m_pm.FindControl("maxbtn");
    m_restoreBtn = m_pm.FindControl("restorebtn");
    m_minBtn = m_pm.FindControl("minbtn");
    m_skinBtn = m_pm.FindControl("skinbtn");
    m_setBtn = m_pm.FindControl("setbtn");
    g_mainWnd = this;
    const std::string icon = AppIcon();
    SetIcon(icon);
    m_tray.CreateTrayIcon(this, icon, kAppTitle, kWmTrayIcon);
}

void CMainWnd::OnWindowInit() {
    if (m_initialised) return;
    // Lighting-control claim: nobody else takes part on this desktop yet.
    RegisterWindowMessage(kLightClaimName);
    m_slots = devices::MakeSlotList();
    BuildDevices();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        g_screenWidth = screen->geometry().width();
        g_screenHeight = screen->geometry().height();
    }
    ShowWindow(false);
    m_scanner = std::make_unique<DeviceScanner>(m_slots, static_cast<IScanTarget&>(*this));
    StartWorker(
        kScanThreadSlot, [this](const platform::Event& exit) { m_scanner->Run(exit); },
        [this] { m_scanner->Unblock(); });
    SetTimer(kTimerFitToDesign, 100);
    m_initialised = true;
}

void CMainWnd::BuildDevices() {
    for (size_t row = 0; row < devices::DeviceOptionTable.size(); ++row) {
        const auto& option = devices::DeviceOptionTable[row];
        const int slotRow = devices::FindSlotRow(static_cast<uint16_t>(option.kind),
                                                 static_cast<uint16_t>(option.channel),
                                                 static_cast<uint16_t>(option.vendorId),
                                                 static_cast<uint16_t>(option.productId));
        if (slotRow < 0) continue;
        switch (option.kind) {
        case devices::kKindKeyboard:
        case devices::kKindMouse:
        case devices::kKindWirelessMouse:
        case devices::kKindMousePad:
        case devices::kKindHeadset: BuildFamily(slotRow); break;
        default: break;
        }
    }
}

bool CMainWnd::BuildFamily(int slotRow) {
    const devices::DeviceSlot& slot = m_slots[static_cast<size_t>(slotRow)];
    int kind = slot.kind == devices::kKindWirelessMouse ? devices::kKindMouse : slot.kind;
    int vid = slot.vendorId, pid = slot.productId;
    if (slot.linked && slot.linkedSlot < m_slots.size()) {
        vid = m_slots[slot.linkedSlot].vendorId;
        pid = m_slots[slot.linkedSlot].productId;
    }
    const int row = devices::FindOptionRow(vid, pid, kind, slot.channel);
    if (row < 0) return false;
    const auto& option = devices::DeviceOptionTable[static_cast<size_t>(row)];
    const auto& family = devices::DeviceFamilyTable[static_cast<size_t>(row)];

    ui::CDialogBuilder powerBuilder;
    ui::CControlUI* power = powerBuilder.Create("XML\\CustomControlXML\\MpDevicePower.xml", {}, this, &m_pm);
    if (!power) return false;
    ui::CDialogBuilder tileBuilder;
    ui::CControlUI* tileRoot = tileBuilder.Create(std::string(option.tileLayout), {}, this, &m_pm);
    auto* tile = ui::ControlCast<CDeviceOptionUI>(tileRoot, "DeviceOption");
    if (!tile) {
        delete tileRoot;
        delete power;
        return false;
    }
    ui::CDialogBuilder deviceBuilder;
    ui::CControlUI* deviceRoot = deviceBuilder.Create(std::string(family.panelLayout), {}, this, &m_pm);
    auto* device = ui::ControlCast<devices::COstrivanUSBDevice>(deviceRoot, "OstrivanUSBDevice");
    auto* powerSwitch = AsTab(m_pm.FindControl("device_power_switch"));
    auto* deviceSwitch = AsTab(m_pm.FindControl("device_switch"));
    auto* strip = AsBox(m_pm.FindControl("device_select_layout"));
    if (!device || !powerSwitch || !deviceSwitch || !strip) {
        delete deviceRoot;
        delete tileRoot;
        delete power;
        return false;
    }

    powerSwitch->Add(power);
    m_powerTiles.push_back(power);

    device->SetLayoutFile(std::string(family.panelLayout));
    device->SetOwnerWindow(this);
    device->SetKeyCount(family.keyCount);
    device->SetLightCount(family.lightCount);
    device->SetPowerDisplay(family.powerDisplay);
    if (auto* mouse = dynamic_cast<devices::COstrivanMouseDevice*>(device)) mouse->SetLogoLight(family.logoLight);
    device->SetProfileName(m_profileName);
    device->SetFamilyName(std::string(option.familyName));
    device->SetPowerTile(power);
    device->SetSlot(slot);
    device->SetFamilyIndex(option.familyIndex);
    device->SetLightConfigName(std::string(family.lightConfigName));
    device->BuildDeviceUI();

    deviceSwitch->Add(device);
    if (auto* m = dynamic_cast<devices::COstrivanMouseDevice*>(device)) m_mice.push_back(m);
    else if (auto* k = dynamic_cast<devices::COstrivanKeyboardDevice*>(device)) m_keyboards.push_back(k);
    else if (auto* p = dynamic_cast<devices::COstrivanMousePadDevice*>(device)) m_pads.push_back(p);
    else if (auto* h = dynamic_cast<devices::COstrivanRI6533Device*>(device)) m_headsets.push_back(h);

    strip->Add(tile);
    tile->SetSynchroVisible(false);
    tile->SetGroup(std::string(option.tabHeaderControl));
    tile->BindPage("device_switch", deviceSwitch->GetCount() - 1);
    tile->SetPowerPage(std::string(option.powerSwitchControl), powerSwitch->GetCount() - 1);
    tile->SetType(option.kind, option.channel);
    tile->SetVisible(false);
    tile->SetDeviceName(std::string(option.familyName));
    tile->SetDevice(device);
    tile->SetPreviewControl(device->GetPreviewControl());
    return true;
}

bool CMainWnd::StartWorker(int slot, std::function<void(const platform::Event&)> body, std::function<void()> unblock) {
    if (slot < 0 || slot >= kWorkerSlots || m_threadsStopped) return false;
    return m_threads[static_cast<size_t>(slot)].Start(std::move(body), std::move(unblock));
}

bool CMainWnd::IsWorkerRunning(int slot) const {
    return slot >= 0 && slot < kWorkerSlots && m_threads[static_cast<size_t>(slot)].Running();
}

void CMainWnd::StopWorkerThreads() {
    if (m_threadsStopped) return;
    m_threadsStopped = true;
    ShowWindow(false);
    // Each stop signals its exit event and cuts the worker's blocking call; a
    // worker waiting on a send to this thread gives up the send by itself.
    for (int i = 0; i < kWorkerSlots; ++i)
        m_threads[static_cast<size_t>(i)].Stop(platform::StopLines::MainWindow, 1000, i);
}

void CMainWnd::Exit() {
    m_exiting = true;
    Close(0);
}

// ------------------------------------------------------------------ scanner side
bool CMainWnd::SendToWindow(unsigned msg, uintptr_t wParam, const platform::Event& exit) {
    return m_bridge->Send(msg, wParam, 0, &exit) == MessageBridge::SendResult::Handled;
}

void CMainWnd::PostToWindow(unsigned msg, uintptr_t wParam, intptr_t lParam) { m_bridge->Post(msg, wParam, lParam); }

// ------------------------------------------------------------------ messages
intptr_t CMainWnd::HandleCustomMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, bool& handled) {
    handled = false;
    if (m_destroyed && msg != kWmDestroy) return 0;
    if (msg == kWmActivate) {
        m_active = m_hover = wParam != 0;
        ForEachDevice([this](devices::COstrivanUSBDevice* d) { d->SetPanelVisible(m_hover); });
        return 0;
    }
    if (msg == kWmMouseLeave || msg == kWmMouseHover) {
        platform::DebugOut(msg == kWmMouseLeave ? "鼠标移出" : "鼠标移入");
        if (!m_active) {
            m_hover = msg == kWmMouseHover;
            ForEachDevice([this](devices::COstrivanUSBDevice* d) { d->SetPanelVisible(m_hover); });
        }
        return 0;
    }
    if (msg == RegisterWindowMessage(kLightRequestName)) {
        // Another program asks us to give up (0) or take (1) the lighting.
        if (wParam == 1 && (lParam == 0 || lParam == 1)) SetLightControl(lParam == 1);
        return 0;
    }
    if (msg == InstanceMessage()) {
        platform::DebugOut("软件标示 " + std::to_string(msg) + "，" + std::to_string(wParam) + std::to_string(lParam));
        BringToFront();
        return 0;
    }
    if (msg == kWmClose) {
        // Closing only hides to the tray; the tray menu's exit really ends the program.
        if (!m_exiting) {
            ShowWindow(false);
            handled = true;
        }
        return 0;
    }
    if (msg == kWmDestroy) {
        platform::DebugOut("退出测试");
        m_destroyed = true;
        StopWorkerThreads();
        m_tray.DeleteTrayIcon();
        if (m_trayMenu) {
            delete m_trayMenu;
            m_trayMenu = nullptr;
        }
        m_mice.clear();
        m_keyboards.clear();
        m_pads.clear();
        m_headsets.clear();
        m_powerTiles.clear();
        if (m_quit) m_quit();
        handled = true;
        return 0;
    }
    // Attach and detach are served even while asleep: they only bind channels, and a
    // device lost here would stay invisible until it was replugged.
    if (msg == kWmDeviceArrival) {
        OnDeviceArrival(wParam);
        handled = true;
        return 0;
    }
    if (msg == kWmDeviceRemoval) {
        OnDeviceRemoval(wParam);
        handled = true;
        return 0;
    }
    if (msg == kWmPowerBroadcast) {
        if (wParam == kPbtResume) {
            SetAwake(true);
            ForEachDevice([this](devices::COstrivanUSBDevice* d) {
                if (!dynamic_cast<devices::COstrivanRI6533Device*>(d)) d->SetLightingOn(m_lightControl != 0);
            });
        } else if (wParam == kPbtSuspend) {
            SetAwake(false);
            ForEachDevice([](devices::COstrivanUSBDevice* d) {
                if (!dynamic_cast<devices::COstrivanRI6533Device*>(d)) d->SetLightingOn(false);
            });
        }
        return 0;
    }
    if (!IsAwake()) return 0;
    switch (msg) {
    case kWmDisplayChange:
        platform::DebugOut("显示器分辨率发生变化");
        m_displayChanged = true;
        FitToDesignSize();
        return 0;
    case kWmTrayIcon: OnTray(lParam); return 0;
    case kWmSysCommand:
        SysCommand(wParam);
        handled = true;
        return 0;
    case kWmMenuCommand:
        OnMenuCommand(reinterpret_cast<ui::MenuCmd*>(wParam));
        handled = true;
        return 0;
    case kWmDpiDebug: platform::DebugOut("界面 DPI 1发生变化"); return 0;
    case kWmShowProgress:
        if (ui::CControlUI* p = m_pm.FindControl("setting_progress")) p->SetVisible(true);
        return 0;
    case kWmClearUpdateBadge:
        if (m_setBtn) m_setBtn->SetForeImage("");
        return 0;
    default: return 0;
    }
}

void CMainWnd::OnTimer(unsigned id) {
    if (!IsAwake()) return;
    KillTimer(id);
    switch (id) {
    case kTimerFitToDesign:
        FitToDesignSize();
        Repaint();
        break;
    case kTimerTrayMenu: OpenTrayMenu(); break;
    default: break;
    }
}

// ------------------------------------------------------------------ arrival, removal
template <class F>
void CMainWnd::ForEachDevice(F f) {
    for (auto* d : m_keyboards) f(d);
    for (auto* d : m_mice) f(d);
    for (auto* d : m_pads) f(d);
    for (auto* d : m_headsets) f(d);
}

void CMainWnd::OnDeviceArrival(size_t index) {
    if (index >= m_slots.size()) return;
    switch (m_slots[index].kind) {
    case devices::kKindKeyboard: AttachToList(m_keyboards, index, false); break;
    case devices::kKindMouse:
    case devices::kKindWirelessMouse: AttachToList(m_mice, index, true); break;
    case devices::kKindMousePad: AttachToList(m_pads, index, false); break;
    case devices::kKindHeadset: AttachToList(m_headsets, index, false); break;
    default: break;
    }
    BringToFront();
}

void CMainWnd::OnDeviceRemoval(size_t index) {
    if (index >= m_slots.size()) return;
    switch (m_slots[index].kind) {
    case devices::kKindKeyboard: DetachFromList(m_keyboards, index, false); break;
    case devices::kKindMouse:
    case devices::kKindWirelessMouse: DetachFromList(m_mice, index, true); break;
    case devices::kKindMousePad: DetachFromList(m_pads, index, false); break;
    case devices::kKindHeadset: DetachFromList(m_headsets, index, false); break;
    default: break;
    }
}

template <class List>
void CMainWnd::AttachToList(List& list, size_t index, bool mice) {
    const devices::DeviceSlot slot = m_slots[index];
    if (slot.channel == devices::kChannelCommand) {
        if (mice && LinkedRuleHolds(index)) {
            LinkedSwitch(index);
            return;
        }
        devices::COstrivanUSBDevice* device = nullptr;
        for (auto* d : list)
            if (SameIdentity(d->GetSlot(), slot)) device = d;
        if (!device || device->IsConnected()) return;
        {
            std::lock_guard lock(device->CommandChannel().commandLock);
            if (device->OpenCommandChannel(slot.path)) {
                if (mice) device->SetWireless(slot.kind == devices::kKindWirelessMouse);
                device->SetSlot(slot);
            }
        }
        const int tile = TileIndexOf(device);
        if (tile < 0) return;
        const bool select = CountVisibleTiles() == 0;
        ShowDeviceTile(tile, true, select);
        GetTile(tile)->Start();
    } else if (slot.channel == devices::kChannelSync) {
        for (auto* d : list) {
            const devices::DeviceSlot& id = d->GetSlot();
            if (!SameDevice(id, slot)) continue;
            if (!d->SyncChannelHasPath()) {
                d->AttachSyncChannel(slot.path);
                if (!mice) return;
            } else if (mice && id.linked && id.linkedSlot < m_slots.size() &&
                       SameDevice(m_slots[id.linkedSlot], slot)) {
                d->DetachSyncChannel();
                d->AttachSyncChannel(slot.path);
            }
        }
    }
}

template <class List>
void CMainWnd::DetachFromList(List& list, size_t index, bool mice) {
    const devices::DeviceSlot slot = m_slots[index];
    if (slot.channel == devices::kChannelCommand) {
        if (mice && LinkedRuleHolds(index)) {
            LinkedSwitch(index);
            return;
        }
        for (auto* d : list) {
            if (!SameIdentity(d->GetSlot(), slot)) continue;
            {
                std::lock_guard lock(d->CommandChannel().commandLock);
                d->CloseCommandChannel();
            }
            HideDeviceTile(TileIndexOf(d));
            return;
        }
    } else if (slot.channel == devices::kChannelSync) {
        for (auto* d : list) {
            const devices::DeviceSlot& id = d->GetSlot();
            if (!d->SyncChannelHasPath() || !SameDevice(id, slot)) continue;
            d->DetachSyncChannel();
            if (mice && id.linked && id.linkedSlot < m_slots.size()) {
                const devices::DeviceSlot& partner = m_slots[id.linkedSlot];
                if (partner.connected && !partner.path.empty()) d->AttachSyncChannel(partner.path);
            }
            return;
        }
    }
}

bool CMainWnd::LinkedRuleHolds(size_t index) const {
    const devices::DeviceSlot& a = m_slots[index];
    if (!a.linked || a.linkedSlot >= m_slots.size()) return false;
    const devices::DeviceSlot& p = m_slots[a.linkedSlot];
    return p.connected && !p.path.empty() && p.linkedSlot == index;
}

void CMainWnd::LinkedSwitch(size_t index) {
    const devices::DeviceSlot a = m_slots[index];
    const devices::DeviceSlot& p = m_slots[a.linkedSlot];
    devices::COstrivanMouseDevice* device = nullptr;
    for (auto* d : m_mice)
        if (SameIdentity(d->GetSlot(), a) || SameIdentity(d->GetSlot(), p)) device = d;
    if (!device) return;
    const devices::DeviceSlot bind = device->IsWireless() ? a : p;
    {
        std::lock_guard lock(device->CommandChannel().commandLock);
        device->CloseCommandChannel();
        if (device->OpenCommandChannel(bind.path)) {
            device->SetWireless(!device->IsWireless());
            device->SetSlot(bind);
        }
    }
    if (!device->IsConnected()) return;
    for (const auto& s : m_slots)
        if (s.connected && s.channel == devices::kChannelSync && SameDevice(s, bind)) device->AttachSyncChannel(s.path);
}

// ------------------------------------------------------------------ device list
int CMainWnd::GetTileCount() {
    auto* strip = AsBox(m_pm.FindControl("device_select_layout"));
    return strip ? strip->GetCount() : 0;
}

CDeviceOptionUI* CMainWnd::GetTile(int index) {
    auto* strip = AsBox(m_pm.FindControl("device_select_layout"));
    return strip ? ui::ControlCast<CDeviceOptionUI>(strip->GetItemAt(index), "DeviceOption") : nullptr;
}

int CMainWnd::TileIndexOf(devices::COstrivanUSBDevice* device) {
    for (int i = 0; i < GetTileCount(); ++i)
        if (CDeviceOptionUI* t = GetTile(i); t && t->GetDevice() == device) return i;
    return -1;
}

int CMainWnd::CountVisibleTiles() {
    int n = 0;
    for (int i = 0; i < GetTileCount(); ++i)
        if (CDeviceOptionUI* t = GetTile(i); t && t->IsOwnVisible()) ++n;
    return n;
}

void CMainWnd::ShowNoDevicePage(bool show) {
    if (ui::CControlUI* page = m_pm.FindControl("No_device_Link")) page->SetVisible(show);
}

void CMainWnd::SelectPowerPage(CDeviceOptionUI* tile) {
    ui::CControlUI* layout = m_pm.FindControl(tile->GetPowerLayout().empty() ? "device_power_switch"
                                                                              : tile->GetPowerLayout());
    if (!layout) return;
    if (tile->GetPowerIndex() < 0) {
        layout->SetVisible(false);
        return;
    }
    layout->SetVisible(true);
    if (auto* tab = AsTab(layout)) tab->SelectItem(tile->GetPowerIndex());
}

void CMainWnd::ShowDeviceTile(int index, bool visible, bool select) {
    if (CDeviceOptionUI* tile = GetTile(index)) {
        tile->SetVisible(visible);
        if (select) {
            if (auto* tab = AsTab(m_pm.FindControl("device_switch"))) tab->SelectItem(tile->GetBindIndex());
        }
        SelectPowerPage(tile);
        tile->Select(select);
    }
    int visibleCount = 0, synchroCount = 0;
    for (int i = 0; i < GetTileCount(); ++i) {
        CDeviceOptionUI* t = GetTile(i);
        if (!t || !t->IsOwnVisible()) continue;
        ++visibleCount;
        if (t->IsSynchro()) ++synchroCount;
    }
    if (visibleCount == 0) {
        ShowNoDevicePage(true);
        if (auto* tab = AsTab(m_pm.FindControl("device_power_switch"))) tab->SelectItem(0);
        if (auto* tab = AsTab(m_pm.FindControl("device_switch"))) tab->SelectItem(0);
    } else {
        ShowNoDevicePage(false);
    }
    // Synchronisation is offered once two or more devices are attached.
    const bool offered = visibleCount > 1;
    ForEachDevice([offered](devices::COstrivanUSBDevice* d) { d->SetSyncOffered(offered); });
    for (int i = 0; i < GetTileCount(); ++i)
        if (CDeviceOptionUI* t = GetTile(i)) t->SetSynchroVisible(offered && t->IsOwnVisible());
    if (synchroCount <= 1) {
        for (int i = 0; i < GetTileCount(); ++i)
            if (CDeviceOptionUI* t = GetTile(i); t && t->IsSynchro()) t->SetSynchro(false);
    }
}

void CMainWnd::HideDeviceTile(int index) {
    CDeviceOptionUI* tile = GetTile(index);
    if (!tile) return;
    const bool wasSelected = tile->IsOwnVisible() && tile->IsSelected();
    int other = -1;
    if (wasSelected) {
        if (m_editState == 1) {
            SendMessage(kWmKeyHook, 0, 0);
            m_editState = 1;
        }
        for (int i = 0; i < GetTileCount(); ++i) {
            if (i == index) continue;
            if (CDeviceOptionUI* t = GetTile(i); t && t->IsOwnVisible()) {
                other = i;
                break;
            }
        }
    }
    ShowDeviceTile(index, false, false);
    if (wasSelected && other >= 0) ShowDeviceTile(other, true, true);
    else if (wasSelected) m_selectedIndex = -1;
}

void CMainWnd::SelectDevice() {
    for (int i = 0; i < GetTileCount(); ++i) {
        CDeviceOptionUI* tile = GetTile(i);
        if (!tile || !tile->IsSelected()) continue;
        m_selectedIndex = i;
        m_selectedType = tile->GetType();
        m_selectedSubType = tile->GetSubType();
        SelectPowerPage(tile);
        return;
    }
}

devices::COstrivanUSBDevice* CMainWnd::GetSelectedDevice() {
    for (int i = 0; i < GetTileCount(); ++i) {
        CDeviceOptionUI* tile = GetTile(i);
        if (tile && tile->IsOwnVisible() && tile->IsSelected()) return tile->GetDevice();
    }
    return nullptr;
}

void CMainWnd::BringToFront() {
    ++m_bringToFrontCount;
    ShowNoDevicePage(CountVisibleTiles() == 0);
    if (!IsWindow()) return;
    ShowNormal();
    // Topmost on and off again: raise above other windows without staying there.
    BringToTop();
}

bool CMainWnd::WindowShownNormally() const {
    return IsVisibleNormally();
}

void CMainWnd::FitToDesignSize() {
    if (!IsWindow()) return;
    const bool wasShown = WindowShownNormally();
    if (wasShown || IsMinimized()) ShowNormal();
    ui::CPaintManagerUI::SetAllDPI(96);
    ResizeClient(kDesignWidth, kDesignHeight);
    ui::CPaintManagerUI::SetAllDPI(m_dpi);
    CenterWindow();
    ShowWindow(wasShown, false);
}

void CMainWnd::SysCommand(uintptr_t command) {
    if (!IsWindow()) return;
    switch (command) {
    case kScMinimize: ShowMinimized(); break;
    case kScMaximize: ShowMaximized(); break;
    case kScRestore: ShowNormal(); break;
    case kScClose: Close(0); break;
    default: break;
    }
}

void CMainWnd::SetLightControl(bool on) {
    m_lightControl = on ? 1 : 0;
    // Other programs of the family would hear the claim here; none share this desktop yet.
    if (ui::CControlUI* label = m_pm.FindControl("control_light_status"))
        label->SetText(on ? kLightOnText : kLightOffText);
    ForEachDevice([on](devices::COstrivanUSBDevice* d) {
        if (!dynamic_cast<devices::COstrivanRI6533Device*>(d)) d->SetLightingOn(on);
    });
}

// ------------------------------------------------------------------ tray
void CMainWnd::OnTray(intptr_t lParam) {
    if (lParam == ui::kWmLButtonUp) {
        ShowNoDevicePage(CountVisibleTiles() == 0);
        if (WindowShownNormally()) {
            ShowWindow(false);
            return;
        }
        ShowWindow(true);
        FitToDesignSize();
        ShowNormal();
        BringToTop();
        Repaint();
    } else if (lParam == ui::kWmRButtonUp) {
        SetTimer(kTimerTrayMenu, 10);
    }
}

void CMainWnd::OpenTrayMenu() {
    if (m_trayMenu) {
        delete m_trayMenu;
        m_trayMenu = nullptr;
    }
    const QPoint at = QCursor::pos() - QPoint(0, 50);
    m_trayMenu = ui::CMenuWnd::CreateMenu("menu.xml", at, this);
    if (!m_trayMenu) m_trayMenu = ui::CMenuWnd::CreateMenu(kTrayMenuFallback, at, this);
}

void CMainWnd::OnMenuCommand(ui::MenuCmd* cmd) {
    if (!cmd) return;
    const std::string name = cmd->szName;
    ui::CPaintManagerUI::DeletePtr(cmd);
    if (name == "exit") Exit();
}

} // namespace app
