// Costs of the pieces of the futures loop, one at a time, on the built-in circuit.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "agents/UKart.h"
#include "agents/URocket.h"
#include "goals/UTeam.h"
#include "platform/URandom.h"
#include "ui/qt/UQtPicture.h"
#include "world/URoster.h"
#include "world/UTrack2D.h"

namespace {

// The program's start: the built-in circuit, one team, collisions on, as the window sets them.
struct TBenchWorld {
  std::unique_ptr<TQtPicture> Picture = TQtPicture::LoadDefaultCircuit();
  TTrack2D Track;
  TTeam Team;
  TRoster Roster{Track};
  TBenchWorld() {
    RandSeed(1);
    Track.LoadTrack(*Picture);
    Track.AddTeam(&Team);
    Track.SetCollisions(true);
  }
};

// One sub-step of a future as the world's step runs it: the first prepares an option push.
void SubStep(TBenchWorld& W, int32_t J) {
  if (J == 1)
    W.Team.FirstSubStep();
  else
    W.Team.NextSubStep();
  W.Track.ApplyTrack();
  W.Team.EvaluateGoals(0);
}

// Runs sub-steps of futures as the world's step does, starting a new future every
// SubStepCount sub-steps; the cost of starting and storing futures is spread over them.
void RunSubSteps(benchmark::State& S, TBenchWorld& W) {
  const int32_t count = W.Track.SubStepCount();
  int32_t j = 0;
  W.Team.SetInFuture(true);
  for (auto _ : S) {
    if (j == count) {
      W.Team.SetInFuture(false);
      if (W.Team.Members(0)->Futures().FutureCount() >= 10000)
        W.Team.BeginStep();
      W.Team.SetInFuture(true);
      j = 0;
    }
    SubStep(W, ++j);
  }
  W.Team.SetInFuture(false);
}

} // namespace

static void BM_CopyStateIntoFuture(benchmark::State& S) {
  auto kart = TKart::New(330, 475, 0);
  for (auto _ : S) {
    kart->FutureState().Assign(kart->RealState());
    benchmark::DoNotOptimize(kart->FutureState());
  }
}
BENCHMARK(BM_CopyStateIntoFuture);

static void BM_KartSubStep(benchmark::State& S) {
  TBenchWorld w;
  w.Roster.AddPlayer(TRoster::pkKart);
  RunSubSteps(S, w);
}
BENCHMARK(BM_KartSubStep);

static void BM_RocketSubStep(benchmark::State& S) {
  TBenchWorld w;
  w.Roster.AddPlayer(TRoster::pkRocket);
  RunSubSteps(S, w);
}
BENCHMARK(BM_RocketSubStep);

static void BM_KartWholeFuture(benchmark::State& S) {
  TBenchWorld w;
  w.Roster.AddPlayer(TRoster::pkKart);
  const int32_t count = w.Track.SubStepCount();
  for (auto _ : S) {
    if (w.Team.Members(0)->Futures().FutureCount() >= 10000)
      w.Team.BeginStep();
    w.Team.SetInFuture(true);
    for (int32_t j = 1; j <= count; ++j)
      SubStep(w, j);
    w.Team.SetInFuture(false);
  }
}
BENCHMARK(BM_KartWholeFuture);

// Whole steps of 400 fixed futures on one thread, the futures one at a time (Arg 0) or in lanes
// (Arg 1), side by side in one run; the counter is the time per body sub-step.
static void StepFixedFutures(benchmark::State& S, TRoster::TKind Kind) {
  TBenchWorld w;
  w.Roster.AddPlayer(Kind);
  w.Track.SetThreads(1);
  w.Track.SetFixedFutures(400);
  w.Track.SetLanes(S.range(0) != 0);
  int64_t subSteps = 0;
  for (auto _ : S) {
    w.Track.Step(1000);
    subSteps += int64_t{400} * w.Track.SubStepCount() * w.Track.PlayerCount();
  }
  S.counters["ns_per_body_substep"] = benchmark::Counter(
      static_cast<double>(subSteps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
static void BM_KartSteps(benchmark::State& S) {
  StepFixedFutures(S, TRoster::pkKart);
}
BENCHMARK(BM_KartSteps)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
static void BM_RocketSteps(benchmark::State& S) {
  StepFixedFutures(S, TRoster::pkRocket);
}
BENCHMARK(BM_RocketSteps)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The decision of a kart from 20,000 futures as a step of the program leaves them.
static void BM_ScoreOptionsAndDecide(benchmark::State& S) {
  TBenchWorld w;
  TPlayer2D* kart = w.Roster.AddPlayer(TRoster::pkKart);
  w.Track.SetFixedFutures(20000);
  w.Track.SetMinFutures(0);
  // One step fills the list; the real move then decided from it once already.
  w.Track.Step(100);
  TListOfFutures& futures = kart->Futures();
  for (auto _ : S)
    futures.Decide(kart->RealState());
  S.counters["futures"] = futures.FutureCount();
}
BENCHMARK(BM_ScoreOptionsAndDecide)->Unit(benchmark::kMillisecond);

static void BM_ApplyTrackCircleOf18(benchmark::State& S) {
  TBenchWorld w;
  w.Roster.AddPlayer(TRoster::pkRocket);
  w.Roster.AddCircleOfKarts();
  for (auto _ : S) {
    S.PauseTiming();
    w.Team.Reset(); // back to the ring, where the karts overlap their neighbours
    S.ResumeTiming();
    w.Track.ApplyTrack();
  }
}
BENCHMARK(BM_ApplyTrackCircleOf18);

BENCHMARK_MAIN();
