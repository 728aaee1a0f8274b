#pragma once

#include <cstdint>
#include <memory>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "goals/UTeam.h"
#include "support/TestPicture.h"
#include "world/UTrack2D.h"

// An image track on an open road with one team, for the goals that measure bodies on a picture.
struct TGoalWorld {
  std::unique_ptr<TTestPicture> Picture;
  TTrack2D Track;
  TTeam Team;

  explicit TGoalWorld(int32_t Width = 400, int32_t Height = 300, int32_t Border = 5)
      : Picture(TTestPicture::OpenRoad(Width, Height, Border)) {
    // Two runners on any machine, so that the steps run here go through the workers.
    Track.SetThreads(2);
    Track.LoadTrack(*Picture);
    Track.AddTeam(&Team);
  }

  TKart& AddKart(double X, double Y, double Angle = 0) {
    return static_cast<TKart&>(*Team.AddMember(TKart::New(X, Y, Angle)));
  }
  TRocket& AddRocket(double X, double Y, double Angle = 0) {
    return static_cast<TRocket&>(*Team.AddMember(TRocket::New(X, Y, Angle)));
  }
  TRecordingCanvas& Canvas() { return Picture->Recorder(); }
};
