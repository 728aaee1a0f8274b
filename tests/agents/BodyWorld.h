#pragma once

#include <memory>
#include <string>
#include <vector>

#include "agents/UPlayer2D.h"
#include "goals/UGoal.h"
#include "goals/UTeam.h"
#include "support/TestPicture.h"
#include "world/UTrack2D.h"

// The plain triangular body, which has no drive of its own: it only keeps its velocities, and it
// writes down the impacts it suffers.
class TTestBody : public TPlayer2D {
public:
  static std::unique_ptr<TTestBody> New(double X = 10, double Y = 10, double Angle = 0);
  std::unique_ptr<TPlayer> Clone() const override;
  void Crash(double Strength) override;
  std::vector<double> Crashes;
  // Forgets the saved pose, as a placement does.
  void ForgetPose() { ForgetSavedPose(); }

protected:
  TTestBody() = default;
};

// An image track on a test picture with one team in it.
struct TBodyWorld {
  std::unique_ptr<TTestPicture> Picture;
  TTrack2D Track;
  TTeam Team;

  // A white picture of the given size.
  TBodyWorld(int32_t Width, int32_t Height);
  // Takes the given picture as the circuit.
  explicit TBodyWorld(std::unique_ptr<TTestPicture> Circuit);

  // Adds a player to the team and hands back where it lives now.
  template <class T> T& Add(std::unique_ptr<T> Player) {
    T* p = Player.get();
    Team.AddMember(std::move(Player));
    return *p;
  }
  std::vector<std::string>& Calls() { return Picture->Recorder().Calls; }
  TCanvas& Canvas() { return Picture->Canvas(); }
  // One sub-step of the whole world as a future runs it: every player moves, then the track.
  void SubStep();
};
