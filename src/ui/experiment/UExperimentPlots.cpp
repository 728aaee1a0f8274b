#include "ui/experiment/UExperimentPlots.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <map>
#include <system_error>
#include <thread>

#include "platform/UErrors.h"
#include "ui/experiment/USummary.h"
#include "ui/qt/UOutputFile.h"

#include <QBuffer>

namespace {

bool ThreadsCanStart() {
  try {
    std::thread([] {}).join();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

constexpr int Width = 640, Height = 420; // pixels

// The x of a combination: its first variable's value, or its number without variables.
double XOf(const TSummary::TCombination& C) {
  return C.Values.empty() ? static_cast<double>(C.Index) : std::stod(C.Values[0]);
}

QString LineName(const TSummary& Summary, const TSummary::TCombination& C) {
  QString name;
  for (size_t v = 1; v < C.Values.size(); ++v)
    name += (name.isEmpty() ? "" : ", ") + QString::fromStdString(Summary.Variables()[v]) + " = " +
            QString::fromStdString(C.Values[v]);
  return name.isEmpty() ? QString("mean") : name;
}

void WritePlot(const TSummary& Summary, size_t Measure, const std::string& FileName) {
  auto* chart = new QChart;
  chart->setTitle(QString::fromStdString(Summary.Measures()[Measure]) +
                  " (mean, 95 % confidence interval)");
  chart->setAnimationOptions(QChart::NoAnimation);
  auto* xAxis = new QValueAxis;
  auto* yAxis = new QValueAxis;
  xAxis->setTitleText(Summary.Variables().empty() ? "combination"
                                                  : QString::fromStdString(Summary.Variables()[0]));
  yAxis->setTitleText(QString::fromStdString(Summary.Measures()[Measure]));
  chart->addAxis(xAxis, Qt::AlignBottom);
  chart->addAxis(yAxis, Qt::AlignLeft);
  std::map<QString, QLineSeries*> lines;
  double xMin = INFINITY, xMax = -INFINITY, yMin = INFINITY, yMax = -INFINITY;
  auto attach = [&](QAbstractSeries* S) {
    chart->addSeries(S);
    S->attachAxis(xAxis);
    S->attachAxis(yAxis);
  };
  for (const TSummary::TCombination& c : Summary.Combinations()) {
    const TSummary::TStats& s = c.Measures[Measure];
    if (!std::isfinite(s.Mean))
      continue;
    const double x = XOf(c);
    const QString name = LineName(Summary, c);
    QLineSeries*& line = lines[name];
    if (line == nullptr) {
      line = new QLineSeries;
      line->setName(name);
      line->setPointsVisible(true);
      attach(line);
    }
    line->append(x, s.Mean);
    const double lo = std::isfinite(s.Low) ? s.Low : s.Mean;
    const double hi = std::isfinite(s.High) ? s.High : s.Mean;
    if (hi > lo) {
      // The error bar: a line of two points in its line's colour, kept out of the legend.
      auto* bar = new QLineSeries;
      bar->append(x, lo);
      bar->append(x, hi);
      attach(bar);
      QPen pen = bar->pen();
      pen.setColor(line->color());
      pen.setWidth(2);
      bar->setPen(pen);
      for (QLegendMarker* m : chart->legend()->markers(bar))
        m->setVisible(false);
    }
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    yMin = std::min(yMin, lo);
    yMax = std::max(yMax, hi);
  }
  if (lines.empty()) {
    delete chart;
    return;
  }
  const double xPad = xMax > xMin ? (xMax - xMin) * 0.05 : 1;
  const double yPad = yMax > yMin ? (yMax - yMin) * 0.1 : std::max(1.0, std::fabs(yMax) * 0.1);
  xAxis->setRange(xMin - xPad, xMax + xPad);
  yAxis->setRange(yMin - yPad, yMax + yPad);
  // Round ticks (4, 5, 6 rather than 3.8, 4.9, 6).
  xAxis->applyNiceNumbers();
  yAxis->applyNiceNumbers();
  // A scene rather than a view: no widget to lay out or show, the chart laid out at its size.
  QGraphicsScene scene; // owns the chart
  scene.addItem(chart);
  chart->resize(Width, Height);
  chart->legend()->setAlignment(Qt::AlignBottom);
  if (chart->layout() != nullptr)
    chart->layout()->activate();
  QImage image(Width, Height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The toolkit fills a large area on its thread pool and waits for it: for ever where no
    // thread can start (a limit on processes). There, the plot is drawn in bands of a few rows,
    // which it fills on the calling thread (their lines come out a shade apart).
    static const bool threads = ThreadsCanStart();
    const int Band = threads ? Height : 64;
    for (int top = 0; top < Height; top += Band) {
      painter.setClipRect(0, top, Width, std::min(Band, Height - top));
      scene.render(&painter, QRectF(0, 0, Width, Height), QRectF(0, 0, Width, Height));
    }
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG"))
    throw EError("Cannot draw the plot \"" + FileName + "\".");
  TOutputFile file(FileName, "the plot");
  file.Write(bytes);
  file.Commit();
}

} // namespace

void TExperimentPlots::Write(const TSummary& Summary, const std::string& Folder) {
  for (size_t m = 0; m < Summary.Measures().size(); ++m)
    WritePlot(Summary, m, Folder + "/" + Summary.Measures()[m] + ".png");
}
