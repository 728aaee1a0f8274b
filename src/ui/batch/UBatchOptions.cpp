#include "ui/batch/UBatchOptions.h"

#include <QCommandLineParser>
#include <QStringList>
#include <charconv>
#include <filesystem>
#include <functional>

#include "platform/UErrors.h"
#include "ui/qt/USceneFile.h"
#include "ui/qt/UVideoRecorder.h"
#include "world/USettingsTable.h"

#ifndef KARTSIM_VERSION
#define KARTSIM_VERSION "unknown"
#endif

namespace {

// Every future of a step is kept until the decision, a few kilobytes each for every player: the
// futures of a step must fit the memory. 100,000 futures, or 2 s of them on every thread, stay
// within a few gigabytes even for the circle of 18 karts.
constexpr int64_t MaxFutures = 100000;
constexpr int64_t MaxBudgetMs = 2000;
constexpr int64_t MaxSteps = 10000000;

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

std::string NonEmpty(const std::string& Name, const std::string& Text, const char* What) {
  if (Text.empty())
    throw EBatchUsage(Name + ": expected " + What + ", got an empty one");
  return Text;
}

// One option: its names, the name of its value (none for a switch), the help text's lines, and
// what it does to the options.
struct TOption {
  QStringList Names;
  QString ValueName;
  std::string Help;
  std::function<void(TBatchOptions&, const std::string& Name, const std::string& Value)> Apply;
};

int32_t Whole(const std::string& Name, const std::string& Value, int64_t Min, int64_t Max) {
  return static_cast<int32_t>(ParseInteger(Name, Value, Min, Max));
}

// What an option of the settings table offers, in the option's unit (whole seconds of a future).
TSettingRange Offered(const std::string& Option) {
  const TSettingAlias* alias = nullptr;
  const TSettingRow* row = TSettingsTable::FindAlias(TSettingReader::Batch, Option, &alias);
  if (row == nullptr)
    throw EError("No setting is the option --" + Option + ".");
  return row->Offered(*alias);
}

// "1..20", as the help writes a range.
std::string Span(const std::string& Option) {
  const TSettingRange range = Offered(Option);
  return TSettingsTable::Text(range.Min) + ".." + TSettingsTable::Text(range.Max);
}

// What a switch of the settings table turns its setting to.
bool Switched(const std::string& Option) {
  const TSettingAlias* alias = nullptr;
  if (TSettingsTable::FindAlias(TSettingReader::Batch, Option, &alias) == nullptr)
    throw EError("No setting is the option --" + Option + ".");
  return alias->Sets != 0;
}

// The value of an option of the settings table (its options all take whole numbers).
int32_t Setting(const std::string& Name, const std::string& Value) {
  const TSettingRange range = Offered(Name.substr(2));
  return Whole(Name, Value, static_cast<int64_t>(range.Min), static_cast<int64_t>(range.Max));
}

const std::vector<TOption>& Options() {
  using O = TBatchOptions;
  using S = const std::string&;
  static const std::vector<TOption> options = {
      {{"scenario"},
       "NAME",
       "rocket (default: one rocket at the start), kart (one kart),\n"
       "circle (18 karts in a ring), drops (a rocket and two karts\n"
       "collecting energy drops and storing them in a box); each is\n"
       "a built-in scene",
       [](O& o, S n, S v) {
         if (!TSceneFile::ScenarioNames().contains(QString::fromStdString(v)))
           throw EBatchUsage(n + ": expected rocket, kart, circle or drops, got \"" + v + "\"");
         o.Scenario = v;
       }},
      {{"scene"},
       "FILE",
       "run a scene saved by the window or by --save-scene",
       [](O& o, S n, S v) { o.SceneFile = NonEmpty(n, v, "a file name"); }},
      {{"save-scene"},
       "FILE",
       "save the world as it stands when the run ends as a scene\n"
       "(with --steps 0: the world as it starts)",
       [](O& o, S n, S v) { o.SaveSceneFile = NonEmpty(n, v, "a file name"); }},
      {{"save-replay"},
       "FILE",
       "save the run as a replay: its start, and each step's\n"
       "futures and the hash of the world after it",
       [](O& o, S n, S v) { o.SaveReplayFile = NonEmpty(n, v, "a file name"); }},
      {{"replay"},
       "FILE",
       "run a replay saved by the window or by --save-replay: its\n"
       "steps, futures and commands; stops with status 1 at a step\n"
       "whose world differs from the recorded one",
       [](O& o, S n, S v) { o.ReplayFile = NonEmpty(n, v, "a file name"); }},
      {{"steps"},
       "N",
       "steps to run (default 100)",
       [](O& o, S n, S v) { o.Steps = Whole(n, v, 0, MaxSteps); }},
      {{"seed"},
       "S",
       "seed of the random generator (default: from the clock)",
       [](O& o, S, S v) { o.Seed = ParseSeed(v); }},
      {{"futures"},
       "N",
       "exactly N futures per step (1..100000), for repeatable\n"
       "work (default: as many as the budget allows)",
       [](O& o, S n, S v) { o.Futures = Whole(n, v, 1, MaxFutures); }},
      {{"budget-ms"},
       "B",
       "real-time budget of a step, 1..2000 milliseconds\n(default 100)",
       [](O& o, S n, S v) { o.BudgetMs = Whole(n, v, 1, MaxBudgetMs); }},
      {{"min-futures"},
       "M",
       "minimum futures per step, " + Span("min-futures") + " (default: the scene's)",
       [](O& o, S n, S v) { o.MinFutures = Setting(n, v); }},
      {{"seconds"},
       "S",
       "length of a future, " + Span("seconds") + " whole seconds (default: the scene's)",
       [](O& o, S n, S v) { o.Seconds = Setting(n, v); }},
      {{"ai-level"},
       "L",
       "AI level " + Span("ai-level") + " for every player (default: each player's own)",
       [](O& o, S n, S v) { o.AILevel = Setting(n, v); }},
      {{"threads"},
       "N",
       "threads that run the futures, 1..256; 0 or absent: every\n"
       "hardware thread of the machine",
       [](O& o, S n, S v) { o.Threads = Whole(n, v, 0, 256); }},
      {{"evolution"},
       "",
       "allow evolution of goal values",
       [](O& o, S, S) { o.Evolution = Switched("evolution"); }},
      {{"no-collisions"},
       "",
       "no player-to-player collisions",
       [](O& o, S, S) { o.Collisions = Switched("no-collisions"); }},
      {{"circuit"},
       "FILE",
       "a BMP circuit instead of the scene's",
       [](O& o, S n, S v) {
         std::error_code ec;
         if (!std::filesystem::is_regular_file(v, ec))
           throw EBatchUsage(n + ": expected an existing BMP file, \"" + v + "\" is not one");
         o.Circuit = v;
       }},
      {{"frames"},
       "STEM",
       "write each step's picture as STEM_00001.bmp, ...",
       [](O& o, S n, S v) { o.FramesStem = NonEmpty(n, v, "a file name stem"); }},
      {{"csv"},
       "FILE",
       "one row per step and player (\"-\": standard output)",
       [](O& o, S n, S v) { o.CsvFile = NonEmpty(n, v, "a file name"); }},
      {{"decisions"},
       "FILE",
       "one row per step, player and option of the player's\n"
       "decision: step,player,option,param,push,futures,score,weight\n"
       "(\"-\": standard output)",
       [](O& o, S n, S v) { o.DecisionsFile = NonEmpty(n, v, "a file name"); }},
      {{"video"},
       "FILE",
       "record every step's picture as a video through ffmpeg:\n"
       "H.264 in MP4 for FILE.mp4, an animated GIF for FILE.gif;\n"
       "one frame per sub-step of simulated time (10 per second)",
       [](O& o, S n, S v) {
         if (!TVideoRecorder::IsVideoName(v))
           throw EBatchUsage(n + ": expected a file name ending in .mp4 or .gif, got \"" + v +
                             "\"");
         // Before the first step, which may take long: without the encoder there is no video.
         if (TVideoRecorder::FindFfmpeg().isEmpty())
           throw EBatchUsage(n + ": " + TVideoRecorder::MissingFfmpegMessage());
         o.VideoFile = v;
       }},
      {{"json"}, "", "print the summary as one JSON object", [](O& o, S, S) { o.Json = true; }},
      {{"version"}, "", "the program's version", [](O& o, S, S) { o.Version = true; }},
      {{"h", "help"}, "", "this text", [](O& o, S, S) { o.Help = true; }},
  };
  return options;
}

std::string LongName(const TOption& Option) {
  return "--" + Option.Names.last().toStdString();
}

// The parser's own complaints, in the words the other errors use.
std::string UsageMessage(const QCommandLineParser& Parser) {
  if (!Parser.unknownOptionNames().isEmpty()) {
    const QString name = Parser.unknownOptionNames().first();
    return (name.size() > 1 ? "--" : "-") + name.toLatin1().toStdString() +
           ": unknown option (see --help)";
  }
  const QString text = Parser.errorText();
  const qsizetype open = text.indexOf('\''), close = text.lastIndexOf('\'');
  const std::string name =
      open >= 0 && close > open ? text.mid(open + 1, close - open - 1).toStdString() : "";
  if (text.startsWith("Missing value"))
    return name + ": a value is missing";
  if (text.startsWith("Unexpected value"))
    return name + ": takes no value";
  return text.toStdString();
}

} // namespace

TBatchOptions TBatchOptions::Parse(const std::vector<std::string>& Args) {
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  for (const TOption& option : Options())
    parser.addOption(
        QCommandLineOption(option.Names, QString::fromStdString(option.Help), option.ValueName));
  // Byte for byte, whatever their encoding: a file name that is not UTF-8 is kept as given.
  QStringList args{"kartsim-batch"};
  for (const std::string& arg : Args)
    args << QString::fromLatin1(arg.data(), static_cast<qsizetype>(arg.size()));
  if (!parser.parse(args))
    throw EBatchUsage(UsageMessage(parser));
  if (!parser.positionalArguments().isEmpty())
    throw EBatchUsage(parser.positionalArguments().first().toLatin1().toStdString() +
                      ": unknown option (see --help)");
  TBatchOptions o;
  // In the order of the list, each from the last time it was given.
  for (const TOption& option : Options()) {
    const QString& name = option.Names.last();
    if (!parser.isSet(name))
      continue;
    const std::string value = option.ValueName.isEmpty()
                                  ? std::string()
                                  : parser.values(name).last().toLatin1().toStdString();
    option.Apply(o, LongName(option), value);
    o.Given.insert(name.toStdString());
  }
  if (!o.SceneFile.empty() && o.IsGiven("scenario"))
    throw EBatchUsage("--scene: runs a scene instead of a scenario, not both");
  // A replay fixes its world, its stream, its steps and the futures of each: whatever would
  // change them is refused rather than silently ignored or let break the replay.
  if (!o.ReplayFile.empty())
    for (const char* fixed :
         {"seed", "futures", "budget-ms", "scene", "scenario", "steps", "min-futures", "seconds",
          "ai-level", "evolution", "no-collisions", "circuit"})
      if (o.IsGiven(fixed))
        throw EBatchUsage("--" + std::string(fixed) +
                          ": a replay fixes it; give --replay without it");
  return o;
}

std::string TBatchOptions::VersionText() {
  return "kartsim-batch " KARTSIM_VERSION "\n";
}

std::string TBatchOptions::HelpText() {
  std::string text = "Usage: kartsim-batch [options]\n\n"
                     "Runs the kart simulation without a window and reports what happened.\n\n";
  constexpr size_t Column = 21;
  for (const TOption& option : Options()) {
    std::string names;
    for (const QString& name : option.Names)
      names += (names.empty() ? "" : ", ") + std::string(name.size() > 1 ? "--" : "-") +
               name.toStdString();
    if (!option.ValueName.isEmpty())
      names += " " + option.ValueName.toStdString();
    std::string line = "  " + names;
    line += line.size() + 1 < Column ? std::string(Column - line.size(), ' ')
                                     : "\n" + std::string(Column, ' ');
    const std::string help = option.Help;
    for (char c : help)
      line += c == '\n' ? "\n" + std::string(Column, ' ') : std::string(1, c);
    text += line + "\n";
  }
  return text + "\nOptions given override the settings of the scene or scenario that runs.\n"
                "Exit status: 0 on success, 2 for bad arguments, a bad scene or replay or an\n"
                "output that cannot be written (found before the first step), 1 when the run\n"
                "fails or a replay parts from its record.\n";
}
