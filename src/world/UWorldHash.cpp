#include "world/UWorldHash.h"

#include <cstdio>
#include <cstring>

#include "agents/UPlayer.h"
#include "goals/UGoal.h"
#include "goals/UGoalCatalogue.h"
#include "goals/UTeam.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

// FNV-1a over 64-bit words: small, and fixed by its definition alone.
class THasher {
public:
  void Add(uint64_t X) {
    for (int32_t i = 0; i < 8; ++i) {
      FHash ^= (X >> (8 * i)) & 0xFF;
      FHash *= 0x100000001B3ull;
    }
  }
  // By its bits: a value that differs in its last digit differs here.
  void Add(double X) {
    uint64_t bits;
    std::memcpy(&bits, &X, sizeof bits);
    Add(bits);
  }
  void Add(int64_t X) { Add(static_cast<uint64_t>(X)); }
  void Add(int32_t X) { Add(static_cast<uint64_t>(static_cast<uint32_t>(X))); }
  void Add(const std::string& Text) {
    Add(static_cast<uint64_t>(Text.size()));
    for (const char c : Text)
      Add(static_cast<uint64_t>(static_cast<unsigned char>(c)));
  }
  void Add(const TGoal& Goal) {
    Add(TGoalCatalogue::NameOf(Goal));
    Add(Goal.FValue);
    Add(static_cast<int32_t>(Goal.FMode));
    Add(static_cast<int32_t>(Goal.FSoonerBetter));
    for (const TGoalField& field : TGoalCatalogue::Fields(Goal))
      for (const double x : field.Values)
        Add(x);
  }
  uint64_t Hash() const { return FHash; }

private:
  uint64_t FHash = 0xCBF29CE484222325ull;
};

} // namespace

uint64_t TWorldHash::Of(TWorld& World) {
  THasher h;
  h.Add(World.StepCount());
  for (const uint64_t word : World.RandomStream().State())
    h.Add(word);
  const TWorldSettings& s = World.Track().Settings();
  h.Add(s.FFutureMs);
  h.Add(s.FDeltaMs);
  h.Add(s.FMinFutures);
  h.Add(static_cast<int32_t>(s.FCollisions));
  h.Add(static_cast<int32_t>(s.FEvolution));
  h.Add(s.FFriction);
  h.Add(s.FSideFriction);
  h.Add(World.CurrentTeamIndex());
  for (int32_t t = 0; t < World.TeamCount(); ++t) {
    TTeam& team = World.Teams(t);
    h.Add(team.GoalCount());
    for (int32_t g = 0; g < team.GoalCount(); ++g)
      h.Add(*team.Goals(g));
    h.Add(team.MemberCount());
    h.Add(team.IndexOfMember(team.Selected()));
    for (int32_t m = 0; m < team.MemberCount(); ++m) {
      TPlayer& player = *team.Members(m);
      const TState& state = player.RealState();
      for (int32_t i = 0; i < state.ParamCount(); ++i) {
        const TParamValues& p = state.Param(i);
        for (const double x :
             {p.Value, p.StartValue, p.MinValue, p.MaxValue, p.SavedValue, p.Sensitivity})
          h.Add(x);
        h.Add(p.Milli);
      }
      const TPlayerSettings& ps = player.Settings();
      h.Add(ps.FColor);
      h.Add(player.AILevel());
      h.Add(player.GridSize());
      h.Add(static_cast<int32_t>(ps.FAutoGrid));
      h.Add(player.Futures().FutureCount());
      h.Add(player.GoalCount());
      for (int32_t g = 0; g < player.GoalCount(); ++g)
        h.Add(*player.Goals(g));
    }
  }
  return h.Hash();
}

std::string TWorldHash::Short(uint64_t Hash) {
  char text[17];
  std::snprintf(text, sizeof text, "%08llx",
                static_cast<unsigned long long>((Hash ^ (Hash >> 32)) & 0xFFFFFFFFull));
  return text;
}
