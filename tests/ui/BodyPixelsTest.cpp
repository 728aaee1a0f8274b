#include <gtest/gtest.h>

#include <cmath>

#include "agents/UKart.h"
#include "agents/UUtils.h"
#include "goals/UTeam.h"
#include "ui/qt/UQtPicture.h"
#include "world/UTrack2D.h"

// The bodies drawn on a real picture, read back pixel by pixel.
namespace {

const int32_t White = MakeColor(255, 255, 255);
const int32_t Black = MakeColor(0, 0, 0);
const int32_t Grey = MakeColor(128, 128, 128);

struct TPixelWorld {
  TQtPicture Picture;
  TTrack2D Track;
  TTeam Team;
  TKart* Kart;
  explicit TPixelWorld(int32_t Background = White) : Picture(200, 150, Background) {
    Track.LoadTrack(Picture);
    Track.AddTeam(&Team);
    // A kart of size 10 at (100, 75), facing right: its level bars stand at x 113 and 116.
    Kart = static_cast<TKart*>(Team.AddMember(TKart::New(100, 75, 0)));
  }
};

} // namespace

TEST(BodyPixels, ADeadPlayerIsCrossedOutAndShowsNoLevels) {
  TPixelWorld w;
  w.Kart->SetHealth(0);
  w.Kart->Draw(w.Picture.Canvas());
  // The cross runs over the bounding square, from (90, 65) to (110, 85) and back.
  EXPECT_EQ(w.Picture.Pixel(91, 66), Black);
  EXPECT_EQ(w.Picture.Pixel(92, 83), Black);
  // Where the bars would stand, nothing.
  for (int32_t x = 113; x < 120; ++x)
    EXPECT_EQ(w.Picture.Pixel(x, 75), White) << x;
}

TEST(BodyPixels, EnergyAndHealthBarsRiseFromTheBottomInTheirLevelsColour) {
  TPixelWorld w;
  w.Kart->SetEnergy(90); // green, 18 of 20 pixels
  w.Kart->SetHealth(30); // red, 6 of 20 pixels
  w.Kart->Draw(w.Picture.Canvas());
  const int32_t green = MakeColor(0, 128, 0), red = MakeColor(255, 0, 0);
  const int32_t frame = MakeColor(150, 150, 150);
  // Energy bar: filled from y 67 to 84 inside a grey outline, white frame above it.
  EXPECT_EQ(w.Picture.Pixel(114, 70), green);
  EXPECT_EQ(w.Picture.Pixel(114, 83), green);
  EXPECT_EQ(w.Picture.Pixel(114, 67), frame); // the top of the filled bar
  EXPECT_EQ(w.Picture.Pixel(114, 66), White);
  EXPECT_EQ(w.Picture.Pixel(114, 64), frame); // the top of the frame
  // Health bar, three pixels right: filled from y 79 to 84.
  EXPECT_EQ(w.Picture.Pixel(117, 82), red);
  EXPECT_EQ(w.Picture.Pixel(117, 79), frame);
  EXPECT_EQ(w.Picture.Pixel(117, 75), White);
}

TEST(BodyPixels, ANegativeEndingPointIsABlackSquareWithAWhiteBorder) {
  TPixelWorld w(Grey);
  w.Kart->FEndPointScale = 10;
  TState future(w.Kart);
  future.Assign(w.Kart->RealState());
  future.ParamByName("PosX").SetValue(40);
  future.ParamByName("PosY").SetValue(40);
  future.ScoreNegative = std::sqrt(0.2L); // scores -0.2 at level 8: radius round(3) = 3
  w.Kart->DrawEndPoint(future, w.Picture.Canvas());
  EXPECT_EQ(w.Picture.Pixel(40, 40), Black);
  EXPECT_EQ(w.Picture.Pixel(38, 41), Black);
  EXPECT_EQ(w.Picture.Pixel(37, 40), White); // the border at x - 3
  EXPECT_EQ(w.Picture.Pixel(40, 37), White);
  EXPECT_EQ(w.Picture.Pixel(35, 40), Grey); // outside
}

TEST(BodyPixels, AKartsTraceIsRedWhenSteeringRightAndBlueOtherwise) {
  for (double push : {5.0, -5.0}) {
    TPixelWorld w;
    // A sub-step of a future, recorded with it and drawn from the stored future.
    w.Kart->SetInFuture(true);
    TParamValues& turn = w.Kart->State().ParamByName("PushTurn");
    turn.SetValue(push);
    turn.UpdateMilli();
    w.Kart->State().ParamByName("PosX").StartValue = 60;
    w.Kart->State().ParamByName("PosY").StartValue = 40;
    w.Kart->SetPosX(80);
    w.Kart->SetPosY(40);
    w.Kart->RecordTrace();
    w.Kart->SetInFuture(false);
    w.Kart->DrawStoredTrace(0, w.Picture.Canvas());
    // At the start of a future the shade is 155: red or blue fading toward white.
    const int32_t expected = push > 0 ? MakeColor(255, 155, 155) : MakeColor(155, 155, 255);
    EXPECT_EQ(w.Picture.Pixel(70, 40), expected) << push;
    EXPECT_EQ(w.Picture.Pixel(70, 41), White);
  }
}
