// The app suite needs a QApplication for the whole run, and a private config folder.
#include "app/AppSuiteMain.h"

int main(int argc, char** argv) { return RunAppSuite(argc, argv); }
