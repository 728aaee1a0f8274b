#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

class TCanvas;
class TPlayer;
class TTeam;

// How a team goal's effect on one member reaches the other members.
enum TGoalMode : uint8_t { gmCompetitive = 0, gmIndividual = 1, gmCooperative = 2 };

// The phases in which a goal's Compute can contribute, as a set of bits: phase 0 comes after
// every sub-step (and before the real move), phase 1 at the end of a future.
enum TGoalPhases : uint8_t { gpAfterSubStep = 1, gpEndOfFuture = 2, gpBoth = 3 };

// A score contribution as a goal reports it: an additive value and a factor.
struct TScoreContribution {
  double Add = 0;
  double Mult = 1;
};

// A goal turns a measurement of a player's current state into a score contribution, weighted by
// the goal's strength. Personal goals belong to a player, team goals to a team. A goal keeps no
// player: the one it scores or draws for is handed to it, so that a copy of a goal made for the
// futures can never reach the player of the world it was copied from.
//
// A goal starts on a cache line of its own: a worker's copies of the goals are made one after the
// other at every step, and what an evaluation writes must not share a line with another copy's.
class alignas(64) TGoal {
public:
  uint8_t FMode = gmIndividual; // team goals only
  double FValue;                // strength, 0 .. FMaxValue; 0 or less does nothing
  double FMaxValue = 10.0;
  double FScoreAdd = 0; // contribution being built by the current evaluation
  double FScoreMult = 1;
  bool FSoonerBetter = false; // contributions early in a future weigh more
  bool FAlwaysDraw = false;   // drawn for its team's first member even when it draws no goals
  std::string FDescription = "Generic goal";

  // Keeps the value as given; only SetValue clamps. Phases: where Compute can contribute; the
  // evaluation skips it in the others, which changes nothing but the time spent.
  explicit TGoal(double Value, uint8_t Phases = gpBoth) : FValue(Value), FPhases(Phases) {}
  virtual ~TGoal() = default;
  TGoal& operator=(const TGoal&) = delete;

  // A copy with the same settings and what the goal keeps between evaluations, for a worker's
  // copy of the world.
  virtual std::unique_ptr<TGoal> Clone() const = 0;
  // Counts that the futures of a step consume in turn, each future leaving less for the next
  // (what is left of the energy drops); empty for the goals whose futures share nothing. The
  // world's step gives the futures one such pool per goal, whatever thread runs them.
  virtual std::span<int32_t> FuturePool() { return {}; }

  void SetValue(double X);

  // Fills FScoreAdd and/or FScoreMult for the player in the given phase (0 after a sub-step or
  // before the real move, 1 at the end of a future).
  virtual void Compute(TPlayer& Player, int32_t Phase) = 0;
  // Scores the player's current state and reports the contribution as it stood before the
  // strength was applied ({0, 1} when the goal did nothing).
  TScoreContribution Evaluate(TPlayer& Player, int32_t Phase);
  // Start of every simulation step, before the futures, for the goals of a team.
  virtual void BeginStep(TTeam& /*Team*/) {}
  // The step begun by BeginStep was abandoned: what it changed is put back.
  virtual void AbandonStep() {}
  // Draws the goal's mark after a step, for the player (a personal goal's owner, or the last
  // member of a team) on the world's picture. Player: null for a team without members.
  virtual void Draw(const TPlayer* /*Player*/, TCanvas& /*Canvas*/) {}

protected:
  // For Clone: the copy of a goal is a goal of the same class with the same fields.
  TGoal(const TGoal&) = default;

private:
  void ApplyScore(TPlayer& Player);

  uint8_t FPhases;
};
