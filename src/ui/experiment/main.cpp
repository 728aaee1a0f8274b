// kartsim-experiment: sweeps over scenes, settings and seeds, on every core and across machines.
#include <QApplication>
#include <iostream>

#include "ui/experiment/UExperiment.h"
#include "ui/experiment/UExperimentOptions.h"
#include "ui/experiment/UExperimentRunner.h"
#include "ui/qt/UTemporaryFiles.h"

int main(int argc, char** argv) {
  // The plots are drawn by Qt Charts, which needs a QApplication but never a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // An experiment ended by a signal leaves none of its unfinished files behind.
  TTemporaryFiles::InstallSignalHandlers();
  TExperimentOptions options;
  try {
    options = TExperimentOptions::Parse(QCoreApplication::arguments());
  } catch (const EExperimentInput& e) {
    std::cerr << "kartsim-experiment: " << e.what() << std::endl;
    return 2;
  }
  if (options.Help || options.Version) {
    std::cout << (options.Help ? TExperimentOptions::HelpText()
                               : TExperimentOptions::VersionText());
    return 0;
  }
  return TExperimentRunner::Execute(options, std::cout, std::cerr);
}
