#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "decision/UDecisionRecord.h"
#include "decision/UState.h"

class TCanvas;
class TPlayer;

// One player's imagined futures of the current step, and the decision taken from them: futures
// are grouped into options by their first action, each option is scored from the distinct cells
// its futures ended in, and the free parameters are set to the score-weighted first actions.
//
// A stored future is kept as what the decision and the drawing of ending points read of it, side
// by side with the other futures: its first actions (the Milli of every free parameter), the cell
// it ended in (the Macro of every positional parameter), which free parameter its first action
// pushed, and its score sums. Deciding from tens of thousands of futures then walks a few arrays,
// and handing futures from one list to another copies a few numbers. The rest of the layout of
// the parameters (names, bounds, precisions, sensitivities) is the same for every future of a
// step and is kept once, from the first future stored.
//
// Everything is kept in arrays that survive Clear, so that a step allocates nothing once they
// have grown.
class TListOfFutures {
public:
  // A point of the score curve of one free parameter: [0] its value, [1] the option's score.
  using TPointList = std::vector<std::array<double, 2>>;
  // One line of the trace of a future: from (X1, Y1) to (X2, Y2), picture pixels, in a packed
  // colour.
  struct TTraceSegment {
    int32_t X1, Y1, X2, Y2, Color;
  };
  struct TInterpolation {
    double BestX = 0;
    double BestScore = 0;
    double ScoreAtCur = -9999;
  };

  explicit TListOfFutures(TPlayer* Owner);
  TListOfFutures(const TListOfFutures&) = delete;
  TListOfFutures& operator=(const TListOfFutures&) = delete;

  TPlayer* Owner() const { return FOwner; }
  // Futures counted by the last ScoreOptions: distinct end cells per option.
  int32_t DotCount() const { return FDotCount; }

  // Stores a finished future, snapped to the grid; returns its index. Every future of a list
  // must have the parameters of the first; a shorter one fails with its index error.
  int32_t AddFuture(const TState& State);
  // Stores future I of another list (of a stand-in of the same player), as it was stored there,
  // its trace included.
  void TakeFuture(const TListOfFutures& Source, int32_t I);
  // A line of the trace of the future being simulated, which the next AddFuture stores with it.
  // Futures are drawn after they have all been run, in their order, whatever thread ran them.
  void AddTraceSegment(const TTraceSegment& Segment);
  // Forgets the trace of a future that was not stored (its owner left it half run).
  void DropUnstoredTrace();
  // The trace of stored future I.
  std::span<const TTraceSegment> Trace(int32_t I) const;
  void Clear();
  // Stored future I as a state: the first actions, the snapped end cell, the pushed parameter
  // and the scores, on the layout of the futures, at time 0 and alive; with its option and
  // whether it was discarded once the decision has set them. Its other values are those of the
  // first future stored. A copy: changing it changes nothing stored.
  TState GetFuture(int32_t I) const;
  TState& GetOption(int32_t I);
  int32_t FutureCount() const { return FFutureCount; }
  int32_t OptionCount() const { return FOptionCount; }

  // The whole decision: writes the free parameters of State.
  void Decide(TState& State);
  // What the last Decide found and did.
  const TDecisionRecord& LastDecision() const { return FRecord; }
  // Draws the ending point of every counted future, then lets the owner adapt its scale.
  void ShowFutures(TCanvas& Canvas);

  // The stages of Decide, in their order.
  void GroupOptions();
  void ScoreOptions();
  void NormalizeScores();
  void CombineOptions(TState& State);
  void AvoidYShapes(TState& State);
  void AdjustSensitivity(TState& State);

  // Catmull-Rom curve through points sorted by value, sampled six times per segment.
  static TInterpolation Interpolate(const TPointList& Points, double Cur);

private:
  // Sums of the score contributions of one stored future.
  struct TSums {
    long double Positive;
    long double Factor;
    long double Negative;
  };

  // The record of Decide, after the options were scored and before they are normalised.
  void BeginRecord(const TState& State);
  // Raises the index error of the shorter layout when State is not laid out as the futures.
  void CheckLayout(const TState& State) const;
  // Room for future I in every array; Keep then counts it in.
  void MakeRoom(int32_t I);
  void Keep(int32_t I);
  // Makes View stored future I, on a view already laid out like the futures.
  void FillView(int32_t I, TState& View) const;
  const int32_t* FirstActions(int32_t I) const {
    return FFirstActions.data() + static_cast<size_t>(I) * FFreeCount;
  }
  const int32_t* Cells(int32_t I) const {
    return FCells.data() + static_cast<size_t>(I) * FPositionalCount;
  }
  // Slot of the cell table for a future: hashes its option and its grid cell.
  uint64_t CellHash(int32_t Future) const;
  bool SameCell(int32_t A, int32_t B) const;
  bool SameFirstAction(int32_t A, int32_t B) const;
  void PrepareCellTable();
  template <class T> static void EnsureSize(std::vector<T>& Array, size_t Size) {
    if (Array.size() < Size)
      Array.resize(Size);
  }

  TPlayer* FOwner;
  int32_t FDotCount = 0;
  int32_t FFutureCount = 0;
  // The stored futures.
  TState FLayout;                     // the first future stored: the layout of all of them
  int32_t FFreeCount = 0;             // free parameters of every stored future
  int32_t FPositionalCount = 0;       // positional parameters of every stored future
  std::vector<int32_t> FFirstActions; // [future * FFreeCount + p]: Milli of free parameter p
  std::vector<int32_t> FCells;        // [future * FPositionalCount + q]: Macro of positional q
  std::vector<int32_t> FChosen;       // the free parameter each future's first action pushed
  std::vector<TSums> FSums;
  std::vector<TTraceSegment> FTraces; // every stored future's trace, one after the other
  std::vector<size_t> FTraceEnd;      // [future]: end of its trace in FTraces
  // What the decision found of them.
  bool FGrouped = false;             // FOptionOf holds the options of every stored future
  std::vector<int32_t> FOptionOf;    // option index of each future
  std::vector<uint8_t> FDiscarded;   // each future's Discarded, as ScoreOptions sets it
  std::vector<long double> FScores;  // the futures' scores during ScoreOptions
  std::vector<int32_t> FOptionFirst; // first future of each option
  std::vector<std::unique_ptr<TState>> FOptions; // pool; the first FOptionCount are in use
  int32_t FOptionCount = 0;
  // Open-addressing table from (option, cell) to the future counted there, -1 when empty.
  std::vector<int32_t> FCellTable;
  // Scratch space kept between steps, so that deciding allocates nothing once it has grown.
  TPointList FPoints;                // AvoidYShapes
  std::vector<long double> FWeights; // NormalizeScores
  std::unique_ptr<TState> FView;     // ShowFutures: the future being drawn
  TDecisionRecord FRecord;
};
