#pragma once

#include <memory>
#include <string>
#include <vector>

class QChart;
class TSummary;

// The plots of an experiment, drawn off screen with Qt Charts (a QApplication is needed, the
// offscreen platform will do). Per measure: its mean against the first variable with the 95 %
// interval of the mean, cut at the measure's bounds, and every run as a point beside it; one
// line per value of the second variable (the others but the third together), in a colour that
// line keeps in every plot, offset a little so that lines at one x do not hide each other; one
// panel per value of the third. Each PNG has an SVG beside it, drawn from the same charts.
class TExperimentPlots {
public:
  // What a chart's series are, by the name each is given (QAbstractSeries::objectName).
  static constexpr const char* MeanRole = "mean";
  static constexpr const char* IntervalRole = "interval";
  static constexpr const char* RunsRole = "runs";

  // The panels of a measure, left to right; none when the measure has no value at all.
  static std::vector<std::unique_ptr<QChart>> Charts(const TSummary& Summary, size_t Measure);
  // Writes Folder/<measure>.png and .svg for every measure that has a value; Folder must exist.
  static void Write(const TSummary& Summary, const std::string& Folder);
  static constexpr int Width = 640, Height = 420; // pixels of a panel
};
