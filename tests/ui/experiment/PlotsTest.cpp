#include <gtest/gtest.h>

#include <QChart>
#include <QJsonDocument>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <map>

#include "ui/experiment/UExperimentPlots.h"
#include "ui/experiment/URunsTable.h"
#include "ui/experiment/USummary.h"

namespace {

// Two AI levels (the x axis), two speed goals (the lines), two frictions (the panels), three runs
// each; energies 0, 0 and 30, whose interval reaches below 0; "alive" only where the speed is 2.
TSummary Made() {
  const TExperiment x = TExperiment::FromJson(
      QJsonDocument::fromJson(R"({"format": "kartsim-experiment", "version": 1, "scene": "kart",
        "steps": 5, "futures": 30, "repetitions": 3, "seed": 1,
        "variables": [{"setting": "ai_level", "values": [4, 6]},
                      {"setting": "team_goal.speed", "values": [0, 2]},
                      {"setting": "friction", "values": [0.01, 0.02]}],
        "measures": ["energy_mean", {"name": "alive", "of": "alive", "aggregate": "sum"}]})")
          .object());
  std::map<int64_t, std::string> runs;
  for (int64_t r = 0; r < x.RunCount(); ++r) {
    const std::vector<double> v = x.ValuesOf(x.CombinationOf(r));
    runs[r] = std::to_string(r) + "," + std::to_string(x.CombinationOf(r)) + "," +
              std::to_string(r % 3) + "," + TRunsTable::Num(v[0]) + "," + TRunsTable::Num(v[1]) +
              "," + TRunsTable::Num(v[2]) + ",1,," + (r % 3 == 2 ? "30" : "0") + "," +
              (v[1] == 2 ? std::to_string(r % 3 + 1) : "") + "\n";
  }
  return TSummary(x, runs);
}

std::vector<QAbstractSeries*> Role(QChart& Chart, const char* Role) {
  std::vector<QAbstractSeries*> found;
  for (QAbstractSeries* s : Chart.series())
    if (s->objectName() == Role)
      found.push_back(s);
  return found;
}

} // namespace

TEST(ExperimentPlots, FollowTheRulesOfAPaperOnTheChartsThemselves) {
  const TSummary summary = Made();
  const auto energy = TExperimentPlots::Charts(summary, 0);
  const auto alive = TExperimentPlots::Charts(summary, 1);
  ASSERT_EQ(energy.size(), 2u); // a panel per friction
  ASSERT_EQ(alive.size(), 2u);
  QChart& chart = *energy[0];
  // Whole-number ticks on a whole-number variable, units on the axes.
  const auto* x = qobject_cast<QValueAxis*>(chart.axes(Qt::Horizontal).at(0));
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->tickType(), QValueAxis::TicksDynamic);
  EXPECT_EQ(x->tickInterval(), 2);
  EXPECT_EQ(x->labelFormat(), "%d");
  EXPECT_EQ(chart.axes(Qt::Vertical).at(0)->titleText(), "energy_mean (energy)");
  // Intervals cut at 0, where energy ends.
  const auto bars = Role(chart, TExperimentPlots::IntervalRole);
  ASSERT_FALSE(bars.empty());
  for (QAbstractSeries* s : bars)
    EXPECT_EQ(static_cast<QLineSeries*>(s)->at(0).y(), 0);
  // A line per speed, n in its name, side by side at one x, every run shown.
  const auto means = Role(chart, TExperimentPlots::MeanRole);
  ASSERT_EQ(means.size(), 2u);
  auto* first = static_cast<QLineSeries*>(means[0]);
  auto* second = static_cast<QLineSeries*>(means[1]);
  EXPECT_EQ(first->name(), "team_goal.speed = 0 (n = 3)");
  EXPECT_NE(first->at(0).x(), second->at(0).x());
  EXPECT_NEAR(first->at(0).x(), 4, 0.6);
  for (QAbstractSeries* s : Role(chart, TExperimentPlots::RunsRole))
    EXPECT_EQ(static_cast<QScatterSeries*>(s)->count(), 6);
  // The speed-2 line keeps its colour where the speed-0 line has no value at all.
  const auto aliveMeans = Role(*alive[0], TExperimentPlots::MeanRole);
  ASSERT_EQ(aliveMeans.size(), 1u);
  EXPECT_EQ(static_cast<QLineSeries*>(aliveMeans[0])->color(), second->color());
  EXPECT_NE(first->color(), second->color());
}
