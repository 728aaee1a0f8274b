#include "ui/python/UPyExperiment.h"

#include <sstream>

#include "ui/experiment/UExperimentOptions.h"
#include "ui/experiment/UExperimentRunner.h"

TPyExperiment::TResult TPyExperiment::Run(const std::string& File, const std::string& Out,
                                          int32_t Jobs, bool EveryStep, bool Plots,
                                          const std::atomic<bool>* Interrupt) {
  TExperimentOptions options;
  options.File = File;
  options.Out = Out;
  options.Jobs = Jobs;
  options.EveryStep = EveryStep;
  options.Plots = Plots;
  options.Interrupt = Interrupt;
  std::ostringstream out, err;
  TResult result;
  result.Status = TExperimentRunner::Execute(options, out, err);
  result.Printed = out.str();
  // The progress lines come first; the error, when there is one, is the last line.
  if (result.Status != 0) {
    std::istringstream lines(err.str());
    const std::string program = "kartsim-experiment: ";
    for (std::string line; std::getline(lines, line);)
      if (line.rfind(program, 0) == 0)
        result.Error = line.substr(program.size());
  }
  return result;
}
