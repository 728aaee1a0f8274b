#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class TCanvas;
class TGoal;
class TPlayer;
class TTrack;

// Players that live in one world and share team goals. The world drives its teams through each
// step and the team walks its members in order. It owns its members and its team goals.
// Like its players, a team keeps to cache lines of its own, apart from other workers' copies.
class alignas(64) TTeam {
public:
  TTrack* FTrack = nullptr; // set by the world's AddTeam
  bool FDrawGoals = false;  // draw the team goals

  TTeam();
  ~TTeam();
  TTeam(const TTeam&) = delete;
  TTeam& operator=(const TTeam&) = delete;

  // ---- members ----
  TPlayer* Members(int32_t Index) const;
  int32_t MemberCount() const { return static_cast<int32_t>(FMembers.size()); }
  int32_t IndexOfMember(const TPlayer* Player) const;
  // Takes the player in, selects it and rebuilds the world's player list; returns it. A player
  // that is already a member stays as it is.
  TPlayer* AddMember(std::unique_ptr<TPlayer> Player);
  // Removes a member (nothing when it is not one). With Free the player is destroyed; otherwise
  // it is handed back to the caller.
  std::unique_ptr<TPlayer> RemoveMember(TPlayer* Player, bool Free);
  // Raises "Selected player must be a team member." for a player of another team.
  void Select(TPlayer* Player);
  TPlayer* Selected() const { return FSelected; }
  void Reset();

  // ---- team goals (owned) ----
  int32_t AddGoal(std::unique_ptr<TGoal> Goal);
  // Removes the entry when the index is valid and hands the goal back; null otherwise.
  std::unique_ptr<TGoal> DeleteGoal(int32_t Index);
  TGoal* Goals(int32_t Index) const;
  int32_t GoalCount() const { return static_cast<int32_t>(FGoals.size()); }

  // ---- step operations, called by the world ----
  bool InFuture() const { return FInFuture; }
  // Lets the team goals start the step (the futures see what they leave).
  void BeginStep();
  // The step begun was abandoned: the team goals put back what BeginStep changed.
  void AbandonStep();
  void SetInFuture(bool On);
  // Leaves a future without scoring or storing it: the way out when a step fails half done.
  void AbandonFuture();
  void FirstSubStep() { SubStep(0); }
  void NextSubStep() { SubStep(1); }
  void RealMove() { SubStep(2); }
  void EvaluateGoals(int32_t Phase);
  void Evolve();
  void RemoveShrunk();

  // ---- drawing, after a step or a change, never during one ----
  // The team goals' marks, when the team draws its goals, and its first member's personal goals.
  void DrawGoals(TCanvas& Canvas) const;
  void Draw(TCanvas& Canvas);
  void DrawEndPoints(TCanvas& Canvas);

private:
  void SubStep(int32_t Kind);
  void RebuildWorldPlayers();

  TPlayer* FSelected = nullptr;
  bool FInFuture = false;
  std::vector<std::unique_ptr<TGoal>> FGoals;
  std::vector<std::unique_ptr<TPlayer>> FMembers;
};
