#include "app/App.h"

int main(int argc, char** argv) { return app::RunApp(argc, argv); }
