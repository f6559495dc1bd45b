// The app suite needs a QApplication for the whole run, and a private config folder.
#include "app/CustomControls.h"
#include "platform/Folders.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    ui::CPaintManagerUI::SetResourcePath(platform::ResourceFolder() + "skin/");
    ui::CResourceManager::GetInstance().LoadResource("res.xml");
    app::RegisterCustomControls();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
