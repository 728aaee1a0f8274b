#include "ui/experiment/UExperimentPlots.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <system_error>
#include <thread>

#include "platform/UErrors.h"
#include "ui/experiment/USummary.h"
#include "ui/qt/UOutputFile.h"
#include "world/USettingsTable.h"

namespace {

bool ThreadsCanStart() {
  try {
    std::thread([] {}).join();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

// Colours told apart in print and by most readers with a colour vision deficiency (Okabe & Ito).
const QColor Palette[] = {QColor(0, 114, 178),   QColor(230, 159, 0),  QColor(0, 158, 115),
                          QColor(204, 121, 167), QColor(86, 180, 233), QColor(213, 94, 0),
                          QColor(240, 228, 66),  QColor(0, 0, 0)};

// A variable's unit as the experiment file gives its values ("s" for future_seconds).
QString UnitOf(const std::string& Setting) {
  const TSettingAlias* alias = nullptr;
  const TSettingRow* row = TSettingsTable::FindAlias(TSettingReader::Experiment, Setting, &alias);
  if (row == nullptr || row->Holder == TSettingHolder::Goal)
    return {};
  if (alias->Scale == 1)
    return QString::fromStdString(row->Unit);
  return row->Unit == "ms" && alias->Scale == 1000 ? QString("s") : QString();
}

QString Titled(const std::string& Name, const QString& Unit) {
  return QString::fromStdString(Name) + (Unit.isEmpty() ? "" : " (" + Unit + ")");
}

// The line of a combination: its values but the first and the third; the panel: the third.
std::string LineKey(const TSummary::TCombination& C) {
  std::string key;
  for (size_t v = 1; v < C.Values.size(); ++v)
    if (v != 2)
      key += C.Values[v] + '\x1f';
  return key;
}

std::string PanelKey(const TSummary::TCombination& C) {
  return C.Values.size() > 2 ? C.Values[2] : "";
}

QString LineName(const TSummary& Summary, const TSummary::TCombination& C) {
  QString name;
  for (size_t v = 1; v < C.Values.size(); ++v)
    if (v != 2)
      name += (name.isEmpty() ? "" : ", ") + QString::fromStdString(Summary.Variables()[v]) +
              " = " + QString::fromStdString(C.Values[v]);
  return name.isEmpty() ? QString("mean") : name;
}

// The lines and panels of the experiment in the order of the combinations, whatever the
// measure: a line is at the same place with the same colour in every plot.
struct TLayout {
  std::vector<std::string> Lines, Panels;
  std::vector<double> Xs; // distinct x values
  bool Named = false;     // the x axis names scenes or circuits
  bool Whole = false;     // the x axis holds whole numbers only
};

double XOf(const TSummary& Summary, const TSummary::TCombination& C) {
  if (C.Values.empty())
    return static_cast<double>(C.Index);
  const TExperiment::TVariable& v = Summary.Experiment().Variables()[0];
  if (!v.Names.empty())
    return static_cast<double>(std::find(v.Names.begin(), v.Names.end(), C.Values[0]) -
                               v.Names.begin());
  return std::stod(C.Values[0]);
}

TLayout LayoutOf(const TSummary& Summary) {
  TLayout l;
  const auto& variables = Summary.Experiment().Variables();
  l.Named = !variables.empty() && !variables[0].Names.empty();
  l.Whole = variables.empty() || l.Named || TExperiment::RangeOf(variables[0].Setting, "").Integer;
  for (const TSummary::TCombination& c : Summary.Combinations()) {
    if (std::find(l.Lines.begin(), l.Lines.end(), LineKey(c)) == l.Lines.end())
      l.Lines.push_back(LineKey(c));
    if (std::find(l.Panels.begin(), l.Panels.end(), PanelKey(c)) == l.Panels.end())
      l.Panels.push_back(PanelKey(c));
    const double x = XOf(Summary, c);
    if (std::find(l.Xs.begin(), l.Xs.end(), x) == l.Xs.end())
      l.Xs.push_back(x);
  }
  std::sort(l.Xs.begin(), l.Xs.end());
  return l;
}

std::unique_ptr<QChart> Panel(const TSummary& Summary, size_t Measure, const TLayout& Layout,
                              const std::string& PanelValue) {
  const TMeasure& measure = Summary.Experiment().Measures()[Measure];
  const auto& variables = Summary.Experiment().Variables();
  auto chart = std::make_unique<QChart>();
  chart->setAnimationOptions(QChart::NoAnimation);
  QString title = QString::fromStdString(measure.Name()) + ": mean, 95 % interval, runs";
  if (variables.size() > 2)
    title = QString::fromStdString(variables[2].Setting + " = " + PanelValue);
  chart->setTitle(title);
  // The gap between neighbouring x values: the lines share a band of it around each x.
  double gap = 1;
  for (size_t i = 1; i < Layout.Xs.size(); ++i)
    gap = i == 1 ? Layout.Xs[1] - Layout.Xs[0] : std::min(gap, Layout.Xs[i] - Layout.Xs[i - 1]);
  const double lines = static_cast<double>(Layout.Lines.size());
  const double band = gap * (lines > 1 ? 0.5 : 0.2);
  const double slot = band / lines;
  double yMin = INFINITY, yMax = -INFINITY;
  std::map<size_t, QLineSeries*> means;
  std::map<size_t, QScatterSeries*> runs;
  std::map<size_t, std::pair<int64_t, int64_t>> counts; // fewest and most runs of a point
  std::vector<QAbstractSeries*> series;
  for (const TSummary::TCombination& c : Summary.Combinations()) {
    if (PanelKey(c) != PanelValue)
      continue;
    const TSummary::TStats& s = c.Measures[Measure];
    if (!std::isfinite(s.Mean))
      continue;
    const size_t line = static_cast<size_t>(
        std::find(Layout.Lines.begin(), Layout.Lines.end(), LineKey(c)) - Layout.Lines.begin());
    const QColor colour = Palette[line % std::size(Palette)];
    const double x = XOf(Summary, c) - band / 2 + slot * (static_cast<double>(line) + 0.35);
    QLineSeries*& mean = means[line];
    if (mean == nullptr) {
      mean = new QLineSeries;
      mean->setObjectName(TExperimentPlots::MeanRole);
      mean->setProperty("line", QString::fromStdString(LineKey(c)));
      mean->setProperty("label", LineName(Summary, c));
      mean->setColor(colour);
      mean->setPointsVisible(true);
      series.push_back(mean);
      auto* points = new QScatterSeries;
      points->setObjectName(TExperimentPlots::RunsRole);
      points->setProperty("line", QString::fromStdString(LineKey(c)));
      QColor light = colour;
      light.setAlpha(150);
      points->setColor(light);
      points->setBorderColor(light);
      points->setMarkerSize(5);
      series.push_back(points);
      runs[line] = points;
      counts[line] = {s.N, s.N};
    }
    counts[line] = {std::min(counts[line].first, s.N), std::max(counts[line].second, s.N)};
    mean->append(x, s.Mean);
    // An interval says nothing beyond what the measure can be (no energy below 0).
    const double lo = std::max(std::isfinite(s.Low) ? s.Low : s.Mean, measure.Low());
    const double hi = std::min(std::isfinite(s.High) ? s.High : s.Mean, measure.High());
    if (hi > lo) {
      auto* bar = new QLineSeries;
      bar->setObjectName(TExperimentPlots::IntervalRole);
      bar->setProperty("line", QString::fromStdString(LineKey(c)));
      bar->append(x, lo);
      bar->append(x, hi);
      QPen pen(colour);
      pen.setWidth(2);
      bar->setPen(pen);
      series.push_back(bar);
    }
    yMin = std::min({yMin, lo, s.Mean});
    yMax = std::max({yMax, hi, s.Mean});
    // The runs beside their mean, to its right.
    for (double y : c.Runs[Measure]) {
      runs[line]->append(x + slot * 0.3, y);
      yMin = std::min(yMin, y);
      yMax = std::max(yMax, y);
    }
  }
  if (means.empty())
    return nullptr;
  for (auto& [line, mean] : means) {
    const auto [few, many] = counts[line];
    mean->setName(mean->property("label").toString() + " (n = " + QString::number(few) +
                  (few == many ? "" : "-" + QString::number(many)) + ")");
  }
  QAbstractAxis* xAxis = nullptr;
  const double xLow = Layout.Xs.front() - gap / 2, xHigh = Layout.Xs.back() + gap / 2;
  const QString xTitle = variables.empty()
                             ? QString("combination")
                             : Titled(variables[0].Setting, UnitOf(variables[0].Setting));
  if (Layout.Named) {
    auto* axis = new QCategoryAxis;
    for (size_t i = 0; i < variables[0].Names.size(); ++i)
      axis->append(QString::fromStdString(variables[0].Names[i]).section('/', -1),
                   static_cast<double>(i) + 0.5);
    axis->setStartValue(-0.5);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    axis->setRange(-0.5, static_cast<double>(variables[0].Names.size()) - 0.5);
    xAxis = axis;
  } else {
    auto* axis = new QValueAxis;
    axis->setRange(xLow, xHigh);
    // A tick at each value the variable takes (at every so many where there are many); a
    // whole-number variable's at whole numbers, labelled as such.
    double every = Layout.Whole ? std::max(1.0, std::round(gap)) : gap;
    every *= std::ceil(static_cast<double>(Layout.Xs.size()) / 12);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(Layout.Xs.front());
    axis->setTickInterval(every);
    axis->setLabelFormat(Layout.Whole ? "%d" : "%.4g");
    xAxis = axis;
  }
  xAxis->setTitleText(xTitle);
  auto* yAxis = new QValueAxis;
  yAxis->setTitleText(Titled(measure.Name(), QString::fromStdString(measure.Unit())));
  const double pad = yMax > yMin ? (yMax - yMin) * 0.08 : std::max(1.0, std::fabs(yMax) * 0.1);
  double low = yMin - pad, high = yMax + pad;
  if (low < measure.Low() && yMin >= measure.Low())
    low = measure.Low();
  if (high > measure.High() && yMax <= measure.High())
    high = measure.High();
  yAxis->setRange(low, high);
  if (measure.Whole() && high - low <= 10) {
    yAxis->setTickType(QValueAxis::TicksDynamic);
    yAxis->setTickAnchor(std::ceil(low));
    yAxis->setTickInterval(1);
    yAxis->setLabelFormat("%d");
  } else {
    // Round ticks (0.5, 1, 1.5 rather than 0.47, 0.94), yet nothing the measure cannot be.
    yAxis->applyNiceNumbers();
    if (yAxis->min() < measure.Low() && yMin >= measure.Low())
      yAxis->setMin(measure.Low());
    if (yAxis->max() > measure.High() && yMax <= measure.High())
      yAxis->setMax(measure.High());
    yAxis->setLabelFormat("%.4g");
  }
  chart->addAxis(xAxis, Qt::AlignBottom);
  chart->addAxis(yAxis, Qt::AlignLeft);
  for (QAbstractSeries* s : series) {
    chart->addSeries(s);
    s->attachAxis(xAxis);
    s->attachAxis(yAxis);
    if (s->objectName() != TExperimentPlots::MeanRole)
      for (QLegendMarker* m : chart->legend()->markers(s))
        m->setVisible(false);
  }
  chart->legend()->setAlignment(Qt::AlignBottom);
  return chart;
}

QByteArray Png(QGraphicsScene& Scene, int Width, int Height) {
  QImage image(Width, Height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The toolkit fills a large area on its thread pool and waits for it: for ever where no
    // thread can start (a limit on processes). There, the plot is drawn in bands of a few rows,
    // which it fills on the calling thread (their lines come out a shade apart).
    static const bool threads = ThreadsCanStart();
    const int band = threads ? Height : 64;
    for (int top = 0; top < Height; top += band) {
      painter.setClipRect(0, top, Width, std::min(band, Height - top));
      Scene.render(&painter, QRectF(0, 0, Width, Height), QRectF(0, 0, Width, Height));
    }
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG"))
    throw EError("Cannot draw a plot.");
  return bytes;
}

// The same drawing as vectors, for papers.
QByteArray Svg(QGraphicsScene& Scene, int Width, int Height, const QString& Title) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(Width, Height));
  svg.setViewBox(QRect(0, 0, Width, Height));
  // A pixel of the PNG is a CSS pixel of the SVG: the two open at one size.
  svg.setResolution(96);
  svg.setTitle(Title);
  {
    QPainter painter(&svg);
    painter.fillRect(QRectF(0, 0, Width, Height), Qt::white);
    Scene.render(&painter, QRectF(0, 0, Width, Height), QRectF(0, 0, Width, Height));
  }
  return buffer.data();
}

} // namespace

std::vector<std::unique_ptr<QChart>> TExperimentPlots::Charts(const TSummary& Summary,
                                                              size_t Measure) {
  const TLayout layout = LayoutOf(Summary);
  std::vector<std::unique_ptr<QChart>> charts;
  for (const std::string& panel : layout.Panels)
    if (std::unique_ptr<QChart> chart = Panel(Summary, Measure, layout, panel))
      charts.push_back(std::move(chart));
  // Panels side by side compare only on one scale.
  double low = INFINITY, high = -INFINITY;
  for (const auto& chart : charts)
    for (QAbstractAxis* a : chart->axes(Qt::Vertical)) {
      low = std::min(low, static_cast<QValueAxis*>(a)->min());
      high = std::max(high, static_cast<QValueAxis*>(a)->max());
    }
  if (charts.size() > 1)
    for (const auto& chart : charts)
      for (QAbstractAxis* a : chart->axes(Qt::Vertical))
        a->setRange(low, high);
  return charts;
}

void TExperimentPlots::Write(const TSummary& Summary, const std::string& Folder) {
  for (size_t m = 0; m < Summary.Measures().size(); ++m) {
    std::vector<std::unique_ptr<QChart>> charts = Charts(Summary, m);
    if (charts.empty())
      continue;
    // A scene rather than a view: no widget to lay out or show, each chart laid out at its size.
    QGraphicsScene scene; // owns the charts
    std::vector<QChart*> panels;
    for (size_t i = 0; i < charts.size(); ++i) {
      QChart* chart = charts[i].release();
      scene.addItem(chart);
      chart->setPos(static_cast<double>(i) * Width, 0);
      chart->resize(Width, Height);
      if (chart->layout() != nullptr)
        chart->layout()->activate();
      panels.push_back(chart);
    }
    const int width = Width * static_cast<int>(panels.size());
    const std::string stem = Folder + "/" + Summary.Measures()[m];
    TOutputFile png(stem + ".png", "the plot");
    png.Write(Png(scene, width, Height));
    png.Commit();
    TOutputFile svg(stem + ".svg", "the plot");
    svg.Write(Svg(scene, width, Height, QString::fromStdString(Summary.Measures()[m])));
    svg.Commit();
  }
}
