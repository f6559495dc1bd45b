#pragma once
// The application object of a widget program, so code above the UI layer can
// start one without widget headers. argc must outlive the returned object.
#include <QCoreApplication>

#include <memory>

namespace ui {

std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv);

} // namespace ui
