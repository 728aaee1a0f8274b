#include <QComboBox>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "ui/window/URunLoop.h"
#include "world/UTrack2D.h"

namespace {

class TWindowRangeError : public TWindowTest {
protected:
  void SetUp() override {
    TWindowTest::SetUp();
    Form->Track().SetFixedFutures(20);
    Form->Track().SetThreads(2);
    Slide("EdSeconds", 1);
    Click("BtnAddPlayer");
    Click("BtnAddPlayer");
  }
  // "Run" pressed: the step fails at once, the loop ends and the error is reported as every
  // error is; the world keeps its players, its goals and their order.
  void ExpectRangeErrorEndsTheRun() {
    const size_t reports = Dialogs->Reports.size();
    const int64_t passes = Form->RunLoop().PassCount();
    const std::vector<TPlayer*> players = Form->Track().PlayerList();
    const int32_t goals = Form->CurrentTeam().Members(0)->GoalCount();
    Click("StartBtn");
    WaitForRunEnd();
    ASSERT_EQ(Dialogs->Reports.size(), reports + 1);
    const TErrorReport& report = Dialogs->Reports.back();
    EXPECT_EQ(report.Message, "Range check error");
    EXPECT_EQ(report.Type, "ERangeError");
    EXPECT_EQ(report.Origin, "step " + std::to_string(passes + 1) + " of the run");
    EXPECT_FALSE(Form->RunLoop().Running());
    EXPECT_FALSE(Form->RunLoop().InStep());
    EXPECT_EQ(Form->RunLoop().PassCount(), passes + 1);
    EXPECT_EQ(Form->Track().PlayerList(), players);
    EXPECT_EQ(Form->CurrentTeam().Members(0)->GoalCount(), goals);
    EXPECT_EQ(Find<QComboBox>("EdPlayerId").count(), Members());
    for (int32_t i = 0; i < Members(); ++i)
      EXPECT_FALSE(Member(i).InFuture()) << "member " << i;
  }
  // "Run" starts again and passes go by without an error.
  void ExpectRunsAgain() const { ExpectPassesWithoutError(3); }
};

} // namespace

TEST_F(TWindowRangeError, APlayerFlungFarAwayStopsTheRunUntilResetOrRemoved) {
  TPlayer2D& flung = Member(1);
  const double startX = flung.PosX();
  flung.SetPosX(1e12);
  ExpectRangeErrorEndsTheRun();
  EXPECT_EQ(Form->SelectedPlayer(), &Member(2));
  // "Reset" brings the player back to its start.
  Click("BtnReset");
  EXPECT_NEAR(Member(1).PosX(), startX, 1e-3);
  ExpectRunsAgain();

  // Flung by its speed this time; "-" on the chosen player removes it.
  Member(2).SetVelX(1e300);
  Member(2).SetVelY(-1e300);
  ExpectRangeErrorEndsTheRun();
  const TPlayer* removed = &Member(2);
  ASSERT_EQ(Form->SelectedPlayer(), removed);
  Click("BtnSubPlayer");
  ASSERT_EQ(Members(), 2);
  EXPECT_NE(&Member(1), removed);
  ExpectRunsAgain();
}

TEST_F(TWindowRangeError, AHandMoveOfAPlayerFlungFarAwayIsReported) {
  Form->SelectedPlayer()->SetPosY(-1e15);
  Click("SpeedButton1");
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  EXPECT_EQ(Dialogs->Reports[0].Message, "Range check error");
  EXPECT_EQ(Dialogs->Reports[0].Origin.rfind("SpeedButton1Click", 0), 0u);
  Click("BtnReset");
  ExpectRunsAgain();
}
