#include "decision/UListOfFutures.h"

#include <algorithm>
#include <cmath>

#include "agents/UPlayer.h"
#include "platform/UArith.h"

namespace {

// The value SetValue would store for x.
double WithinRange(const TParamValues& Param, double x) {
  return Param.MaxValue > Param.MinValue ? std::clamp(x, Param.MinValue, Param.MaxValue) : x;
}

} // namespace

TListOfFutures::TListOfFutures(TPlayer* Owner) : FOwner(Owner), FLayout(Owner) {}

int32_t TListOfFutures::AddFuture(const TState& State) {
  if (FFutureCount == 0) {
    FLayout.Assign(State);
    FFreeCount = State.FreeParamCount();
    FPositionalCount = State.PositionalParamCount();
  } else {
    CheckLayout(State);
  }
  const int32_t i = FFutureCount;
  MakeRoom(i);
  int32_t* actions = FFirstActions.data() + static_cast<size_t>(i) * FFreeCount;
  for (int32_t p = 0; p < FFreeCount; ++p)
    actions[p] = State.FreeParam(p).Milli;
  int32_t* cells = FCells.data() + static_cast<size_t>(i) * FPositionalCount;
  for (int32_t q = 0; q < FPositionalCount; ++q)
    cells[q] = State.PositionalCell(q);
  FChosen[i] = State.ChosenFreeParam;
  FSums[i] = {State.ScorePositive, State.ScoreFactor, State.ScoreNegative};
  // Only now is it stored: a parameter without precision has raised before.
  Keep(i);
  FTraceEnd[i] = FTraces.size();
  return i;
}

void TListOfFutures::TakeFuture(const TListOfFutures& Source, int32_t I) {
  CheckListIndex(I, Source.FFutureCount);
  if (FFutureCount == 0) {
    FLayout.Assign(Source.FLayout);
    FFreeCount = Source.FFreeCount;
    FPositionalCount = Source.FPositionalCount;
  } else {
    CheckLayout(Source.FLayout);
  }
  const int32_t i = FFutureCount;
  MakeRoom(i);
  std::copy_n(Source.FirstActions(I), FFreeCount,
              FFirstActions.data() + static_cast<size_t>(i) * FFreeCount);
  std::copy_n(Source.Cells(I), FPositionalCount,
              FCells.data() + static_cast<size_t>(i) * FPositionalCount);
  FChosen[i] = Source.FChosen[I];
  FSums[i] = Source.FSums[I];
  DropUnstoredTrace();
  const std::span<const TTraceSegment> trace = Source.Trace(I);
  FTraces.insert(FTraces.end(), trace.begin(), trace.end());
  Keep(i);
  FTraceEnd[i] = FTraces.size();
}

void TListOfFutures::AddTraceSegment(const TTraceSegment& Segment) {
  FTraces.push_back(Segment);
}

void TListOfFutures::DropUnstoredTrace() {
  FTraces.resize(FFutureCount > 0 ? FTraceEnd[FFutureCount - 1] : 0);
}

std::span<const TListOfFutures::TTraceSegment> TListOfFutures::Trace(int32_t I) const {
  CheckListIndex(I, FFutureCount);
  const size_t begin = I > 0 ? FTraceEnd[I - 1] : 0;
  return {FTraces.data() + begin, FTraceEnd[I] - begin};
}

void TListOfFutures::CheckLayout(const TState& State) const {
  // Futures are compared parameter by parameter, so they must all have the same ones; as in any
  // comparison, the shorter state fails with its index error.
  if (State.FreeParamCount() != FFreeCount)
    (State.FreeParamCount() < FFreeCount ? State : FLayout)
        .FreeParam(std::min(State.FreeParamCount(), FFreeCount));
  if (State.PositionalParamCount() != FPositionalCount)
    (State.PositionalParamCount() < FPositionalCount ? State : FLayout)
        .PositionalParam(std::min(State.PositionalParamCount(), FPositionalCount));
}

void TListOfFutures::MakeRoom(int32_t I) {
  const size_t n = static_cast<size_t>(I) + 1;
  EnsureSize(FFirstActions, n * FFreeCount);
  EnsureSize(FCells, n * FPositionalCount);
  EnsureSize(FChosen, n);
  EnsureSize(FSums, n);
  EnsureSize(FOptionOf, n);
  EnsureSize(FDiscarded, n);
  EnsureSize(FTraceEnd, n);
}

void TListOfFutures::Keep(int32_t I) {
  // A new future has no option yet and is counted until a decision says otherwise.
  FDiscarded[I] = 0;
  FGrouped = false;
  FFutureCount = CheckedAdd(I, 1);
}

void TListOfFutures::Clear() {
  FFutureCount = 0;
  FTraces.clear();
  FOptionCount = 0;
  FGrouped = false;
}

void TListOfFutures::FillView(int32_t I, TState& View) const {
  const int32_t* actions = FirstActions(I);
  for (int32_t p = 0; p < FFreeCount; ++p) {
    TParamValues& param = View.FreeParam(p);
    param.Milli = actions[p];
    param.Value = param.RoundedValue();
  }
  const int32_t* cells = Cells(I);
  for (int32_t q = 0; q < FPositionalCount; ++q)
    View.PositionalParam(q).SetCell(cells[q]);
  View.ChosenFreeParam = FChosen[I];
  View.ScorePositive = FSums[I].Positive;
  View.ScoreFactor = FSums[I].Factor;
  View.ScoreNegative = FSums[I].Negative;
  View.FutureCount = 0;
  View.Time = 0;
  View.DeathTime = -1;
  View.Option = FGrouped ? FOptions[FOptionOf[I]].get() : nullptr;
  View.Discarded = FDiscarded[I] != 0;
}

TState TListOfFutures::GetFuture(int32_t I) const {
  CheckListIndex(I, FFutureCount);
  TState view(FOwner);
  view.Assign(FLayout);
  FillView(I, view);
  return view;
}

TState& TListOfFutures::GetOption(int32_t I) {
  CheckListIndex(I, FOptionCount);
  return *FOptions[I];
}

void TListOfFutures::Decide(TState& State) {
  GroupOptions();
  ScoreOptions();
  BeginRecord(State);
  NormalizeScores();
  for (int32_t k = 0; k < FOptionCount; ++k)
    FRecord.Options[k].Weight = FOptions[k]->GetScore();
  CombineOptions(State);
  for (int32_t p = 0; p < State.FreeParamCount(); ++p)
    FRecord.Params[p].Combined = State.FreeParam(p).Value;
  if (FOwner->IsAILevel6())
    AvoidYShapes(State);
  if (FOwner->IsAILevel8())
    AdjustSensitivity(State);
  for (int32_t p = 0; p < State.FreeParamCount(); ++p) {
    FRecord.Params[p].Action = State.FreeParam(p).Value;
    FRecord.Params[p].Sensitivity = State.FreeParam(p).Sensitivity;
  }
}

void TListOfFutures::BeginRecord(const TState& State) {
  FRecord.AILevel = FOwner->AILevel();
  FRecord.FutureCount = FFutureCount;
  FRecord.DotCount = FDotCount;
  FRecord.Options.resize(FOptionCount);
  for (int32_t k = 0; k < FOptionCount; ++k) {
    const TState& option = *FOptions[k];
    TDecisionRecord::TOption& r = FRecord.Options[k];
    r.Param = option.ChosenFreeParam;
    r.Push = r.Param >= 0 && r.Param < option.FreeParamCount()
                 ? option.FreeParam(r.Param).RoundedValue()
                 : 0;
    r.Futures = option.FutureCount;
    r.Score = option.GetScore();
    r.Weight = 0;
  }
  FRecord.Params.resize(State.FreeParamCount());
  for (int32_t p = 0; p < State.FreeParamCount(); ++p)
    FRecord.Params[p] = {&State.FreeParamName(p), 0, false, 0, State.FreeParam(p).Sensitivity, 0};
}

void TListOfFutures::ShowFutures(TCanvas& Canvas) {
  if (FFutureCount > 0) {
    if (FView == nullptr)
      FView = std::make_unique<TState>(FOwner);
    FView->Assign(FLayout);
    for (int32_t i = 0; i < FFutureCount; ++i)
      if (FDiscarded[i] == 0) {
        FillView(i, *FView);
        FOwner->DrawEndPoint(*FView, Canvas);
      }
  }
  FOwner->AdaptEndPointScale();
}

bool TListOfFutures::SameFirstAction(int32_t A, int32_t B) const {
  const int32_t* a = FirstActions(A);
  return std::equal(a, a + FFreeCount, FirstActions(B));
}

bool TListOfFutures::SameCell(int32_t A, int32_t B) const {
  const int32_t* a = Cells(A);
  return std::equal(a, a + FPositionalCount, Cells(B));
}

void TListOfFutures::GroupOptions() {
  FOptionCount = 0;
  FOptionFirst.clear();
  FGrouped = false;
  for (int32_t i = 0; i < FFutureCount; ++i) {
    int32_t k = 0;
    while (k < FOptionCount && !SameFirstAction(i, FOptionFirst[k]))
      ++k;
    if (k == FOptionCount) {
      if (FOptionCount == static_cast<int32_t>(FOptions.size()))
        FOptions.push_back(std::make_unique<TState>(FOwner));
      // An option is its first future, without the future's score.
      TState& option = *FOptions[FOptionCount++];
      option.Assign(FLayout);
      FillView(i, option);
      option.Option = nullptr;
      option.Discarded = false;
      option.ResetScore();
      FOptionFirst.push_back(i);
    }
    FOptionOf[i] = k;
  }
  FGrouped = true;
}

uint64_t TListOfFutures::CellHash(int32_t Future) const {
  uint64_t h = (static_cast<uint64_t>(FOptionOf[Future]) + 1) * 0x9E3779B97F4A7C15ull;
  const int32_t* cells = Cells(Future);
  for (int32_t q = 0; q < FPositionalCount; ++q) {
    h ^= static_cast<uint32_t>(cells[q]);
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
  }
  return h ^ (h >> 32);
}

void TListOfFutures::PrepareCellTable() {
  // At most half full, so that probes stay short.
  size_t size = 16;
  while (size < 2 * static_cast<size_t>(FFutureCount))
    size *= 2;
  FCellTable.assign(size, -1);
}

void TListOfFutures::ScoreOptions() {
  FDotCount = 0;
  for (int32_t k = 0; k < FOptionCount; ++k)
    FOptions[k]->ResetScore();
  // Every future is scored once; the owner's level (and, at level 1, whether it is dead now) is
  // the same for all of them.
  const int32_t level = FOwner->AILevel();
  const bool ownerDead = level == 1 && FOwner->IsDead();
  EnsureSize(FScores, static_cast<size_t>(FFutureCount));
  for (int32_t i = 0; i < FFutureCount; ++i)
    FScores[i] =
        TState::ScoreOf(level, ownerDead, FSums[i].Positive, FSums[i].Factor, FSums[i].Negative);
  PrepareCellTable();
  const uint64_t mask = FCellTable.size() - 1;
  // The table holds, for every (option, cell) seen so far, the one future still counted there, so
  // a lookup finds what a scan of the earlier counted futures would find first.
  for (int32_t i = 0; i < FFutureCount; ++i) {
    TState& option = *FOptions[FOptionOf[i]];
    uint64_t slot = CellHash(i) & mask;
    int32_t counted = -1;
    for (int32_t j; (j = FCellTable[slot]) >= 0; slot = (slot + 1) & mask)
      if (FOptionOf[j] == FOptionOf[i] && SameCell(i, j)) {
        counted = j;
        break;
      }
    const long double score = FScores[i];
    FDiscarded[i] = 0;
    if (counted < 0) {
      FCellTable[slot] = i;
      FDotCount = CheckedAdd(FDotCount, 1);
      option.AddScore(score, 1);
      option.FutureCount = CheckedAdd(option.FutureCount, 1);
      continue;
    }
    const long double earlierScore = FScores[counted];
    if (score > earlierScore) {
      // The better future takes the cell: its predecessor's score leaves the sum it went into.
      FDiscarded[counted] = 1;
      if (earlierScore >= 0)
        option.ScorePositive -= earlierScore;
      else
        option.ScoreNegative += earlierScore;
      option.AddScore(score, 1);
      FCellTable[slot] = i;
    } else {
      FDiscarded[i] = 1;
    }
  }
}

void TListOfFutures::NormalizeScores() {
  if (FOptionCount == 0)
    return;
  if (FOwner->IsAILevel7() || FOwner->IsAILevel8()) {
    // The worst option weighs nothing, so that no weight is negative.
    long double lowest = FOptions[0]->GetScore();
    for (int32_t k = 1; k < FOptionCount; ++k)
      lowest = std::min(lowest, FOptions[k]->GetScore());
    for (int32_t k = 0; k < FOptionCount; ++k)
      FOptions[k]->SetScore(FOptions[k]->GetScore() - lowest);
  }
  FWeights.resize(FOptionCount);
  long double sum = 0;
  for (int32_t k = 0; k < FOptionCount; ++k) {
    FWeights[k] = FOptions[k]->GetScore();
    sum += FWeights[k];
  }
  if (!std::isfinite(sum)) {
    // Huge factors can overflow a score or the sum; dividing every score by the largest
    // magnitude keeps their ratios, which is all the weights need.
    long double largest = 0;
    for (long double w : FWeights)
      largest = std::max(largest, std::fabs(w));
    sum = 0;
    for (long double& w : FWeights) {
      if (std::isinf(largest))
        w = std::isinf(w) ? std::copysign(1.0L, w) : 0.0L;
      else
        w /= largest;
      sum += w;
    }
  }
  if (sum == 0) {
    for (int32_t k = 0; k < FOptionCount; ++k) {
      FOptions[k]->SetScore(std::log(static_cast<long double>(FOptions[k]->FutureCount)));
      FWeights[k] = FOptions[k]->GetScore();
      sum += FWeights[k];
    }
  }
  if (sum > 0)
    for (int32_t k = 0; k < FOptionCount; ++k)
      FOptions[k]->SetScore(FWeights[k] / sum);
}

void TListOfFutures::CombineOptions(TState& State) {
  for (int32_t p = 0; p < State.FreeParamCount(); ++p) {
    TParamValues& param = State.FreeParam(p);
    param.SetValue(0);
    for (int32_t k = 0; k < FOptionCount; ++k) {
      const TState& option = *FOptions[k];
      param.SetValue(static_cast<double>(param.Value +
                                         option.GetScore() * option.FreeParam(p).RoundedValue()));
    }
  }
}

void TListOfFutures::AvoidYShapes(TState& State) {
  for (int32_t p = 0; p < State.FreeParamCount(); ++p) {
    // Only the options that pushed this parameter tell how its value scores; the others merely
    // carry last step's decision along.
    FPoints.clear();
    for (int32_t k = 0; k < FOptionCount; ++k) {
      const TState& option = *FOptions[k];
      const double v = option.FreeParam(p).RoundedValue();
      if (option.ChosenFreeParam == p && v != 0)
        FPoints.push_back({v, static_cast<double>(option.GetScore())});
    }
    const int32_t n = static_cast<int32_t>(FPoints.size());
    if (n < 3)
      continue;
    for (int32_t k = 1; k <= n - 1; ++k)
      for (int32_t d = k - 1; d >= 0; --d)
        if (FPoints[d][0] > FPoints[d + 1][0])
          std::swap(FPoints[d], FPoints[d + 1]);
    TParamValues& param = State.FreeParam(p);
    const double cur = param.Value;
    const TInterpolation curve = Interpolate(FPoints, cur);
    if (p < static_cast<int32_t>(FRecord.Params.size()))
      FRecord.Params[p].YShapeCorrected = true;
    const double g =
        std::sqrt(std::max(curve.ScoreAtCur, 0.001) / std::max(curve.BestScore, 0.001));
    param.SetValue(cur * g + (1 - g) * curve.BestX);
  }
}

TListOfFutures::TInterpolation TListOfFutures::Interpolate(const TPointList& Points, double Cur) {
  TInterpolation result;
  const int32_t n = static_cast<int32_t>(Points.size());
  if (n == 0)
    return result;
  double prev = Points[0][0];
  for (int32_t p = 0; p <= n - 2; ++p) {
    const int32_t before = std::max(p - 1, 0);
    const int32_t next = p + 1;
    const int32_t after = std::min(p + 2, n - 1);
    const double tx0 = (Points[next][0] - Points[before][0]) * 0.5;
    const double ty0 = (Points[next][1] - Points[before][1]) * 0.5;
    const double tx1 = (Points[after][0] - Points[p][0]) * 0.5;
    const double ty1 = (Points[after][1] - Points[p][1]) * 0.5;
    for (int32_t k = 0; k <= 5; ++k) {
      const double t = k / 5.0;
      const double h00 = 2 * t * t * t - 3 * t * t + 1;
      const double h10 = t * t * t - 2 * t * t + t;
      const double h01 = -2 * t * t * t + 3 * t * t;
      const double h11 = t * t * t - t * t;
      const double x = h00 * Points[p][0] + h10 * tx0 + h01 * Points[next][0] + h11 * tx1;
      const double y = h00 * Points[p][1] + h10 * ty0 + h01 * Points[next][1] + h11 * ty1;
      if (y > result.BestScore) {
        result.BestScore = y;
        result.BestX = x;
      }
      if (prev <= Cur && x >= Cur)
        result.ScoreAtCur = y;
      prev = x;
    }
  }
  return result;
}

void TListOfFutures::AdjustSensitivity(TState& State) {
  for (int32_t p = 0; p < State.FreeParamCount(); ++p) {
    int32_t k = 0;
    bool smallEmpty = true, largeEmpty = true;
    long double smallMax = 0, largeMax = 0;
    for (int32_t o = 0; o < FOptionCount; ++o) {
      const TState& option = *FOptions[o];
      const TParamValues& param = option.FreeParam(p);
      const double v = param.RoundedValue();
      if (option.ChosenFreeParam != p || v == 0)
        continue;
      ++k;
      // Compare with the pushes as ChooseOption can set them, that is within the range.
      const double small = WithinRange(param, param.SmallPush());
      const double large = WithinRange(param, param.LargePush());
      const double m = std::fabs(v);
      const long double score = option.GetScore();
      if (std::fabs(m - small) < std::fabs(m - large)) {
        smallMax = smallEmpty ? score : std::max(smallMax, score);
        smallEmpty = false;
      } else {
        largeMax = largeEmpty ? score : std::max(largeMax, score);
        largeEmpty = false;
      }
    }
    if (k != 4)
      continue;
    TParamValues& q = State.FreeParam(p);
    if (smallMax > largeMax && q.Sensitivity > 0.1)
      q.Sensitivity = q.Sensitivity * 0.9;
    else if (largeMax > smallMax && q.Sensitivity < 1)
      q.Sensitivity = std::min(q.Sensitivity * 1.3, 1.0);
  }
}
