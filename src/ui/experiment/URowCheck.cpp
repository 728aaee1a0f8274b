#include "ui/experiment/URowCheck.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

#include "ui/experiment/UExperiment.h"
#include "ui/experiment/URunsTable.h"

namespace {

[[noreturn]] void Refuse(const std::string& FileName, int64_t Run, const std::string& Why) {
  throw EExperimentInput("\"" + FileName + "\", run " + std::to_string(Run) + ": " + Why + ".");
}

// A number as the tables write it, the whole field: no spaces, no "nan", no trailing text.
bool IsNumber(const std::string& Text, double& X) {
  const char* end = Text.data() + Text.size();
  const auto [stop, ec] = std::from_chars(Text.data(), end, X);
  return !Text.empty() && ec == std::errc() && stop == end && std::isfinite(X);
}

// An empty field (no value) or a number, a whole one when Whole, from Low to High.
void CheckNumber(const std::string& FileName, int64_t Run, const std::string& Column,
                 const std::string& Text, bool Whole, double Low, double High) {
  if (Text.empty())
    return;
  double x = 0;
  if (!IsNumber(Text, x))
    Refuse(FileName, Run, "\"" + Column + "\" is \"" + Text + "\", not a number");
  if (Whole && x != std::floor(x))
    Refuse(FileName, Run, "\"" + Column + "\" is " + Text + ", not a whole number");
  if (x < Low || x > High)
    Refuse(FileName, Run, "\"" + Column + "\" is " + Text + ", out of its range");
}

std::string Joined(const std::vector<std::string>& Fields, size_t From, size_t To) {
  std::string text;
  for (size_t i = From; i < To; ++i)
    text += (i == From ? "" : ",") + Fields[i];
  return text;
}

} // namespace

TRowCheck::TRowCheck(const TExperiment& Experiment, int32_t ShardIndex, int32_t ShardCount)
    : FExperiment(Experiment), FShardIndex(ShardIndex), FShardCount(ShardCount) {}

void TRowCheck::CheckLabels(const std::string& FileName, int64_t Run, const std::string& Line,
                            size_t Fields, std::string& Labels) const {
  if (Run >= FExperiment.RunCount())
    Refuse(FileName, Run,
           "not a run of this experiment (runs 0 to " + std::to_string(FExperiment.RunCount() - 1) +
               ")");
  if (Run % FShardCount != FShardIndex)
    Refuse(FileName, Run,
           "not a run of shard " + std::to_string(FShardIndex) + "/" + std::to_string(FShardCount));
  const std::vector<std::string> fields = TRunsTable::Fields(Line);
  if (fields.size() != Fields)
    Refuse(FileName, Run,
           "a row of " + std::to_string(fields.size()) + " columns, not " + std::to_string(Fields));
  Labels = TRunsTable::Labels(FExperiment, Run);
  const size_t count = 1 + FExperiment.Variables().size();
  const std::string found = Joined(fields, 1, 1 + count);
  if (found != Labels)
    Refuse(FileName, Run,
           "its combination and values are " + found + ", not those of the run (" + Labels + ")");
}

namespace {

template <class F> void EachLine(const std::map<int64_t, std::string>& Rows, F Each) {
  for (const auto& [run, lines] : Rows) {
    std::istringstream in(lines);
    std::string line;
    while (std::getline(in, line))
      Each(run, line);
  }
}

} // namespace

void TRowCheck::Runs(const std::string& FileName,
                     const std::map<int64_t, std::string>& Rows) const {
  const auto& measures = FExperiment.Measures();
  const size_t variables = FExperiment.Variables().size();
  EachLine(Rows, [&](int64_t Run, const std::string& Line) {
    std::vector<std::string> fields = TRunsTable::Fields(Line);
    // runs.csv has the repetition between the combination and the values: checked apart.
    const std::string repetition = fields.size() > 2 ? fields[2] : "";
    if (fields.size() > 2)
      fields.erase(fields.begin() + 2);
    std::string labels, rest;
    for (const std::string& f : fields)
      rest += (rest.empty() ? "" : ",") + f;
    CheckLabels(FileName, Run, rest, 2 + variables + 2 + measures.size(), labels);
    if (repetition != std::to_string(Run % FExperiment.Repetitions()))
      Refuse(FileName, Run,
             "its repetition is " + repetition + ", not " +
                 std::to_string(Run % FExperiment.Repetitions()));
    const size_t seed = 2 + variables;
    if (fields[seed] != std::to_string(FExperiment.RunSeed(Run)))
      Refuse(FileName, Run, "its seed is " + fields[seed] + ", not the run's");
    CheckNumber(FileName, Run, "stop_step", fields[seed + 1], true, 1, FExperiment.Steps());
    for (size_t m = 0; m < measures.size(); ++m)
      // Bounds are the plots' business: a value beyond them is the simulation's, not a fault.
      CheckNumber(FileName, Run, measures[m].Name(), fields[seed + 2 + m], measures[m].Whole(),
                  -HUGE_VAL, HUGE_VAL);
  });
}

void TRowCheck::Steps(const std::string& FileName,
                      const std::map<int64_t, std::string>& Rows) const {
  const auto& measures = FExperiment.Measures();
  const size_t step = 2 + FExperiment.Variables().size();
  EachLine(Rows, [&](int64_t Run, const std::string& Line) {
    std::string labels;
    CheckLabels(FileName, Run, Line, step + 3, labels);
    const std::vector<std::string> fields = TRunsTable::Fields(Line);
    CheckNumber(FileName, Run, "step", fields[step], true, 1, FExperiment.Steps());
    const auto m = std::find_if(measures.begin(), measures.end(),
                                [&](const TMeasure& M) { return M.Name() == fields[step + 1]; });
    if (m == measures.end())
      Refuse(FileName, Run, "\"" + fields[step + 1] + "\" is none of the experiment's measures");
    CheckNumber(FileName, Run, m->Name(), fields[step + 2], m->Whole(), -HUGE_VAL, HUGE_VAL);
  });
}

void TRowCheck::Players(const std::string& FileName,
                        const std::map<int64_t, std::string>& Rows) const {
  static const char* const kinds[] = {"kart", "rocket", "player"};
  static const char* const whole[] = {"player",       "",           "team", "ai_level", "born_step",
                                      "removed_step", "death_step", "alive"};
  // run, then player, kind, team, ai_level, born, removed, death, alive, then eight numbers.
  EachLine(Rows, [&](int64_t Run, const std::string& Line) {
    if (Run >= FExperiment.RunCount() || Run % FShardCount != FShardIndex)
      Refuse(FileName, Run, "not a run of this experiment's folder");
    const std::vector<std::string> f = TRunsTable::Fields(Line);
    if (f.size() != 17)
      Refuse(FileName, Run, "a row of " + std::to_string(f.size()) + " columns, not 17");
    if (std::find(std::begin(kinds), std::end(kinds), f[2]) == std::end(kinds))
      Refuse(FileName, Run, "\"kind\" is \"" + f[2] + "\", not a kind of player");
    const double steps = FExperiment.Steps();
    for (size_t i = 0; i < 8; ++i)
      if (i != 1)
        CheckNumber(FileName, Run, whole[i], f[1 + i], true, 0, i == 7 ? 1 : i >= 4 ? steps : 1e9);
    for (size_t i = 9; i < 17; ++i)
      CheckNumber(FileName, Run, "a player's measure", f[i], false, -1e300, 1e300);
  });
}
