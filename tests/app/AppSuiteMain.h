#pragma once
// The start of every suite that builds the real main window: offscreen platform,
// a private config folder, the repository's skin and the custom controls.
#include "app/CustomControls.h"
#include "platform/Folders.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

inline int RunAppSuite(int argc, char** argv, const std::function<void()>& setUp = {},
                       const std::function<void()>& tearDown = {}) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    ui::CPaintManagerUI::SetResourcePath(platform::ResourceFolder() + "skin/");
    ui::CResourceManager::GetInstance().LoadResource("res.xml");
    app::RegisterCustomControls();
    if (setUp) setUp();
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    if (tearDown) tearDown();
    return rc;
}
