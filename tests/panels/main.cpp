// One QApplication for the panel suite (offscreen platform).
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("ZANDRI_RESOURCE_DIR")) setenv("ZANDRI_RESOURCE_DIR", ZANDRI_TEST_RESOURCE_DIR, 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
