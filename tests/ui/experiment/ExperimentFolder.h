#pragma once

// A temporary folder to run kartsim-experiment in, through the shell, and what to read its
// results with.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace experiment_test {

inline const std::string Program = KARTSIM_EXPERIMENT_EXE;

struct TResult {
  int Status = -1;
  std::string Out, Err;
};

inline std::string ReadFile(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& Name, const std::string& Text) {
  std::ofstream(Name, std::ios::binary) << Text;
}

// Runs a shell command (kartsim-experiment as $E) in Dir.
inline TResult Shell(const std::string& Dir, const std::string& Command) {
  const std::string cmd = "cd '" + Dir + "' && E='" + Program + "' && " + Command + " >out 2>err";
  const int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(Dir + "/out"),
          ReadFile(Dir + "/err")};
}

// Two variables of two values, two repetitions, five steps, 30 fixed futures: eight runs.
inline const char* const Small = R"({"format": "kartsim-experiment", "version": 1, "scene": "kart",
  "steps": 5, "futures": 30, "repetitions": 2, "seed": 11,
  "variables": [{"setting": "ai_level", "values": [4, 8]},
                {"setting": "team_goal.speed", "first": 0, "step": 2, "last": 2}]})";

// The table's lines without the column of the step time, which is the machine's and not the
// run's.
inline std::vector<std::string> Untimed(const std::string& Csv) {
  std::vector<std::string> lines;
  std::istringstream in(Csv);
  std::string line;
  size_t timing = 0;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::istringstream f(line);
    std::string field;
    while (std::getline(f, field, ','))
      fields.push_back(field);
    if (lines.empty())
      timing = static_cast<size_t>(std::find(fields.begin(), fields.end(), "step_ms_median") -
                                   fields.begin());
    fields.erase(fields.begin() + static_cast<long>(timing));
    std::string joined;
    for (const std::string& x : fields)
      joined += x + ",";
    lines.push_back(joined);
  }
  return lines;
}

class ExperimentFolder : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    WriteFile(Path("small.json"), Small);
  }
  std::string Path(const std::string& Name) const {
    return FDir.filePath(QString::fromStdString(Name)).toStdString();
  }
  QTemporaryDir FDir;
};

} // namespace experiment_test
