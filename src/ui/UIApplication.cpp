#include "ui/UIApplication.h"

#include <QApplication>

namespace ui {

std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv) {
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace ui
