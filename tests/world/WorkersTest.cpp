#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <numeric>
#include <set>
#include <system_error>
#include <thread>
#include <vector>

#include "goals/GoalWorld.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UGoal2DTeamAway.h"
#include "goals/UGoalMouse.h"
#include "platform/UClock.h"
#include "platform/UErrors.h"
#include "platform/URandom.h"
#include "world/UFutureQueue.h"
#include "world/UFutureWorkers.h"
#include "world/UWorld.h"
#include "world/UWorldPainter.h"

// The futures of a step spread over worker threads, each on its own copy of the world.

namespace {

// A rocket and three karts on an open road, close enough to collide, with a team goal.
struct TCrowd : TGoalWorld {
  explicit TCrowd(int32_t Threads, uint64_t Seed = 9) {
    RandSeed(Seed);
    Track.SetThreads(Threads);
    Track.SetFixedFutures(40);
    Track.SetCollisions(true);
    AddRocket(200, 150);
    AddKart(170, 150);
    AddKart(230, 160, 3);
    AddKart(200, 190, 1.5);
    Team.AddGoal(std::make_unique<TGoal2DTeamAway>(1));
  }
};

// What a run leaves of the players' real states and decisions, to compare runs exactly.
std::vector<double> Outcome(const TTeam& Team) {
  std::vector<double> out;
  for (int32_t i = 0; i < Team.MemberCount(); ++i) {
    TPlayer& p = *Team.Members(i);
    const TPlayer2D& body = *p.AsPlayer2D();
    out.insert(out.end(), {body.PosX(), body.PosY(), body.Angle(), body.VelX(), body.VelY(),
                           p.Energy(), p.Health(), static_cast<double>(p.GridSize()),
                           static_cast<double>(p.Futures().DotCount())});
    for (int32_t f = 0; f < p.State().FreeParamCount(); ++f)
      out.push_back(p.State().FreeParam(f).Sensitivity);
  }
  return out;
}

// Records the threads it is evaluated on; fails, when asked to, on a worker's thread. Then the
// calling thread waits in its first evaluation until a worker has been seen: the caller could
// otherwise run every future before a worker is scheduled at all.
class TGoalWatcher : public TGoal {
public:
  struct TLog {
    std::mutex Lock;
    std::set<std::thread::id> Threads;
  };
  std::shared_ptr<TLog> Log = std::make_shared<TLog>();
  std::thread::id Caller = std::this_thread::get_id();
  bool FailOnWorker = false;

  TGoalWatcher() : TGoal(1) {}
  std::unique_ptr<TGoal> Clone() const override { return std::make_unique<TGoalWatcher>(*this); }
  void Compute(TPlayer&, int32_t) override {
    const std::thread::id self = std::this_thread::get_id();
    {
      std::lock_guard<std::mutex> lock(Log->Lock);
      Log->Threads.insert(self);
    }
    if (!FailOnWorker)
      return;
    if (self != Caller)
      throw EError("worker failed");
    while (!WorkerSeen())
      std::this_thread::yield();
  }
  bool WorkerSeen() const {
    std::lock_guard<std::mutex> lock(Log->Lock);
    return Log->Threads.size() > 1;
  }
};

// Fails at the end of a future when the future's own draw says so, which depends on the
// future's number alone, not on the thread that runs it. Notes how many futures its player had
// stored before.
class TGoalFailingByDraw : public TGoal {
public:
  std::shared_ptr<std::atomic<int32_t>> StoredBefore = std::make_shared<std::atomic<int32_t>>(-1);
  TGoalFailingByDraw() : TGoal(0, gpEndOfFuture) {}
  std::unique_ptr<TGoal> Clone() const override {
    return std::make_unique<TGoalFailingByDraw>(*this);
  }
  void Compute(TPlayer& Player, int32_t) override {
    if (Random() < 0.005) {
      *StoredBefore = Player.Futures().FutureCount();
      throw EError("future failed");
    }
  }
};

} // namespace

TEST(Workers, AFixedNumberOfFuturesGivesTheSameRunWhateverTheThreads) {
  std::vector<double> outcomes[4];
  for (int32_t threads : {1, 2, 3}) {
    TCrowd w(threads);
    for (int32_t step = 0; step < 6; ++step) {
      w.Track.Step(100);
      ASSERT_EQ(w.Track.LastFutureCount(), 40);
      ASSERT_EQ(w.Team.Members(0)->Futures().FutureCount(), 40);
    }
    outcomes[threads] = Outcome(w.Team);
  }
  TCrowd again(2);
  for (int32_t step = 0; step < 6; ++step)
    again.Track.Step(100);
  EXPECT_EQ(outcomes[1], outcomes[2]);
  EXPECT_EQ(outcomes[1], outcomes[3]);
  EXPECT_EQ(outcomes[2], Outcome(again.Team));
}

TEST(Workers, SettingsChangedBetweenStepsReachEveryWorker) {
  // Whatever the window changes between steps must reach the copies: the runs with workers stay
  // the run on the calling thread.
  std::vector<double> outcomes[3];
  for (int32_t threads : {1, 2}) {
    TCrowd w(threads, 31);
    auto mouse = std::make_unique<TGoalMouse>(false, 5);
    TGoal& mouseGoal = *mouse;
    w.Track.SetMouse(260, 120);
    w.Team.Members(1)->AddGoal(std::move(mouse));
    for (int32_t step = 0; step < 8; ++step) {
      w.Track.Step(100);
      TPlayer& kart = *w.Team.Members(1);
      switch (step) {
      case 0:
        kart.SetAILevel(5);
        kart.SetGridSize(4);
        break;
      case 1:
        kart.RealState().FreeParam(0).Sensitivity = 0.9;
        w.Team.Goals(0)->SetValue(3);
        w.Team.Goals(0)->FMode = gmCooperative;
        break;
      case 2:
        w.Track.SetFriction(0.2);
        w.Track.SetSideFriction(0.9);
        w.Track.SetCollisions(false);
        break;
      case 3:
        w.Track.SetEvolution(true);
        w.Track.SetFutureMs(2000);
        break;
      case 4:
        mouseGoal.SetValue(0.5);
        w.Track.SetMouse(120, 120);
        break;
      default:
        break;
      }
    }
    outcomes[threads] = Outcome(w.Team);
  }
  EXPECT_EQ(outcomes[1], outcomes[2]);
}

TEST(Workers, OneThreadRunsEverythingOnTheCallingThread) {
  for (int32_t threads : {1, 2}) {
    TCrowd w(threads);
    auto watcher = std::make_unique<TGoalWatcher>();
    auto log = watcher->Log;
    w.Team.AddGoal(std::move(watcher));
    w.Track.Step(100);
    w.Track.Step(100);
    // The real move runs here; with two threads the worker takes part when it is scheduled in
    // time to take a block, which no test can promise.
    EXPECT_LE(log->Threads.size(), static_cast<size_t>(threads)) << threads << " threads";
    EXPECT_EQ(log->Threads.count(std::this_thread::get_id()), 1u);
  }
}

TEST(Workers, AnErrorInAWorkerReachesTheCallerWithEveryPlayerInRealMode) {
  TCrowd w(2);
  auto watcher = std::make_unique<TGoalWatcher>();
  TGoalWatcher& goal = *watcher;
  goal.FailOnWorker = true;
  w.Team.AddGoal(std::move(watcher));
  w.Track.SetFixedFutures(400);
  try {
    w.Track.Step(100);
    FAIL() << "the worker's error was lost";
  } catch (const EError& e) {
    EXPECT_STREQ(e.what(), "worker failed");
  }
  for (int32_t i = 0; i < w.Team.MemberCount(); ++i)
    EXPECT_FALSE(w.Team.Members(i)->InFuture());
  EXPECT_FALSE(w.Team.InFuture());
  // The copies were left clean too: the next step runs.
  goal.FailOnWorker = false;
  w.Track.Step(100);
  EXPECT_EQ(w.Team.Members(0)->Futures().FutureCount(), 400);
}

TEST(Workers, AFailedStepHandsBackTheFuturesNumberedBelowTheFirstFailure) {
  std::vector<int32_t> kept[4];
  for (int32_t threads : {1, 3}) {
    TCrowd w(threads, 6); // the first failure at future 45
    w.Track.SetFixedFutures(400);
    auto failing = std::make_unique<TGoalFailingByDraw>();
    TGoalFailingByDraw& goal = *failing;
    TPlayer& rocket = *w.Team.Members(0);
    rocket.AddGoal(std::move(failing));
    w.Track.Step(100); // the goal still off: 400 futures stored
    goal.SetValue(1);
    try {
      w.Track.Step(100);
      FAIL() << "no future failed";
    } catch (const EError& e) {
      EXPECT_STREQ(e.what(), "future failed");
    }
    const TListOfFutures& futures = rocket.Futures();
    if (threads == 1) { // in order on one copy: all that copy had stored before the failure
      EXPECT_EQ(futures.FutureCount(), *goal.StoredBefore);
    }
    for (int32_t i = 0; i < w.Team.MemberCount(); ++i)
      EXPECT_EQ(w.Team.Members(i)->Futures().FutureCount(), futures.FutureCount());
    for (int32_t f = 0; f < futures.FutureCount(); ++f)
      kept[threads].push_back(futures.GetFuture(f).FreeParam(0).Milli);
  }
  EXPECT_GT(kept[1].size(), 2u * TFutureQueue::BlockFutures);
  EXPECT_EQ(kept[3], kept[1]);
}

TEST(Workers, TheBudgetCountsTheFuturesOfAllWorkers) {
  TCrowd w(2);
  w.Track.SetClock(&TSteadyClock::Instance());
  w.Track.SetFixedFutures(0);
  w.Track.SetMinFutures(30);
  w.Track.Step(1);
  EXPECT_GT(w.Track.LastFutureCount(), 30);
  for (int32_t i = 0; i < w.Team.MemberCount(); ++i)
    EXPECT_EQ(w.Team.Members(i)->Futures().FutureCount(), w.Track.LastFutureCount());
}

TEST(Workers, FramesWithTracesAndEndingPointsAreTheSameWhateverTheThreads) {
  std::vector<std::string> frames[4];
  for (int32_t threads : {1, 3}) {
    TCrowd w(threads);
    for (int32_t i = 0; i < w.Team.MemberCount(); ++i) {
      w.Team.Members(i)->SetDrawTraces(true);
      w.Team.Members(i)->SetDrawEndPoints(true);
    }
    for (int32_t step = 0; step < 2; ++step) {
      w.Track.Step(100);
      w.Canvas().Calls.clear();
      TWorldPainter::Paint(w.Track, w.Canvas(), TWorldPainter::pwAfterStep);
    }
    frames[threads] = w.Canvas().Calls;
  }
  const auto lines = std::count_if(frames[1].begin(), frames[1].end(),
                                   [](const std::string& c) { return c.rfind("Line", 0) == 0; });
  EXPECT_GT(lines, 100);           // the traces are there...
  EXPECT_EQ(frames[1], frames[3]); // ...and stacked alike
}

TEST(Workers, ATeamThatHadMembersBeforeJoiningRunsAsOnOneThread) {
  // Its members stay out of the world's player list (no collisions, no road contact) until a
  // member changes; the copies must leave them out alike.
  std::vector<double> outcomes[3];
  for (int32_t threads : {1, 2}) {
    RandSeed(3);
    TGoalWorld w;
    w.Track.SetThreads(threads);
    w.Track.SetFixedFutures(40);
    w.Track.SetCollisions(true);
    w.AddKart(200, 150);
    TTeam late;
    late.AddMember(TKart::New(205, 152, 0));
    late.AddMember(TRocket::New(150, 100, 0));
    w.Track.AddTeam(&late);
    ASSERT_EQ(w.Track.PlayerCount(), 1);
    for (int32_t step = 0; step < 4; ++step)
      w.Track.Step(100);
    outcomes[threads] = Outcome(late);
    const std::vector<double> first = Outcome(w.Team);
    outcomes[threads].insert(outcomes[threads].end(), first.begin(), first.end());
  }
  EXPECT_EQ(outcomes[1], outcomes[2]);
}

TEST(Workers, DropsAreOnePoolForTheFuturesWhateverTheThreads) {
  struct TRun {
    std::vector<double> Players;
    std::array<int32_t, TGoal2DSweets::MaxDrops> Real, Futures;
    int64_t Consumed;
  };
  std::vector<TRun> runs;
  for (int32_t threads : {1, 4, 4}) {
    TGoalWorld w(400, 300, 5);
    RandSeed(8);
    w.Track.SetThreads(threads);
    w.Track.SetFixedFutures(90);
    w.Track.SetFutureMs(2000);
    w.AddKart(100, 150);
    w.AddKart(100, 200);
    auto drops = std::make_unique<TGoal2DSweets>(1);
    TGoal2DSweets& goal = *drops;
    w.Team.AddGoal(std::move(drops));
    goal.FNeedsPlacing = false;
    // Rows of small drops ahead of both karts, and one under each, which the real moves take.
    for (int32_t i = 0; i < 20; ++i) {
      goal.FDropX[i] = 100 + 12 * (i % 10);
      goal.FDropY[i] = i < 10 ? 150 : 200;
      goal.FDropAmount[i] = 2;
    }
    w.Track.Step(100);
    const auto pool = goal.FFutureAmount;
    EXPECT_LT(std::accumulate(pool.begin(), pool.end(), 0), 40) << "the futures took none";
    for (int32_t step = 0; step < 3; ++step)
      w.Track.Step(100);
    runs.push_back({Outcome(w.Team), goal.FDropAmount, pool, goal.FConsumedUnits});
  }
  EXPECT_GT(runs[0].Consumed, 0);
  for (size_t r = 1; r < runs.size(); ++r) {
    EXPECT_EQ(runs[r].Players, runs[0].Players) << "run " << r;
    EXPECT_EQ(runs[r].Real, runs[0].Real) << "run " << r;
    EXPECT_EQ(runs[r].Futures, runs[0].Futures) << "run " << r;
    EXPECT_EQ(runs[r].Consumed, runs[0].Consumed) << "run " << r;
  }
}

TEST(Workers, AThreadThatCannotStartLeavesTheOthersRunning) {
  int32_t starts = 0;
  TFutureWorkers workers(4, [&](std::function<void()> Work) {
    if (++starts == 3)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(Work));
  });
  EXPECT_EQ(workers.Count(), 3);
  EXPECT_FALSE(workers.StartError().empty());
  std::atomic<int32_t> ran{0};
  workers.RunAll([&](int32_t) { ++ran; });
  EXPECT_EQ(ran, 3);
  // Leaving the test joins the two threads that did start instead of waiting for ever.
}

TEST(Workers, FuturesLeaveTheRealDropsAsTheyWere) {
  for (int32_t threads : {1, 2}) {
    TGoalWorld w(400, 300, 5);
    RandSeed(4);
    w.Track.SetThreads(threads);
    w.Track.SetFixedFutures(50);
    w.AddKart(100, 150);
    auto drops = std::make_unique<TGoal2DSweets>(1);
    TGoal2DSweets& goal = *drops;
    w.Team.AddGoal(std::move(drops));
    goal.FNeedsPlacing = false;
    // A row of drops ahead of the kart: its futures reach them, its real move does not.
    for (int32_t i = 0; i < 10; ++i) {
      goal.FDropX[i] = 130 + 15 * i;
      goal.FDropY[i] = 150;
      goal.FDropAmount[i] = 6;
    }
    const auto real = goal.FDropAmount;
    w.Track.Step(100);
    EXPECT_EQ(goal.FDropAmount, real) << threads << " threads";
    if (threads == 1) { // the futures, run here, did consume from the step's copy
      EXPECT_NE(goal.FFutureAmount, real);
    }
  }
}

TEST(Workers, AnAbandonedStepLeavesTheWorldAndItsStreamAsTheyWere) {
  // Two worlds alike, one of which tries an abandoned step before each of its steps: the first
  // while the drops still wait for their places, the others over stored futures.
  struct TDropsWorld {
    TWorld World{TTestPicture::OpenRoad(400, 300, 5), "", 12};
    TGoal2DSweets* Drops;
    TDropsWorld() {
      World.Track().SetThreads(2);
      World.Track().SetFixedFutures(40);
      TTeam& team = World.CurrentTeam();
      team.AddMember(TKart::New(100, 150, 0));
      team.AddMember(TRocket::New(250, 150, 0));
      Drops =
          static_cast<TGoal2DSweets*>(team.Goals(team.AddGoal(std::make_unique<TGoal2DSweets>(1))));
    }
    std::vector<double> Numbers() const {
      const TTeam& team = World.CurrentTeam();
      std::vector<double> out = Outcome(team);
      for (int32_t i = 0; i < team.MemberCount(); ++i)
        out.push_back(team.Members(i)->Futures().FutureCount());
      for (int32_t i = 0; i < TGoal2DSweets::MaxDrops; ++i)
        out.insert(out.end(), {double(Drops->FDropX[i]), double(Drops->FDropY[i]),
                               double(Drops->FDropAmount[i])});
      out.insert(out.end(), {double(Drops->FNeedsPlacing), double(Drops->FConsumedUnits)});
      return out;
    }
  };
  TDropsWorld tried, plain;
  const std::atomic<bool> abandon{true};
  for (int32_t step = 0; step < 3; ++step) {
    EXPECT_FALSE(tried.World.Step(100, &abandon));
    EXPECT_EQ(tried.Numbers(), plain.Numbers()) << "step " << step;
    EXPECT_TRUE(tried.World.Step(100));
    plain.World.Step(100);
    EXPECT_EQ(tried.Numbers(), plain.Numbers()) << "step " << step;
  }
  EXPECT_EQ(plain.World.CurrentTeam().Members(0)->Futures().FutureCount(), 40);
  EXPECT_FALSE(plain.Drops->FNeedsPlacing);
}

TEST(Workers, AStepRunByTheBudgetIsTheStepWithAsManyFixedFutures) {
  // A clock that every runner reads, a millisecond further at each reading: the deadline passes
  // while both threads are in the middle of their blocks, wherever the scheduler put them.
  struct TSharedTicks : TClock {
    std::atomic<int64_t> Now{0};
    int64_t NowMs() override { return ++Now; }
  };
  struct TRun {
    TWorld World{TTestPicture::OpenRoad(400, 300, 5), "", 21};
    TGoal2DSweets* Drops;
    TRun() {
      World.Track().SetThreads(2);
      World.Track().SetMinFutures(6);
      TTeam& team = World.CurrentTeam();
      team.AddMember(TKart::New(100, 150, 0));
      team.AddMember(TKart::New(110, 190, 1));
      team.AddMember(TRocket::New(250, 150, 0));
      Drops =
          static_cast<TGoal2DSweets*>(team.Goals(team.AddGoal(std::make_unique<TGoal2DSweets>(1))));
    }
    std::vector<double> Numbers() {
      const TTeam& team = World.CurrentTeam();
      std::vector<double> out = Outcome(team);
      for (int32_t i = 0; i < team.MemberCount(); ++i) {
        const TListOfFutures& futures = team.Members(i)->Futures();
        for (int32_t f = 0; f < futures.FutureCount(); ++f)
          out.push_back(futures.GetFuture(f).FreeParam(0).Milli);
      }
      for (int32_t i = 0; i < TGoal2DSweets::MaxDrops; ++i)
        out.insert(out.end(), {double(Drops->FDropAmount[i]), double(Drops->FFutureAmount[i])});
      out.push_back(double(World.RandomStream().NextBits() % 1000003));
      return out;
    }
  };
  TSharedTicks ticks;
  TRun timed, fixed;
  timed.World.Track().SetClock(&ticks);
  for (int32_t step = 0; step < 12; ++step) {
    timed.World.Step(60);
    const int32_t count = timed.World.Track().LastFutureCount();
    ASSERT_GT(count, 6);
    fixed.World.Track().SetFixedFutures(count);
    fixed.World.Step(60);
    ASSERT_EQ(fixed.World.Track().LastFutureCount(), count);
    ASSERT_EQ(timed.Numbers(), fixed.Numbers()) << "step " << step << ", " << count << " futures";
  }
}

TEST(Workers, AStepThatFailedByTheBudgetFailsAgainWithOneFutureMoreThanItsFailure) {
  // What a replay keeps of a step that raised: run again with the futures up to the one that
  // failed, it raises the same error and leaves the same futures.
  std::vector<int32_t> kept[2];
  int32_t failed[2] = {-1, -1};
  for (int32_t run = 0; run < 2; ++run) {
    TCrowd w(2, 6);
    TSteadyClock clock;
    w.Track.SetClock(&clock);
    w.Track.SetFixedFutures(run == 0 ? 0 : failed[0] + 1);
    w.Track.SetMinFutures(400);
    auto failing = std::make_unique<TGoalFailingByDraw>();
    failing->SetValue(1);
    TPlayer& rocket = *w.Team.Members(0);
    rocket.AddGoal(std::move(failing));
    EXPECT_THROW(w.Track.Step(100), EError);
    failed[run] = w.Track.LastFailedFuture();
    for (int32_t f = 0; f < rocket.Futures().FutureCount(); ++f)
      kept[run].push_back(rocket.Futures().GetFuture(f).FreeParam(0).Milli);
  }
  EXPECT_GT(failed[0], 0);
  EXPECT_EQ(failed[1], failed[0]);
  EXPECT_EQ(kept[1], kept[0]);
}
