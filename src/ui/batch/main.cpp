// kartsim-batch: runs the simulation without a window, for repeatable experiments, measurements
// and rendering on machines without a screen.
#include <QCoreApplication>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "ui/batch/UBatchOptions.h"
#include "ui/batch/UBatchRun.h"
#include "ui/qt/UTemporaryFiles.h"

int main(int argc, char** argv) {
  // The picture adapters read the built-in circuit from the program's resources.
  QCoreApplication app(argc, argv);
  // A run ended by a signal leaves none of its unfinished files behind.
  TTemporaryFiles::InstallSignalHandlers();
  TBatchOptions options;
  try {
    options = TBatchOptions::Parse(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const EBatchUsage& e) {
    std::cerr << "kartsim-batch: " << e.what() << std::endl;
    return 2;
  }
  if (options.Help || options.Version) {
    std::cout << (options.Help ? TBatchOptions::HelpText() : TBatchOptions::VersionText());
    return 0;
  }
  const bool progress = !options.Json || isatty(STDERR_FILENO);
  return TBatchRun::Execute(options, std::cout, std::cerr, progress ? &std::cerr : nullptr);
}
