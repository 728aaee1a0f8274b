// kartsim-experiment: sweeps over scenes, settings and seeds, on every core and across machines.
#include <QApplication>
#include <iostream>

#include "ui/experiment/UExperiment.h"
#include "ui/experiment/UExperimentOptions.h"
#include "ui/experiment/UExperimentRunner.h"

int main(int argc, char** argv) {
  // The plots are drawn by Qt Charts, which needs a QApplication but never a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TExperimentOptions options;
  try {
    options = TExperimentOptions::Parse(QCoreApplication::arguments());
  } catch (const EExperimentInput& e) {
    std::cerr << "kartsim-experiment: " << e.what() << std::endl;
    return 2;
  }
  if (options.Help) {
    std::cout << TExperimentOptions::HelpText();
    return 0;
  }
  return TExperimentRunner::Execute(options, std::cout, std::cerr);
}
