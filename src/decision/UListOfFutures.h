#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "decision/UState.h"

class TPlayer;

// One player's imagined futures of the current step, and the decision taken from them: futures
// are grouped into options by their first action, each option is scored from the distinct cells
// its futures ended in, and the free parameters are set to the score-weighted first actions.
//
// Futures and options are kept in pools that survive Clear, so that a step of thousands of
// futures allocates nothing once the pools have grown.
class TListOfFutures {
public:
  // A point of the score curve of one free parameter: [0] its value, [1] the option's score.
  using TPointList = std::vector<std::array<double, 2>>;
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

  // Stores a copy of a finished future, snapped to the grid; returns its index.
  int32_t AddFuture(const TState& State);
  void Clear();
  TState& GetFuture(int32_t I);
  TState& GetOption(int32_t I);
  int32_t FutureCount() const { return FFutureCount; }
  int32_t OptionCount() const { return FOptionCount; }

  // The whole decision: writes the free parameters of State.
  void Decide(TState& State);
  // Draws the ending point of every counted future, then lets the owner adapt its scale.
  void ShowFutures();

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
  std::vector<std::unique_ptr<TState>> FFutures; // pool; the first FFutureCount are in use
  int32_t FFutureCount = 0;
  std::vector<std::unique_ptr<TState>> FOptions; // pool; the first FOptionCount are in use
  int32_t FOptionCount = 0;
  // What the decision reads of each stored future, side by side, so that deciding from tens of
  // thousands of futures walks a few arrays rather than as many scattered states. The states
  // get their Option and Discarded written back once the decision has set them.
  int32_t FFreeCount = 0;             // free parameters of every stored future
  int32_t FPositionalCount = 0;       // positional parameters of every stored future
  std::vector<int32_t> FFirstActions; // [future * FFreeCount + p]: Milli of free parameter p
  std::vector<int32_t> FCells;        // [future * FPositionalCount + q]: Macro of positional q
  std::vector<TSums> FSums;
  std::vector<long double> FScores;  // the futures' scores during ScoreOptions
  std::vector<int32_t> FOptionOf;    // option index of each future
  std::vector<uint8_t> FDiscarded;   // each future's Discarded, as ScoreOptions sets it
  std::vector<int32_t> FOptionFirst; // first future of each option
  // Open-addressing table from (option, cell) to the future counted there, -1 when empty.
  std::vector<int32_t> FCellTable;
  // Scratch space kept between steps, so that deciding allocates nothing once it has grown.
  TPointList FPoints;                // AvoidYShapes
  std::vector<long double> FWeights; // NormalizeScores
};
