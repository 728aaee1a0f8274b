#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The command line of the batch runner: what to simulate, how long, and what to write.
class TBatchOptions {
public:
  std::string Scenario = "rocket"; // rocket, kart, circle or drops
  int32_t Steps = 100;
  std::optional<uint64_t> Seed; // none: taken from the clock
  int32_t Futures = 0;          // exactly this many futures per step; 0: the budget decides
  int32_t BudgetMs = 100;       // real-time budget of a step, milliseconds
  int32_t MinFutures = 100;
  int32_t Seconds = 5; // length of a future, whole seconds
  int32_t AILevel = 0; // 1 .. 8 for every player; 0 keeps each player's own
  int32_t Threads = 0; // threads that run the futures, 1 .. 256; 0: every hardware thread
  bool Evolution = false;
  bool Collisions = true;
  std::string Circuit;       // a BMP file; empty: the built-in circuit
  std::string FramesStem;    // empty: no frames
  std::string CsvFile;       // empty: no CSV
  std::string DecisionsFile; // empty: no CSV of the decisions
  std::string VideoFile;     // .mp4 or .gif; empty: no video
  bool Json = false;
  bool Help = false;

  // Parses the arguments (without the program name). Raises EBatchUsage, whose message is the
  // one line to show, naming the argument and what is allowed.
  static TBatchOptions Parse(const std::vector<std::string>& Args);
  static std::string HelpText();
};

// A bad command line; the message names the argument and what it allows.
class EBatchUsage : public std::exception {
public:
  explicit EBatchUsage(std::string Message) : FMessage(std::move(Message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  std::string FMessage;
};
