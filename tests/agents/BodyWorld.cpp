#include "agents/BodyWorld.h"

std::unique_ptr<TTestBody> TTestBody::New(double X, double Y, double Angle) {
  std::unique_ptr<TTestBody> body(new TTestBody());
  body->Create();
  body->Place(X, Y, Angle);
  return body;
}

std::unique_ptr<TPlayer> TTestBody::Clone() const {
  std::unique_ptr<TTestBody> copy = New();
  copy->Assign(*this);
  return copy;
}

void TTestBody::Crash(double Strength) {
  Crashes.push_back(Strength);
  TPlayer2D::Crash(Strength);
}

TBodyWorld::TBodyWorld(int32_t Width, int32_t Height)
    : TBodyWorld(std::make_unique<TTestPicture>(Width, Height)) {}

TBodyWorld::TBodyWorld(std::unique_ptr<TTestPicture> Circuit) : Picture(std::move(Circuit)) {
  Track.AddTeam(&Team);
  Track.LoadTrack(*Picture);
}

void TBodyWorld::SubStep() {
  for (int32_t i = 0; i < Track.PlayerCount(); ++i)
    Track.Players(i)->Advance();
  Track.ApplyTrack();
}
