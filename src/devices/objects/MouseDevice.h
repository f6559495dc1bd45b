#pragma once
// COstrivanMouseDevice: the mouse's panel and device object. Thin glue between
// the mouse core (block, DPI, key map, sequences), the device threads (lighting
// preview, sync reads), the profile data and the panel's controls.
#include "devices/objects/OstrivanFamilies.h"

#include "devices/lighting/LightEngine.h"
#include "devices/mouse/MouseSequences.h"
#include "devices/threads/LightingThread.h"
#include "devices/threads/SyncThread.h"
#include "platform/SystemSettings.h"
#include "profiles/ProfileData.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <optional>
#include <thread>
#include <mutex>
#include <vector>

namespace panels {
class CLightControlUI;
}

namespace devices {

class COstrivanMouseDevice : public COstrivanFamilyDevice {
public:
    COstrivanMouseDevice();
    ~COstrivanMouseDevice() override;

    std::string GetClass() const override { return "OstrivanMouseDevice"; }
    void* GetInterface(std::string_view name) override;
    std::string MacroListFile() const override { return "macro.config"; }
    void SetLogoLight(int led) { logoLight = led; }
    int GetLogoLight() const { return logoLight; }
    void SetKind(int kind) override;

    // Where pointer settings go (process-wide; tests put a recording back-end here).
    static void SetSystemSettings(std::shared_ptr<platform::ISystemSettings> backend);
    static platform::SystemSettingsApplier& SystemSettings();

    // --- device operations ---------------------------------------------------------
    void BuildFamilyUI() override;
    void OnConnected() override;
    void OnSyncRequest() override;
    // Reads the active profile's block into the mirror, lightInfo and the profile.
    bool ReadConfigBlock(int& activeProfile);
    int LoadProfile() override;
    void LoadDefaults() override;
    void RefreshPanel() override;
    void ValidateMacroKeys() override;
    int WriteKeyAssignments(int bank, const std::vector<uint32_t>& keys) override;
    int WriteKeyAssignments(int bank, const std::vector<profiles::KeyAssignment>& keys);
    int WriteCurrentKeyAssignments(int bank) override;
    int WriteMacros() override;
    int WriteConfig(int profile, int activeProfile, int flag, int screenWidth, int screenHeight) override;
    void PushLightFrame() override;
    // WriteConfig (0, 0, 1, screen) off the UI thread: a mouse that stops answering
    // must not hold up the window. A write still waiting is replaced by the newer one.
    void QueueConfigWrite();
    // True while a queued write or sync read waits or runs.
    bool ConfigWritePending() const;
    bool AttachSyncChannel(const std::string& path) override;
    void DetachSyncChannel() override;

    void SetLightInfo(uint32_t first4, uint32_t next4, uint32_t last3) override;
    int LoadLightingFromProfile() override;
    void SaveProfile() override;
    std::string GetProfilePath() const override { return profileData.GetProfilePath(); }
    void SetLedValue(int index, uint32_t value) override;
    uint32_t GetLedValue(int index) const override;

    // --- DPI stages and report rate ---------------------------------------------------
    void SetStageEnabled(int stage, bool on);
    bool IsStageEnabled(int stage);
    void SetStageDpi(int stage, int index);
    int GetStageDpi(int stage);
    int GetStageDpiEdit(int stage);
    void SetReportRate(int index);

    // --- what the panel's controls do (the main window routes to these) -----------------
    void OnStageCheck(int stage);
    // final: the user let go of the slider (store and write); otherwise only show the value.
    void OnStageSlider(int stage, bool final);
    void OnStageEdit(int stage);
    void OnReportRateOption(int index);
    void OnPointerSpeed();
    void OnPointerPrecision();
    void OnScrollPage();
    void OnScrollSpeed();
    void OnDoubleClick();

    profiles::CMouseProfiledata& ProfileData() { return profileData; }
    const mouse::MouseDeviceState& MouseState() const { return state; }
    panels::CLightControlUI* LightPanel();
    bool LightingRunning() const { return lightThread.Running(); }
    uint64_t LightingSteps() const { return lightThread.EffectSteps(); }
    bool SyncRunning() const { return syncThread.Running(); }
    const std::vector<ui::CControlUI*>& LogoButtons() const { return logoButtons; }
    // Pixel width of the screen, as byte 22 of the block wants it.
    static int ScreenPixelWidth();
    static int ScreenPixelHeight();

private:
    template <class T>
    T* PanelControl(const char* prefix, int n, const char* iface);
    ui::CControlUI* PanelControl(const std::string& name);
    void BindProfileFiles() override;
    // The profile's values in the panel's controls, without touching the desktop.
    void ShowPanelValues();
    void StartLighting();
    void StopThreads();
    void ShowStage(int stage, const std::vector<profiles::DpiStage>& stages, int activeStage);
    void UpdateStageChecks(const std::vector<profiles::DpiStage>& stages);
    void ApplyPointerSettings(bool speed, bool precision, bool wheel, bool doubleClick);
    void StoreSystemWords(const profiles::SystemWords& w);
    void PushTiming();
    int WriteCurrentConfig();

    profiles::CMouseProfiledata profileData;
    mouse::MouseDeviceState state;
    std::vector<profiles::KeyAssignment> keyList;
    int logoLight = -1;
    std::vector<ui::CControlUI*> logoButtons;
    ui::CControlUI* logoControl = nullptr;
    panels::CLightControlUI* lightPanel = nullptr;

    // The record the lighting thread reads; written on the UI thread.
    mutable std::mutex lightMutex;
    profiles::LightSetting light;

    lighting::LightingEngine engine{lighting::Family::Mouse};
    uint8_t engineEffect = 0xFF;  // lighting thread only
    threads::LightingThread lightThread;
    threads::SyncThread syncThread;
    threads::KeyEventQueue keyEvents;

    // Commands the UI starts but must not wait for: config writes (a newer one
    // replaces one still waiting) and the sync read-back.
    struct CommandJob {
        bool read = false;
        mouse::MouseConfigValues values;
        int screenWidth = 0;
    };
    void QueueJob(CommandJob job);
    void ConfigWriterRun();
    void ApplyReadBack(const mouse::MouseReadBack& readBack);
    mutable std::mutex writerMutex;
    std::condition_variable writerWake;
    std::deque<CommandJob> writerJobs;
    bool writerBusy = false;
    bool writerStop = false;
    std::thread writerThread;
    // Cleared when the object goes, so a queued sync request from the reader finds nothing.
    std::shared_ptr<std::atomic<bool>> alive = std::make_shared<std::atomic<bool>>(true);
};

} // namespace devices
