// A QApplication for the whole suite, a private config folder, the repository's skin,
// and a recording back-end for the desktop's pointer settings.
#include "app/CustomControls.h"
#include "devices/objects/MouseDevice.h"
#include "platform/Folders.h"
#include "platform/system_settings/RecordingSystemSettings.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

std::shared_ptr<platform::RecordingSystemSettings> g_recordedSettings;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    ui::CPaintManagerUI::SetResourcePath(platform::ResourceFolder() + "skin/");
    ui::CResourceManager::GetInstance().LoadResource("res.xml");
    app::RegisterCustomControls();
    g_recordedSettings = std::make_shared<platform::RecordingSystemSettings>();
    devices::COstrivanMouseDevice::SetSystemSettings(g_recordedSettings);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    devices::COstrivanMouseDevice::SetSystemSettings(nullptr);
    return rc;
}
