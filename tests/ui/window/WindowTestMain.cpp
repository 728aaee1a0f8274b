#include <gtest/gtest.h>

#include "ui/window/UKartsimApp.h"

// The window's own application, so that errors leaving handlers are reported as in the program.
// No display is needed: the offscreen platform is the default here, also for listing the tests.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  TKartsimApp app(argc, argv);
  // A test closes windows; the application has no event loop of its own to end.
  TKartsimApp::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
