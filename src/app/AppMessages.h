#pragma once
// Window message numbers of the main window and the registered (named) messages
// shared with other instances and other programs.
#include <cstdint>
#include <string>
#include <string_view>

namespace app {

// Private messages of the main window.
inline constexpr unsigned kWmTrayIcon = 1025;          // WM_USER + 1
inline constexpr unsigned kWmKeyHook = 1054;           // WM_USER + 30, wParam 0 off / 1 on
inline constexpr unsigned kWmMenuCommand = 1145;       // menu item clicked
inline constexpr unsigned kWmDpiDebug = 1224;
inline constexpr unsigned kWmShowProgress = 3072;      // 0x0C00
inline constexpr unsigned kWmLanguageChosen = 3089;    // 0x0C11
inline constexpr unsigned kWmDeviceArrival = 3090;     // 0x0C12, wParam = slot index
inline constexpr unsigned kWmDeviceRemoval = 3091;     // 0x0C13, wParam = slot index
inline constexpr unsigned kWmOpenSettings = 3093;      // 0x0C15
inline constexpr unsigned kWmClearUpdateBadge = 3094;  // 0x0C16
inline constexpr unsigned kWmActiveProfile = 3328;
inline constexpr unsigned kWmPowerStatus = 3329;

// System messages the window reacts to (Windows numbers, so tests can inject them).
inline constexpr unsigned kWmDestroy = 0x0002;
inline constexpr unsigned kWmActivate = 0x0006;
inline constexpr unsigned kWmClose = 0x0010;
inline constexpr unsigned kWmDisplayChange = 0x007E;
inline constexpr unsigned kWmTimer = 0x0113;
inline constexpr unsigned kWmSysCommand = 0x0112;
inline constexpr unsigned kWmPowerBroadcast = 0x0218;
inline constexpr unsigned kWmMouseHover = 0x02A1;
inline constexpr unsigned kWmMouseLeave = 0x02A3;
inline constexpr unsigned kWmDpiChanged = 0x02E0;
inline constexpr uintptr_t kPbtSuspend = 4;
inline constexpr uintptr_t kPbtResume = 18;
inline constexpr uintptr_t kScMinimize = 0xF020;
inline constexpr uintptr_t kScMaximize = 0xF030;
inline constexpr uintptr_t kScRestore = 0xF120;
inline constexpr uintptr_t kScClose = 0xF060;

// Names of the registered messages.
inline constexpr std::string_view kInstanceMessageName = "Zandri Gaming Mouse";
inline constexpr std::string_view kForwardNoticeName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr std::string_view kLightClaimName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr std::string_view kLightRequestName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";

// Same name, same id, for the whole process (ids start at 0xC000 as the system's do).
unsigned RegisterWindowMessage(std::string_view name);

// The program's own registered message (WM_INSTANCE_MSG).
unsigned InstanceMessage();

// Main-window timers (one-shot) and tile timers.
inline constexpr unsigned kTimerFitToDesign = 1011;
inline constexpr unsigned kTimerTrayMenu = 1032;
inline constexpr unsigned kTimerProfileApply = 1055;
inline constexpr unsigned kTileTimerFrame = 1000;
inline constexpr unsigned kTileTimerConnected = 1001;
inline constexpr unsigned kTileTimerSync = 1002;
inline constexpr unsigned kTileTimerSpare3 = 1003;
inline constexpr unsigned kTileTimerSpare4 = 1004;
inline constexpr unsigned kTileTimerPoll = 1005;

} // namespace app
