#pragma once

#include <QString>
#include <vector>

class QChart;

// Charts as an SVG picture, for papers: the lines, points, intervals, axes, ticks, titles and
// legend of laid-out Qt Charts, as vectors. Written here, for the toolkit's SVG module is not
// among the program's dependencies.
class TChartSvg {
public:
  // Panels of Width by Height pixels, side by side in the order given, each already laid out.
  static QString Of(const std::vector<QChart*>& Panels, int Width, int Height);
};
