#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// An experiment run as kartsim-experiment runs it, by the same runner, into a folder. The plots
// need the Qt application (TPyApplication) to exist already.
class TPyExperiment {
public:
  struct TResult {
    int Status = 0;      // kartsim-experiment's exit status
    std::string Printed; // the summary it prints
    std::string Error;   // the error's message, without the program's name; empty for none
  };
  // Jobs: runs at once, 0 for every hardware thread. EveryStep writes steps.csv as well; Plots
  // draws the plots. Once Interrupt is set no run starts, and those finished stay in Out.
  static TResult Run(const std::string& File, const std::string& Out, int32_t Jobs, bool EveryStep,
                     bool Plots, const std::atomic<bool>* Interrupt);
};
