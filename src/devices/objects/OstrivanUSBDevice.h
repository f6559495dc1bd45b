#pragma once
// COstrivanUSBDevice: one device family's panel (a UI container built from the
// family's layout file) and, at the same time, the owner of the device's two
// channels, its cached state and its lighting state. The main window creates one
// object per family at start-up; discovery only attaches and detaches it.
#include "devices/DeviceTables.h"
#include "hid/HidChannel.h"
#include "hid/ReportProtocol.h"
#include "ui/UIContainer.h"

#include <json/json.h>

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace devices {

// The window that owns the device objects (messages 3328, 3329 and friends).
class IDeviceOwner {
public:
    virtual ~IDeviceOwner() = default;
    virtual void PostOwnerMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) = 0;
    virtual intptr_t SendOwnerMessage(unsigned msg, uintptr_t wParam, intptr_t lParam) = 0;
};

// What a power tile offers the device (the tile itself lives with the power panel).
class IPowerStatusView {
public:
    virtual ~IPowerStatusView() = default;
    virtual void ShowPowerStatus(const std::array<uint8_t, 6>& status) = 0;
};

// The 11-byte lighting record.
struct LightInfo {
    std::array<uint8_t, 11> bytes{};
    uint8_t Effect() const { return bytes[0]; }
};

inline constexpr unsigned kWmPowerStatusMsg = 3329;

class COstrivanUSBDevice : public ui::CHorizontalLayoutUI {
public:
    COstrivanUSBDevice();
    ~COstrivanUSBDevice() override;

    std::string GetClass() const override { return "OstrivanUSBDevice"; }
    void* GetInterface(std::string_view name) override;

    // --- creation calls, in the order the main window makes them ---------------
    void SetLayoutFile(const std::string& file) { layoutFile = file; }
    void SetOwnerWindow(IDeviceOwner* owner) { ownerWindow = owner; }
    void SetKeyCount(int n);
    void SetLightCount(int n);
    void SetPowerDisplay(int v) { powerDisplay = v; }
    void SetProfileName(const std::string& name) { profileName = name; }
    void SetFamilyName(const std::string& name) { familyName = name; }
    void SetPowerTile(ui::CControlUI* tile);
    void SetSlot(const DeviceSlot& s);
    virtual void SetFamilyIndex(int index) { familyIndex = index; }
    void SetLightConfigName(const std::string& name) { lightConfigName = name; }
    virtual void BuildDeviceUI();

    const DeviceSlot& GetSlot() const { return slot; }
    void SetOptionTile(ui::CControlUI* tile) { optionTile = tile; }
    ui::CControlUI* GetOptionTile() const { return optionTile; }
    ui::CControlUI* GetPowerTile() const { return powerTile; }
    bool IsLightingOn() const { return lightingOn != 0; }
    virtual void SetLightingOn(bool on) { lightingOn = on ? 1 : 0; }
    bool IsPanelVisible() const { return panelVisible != 0; }
    void SetPanelVisible(bool visible) { panelVisible = visible ? 1 : 0; }
    int GetPowerDisplay() const { return powerDisplay; }
    // Whether lighting synchronisation is offered (two or more devices attached);
    // withdrawing it also ends this device's part in a shared effect.
    void SetSyncOffered(bool offered) {
        syncOffered = offered;
        if (!offered) syncEnrolled = 0;
    }
    bool IsSyncOffered() const { return syncOffered; }
    bool IsSyncEnrolled() const { return syncEnrolled != 0; }
    void SetSyncEnrolled(bool on) { syncEnrolled = on ? 1 : 0; }
    const std::string& GetFamilyName() const { return familyName; }
    const std::string& GetProfileName() const { return profileName; }
    int GetKeyCount() const { return keyCount; }
    int GetLightCount() const { return lightCount; }
    const hid::proto::DeviceInfo& GetDeviceInfo() const { return deviceInfo; }
    // The control the tile repaints on every frame tick (the panel's key/LED picture).
    ui::CControlUI* GetPreviewControl() const { return selectPanel; }

    // --- channels ---------------------------------------------------------------
    CHidChannel& CommandChannel() { return commandChannel; }
    CHidChannel& SyncChannel() { return syncChannel; }
    bool IsConnected() const { return commandChannel.opened.load(); }
    // Opens the command channel (read and write, shared) on path; the caller holds commandLock.
    bool OpenCommandChannel(const std::string& path);
    void CloseCommandChannel();
    bool IsWireless() const { return commandChannel.wireless; }
    void SetWireless(bool w) { commandChannel.wireless = w; }
    virtual bool AttachSyncChannel(const std::string& path);
    virtual void DetachSyncChannel();
    bool SyncChannelHasPath() const { return !syncChannel.hid.devicePath.empty(); }
    const std::string& SyncChannelPath() const { return syncChannel.hid.devicePath; }

    // --- paths --------------------------------------------------------------------
    std::string DeviceDataFolder() const;
    static std::string DefaultDataFolder();
    std::string DefaultDataFile() const;
    std::string ProfileFilePath() const;
    std::string LightConfigPath() const;

    // --- lighting frame -------------------------------------------------------------
    virtual void SetLedValue(int index, uint32_t value);
    virtual uint32_t GetLedValue(int index) const;
    virtual void EffectOff();
    virtual void PushLightFrame() {}

    // --- operations the tile's timers and the panels drive ----------------------------
    virtual int LoadLightingFromProfile() { return 0; }
    virtual void OnConnected() {}
    virtual void OnSyncRequest() {}
    virtual void OnSpareHook3() {}
    virtual void OnSpareHook4() {}
    virtual void OnPeriodicPoll() {}
    virtual int LoadProfile() { return 0; }
    virtual void RefreshPanel() {}
    virtual void ValidateMacroKeys() {}
    virtual void LoadDefaults() {}
    virtual int WriteKeyAssignments(int /*bank*/, const std::vector<uint32_t>& /*keys*/) { return 0; }
    virtual int WriteCurrentKeyAssignments(int /*bank*/) { return 0; }
    virtual int WriteMacros() { return 0; }
    virtual int WriteConfig(int /*profile*/, int /*activeProfile*/, int /*flag*/, int /*screenWidth*/,
                            int /*screenHeight*/) {
        return 0;
    }
    virtual void LoadMacroAndLightLists() {}
    virtual void ClearKeyLevels() { keyLevels.fill(0); }
    virtual void SetKind(int kind);
    int GetKind() const { return shownKind; }
    virtual void BindProfileFiles() {}
    virtual std::string GetProfilePath() const { return {}; }
    virtual void SaveProfile() {}
    int GetFamilyIndex() const { return familyIndex; }
    virtual void SetLightInfo(uint32_t first4, uint32_t next4, uint32_t last3);
    const LightInfo& GetLightInfoRecord() const { return lightInfo; }
    virtual void SelectKey(int key) { selectedKey = key; }
    int GetSelectedKey() const { return selectedKey; }

    // Bound buttons (null where the layout has none).
    ui::CControlUI* KeyButton(int i) const;
    ui::CControlUI* LedButton(int i) const;
    const std::vector<std::string>& MacroNames() const { return macroNames; }
    const std::vector<std::string>& DefaultLightNames() const { return defaultLightNames; }
    const std::vector<uint8_t>& DefaultLightVisible() const { return defaultLightVisible; }
    const std::vector<std::string>& AreaLightNames() const { return areaLightNames; }
    const std::vector<std::string>& UserLightNames() const { return userLightNames; }

    // Starts one of the tile's timers (1002 sync request, 1003/1004 spare hooks).
    void StartTileTimer(unsigned id, unsigned elapseMs);

protected:
    // Binds the key and LED buttons that are children of panel (a SelectPanel).
    void BindSelectPanel(ui::CControlUI* panel);
    // First SelectPanel below under, depth first.
    static ui::CControlUI* FindSelectPanel(ui::CControlUI* under);
    // The power-status poll every family runs from the tile's 5000 ms timer.
    void PollPowerStatus();
    // The three name lists of LoadMacroAndLightLists; macroFile names the family's macro list.
    void FillNameLists(const std::string& macroFile);
    // Reads device information (command 0x03) into deviceInfo.
    int ReadDeviceInformation();

    // --- members, grouped by role ---------------------------------------------------
    CHidChannel commandChannel;
    CHidChannel syncChannel;
    uint32_t syncEnrolled = 0;
    hid::proto::DeviceInfo deviceInfo{};
    ui::CControlUI* selectPanel = nullptr;
    ui::CControlUI* optionTile = nullptr;
    ui::CControlUI* powerTile = nullptr;
    ui::CControlUI* functionSwitch = nullptr;
    ui::CControlUI* keyFunctionSwitch = nullptr;
    std::string layoutFile;
    IDeviceOwner* ownerWindow = nullptr;
    std::string profileName;
    std::string lightConfigName;
    std::string familyName;
    int keyCount = 0;
    int lightCount = 0;
    int kind = 0;
    int channelTag = 0;
    int selectedKey = -1;
    int shownKind = 1;
    std::vector<ui::CControlUI*> keyButtons;
    std::vector<ui::CControlUI*> ledButtons;
    std::map<int, int> keyIndexMap;
    std::map<int, int> keyLedMap;
    std::vector<std::array<uint8_t, 4>> ledFrame;
    std::vector<std::array<uint8_t, 11>> ledRecords;
    LightInfo lightInfo;
    std::array<uint8_t, 126 + 23> keyLevels{};
    Json::Value defaultData, profileJson, lightJson;
    std::vector<std::string> macroNames;
    std::vector<std::string> defaultLightNames;
    std::vector<uint8_t> defaultLightVisible;
    std::vector<std::string> areaLightNames;
    std::vector<std::string> userLightNames;
    std::vector<std::array<uint8_t, 16>> lightSteps;  // replaced by the lighting engine's step type
    uint32_t stepCount = 0;
    std::mutex sequenceLock;
    std::mutex recordLock;
    uint32_t lightingOn = 1;
    uint32_t panelVisible = 1;
    uint8_t effectStep = 0;
    uint8_t effectColour = 0;
    uint8_t blinkOn = 0;
    uint32_t lastTick = 0;
    int powerDisplay = 0;
    DeviceSlot slot;
    int familyIndex = 0;
    std::map<int, int> spareMap;
    bool syncOffered = false;
};

} // namespace devices
