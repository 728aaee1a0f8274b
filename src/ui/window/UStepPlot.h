#pragma once

#include <QChartView>
#include <QString>
#include <cstdint>

class QLineSeries;
class QValueAxis;

// Two values of the world or of a player, one point per step, over the last MaxPoints steps.
// The steps run along the bottom; each curve has its axis and unit, the second on the right
// unless it has the unit of the first. A restart empties the plot and says why above it, so that
// points of one player are never drawn on as if they were of another.
class TStepPlot : public QChartView {
  Q_OBJECT
public:
  // A minute of simulated time at the default step of a tenth of a second.
  static constexpr int32_t MaxPoints = 600;

  struct TCurve {
    QString Name;
    QString Unit;
  };

  TStepPlot(const QString& Title, const TCurve& First, const TCurve& Second,
            QWidget* Parent = nullptr);

  // The values after step Step; the oldest point goes once MaxPoints are held.
  void Append(int64_t Step, double First, double Second);
  // No points; Note (may be empty) is shown under the title until the next restart.
  void Restart(const QString& Note);

  int32_t PointCount() const;
  // Steps of the oldest and newest point held; 0 without points.
  double FirstStep() const;
  double LastStep() const;
  const QString& Note() const { return FNote; }

private:
  void FitAxes();
  void ShowTitle();

  QString FTitle;
  QString FNote;
  QLineSeries* FFirst;
  QLineSeries* FSecond;
  QValueAxis* FSteps;
  QValueAxis* FFirstAxis;
  QValueAxis* FSecondAxis; // FFirstAxis when both curves have one unit
};
