#include <QComboBox>
#include <QTableWidget>
#include <cmath>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "decision/UListOfFutures.h"
#include "ui/window/UMonitorsWindow.h"
#include "ui/window/URunLoop.h"
#include "ui/window/UStepPlot.h"
#include "world/UTrack2D.h"

namespace {

class TWindowMonitors : public TWindowTest {
protected:
  void SetUp() override {
    TWindowTest::SetUp();
    // Short futures: the passes stay quick, the loop is the same.
    Slide("EdSeconds", 1);
  }
  TMonitorsWindow* Monitors() const { return Form->findChild<TMonitorsWindow*>(); }
  int32_t Points(const char* Plot) const { return Find<TStepPlot>(Plot).PointCount(); }
  void ChoosePlayer(int32_t Index) const {
    auto& players = Find<QComboBox>("EdPlayerId");
    players.setCurrentIndex(Index);
    emit players.activated(Index);
  }
};

const char* const Plots[] = {"PlotWorld", "PlotLevels", "PlotDots"};

} // namespace

TEST_F(TWindowMonitors, OneWindowOpensFromTheMenuAndClosingItUnchecksTheItem) {
  const QAction& item = Find<QAction>("MenuMonitors");
  EXPECT_EQ(Monitors(), nullptr);
  Trigger("MenuMonitors");
  TMonitorsWindow* monitors = Monitors();
  ASSERT_NE(monitors, nullptr);
  EXPECT_TRUE(monitors->isVisible());
  EXPECT_TRUE(monitors->isWindow());
  EXPECT_FALSE(monitors->isModal());

  Trigger("MenuMonitors");
  EXPECT_FALSE(monitors->isVisible());
  Trigger("MenuMonitors");
  EXPECT_TRUE(monitors->isVisible());
  EXPECT_EQ(Form->findChildren<TMonitorsWindow*>().size(), 1);

  monitors->close();
  EXPECT_FALSE(monitors->isVisible());
  EXPECT_FALSE(item.isChecked());
}

TEST_F(TWindowMonitors, BeforeTheFirstStepTheySayThereIsNoDecisionYet) {
  Trigger("MenuMonitors");
  const auto header = [&] { return Find<QLabel>("LbDecision").text().toStdString(); };
  EXPECT_EQ(header(), "No decision of Player #1 yet (AI level 8).");
  RunPasses(1);
  EXPECT_EQ(header().rfind("Last decision of Player #1 (AI level 8): ", 0), 0u) << header();
}

TEST_F(TWindowMonitors, EveryPlotHoldsOnePointPerStepUpTo600) {
  Trigger("MenuMonitors");
  RunPasses(3);
  for (const char* plot : Plots) {
    EXPECT_EQ(Points(plot), 3) << plot;
    EXPECT_EQ(Find<TStepPlot>(plot).LastStep(), 3) << plot;
  }
  // A single action refreshes what is shown, but is no step.
  Click("SpeedButton8");
  EXPECT_EQ(Points("PlotLevels"), 3);
  // Shown again, the monitors start afresh.
  Trigger("MenuMonitors");
  Trigger("MenuMonitors");
  for (const char* plot : Plots)
    EXPECT_EQ(Points(plot), 0) << plot;

  TStepPlot plot("Plot", {"A", "a"}, {"B", "b"});
  for (int64_t step = 1; step <= 605; ++step)
    plot.Append(step, step, -step);
  EXPECT_EQ(plot.PointCount(), TStepPlot::MaxPoints);
  EXPECT_EQ(plot.FirstStep(), 6);
  EXPECT_EQ(plot.LastStep(), 605);
}

TEST_F(TWindowMonitors, AnotherChosenPlayerRestartsItsPlotsAndTheyNoteIt) {
  Click("BtnAddPlayer");
  Trigger("MenuMonitors");
  RunPasses(2);
  ChoosePlayer(0);
  for (const char* plot : {"PlotLevels", "PlotDots"}) {
    EXPECT_EQ(Points(plot), 0) << plot;
    EXPECT_TRUE(Find<TStepPlot>(plot).Note().contains("started afresh")) << plot;
  }
  EXPECT_EQ(Points("PlotWorld"), 2);

  RunPasses(1);
  EXPECT_EQ(Points("PlotLevels"), 1);
  EXPECT_EQ(Points("PlotWorld"), 3);
  // The same player chosen again keeps its points.
  ChoosePlayer(0);
  EXPECT_EQ(Points("PlotDots"), 1);
}

TEST_F(TWindowMonitors, InspectorRowsAreTheOptionsOfTheLastDecision) {
  Trigger("MenuMonitors");
  RunPasses(1);
  TPlayer2D& rocket = *Form->SelectedPlayer();
  const TDecisionRecord& record = rocket.Futures().LastDecision();
  const auto& options = Find<QTableWidget>("TblOptions");
  ASSERT_FALSE(record.Options.empty());
  ASSERT_EQ(options.rowCount(), static_cast<int>(record.Options.size()));
  for (int k = 0; k < options.rowCount(); ++k) {
    const TDecisionRecord::TOption& option = record.Options[static_cast<size_t>(k)];
    EXPECT_EQ(options.item(k, 0)->text().toStdString(),
              rocket.RealState().FreeParamName(option.Param));
    EXPECT_EQ(options.item(k, 1)->text().toDouble(), option.Push);
    EXPECT_EQ(options.item(k, 2)->text().toInt(), option.Futures);
  }
  const auto& params = Find<QTableWidget>("TblParams");
  ASSERT_EQ(params.rowCount(), 2);
  const double action = record.Params[1].Action;
  EXPECT_NEAR(params.item(1, 4)->text().toDouble(), action, 1e-4 * std::abs(action) + 1e-9);
  EXPECT_FALSE(Find<QLabel>("LbDecisionNote").isVisible());

  // Levels 1 to 3 weigh every option the same, and say so.
  Find<QComboBox>("EdAI_Level").setCurrentIndex(1);
  emit Find<QComboBox>("EdAI_Level").activated(1);
  RunPasses(1);
  EXPECT_TRUE(Find<QLabel>("LbDecisionNote").isVisible());
  EXPECT_TRUE(Text("LbDecisionNote").contains("weighs every option the same"));
  for (int k = 0; k < options.rowCount(); ++k)
    EXPECT_EQ(options.item(k, 4)->text(), "1");
  EXPECT_TRUE(Dialogs->Reports.empty());
}
