// The app suite's start, plus a recording back-end for the desktop's pointer settings.
#include "app/AppSuiteMain.h"
#include "devices/objects/MouseDevice.h"
#include "platform/system_settings/RecordingSystemSettings.h"

std::shared_ptr<platform::RecordingSystemSettings> g_recordedSettings;

int main(int argc, char** argv) {
    return RunAppSuite(
        argc, argv,
        [] {
            g_recordedSettings = std::make_shared<platform::RecordingSystemSettings>();
            devices::COstrivanMouseDevice::SetSystemSettings(g_recordedSettings);
        },
        [] { devices::COstrivanMouseDevice::SetSystemSettings(nullptr); });
}
