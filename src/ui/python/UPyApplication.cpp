#include "ui/python/UPyApplication.h"

#include <QApplication>

void TPyApplication::Ensure() {
  if (QCoreApplication::instance() != nullptr)
    return;
  // No screen is needed: what is drawn is drawn into pictures.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // The application keeps the arguments it was given for as long as it lives, and it lives as
  // long as the process: Qt's own objects may still use it while Python shuts down.
  static int argc = 1;
  static char name[] = "kartsim";
  static char* argv[] = {name, nullptr};
  // The plots of the experiments are drawn with Qt Charts, which needs widgets.
  new QApplication(argc, argv);
}
