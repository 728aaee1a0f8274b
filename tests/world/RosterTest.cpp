#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "agents/UUtils.h"
#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "platform/URandom.h"
#include "support/TestPicture.h"
#include "world/URoster.h"
#include "world/UTrack2D.h"

namespace {

struct TRosterWorld {
  std::unique_ptr<TTestPicture> Picture = TTestPicture::OpenRoad(800, 600, 5);
  TTrack2D Track;
  TTeam Team;
  TRoster Roster{Track};
  TRosterWorld() {
    Track.LoadTrack(*Picture);
    Track.AddTeam(&Team);
  }
};

} // namespace

TEST(Roster, TheFirstPlayersTakeTheirStartPlacesAndRankColours) {
  TRosterWorld w;
  TPlayer2D* rocket = w.Roster.AddPlayer(TRoster::pkRocket);
  ASSERT_TRUE(rocket->IsRocket());
  EXPECT_EQ(rocket->PosX(), 330);
  EXPECT_EQ(rocket->PosY(), 450);
  EXPECT_EQ(rocket->Angle(), -std::numbers::pi / 2);
  EXPECT_EQ(rocket->Color(), MakeColor(255, 255, 255));
  EXPECT_EQ(w.Team.Selected(), rocket);

  TRosterWorld k;
  TPlayer2D* kart = k.Roster.AddPlayer(TRoster::pkKart);
  ASSERT_TRUE(kart->IsKart());
  EXPECT_EQ(kart->PosX(), 330);
  EXPECT_EQ(kart->PosY(), 475);
  EXPECT_EQ(kart->Angle(), 0);
  EXPECT_EQ(k.Roster.AddPlayer(7), nullptr);
  EXPECT_EQ(k.Team.MemberCount(), 1);
}

TEST(Roster, AKartAddedBesideARocketStandsThirtyPixelsAheadOfIt) {
  TRosterWorld w;
  TPlayer2D* rocket = w.Roster.AddPlayer(TRoster::pkRocket);
  rocket->Goals(0)->SetValue(3);
  TPlayer2D* kart = w.Roster.AddPlayerAhead(TRoster::pkKart);
  ASSERT_TRUE(kart->IsKart());
  EXPECT_NEAR(kart->PosX(), 330, 1e-9); // the rocket's place and heading (up), then 30 ahead
  EXPECT_NEAR(kart->PosY(), 420, 1e-9);
  EXPECT_EQ(kart->Angle(), -std::numbers::pi / 2);
  EXPECT_EQ(kart->Goals(0)->FValue, 3); // goal values follow the copied player
  EXPECT_EQ(kart->Color(), MakeColor(255, 255, 0));
  // Its own place is committed: Reset does not stack it onto the rocket it copied.
  kart->Reset();
  EXPECT_NEAR(kart->PosY(), 420, 1e-9);
}

TEST(Roster, APlayerAddedAtAPlaceIsAtRestThereWithItsOwnStart) {
  TRosterWorld w;
  TPlayer2D* first = w.Roster.AddPlayer(TRoster::pkKart);
  first->Goals(0)->SetValue(3);
  first->SetVelX(4);
  first->SetAILevel(2);
  TPlayer2D* kart = w.Roster.AddPlayerAt(TRoster::pkKart, 100, 200, 1);
  ASSERT_TRUE(kart->IsKart());
  EXPECT_EQ(kart->VelX(), 0); // nothing of the selected kart's state, settings or goals
  EXPECT_NE(kart->AILevel(), 2);
  EXPECT_NE(kart->Goals(0)->FValue, 3);
  EXPECT_EQ(kart->Color(), MakeColor(255, 255, 0)); // the second's rank colour
  kart->Reset();
  EXPECT_EQ(kart->PosX(), 100);
  EXPECT_EQ(kart->PosY(), 200);
  EXPECT_EQ(kart->Angle(), 1);
  EXPECT_EQ(w.Roster.AddPlayerAt(7, 0, 0, 0), nullptr);
}

TEST(Roster, AThirdPlayerKeepsTheSpacingOfTheTwoBeforeIt) {
  TRosterWorld w;
  w.Roster.AddPlayer(TRoster::pkKart);                          // (330, 475)
  TPlayer2D* second = w.Roster.AddPlayerAhead(TRoster::pkKart); // copies the first: (360, 475)
  ASSERT_NEAR(second->PosX(), 360, 1e-9);
  second->SetPosY(485);
  TPlayer2D* third = w.Roster.AddPlayerAhead(TRoster::pkKart);
  // Copies the second kart's state, then adds the offset from the first to the second.
  EXPECT_NEAR(third->PosX(), 360 + 30, 1e-9);
  EXPECT_NEAR(third->PosY(), 485 + 10, 1e-9);
  EXPECT_EQ(third->Color(), MakeColor(255, 150, 100));
}

TEST(Roster, ACircleReplacesTheTeamByEighteenKartsFacingItsCentre) {
  RandSeed(3);
  TRosterWorld w;
  w.Roster.AddPlayer(TRoster::pkRocket);
  w.Roster.AddCircleOfKarts();
  ASSERT_EQ(w.Team.MemberCount(), 18);
  ASSERT_EQ(w.Track.PlayerCount(), 18);
  const int32_t firstColours[5] = {MakeColor(255, 255, 255), MakeColor(255, 255, 0),
                                   MakeColor(255, 150, 100), MakeColor(255, 0, 0),
                                   MakeColor(150, 150, 150)};
  for (int32_t i = 0; i < 18; ++i) {
    auto* kart = dynamic_cast<TKart*>(w.Team.Members(i));
    ASSERT_NE(kart, nullptr);
    const double a = 2 * std::numbers::pi * i / 18;
    EXPECT_NEAR(kart->PosX(), 400 + 90 * std::cos(a), 1e-9);
    EXPECT_NEAR(kart->PosY(), 300 + 90 * std::sin(a), 1e-9);
    EXPECT_NEAR(kart->Angle(), a + std::numbers::pi, 1e-12);
    EXPECT_EQ(kart->MaxPower(), 14);
    EXPECT_EQ(kart->Size(), 8);
    if (i < 5) {
      EXPECT_EQ(kart->Color(), firstColours[i]) << i;
    }
    kart->Reset(); // the ring is where Reset returns
    EXPECT_NEAR(kart->PosX(), 400 + 90 * std::cos(a), 1e-3);
  }
}

TEST(Roster, WithEvolutionNewPlayersTakeRandomGoalsAndTheirColours) {
  RandSeed(4);
  TRosterWorld w;
  w.Track.SetEvolution(true);
  TPlayer2D* kart = w.Roster.AddPlayer(TRoster::pkKart);
  EXPECT_TRUE(kart->DrawsGoals());
  const int32_t colour = kart->Color();
  kart->ColorFromGoals();
  EXPECT_EQ(kart->Color(), colour);
  EXPECT_NE(kart->Goals(0)->FValue, 1.0); // randomised
}
