#pragma once

#include <string>

class TSummary;

// One PNG per measure: the measure's mean against the first variable, one line per value of the
// others, with the 95 % confidence intervals as error bars. Drawn off screen with Qt Charts, which
// needs a QApplication (the offscreen platform will do).
class TExperimentPlots {
public:
  // Writes Folder/<measure>.png for every measure that has a value; Folder must exist.
  static void Write(const TSummary& Summary, const std::string& Folder);
};
