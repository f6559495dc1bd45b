#pragma once
// CMainWnd: the configurator's single top-level window and the owner of
// everything that lives as long as the program: the slot list, the device
// objects and their tiles, the worker threads and the tray icon.
#include "app/DeviceScanner.h"
#include "app/MessageBridge.h"
#include "app/NotifyRoutes.h"
#include "devices/DeviceTables.h"
#include "devices/objects/OstrivanFamilies.h"
#include "platform/WorkerThread.h"
#include "ui/UIWindow.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace app {

class CDeviceOptionUI;

// Cleared on system suspend, set again on resume (process-wide).
bool IsAwake();
void SetAwake(bool awake);

class CMainWnd : public ui::WindowImplBase, public devices::IDeviceOwner, private IScanTarget {
public:
    static constexpr int kWorkerSlots = 20;
    static constexpr int kScanThreadSlot = 0;
    static constexpr int kUpdateThreadSlot = 2;
    static constexpr int kSyncLightThreadSlot = 8;
    static constexpr int kDesignWidth = 1350;
    static constexpr int kDesignHeight = 810;

    CMainWnd();
    ~CMainWnd() override;

    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override;
    ui::CControlUI* CreateControl(std::string_view tag) override;
    void Notify(ui::TNotifyUI& msg) override;

    // devices::IDeviceOwner
    void PostOwnerMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) override { PostMessage(msg, wParam, lParam); }
    intptr_t SendOwnerMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) override {
        return SendMessage(msg, wParam, lParam);
    }

    // --- device list ----------------------------------------------------------
    void BringToFront();
    void ShowDeviceTile(int index, bool visible, bool select);
    void HideDeviceTile(int index);
    void SelectDevice();
    // The device of the first visible, selected tile, or nullptr.
    devices::COstrivanUSBDevice* GetSelectedDevice();
    int GetTileCount();
    CDeviceOptionUI* GetTile(int index);
    int CountVisibleTiles();
    int GetSelectedIndex() const { return m_selectedIndex; }

    // --- window ---------------------------------------------------------------
    void FitToDesignSize();
    void StopWorkerThreads();
    // Ends the program the way the tray menu's "exit" does.
    void Exit();
    // Runs on WM_DESTROY after the threads stopped (the entry point quits the loop there).
    void SetQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }
    // Starts a worker in one of the 20 thread slots (the update check and the
    // sync-light thread take theirs when they land).
    bool StartWorker(int slot, std::function<void(const platform::Event&)> body, std::function<void()> unblock = {});
    bool IsWorkerRunning(int slot) const;

    // Routes by event type; later issues add rows.
    NotifyRoutes& Routes() { return m_routes; }
    MessageBridge& Bridge() { return *m_bridge; }
    DeviceScanner* Scanner() { return m_scanner.get(); }

    const std::vector<devices::COstrivanMouseDevice*>& Mice() const { return m_mice; }
    const std::vector<devices::COstrivanKeyboardDevice*>& Keyboards() const { return m_keyboards; }
    const std::vector<devices::COstrivanMousePadDevice*>& MousePads() const { return m_pads; }
    const std::vector<devices::COstrivanRI6533Device*>& Headsets() const { return m_headsets; }
    const std::vector<ui::CControlUI*>& PowerTiles() const { return m_powerTiles; }
    // Read only on the UI thread inside the arrival and removal handlers (no lock).
    std::vector<devices::DeviceSlot>& Slots() { return m_slots; }

    bool IsInitialised() const { return m_initialised; }
    int BringToFrontCount() const { return m_bringToFrontCount; }
    int GetEditState() const { return m_editState; }
    void SetEditState(int state) { m_editState = state; }
    bool IsLightControl() const { return m_lightControl != 0; }
    // Takes (true) or yields the lighting: label text and every mouse, pad and keyboard.
    void SetLightControl(bool on);

protected:
    void InitWindow() override;
    intptr_t HandleCustomMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, bool& handled) override;
    void OnTimer(unsigned id) override;

private:
    // IScanTarget
    bool SendToWindow(unsigned msg, uintptr_t wParam, const platform::Event& exit) override;
    void PostToWindow(unsigned msg, uintptr_t wParam, intptr_t lParam) override;

    void AddWindowRoutes();
    void OnWindowInit();
    void BuildDevices();
    bool BuildFamily(int optionRow);
    void OnDeviceArrival(size_t index);
    void OnDeviceRemoval(size_t index);
    template <class List>
    void AttachToList(List& list, size_t index, bool mice);
    template <class List>
    void DetachFromList(List& list, size_t index, bool mice);
    bool LinkedRuleHolds(size_t index) const;
    void LinkedSwitch(size_t index);
    int TileIndexOf(devices::COstrivanUSBDevice* device);
    void ShowNoDevicePage(bool show);
    void SelectPowerPage(CDeviceOptionUI* tile);
    void OnTray(intptr_t lParam);
    void OpenTrayMenu();
    void OnMenuCommand(ui::MenuCmd* cmd);
    void SysCommand(uintptr_t command);
    bool WindowShownNormally() const;
    template <class F>
    void ForEachDevice(F f);

    std::unique_ptr<MessageBridge> m_bridge;
    NotifyRoutes m_routes;
    std::vector<devices::DeviceSlot> m_slots;
    std::unique_ptr<DeviceScanner> m_scanner;
    std::array<platform::WorkerThread, kWorkerSlots> m_threads;
    std::vector<devices::COstrivanMouseDevice*> m_mice;
    std::vector<devices::COstrivanKeyboardDevice*> m_keyboards;
    std::vector<devices::COstrivanMousePadDevice*> m_pads;
    std::vector<devices::COstrivanRI6533Device*> m_headsets;
    std::vector<ui::CControlUI*> m_powerTiles;
    ui::CTrayIcon m_tray;
    ui::CMenuWnd* m_trayMenu = nullptr;
    std::function<void()> m_quit;
    ui::CControlUI* m_closeBtn = nullptr;
    ui::CControlUI* m_maxBtn = nullptr;
    ui::CControlUI* m_restoreBtn = nullptr;
    ui::CControlUI* m_minBtn = nullptr;
    ui::CControlUI* m_skinBtn = nullptr;
    ui::CControlUI* m_setBtn = nullptr;
    std::string m_profileName;
    int m_selectedIndex = -1;
    int m_selectedType = 0;
    int m_selectedSubType = 0;
    int m_lightControl = 1;
    int m_languageIndex = -1;
    int m_dpi = 96;
    bool m_active = false;
    bool m_hover = false;
    bool m_displayChanged = false;
    int m_editState = 1;
    bool m_initialised = false;
    bool m_exiting = false;
    bool m_destroyed = false;
    bool m_threadsStopped = false;
    int m_bringToFrontCount = 0;
};

} // namespace app
