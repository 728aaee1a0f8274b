#include "ui/window/UStepPlot.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace {

// Values, with the curve's unit as its title: the legend names the curves.
QValueAxis* ValueAxis(const QString& Unit) {
  auto* axis = new QValueAxis;
  axis->setTitleText(Unit);
  axis->setLabelFormat("%.5g");
  return axis;
}

// The range of the values held by the series, with 0 in it, rounded out to readable ticks.
void FitValues(QValueAxis& Axis, const QLineSeries& A, const QLineSeries* B) {
  double low = 0, high = 0;
  for (const QLineSeries* series : {&A, B})
    if (series != nullptr)
      for (const QPointF& point : series->points()) {
        low = std::min(low, point.y());
        high = std::max(high, point.y());
      }
  if (high - low < 1e-9)
    high = low + 1;
  Axis.setRange(low, high);
  Axis.applyNiceNumbers();
}

} // namespace

TStepPlot::TStepPlot(const QString& Title, const TCurve& First, const TCurve& Second,
                     QWidget* Parent)
    // Made with its chart: a view made without one makes its own, which a later setChart would
    // release to nobody.
    : QChartView(new QChart, Parent), FTitle(Title), FFirst(new QLineSeries),
      FSecond(new QLineSeries), FSteps(new QValueAxis) {
  // The chart owns its series and axes once they are added; the view owns the chart.
  QChart* chart = this->chart();
  FFirst->setName(First.Name);
  FSecond->setName(Second.Name);
  chart->addSeries(FFirst);
  chart->addSeries(FSecond);
  FSteps->setTitleText("step");
  FSteps->setLabelFormat("%d");
  FSteps->setTickType(QValueAxis::TicksDynamic);
  FSteps->setTickAnchor(0);
  FSteps->setTickInterval(100);
  chart->addAxis(FSteps, Qt::AlignBottom);
  FFirstAxis = ValueAxis(First.Unit);
  chart->addAxis(FFirstAxis, Qt::AlignLeft);
  FSecondAxis = FFirstAxis;
  if (Second.Unit != First.Unit) {
    FSecondAxis = ValueAxis(Second.Unit);
    chart->addAxis(FSecondAxis, Qt::AlignRight);
  }
  FFirst->attachAxis(FSteps);
  FFirst->attachAxis(FFirstAxis);
  FSecond->attachAxis(FSteps);
  FSecond->attachAxis(FSecondAxis);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(2, 2, 2, 2));
  setRenderHint(QPainter::Antialiasing);
  setMinimumSize(360, 200);
  Restart(QString());
}

void TStepPlot::Append(int64_t Step, double First, double Second) {
  const auto x = static_cast<double>(Step);
  FFirst->append(x, First);
  FSecond->append(x, Second);
  const int32_t excess = PointCount() - MaxPoints;
  if (excess > 0) {
    FFirst->removePoints(0, excess);
    FSecond->removePoints(0, excess);
  }
  FitAxes();
}

void TStepPlot::Restart(const QString& Note) {
  FFirst->clear();
  FSecond->clear();
  FNote = Note;
  ShowTitle();
  FitAxes();
}

int32_t TStepPlot::PointCount() const {
  return static_cast<int32_t>(FFirst->count());
}

double TStepPlot::FirstStep() const {
  return PointCount() > 0 ? FFirst->at(0).x() : 0;
}

double TStepPlot::LastStep() const {
  return PointCount() > 0 ? FFirst->at(PointCount() - 1).x() : 0;
}

void TStepPlot::FitAxes() {
  // The plot keeps the width of MaxPoints steps: the curve grows to the right, then scrolls.
  const double first = FirstStep();
  FSteps->setRange(first, first + MaxPoints - 1);
  if (FSecondAxis == FFirstAxis) {
    FitValues(*FFirstAxis, *FFirst, FSecond);
    return;
  }
  FitValues(*FFirstAxis, *FFirst, nullptr);
  FitValues(*FSecondAxis, *FSecond, nullptr);
}

void TStepPlot::ShowTitle() {
  chart()->setTitle(FNote.isEmpty() ? FTitle : FTitle + "<br><i>" + FNote.toHtmlEscaped() + "</i>");
}
