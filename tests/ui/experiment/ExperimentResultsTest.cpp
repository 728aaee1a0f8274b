#include <gtest/gtest.h>

#include <QDir>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ExperimentFolder.h"
#include "ui/experiment/URunsTable.h"
#include "ui/qt/USceneFile.h"
#include "world/UWorld.h"

using namespace experiment_test;

namespace {

class ExperimentResults : public ExperimentFolder {
protected:
  // Runs a command in the folder; its error when it exits with 2, else what it did.
  std::string Refusal(const std::string& Command) const {
    const TResult r = Shell(Path(""), Command);
    return r.Status == 2 ? r.Err : "exit " + std::to_string(r.Status) + ": " + r.Err;
  }
};

std::vector<std::vector<std::string>> Rows(const std::string& Csv) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(Csv);
  std::string line;
  while (std::getline(in, line))
    rows.push_back(TRunsTable::Fields(line));
  return rows;
}

} // namespace

TEST_F(ExperimentResults, StopsAreRecordedAndTheLongStepsJoinTheRuns) {
  WriteFile(Path("stop.json"), R"({"format": "kartsim-experiment", "version": 1, "scene": "kart",
    "steps": 30, "futures": 30, "repetitions": 2, "seed": 4, "every": 4,
    "variables": [{"setting": "ai_level", "values": [4, 8]}],
    "measures": ["distance_mean", {"name": "travelled", "of": "distance", "aggregate": "max"}],
    "stop": [{"measure": "travelled", "above": 15}]})");
  const TResult r = Shell(Path(""), "$E stop.json --out stop --jobs 2");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const auto runs = Rows(ReadFile(Path("stop/runs.csv")));
  const auto steps = Rows(ReadFile(Path("stop/steps.csv")));
  ASSERT_EQ(runs.size(), 5u);
  ASSERT_EQ(runs[0][5], "stop_step");
  EXPECT_EQ(steps[0], (std::vector<std::string>{"run", "combination", "ai_level", "step", "measure",
                                                "value"}));
  int stopped = 0;
  for (size_t i = 1; i < runs.size(); ++i) {
    const std::vector<std::string>& run = runs[i];
    // The last step listed for the run: its stop step, or the last multiple of 4.
    int last = 0;
    for (const auto& s : steps)
      if (s[0] == run[0]) {
        EXPECT_EQ(s[1], run[1]); // joined by run, the same combination and values
        EXPECT_EQ(s[2], run[3]);
        const double travelled = std::stod(s[5]);
        if (s[4] == "travelled" && std::stoi(s[3]) < last)
          ADD_FAILURE() << "steps out of order";
        last = std::stoi(s[3]);
        if (s[4] == "travelled" && last != (run[5].empty() ? -1 : std::stoi(run[5]))) {
          EXPECT_LE(travelled, 15) << "went on past its stop condition";
        }
      }
    if (run[5].empty()) {
      EXPECT_EQ(last, 28);
      EXPECT_LE(std::stod(run[7]), 15);
    } else {
      ++stopped;
      EXPECT_EQ(last, std::stoi(run[5]));
      EXPECT_GT(std::stod(run[7]), 15);
    }
  }
  EXPECT_GT(stopped, 0);
  EXPECT_LT(stopped, 4);
  const auto players = Rows(ReadFile(Path("stop/players.csv")));
  EXPECT_EQ(players[0][1], "player");
  EXPECT_EQ(players.size(), 5u); // the kart of each run
}

TEST_F(ExperimentResults, MergedShardsGiveTheOneMachineStepsPlayersAndPlots) {
  WriteFile(Path("every.json"), R"({"format": "kartsim-experiment", "version": 1,
    "scene": "drops", "steps": 6, "futures": 20, "repetitions": 2, "seed": 9, "every": 3,
    "variables": [{"setting": "ai_level", "values": [3, 7]}],
    "measures": ["players_alive", {"name": "eaten", "of": "drops_consumed"},
                 {"name": "far", "of": "distance", "aggregate": "max", "kind": "kart"}]})");
  const TResult r = Shell(Path(""), "$E every.json --out one --jobs 2 && for k in 0 1 2; do "
                                    "$E every.json --jobs 1 --shard $k/3 --out s$k || exit 1; "
                                    "done && $E --merge s2 s0 s1 --out merged");
  ASSERT_EQ(r.Status, 0) << r.Err;
  for (const char* table : {"runs.csv", "steps.csv", "players.csv", "summary.csv"})
    EXPECT_EQ(ReadFile(Path(std::string("merged/") + table)),
              ReadFile(Path(std::string("one/") + table)))
        << table;
  // The SVG is drawn from the charts: a line per series, n in the legend, whole-number ticks.
  const std::string svg = ReadFile(Path("merged/plots/far.svg"));
  EXPECT_NE(svg.find("<polyline"), std::string::npos);
  EXPECT_NE(svg.find("mean (n = 2)"), std::string::npos);
  EXPECT_NE(svg.find(">far (px)</text>"), std::string::npos);
  EXPECT_NE(svg.find(">7</text>"), std::string::npos);
}

TEST_F(ExperimentResults, MergesAndResumesRefuseRowsThatAreNotTheExperiments) {
  ASSERT_EQ(Shell(Path(""), "for k in 0 1; do $E small.json --jobs 2 --shard $k/2 --out s$k || "
                            "exit 1; done")
                .Status,
            0);
  // Sorted by run once the shard is done, whatever order its two threads finished in.
  const auto shard = Rows(ReadFile(Path("s0/runs.csv")));
  for (size_t i = 1; i < shard.size(); ++i)
    EXPECT_EQ(shard[i][0], std::to_string(2 * (i - 1)));
  const std::string row0 =
      ReadFile(Path("s0/runs.csv")).substr(ReadFile(Path("s0/runs.csv")).find("\n0,") + 1);
  const std::string line0 = row0.substr(0, row0.find('\n') + 1);
  const std::string line1 = [&] {
    const std::string t = ReadFile(Path("s1/runs.csv"));
    const size_t at = t.find("\n1,") + 1;
    return t.substr(at, t.find('\n', at) - at + 1);
  }();
  std::string relabelled = line0, word = line0;
  relabelled.replace(0, 8, "0,0,0,8,");
  word.replace(word.rfind(','), std::string::npos, ",abc\n");
  const std::string runs0 = ReadFile(Path("s0/runs.csv"));
  const auto replaced = [&](const std::string& Line) {
    std::string t = runs0;
    return t.replace(t.find(line0), line0.size(), Line);
  };
  const std::pair<std::string, std::string> faults[] = {
      {runs0 + "999,333,0,4,0,1,,1,2,3,4,5,6,7,8,9,10,11,12,13\n",
       "run 999: not a run of this experiment"},
      {replaced(relabelled), "its combination and values are 0,8,0, not those of the run (0,4,0)"},
      {replaced(word), "\"removals\" is \"abc\", not a number"},
      {runs0 + line0, "holds run 0 twice"},
      {runs0 + line1, "run 1: not a run of shard 0/2"},
  };
  for (const auto& [text, why] : faults) {
    Shell(Path(""), "rm -rf bad m && cp -r s0 bad");
    WriteFile(Path("bad/runs.csv"), text);
    std::string err = Refusal("$E --merge bad s1 --out m");
    EXPECT_NE(err.find(why), std::string::npos) << err;
    EXPECT_FALSE(QDir(QString::fromStdString(Path("m"))).exists()) << why;
    // A resume reads them before it runs anything.
    err = Refusal("$E small.json --shard 0/2 --out bad");
    EXPECT_NE(err.find(why), std::string::npos) << err;
  }
  // What is missing is named: a shard, or the runs of an unfinished one.
  EXPECT_NE(Refusal("$E --merge s0 --out m").find("(1/2)"), std::string::npos);
  Shell(Path(""), "rm -rf bad && cp -r s1 bad && sed -i '4,$d' bad/runs.csv");
  const std::string unfinished = Refusal("$E --merge s0 bad --out m");
  EXPECT_NE(unfinished.find("runs are missing: 5, 7 (run 5 belongs to shard 1/2, in \"bad\")"),
            std::string::npos)
      << unfinished;
  // Another program's rows, a stray file, a changed scene.
  Shell(Path(""), "rm -rf bad && cp -r s1 bad && sed -i 's/kartsim-experiment [^\"]*/"
                  "kartsim-experiment 0.0.1/' bad/experiment.json");
  EXPECT_NE(Refusal("$E --merge s0 bad --out m").find("made by kartsim-experiment 0.0.1"),
            std::string::npos);
  EXPECT_NE(Refusal("$E small.json --shard 1/2 --out bad").find("0.0.1"), std::string::npos);
  Shell(Path(""), "touch s1/notes.txt");
  EXPECT_NE(Refusal("$E small.json --shard 1/2 --out s1").find("holds \"notes.txt\""),
            std::string::npos);
  const std::string scene = Path("own.kartsim.json");
  WriteFile(scene, TSceneFile::Encode(*TSceneFile::OpenScenario("kart")).toStdString());
  std::string own = Small;
  WriteFile(Path("own.json"), own.replace(own.find("\"kart\""), 6, "\"own.kartsim.json\""));
  ASSERT_EQ(Shell(Path(""), "$E own.json --shard 0/2 --out own").Status, 0);
  WriteFile(scene, TSceneFile::Encode(*TSceneFile::OpenScenario("drops")).toStdString());
  EXPECT_NE(Refusal("$E own.json --shard 0/2 --out own").find("is not the one"), std::string::npos);
}

TEST_F(ExperimentResults, AFolderCutAtItsHeaderResumesAndOddFilesAreRefused) {
  // A disk full before the header was in: an empty runs.csv, nothing else of it.
  ASSERT_EQ(Shell(Path(""), "$E small.json --shard 0/2 --out cut").Status, 0);
  WriteFile(Path("cut/runs.csv"), "");
  const TResult r = Shell(Path(""), "$E small.json --shard 0/2 --out cut");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Rows(ReadFile(Path("cut/runs.csv"))).size(), 5u);
  // A sweep over worlds: the scene is a column of its own, named as the file lists it.
  WriteFile(Path("worlds.json"), R"({"format": "kartsim-experiment", "version": 1, "steps": 2,
    "futures": 5, "repetitions": 1, "seed": 2,
    "variables": [{"setting": "scene", "values": ["kart", "drops"]}]})");
  ASSERT_EQ(Shell(Path(""), "$E worlds.json --out worlds").Status, 0);
  const auto worlds = Rows(ReadFile(Path("worlds/runs.csv")));
  ASSERT_EQ(worlds.size(), 3u);
  EXPECT_EQ(worlds[0][3], "scene");
  EXPECT_EQ(worlds[1][3] + " " + worlds[2][3], "kart drops");
  EXPECT_FALSE(ReadFile(Path("worlds/plots/players_alive.svg")).empty());
  // An experiment file that is a FIFO, or a device that never ends, is refused at once.
  EXPECT_NE(Refusal("mkfifo fifo && timeout 60 $E fifo --out f").find("not a regular file"),
            std::string::npos);
  EXPECT_NE(Refusal("timeout 60 $E /dev/zero --out z").find("not a regular file"),
            std::string::npos);
}
