#include "ui/batch/UBatchOptions.h"

#include <charconv>
#include <filesystem>

#include "ui/qt/UVideoRecorder.h"

namespace {

// Every future of a step is kept until the decision, a few kilobytes each for every player: the
// futures of a step must fit the memory. 100,000 futures, or 2 s of them on every thread, stay
// within a few gigabytes even for the circle of 18 karts.
constexpr int64_t MaxFutures = 100000;
constexpr int64_t MaxBudgetMs = 2000;

// Whole number from Min to Max, or a usage error that says so.
int64_t ParseInteger(const std::string& Name, const std::string& Text, int64_t Min, int64_t Max) {
  int64_t value = 0;
  const char* end = Text.data() + Text.size();
  const auto [ptr, ec] = std::from_chars(Text.data(), end, value);
  if (Text.empty() || ec != std::errc() || ptr != end || value < Min || value > Max)
    throw EBatchUsage(Name + ": expected a whole number from " + std::to_string(Min) + " to " +
                      std::to_string(Max) + ", got \"" + Text + "\"");
  return value;
}

uint64_t ParseSeed(const std::string& Text) {
  uint64_t value = 0;
  const char* end = Text.data() + Text.size();
  const auto [ptr, ec] = std::from_chars(Text.data(), end, value);
  if (Text.empty() || ec != std::errc() || ptr != end)
    throw EBatchUsage("--seed: expected a whole number from 0 to 18446744073709551615, got \"" +
                      Text + "\"");
  return value;
}

} // namespace

TBatchOptions TBatchOptions::Parse(const std::vector<std::string>& Args) {
  TBatchOptions o;
  for (size_t i = 0; i < Args.size(); ++i) {
    std::string name = Args[i];
    std::optional<std::string> inlineValue;
    if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      inlineValue = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    const auto value = [&]() -> std::string {
      if (inlineValue)
        return *inlineValue;
      if (i + 1 >= Args.size())
        throw EBatchUsage(name + ": a value is missing");
      return Args[++i];
    };
    const auto flag = [&] {
      if (inlineValue)
        throw EBatchUsage(name + ": takes no value");
    };
    if (name == "--scenario") {
      o.Scenario = value();
      if (o.Scenario != "rocket" && o.Scenario != "kart" && o.Scenario != "circle" &&
          o.Scenario != "drops")
        throw EBatchUsage("--scenario: expected rocket, kart, circle or drops, got \"" +
                          o.Scenario + "\"");
    } else if (name == "--steps") {
      o.Steps = static_cast<int32_t>(ParseInteger(name, value(), 1, 10000000));
    } else if (name == "--seed") {
      o.Seed = ParseSeed(value());
    } else if (name == "--futures") {
      o.Futures = static_cast<int32_t>(ParseInteger(name, value(), 1, MaxFutures));
    } else if (name == "--budget-ms") {
      o.BudgetMs = static_cast<int32_t>(ParseInteger(name, value(), 1, MaxBudgetMs));
    } else if (name == "--min-futures") {
      o.MinFutures = static_cast<int32_t>(ParseInteger(name, value(), 1, 2000));
    } else if (name == "--seconds") {
      o.Seconds = static_cast<int32_t>(ParseInteger(name, value(), 1, 20));
    } else if (name == "--ai-level") {
      o.AILevel = static_cast<int32_t>(ParseInteger(name, value(), 1, 8));
    } else if (name == "--threads") {
      o.Threads = static_cast<int32_t>(ParseInteger(name, value(), 0, 256));
    } else if (name == "--evolution") {
      flag();
      o.Evolution = true;
    } else if (name == "--no-collisions") {
      flag();
      o.Collisions = false;
    } else if (name == "--circuit") {
      o.Circuit = value();
      std::error_code ec;
      if (!std::filesystem::is_regular_file(o.Circuit, ec))
        throw EBatchUsage("--circuit: expected an existing BMP file, \"" + o.Circuit +
                          "\" is not one");
    } else if (name == "--frames") {
      o.FramesStem = value();
      if (o.FramesStem.empty())
        throw EBatchUsage("--frames: expected a file name stem, got an empty one");
    } else if (name == "--csv") {
      o.CsvFile = value();
      if (o.CsvFile.empty())
        throw EBatchUsage("--csv: expected a file name, got an empty one");
    } else if (name == "--decisions") {
      o.DecisionsFile = value();
      if (o.DecisionsFile.empty())
        throw EBatchUsage("--decisions: expected a file name, got an empty one");
    } else if (name == "--video") {
      o.VideoFile = value();
      if (!TVideoRecorder::IsVideoName(o.VideoFile))
        throw EBatchUsage("--video: expected a file name ending in .mp4 or .gif, got \"" +
                          o.VideoFile + "\"");
      // Before the first step, which may take long: without the encoder there is no video.
      if (TVideoRecorder::FindFfmpeg().isEmpty())
        throw EBatchUsage("--video: " + TVideoRecorder::MissingFfmpegMessage());
    } else if (name == "--json") {
      flag();
      o.Json = true;
    } else if (name == "--help" || name == "-h") {
      flag();
      o.Help = true;
    } else {
      throw EBatchUsage(name + ": unknown option (see --help)");
    }
  }
  return o;
}

std::string TBatchOptions::HelpText() {
  return R"(Usage: kartsim-batch [options]

Runs the kart simulation without a window and reports what happened.

  --scenario NAME    rocket (default: one rocket at the start), kart (one kart),
                     circle (18 karts in a ring), drops (a rocket and two karts
                     collecting energy drops and storing them in a box)
  --steps N          steps to run (default 100)
  --seed S           seed of the random generator (default: from the clock)
  --futures N        exactly N futures per step (1..100000), for repeatable
                     work (default: as many as the budget allows)
  --budget-ms B      real-time budget of a step, 1..2000 milliseconds
                     (default 100)
  --min-futures M    minimum futures per step, 1..2000 (default 100)
  --seconds S        length of a future, 1..20 whole seconds (default 5)
  --ai-level L       AI level 1..8 for every player (default: 8)
  --threads N        threads that run the futures, 1..256; 0 or absent: every
                     hardware thread of the machine
  --evolution        allow evolution of goal values
  --no-collisions    no player-to-player collisions
  --circuit FILE     a BMP circuit instead of the built-in one
  --frames STEM      write each step's picture as STEM_00001.bmp, ...
  --csv FILE         one row per step and player ("-": standard output)
  --decisions FILE   one row per step, player and option of the player's
                     decision: step,player,option,param,push,futures,score,weight
                     ("-": standard output)
  --video FILE       record every step's picture as a video through ffmpeg:
                     H.264 in MP4 for FILE.mp4, an animated GIF for FILE.gif;
                     one frame per sub-step of simulated time (10 per second)
  --json             print the summary as one JSON object
  --help             this text

Exit status: 0 on success, 2 for bad arguments, 1 when the run fails.
)";
}
