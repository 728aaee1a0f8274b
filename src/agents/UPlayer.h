#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "agents/UPlayerSettings.h"
#include "decision/UListOfFutures.h"
#include "decision/UState.h"
#include "goals/UTeam.h"
#include "world/UTrack.h"

class TCanvas;
class TGoal;
class TPlayer2D;
class TTeam;
class TTrack;

// The simulated player, whatever its body: two state vectors (the real one and the one a future
// runs on), its stored futures, health, energy and size with the death rule, personal goals,
// display settings, the grid on which futures are compared, and the evolution operations.
//
// Construction is in two phases: the C++ constructor only sets plain defaults, and each class's
// Create runs the rest once the object is complete, so that the virtual CreateParams reaches the
// descendant. Descendants offer a static New that does both.
//
// A player starts on a cache line of its own: the stand-ins that different threads simulate are
// made one after the other, and a player's caches written at every sub-step must not share a line
// with the next player's fields.
class alignas(64) TPlayer {
public:
  virtual ~TPlayer();
  TPlayer(const TPlayer&) = delete;
  TPlayer& operator=(const TPlayer&) = delete;

  TTeam* FTeam = nullptr;            // owning team, set by its AddMember
  long double FEndPointScale = 1.0L; // display scale of ending points
  long double FEndPointMax = 0.0L;   // largest ending-point radius drawn since the last adaptation
  bool FHasDuplicated = false;       // duplicated in the real move; cleared on entering a future

  // ---- settings ----
  const TPlayerSettings& Settings() const { return FSettings; }
  // Takes every setting at once; raises, changing nothing, when one is out of range (Check).
  void SetSettings(const TPlayerSettings& Settings);
  int32_t Color() const { return FSettings.FColor; }
  void SetColor(int32_t Color) { FSettings.FColor = Color; }
  bool DrawsTraces() const { return FSettings.FDrawTraces; }
  void SetDrawTraces(bool On) { FSettings.FDrawTraces = On; }
  bool DrawsEndPoints() const { return FSettings.FDrawEndPoints; }
  void SetDrawEndPoints(bool On) { FSettings.FDrawEndPoints = On; }
  bool DrawsGoals() const { return FSettings.FDrawGoals; }
  void SetDrawGoals(bool On) { FSettings.FDrawGoals = On; }
  bool DrawsLevels() const { return FSettings.FDrawLevels; }
  void SetDrawLevels(bool On) { FSettings.FDrawLevels = On; }
  int32_t AILevel() const { return FSettings.FAILevel; }
  // Raises EError for a level outside 1 .. 8, keeping the one it has.
  void SetAILevel(int32_t Level);
  bool AutoGrid() const { return FSettings.FAutoGrid; }
  void SetAutoGrid(bool On) { FSettings.FAutoGrid = On; }
  int32_t GridMin() const { return FSettings.FGridMin; }
  int32_t GridMax() const { return FSettings.FGridMax; }
  // New bounds of the grid size, which is brought within them; raises as SetSettings does.
  void SetGridBounds(int32_t Min, int32_t Max);

  // ---- virtual operations, in slot order ----
  virtual bool IsTurning() const { return true; }
  // Recomputes the body outline when it is dirty.
  virtual void UpdateShape() = 0;
  // The parameters of this kind of player, in the order its states hold them: names, kinds,
  // bounds and the values a new player starts from. One schema per kind, shared by its players.
  virtual const TSchemaPtr& KindSchema() const;
  // Takes the kind's schema into the state and finds the parameters each class reads.
  virtual void CreateParams();
  virtual bool WantsToDuplicate() const { return false; }
  // A new player of the same class with this one's real state and settings.
  virtual std::unique_ptr<TPlayer> Clone() const = 0;
  // Back to the values of the last Commit, rounded to 1/1000.
  virtual void Reset();
  virtual void Assign(const TPlayer& Source);
  // Makes this player the stand-in of Source on a worker's copy of the world for the futures of
  // one step: its real state and all its settings, copied whole. Its list of futures is emptied;
  // goals are the copy's business.
  void Mirror(const TPlayer& Source);
  virtual void Draw(TCanvas& /*Canvas*/) { UpdateShape(); }
  // Colour of a future's trace for that future's state.
  virtual int32_t TraceColor(const TState& S) const;
  // In a future: records the segment of the current sub-step with the future, for the drawing
  // after the step (DrawStoredTrace).
  virtual void RecordTrace() = 0;
  // Draws the trace of stored future I.
  virtual void DrawStoredTrace(int32_t /*I*/, TCanvas& /*Canvas*/) {}
  // Draws the ending point of one stored future, and notes its size for AdaptEndPointScale.
  virtual void DrawEndPoint(const TState& S, TCanvas& Canvas) = 0;
  virtual void AdjustGrid();
  // The current values become the start values and what Reset returns to; the score restarts.
  virtual void Commit();
  // The player's own motion for one sub-step; the base advances the state's clock.
  virtual void Advance();
  virtual bool CollidesWith(TPlayer& Other) = 0;
  // Damage of an impact of the given strength: (strength / 2)^2 health.
  virtual void Crash(double Strength);
  // Creates a child in the same team and returns it (owned by the team).
  virtual TPlayer* Duplicate();

  // ---- kind queries, for the per-sub-step paths where a dynamic_cast would cost too much ----
  virtual TPlayer2D* AsPlayer2D() { return nullptr; }
  virtual const TPlayer2D* AsPlayer2D() const { return nullptr; }
  virtual bool IsKart() const { return false; }
  virtual bool IsRocket() const { return false; }

  // ---- states and world ----
  TState& State() { return FInFuture ? FFutureState : FRealState; }
  const TState& State() const { return FInFuture ? FFutureState : FRealState; }
  TState& RealState() { return FRealState; }
  TState& FutureState() { return FFutureState; }
  TListOfFutures& Futures() { return FFutures; }
  bool InFuture() const { return FInFuture; }
  // The world of the owning team; raises when the player is in no team or the team in no world.
  // Asked several times per sub-step, hence inline.
  TTrack& Track() const {
    if (FTeam == nullptr || FTeam->FTrack == nullptr)
      RaiseNoWorld();
    return *FTeam->FTrack;
  }
  int32_t DeltaMs() const { return Track().Settings().FDeltaMs; }
  // Sub-step length, seconds.
  double DeltaT() const { return Track().DeltaT(); }

  // ---- personal goals (owned) ----
  int32_t AddGoal(std::unique_ptr<TGoal> Goal);
  // Removes the entry when the index is valid and hands the goal back; null otherwise.
  std::unique_ptr<TGoal> DeleteGoal(int32_t Index);
  TGoal* Goals(int32_t Index) const;
  int32_t GoalCount() const { return static_cast<int32_t>(FGoals.size()); }
  void EvaluateGoals(int32_t Phase);
  // Draws the personal goals that are to be drawn: all of them with FDrawGoals, otherwise those
  // that always draw; none of strength 0.
  void DrawGoals(TCanvas& Canvas) const;

  // ---- steps ----
  void SetInFuture(bool On);
  // Leaves a future without scoring or storing it: the way out when a step fails half done.
  void AbandonFuture();
  void PrepareFirstSubStep();
  void PrepareNextSubStep();
  void PrepareRealMove();
  // The ending points of the stored futures, when the player draws them; the display scale then
  // adapts to what was drawn.
  void DrawEndPoints(TCanvas& Canvas);
  void AdaptEndPointScale();

  // ---- base parameters, on State ----
  double Size() const { return State().Param(FSizeIndex).Value; }
  void SetSize(double X);
  double SizeMin() const { return State().Param(FSizeIndex).MinValue; }
  double SizeMax() const { return State().Param(FSizeIndex).MaxValue; }
  bool IsDead() const { return State().Param(FDeadIndex).Value > 0.5; }
  void SetDead(bool On);
  double Health() const { return State().Param(FHealthIndex).Value; }
  // An explicit setting: kills at 0 and revives a dead player above 0.
  void SetHealth(double X);
  // Damage: lowers health to X and kills at 0, but never revives.
  void LowerHealth(double X);
  double Energy() const { return State().Param(FEnergyIndex).Value; }
  void SetEnergy(double X) { State().Param(FEnergyIndex).SetValue(X); }

  // ---- grid ----
  int32_t GridSize() const;
  void SetGridSize(int32_t R);
  int32_t TargetCount() const { return FTargetCount; }

  // ---- evolution ----
  void ColorFromGoals();
  void CopyGoalValues(const TPlayer& Source);
  void RandomizeGoals();
  void MutateGoals();

  bool IsAILevel6() const { return FSettings.FAILevel == 6; }
  bool IsAILevel7() const { return FSettings.FAILevel == 7; }
  bool IsAILevel8() const { return FSettings.FAILevel == 8; }

protected:
  TPlayer();
  // The rest of the construction, once the object is complete.
  void Create();

  int32_t FSizeIndex = 0;
  int32_t FDeadIndex = 0;
  int32_t FHealthIndex = 0;
  int32_t FEnergyIndex = 0;
  int32_t FEnergyGoal = 1;    // index in the goals of the energy goal made at creation
  int32_t FHealthGoal = 0;    // index in the goals of the health goal made at creation
  int32_t FTargetCount = 100; // counted futures the grid adjustment aims at
  bool FFirstShape = true;    // the outline storage has not been created yet
  bool FShapeDirty = true;    // the outline must be recomputed before use

private:
  [[noreturn]] static void RaiseNoWorld();

  // The grid size in the state's positional precisions.
  void ApplyGridSize();

  TPlayerSettings FSettings;
  bool FInFuture = false;
  std::vector<std::unique_ptr<TGoal>> FGoals;
  TState FRealState;
  TState FFutureState;
  TListOfFutures FFutures;
};
