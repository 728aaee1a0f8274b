#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "../CircuitFiles.h"
#include "ShellRun.h"
#include "ui/batch/UBatchRun.h"
#include "ui/qt/UQtPicture.h"

namespace {

using TResult = TShellResult;

// Runs kartsim-batch with the arguments (already quoted for the shell where needed).
TResult RunBatch(const std::string& Args) {
  // Two runners on any machine unless the test says otherwise (the last --threads counts).
  return RunShell(std::string(KARTSIM_BATCH_EXE) + " --threads 2 " + Args);
}

std::string ReadFile(const QString& Name) {
  std::ifstream in(Name.toStdString(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs kartsim-batch with the arguments, its output thrown away, and answers its peak memory in
// kilobytes, or -1 when it did not end well.
long PeakKilobytes(std::vector<std::string> Args) {
  Args.insert(Args.begin(), KARTSIM_BATCH_EXE);
  std::vector<char*> argv;
  for (std::string& arg : Args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0)
    return -1;
  return usage.ru_maxrss;
}

// Small runs: a few steps of a few short futures.
const std::string Quick = " --steps 3 --futures 20 --seconds 1 --seed 5";

} // namespace

TEST(BatchRun, BadArgumentsExitWithTwoAndOneLineNamingTheArgument) {
  for (const std::string args :
       {"--bogus", "--steps -3", "--steps many", "--ai-level 0", "--ai-level 9",
        "--circuit /nonexistent/circuit.bmp", "--threads 257", "--seed -1",
        "--futures 99999999999999999999", "--csv ''", "--scenario ''", "--circuit ''"}) {
    const TResult r = RunBatch(args);
    EXPECT_EQ(r.Status, 2) << args;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    const std::string name = args.substr(0, args.find(' '));
    EXPECT_NE(r.Err.find(name), std::string::npos) << r.Err;
    EXPECT_TRUE(r.Out.empty());
  }
}

TEST(BatchRun, HelpListsTheOptions) {
  const TResult r = RunBatch("--help");
  EXPECT_EQ(r.Status, 0);
  for (const char* option : {"--scenario", "--futures", "--frames", "--csv", "--json"})
    EXPECT_NE(r.Out.find(option), std::string::npos) << option;
  EXPECT_EQ(RunBatch("--version").Out.rfind("kartsim-batch ", 0), 0u);
}

TEST(BatchRun, EveryScenarioSummarisesItsPlayersAsJson) {
  const std::pair<const char*, int> scenarios[] = {
      {"rocket", 1}, {"kart", 1}, {"circle", 18}, {"drops", 3}};
  for (const auto& [scenario, players] : scenarios) {
    const TResult r = RunBatch(std::string("--json --scenario ") + scenario + Quick);
    ASSERT_EQ(r.Status, 0) << scenario << ": " << r.Err;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.Out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.Out;
    const QJsonObject summary = doc.object();
    EXPECT_EQ(summary["scenario"].toString().toStdString(), scenario);
    EXPECT_EQ(summary["steps"].toInt(), 3);
    EXPECT_EQ(summary["seed"].toString(), "5");
    EXPECT_EQ(summary["ai_level"].toInt(), 8);
    EXPECT_EQ(summary["substeps_per_future"].toInt(), 10);
    EXPECT_EQ(summary["futures_per_step"].toObject()["median"].toInt(), 20);
    EXPECT_TRUE(summary["step_ms"].toObject()["max"].isDouble());
    EXPECT_GT(summary["ns_per_body_substep"].toDouble(), 0);
    const QJsonArray list = summary["players"].toArray();
    ASSERT_EQ(list.size(), players) << scenario;
    const QJsonObject first = list[0].toObject();
    for (const char* key : {"index", "kind", "born_step", "ai_level", "removed_step", "alive",
                            "health", "energy", "size", "x", "y", "distance"})
      EXPECT_TRUE(first.contains(key)) << key;
    EXPECT_TRUE(first["removed_step"].isNull());
  }
}

TEST(BatchRun, TheSameSeedAndFuturesGiveTheSameCsv) {
  // Futures of 5 s reach the drops, which the futures of a step consume in turn: twice on three
  // threads and once on one, the same run, and the one recorded (its MD5) when the futures' random
  // pushes became Box-Muller draws in lane groups of 8. A change that means to alter the runs
  // records it anew.
  QTemporaryDir dir;
  std::string csv[3];
  const char* threads[] = {"3", "3", "1"};
  for (int run = 0; run < 3; ++run) {
    const QString file = dir.filePath(QString("run%1.csv").arg(run));
    const TResult r = RunBatch("--scenario drops --steps 20 --futures 50 --seed 5 --threads " +
                               std::string(threads[run]) + " --csv " + file.toStdString());
    ASSERT_EQ(r.Status, 0) << r.Err;
    csv[run] = ReadFile(file);
  }
  EXPECT_EQ(csv[0], csv[1]);
  EXPECT_EQ(csv[0], csv[2]);
  EXPECT_EQ(QCryptographicHash::hash(QByteArray::fromStdString(csv[0]), QCryptographicHash::Md5)
                .toHex()
                .toStdString(),
            "bd6437fb5a4b7a51e66641cf8e063904");
  EXPECT_EQ(csv[0].rfind("step,player,kind,x,y,angle,vx,vy,health,energy,size,dead,futures,dots,"
                         "grid\n",
                         0),
            0u);
  EXPECT_EQ(std::count(csv[0].begin(), csv[0].end(), '\n'), 1 + 20 * 3); // 20 steps, 3 players
}

TEST(BatchRun, AFixedNumberOfFuturesGivesTheSameCsvWhateverTheThreads) {
  QTemporaryDir dir;
  std::string csv[4];
  for (int threads : {1, 2, 3}) {
    const QString file = dir.filePath(QString("t%1.csv").arg(threads));
    const TResult r = RunBatch("--scenario circle --threads " + std::to_string(threads) +
                               " --csv " + file.toStdString() + Quick);
    ASSERT_EQ(r.Status, 0) << r.Err;
    csv[threads] = ReadFile(file);
  }
  EXPECT_EQ(csv[1], csv[2]);
  EXPECT_EQ(csv[1], csv[3]);
}

TEST(BatchRun, WritesTheDecisionsOptionByOption) {
  QTemporaryDir dir;
  const QString file = dir.filePath("decisions.csv");
  const TResult r = RunBatch("--scenario drops --decisions " + file.toStdString() + Quick);
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::istringstream rows(ReadFile(file));
  std::string line;
  std::getline(rows, line);
  EXPECT_EQ(line, "step,player,option,param,push,futures,score,weight");
  // Every step and player has its options numbered from 0, each pushing one free parameter.
  std::map<std::pair<int, int>, int> options;
  while (std::getline(rows, line)) {
    int step = 0, player = 0, option = -1;
    char name[32] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "%d,%d,%d,%31[A-Z]", &step, &player, &option, name), 4)
        << line;
    EXPECT_EQ(option, (options[{step, player}]++)) << line;
  }
  EXPECT_EQ(options.size(), 3u * 3u); // 3 steps, 3 players
  for (const auto& [key, count] : options)
    EXPECT_GE(count, 2) << "step " << key.first << ", player " << key.second;
}

TEST(BatchRun, WritesOneNumberedFramePerStep) {
  QTemporaryDir dir;
  const QString stem = dir.filePath("run");
  const TResult r = RunBatch("--frames " + stem.toStdString() + Quick);
  ASSERT_EQ(r.Status, 0) << r.Err;
  for (const char* name : {"run_00001.bmp", "run_00002.bmp", "run_00003.bmp"})
    EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name;
  EXPECT_FALSE(QFile::exists(dir.filePath("run_00004.bmp")));
  EXPECT_EQ(ReadFile(dir.filePath("run_00001.bmp")).substr(0, 2), "BM");
}

TEST(BatchRun, AFramesFolderThatDoesNotExistExitsWithTwoAndTheErrorsMessage) {
  const TResult r = RunBatch("--frames /nonexistent/folder/run" + Quick);
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("/nonexistent/folder/run_00001.bmp"), std::string::npos) << r.Err;
}

TEST(BatchRun, ReportsTheThreadsItUses) {
  const auto threads = [](const std::string& Args) {
    const TResult r = RunBatch("--json" + Args + Quick);
    EXPECT_EQ(r.Status, 0) << r.Err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.Out))["threads"].toInt();
  };
  EXPECT_EQ(threads(" --threads 2"), 2);
  const int all = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  EXPECT_EQ(threads(""), all);
  EXPECT_EQ(threads(" --threads 0"), all);
  EXPECT_NE(RunBatch("--threads 1" + Quick).Out.find(", 1 thread\n"), std::string::npos);
}

TEST(BatchRun, ABadCircuitEndsTheRunWithItsReasonBeforeAnyFileIsWritten) {
  QTemporaryDir dir;
  const std::string csv = dir.filePath("out.csv").toStdString();
  for (const TCircuitFile& c : WriteCircuitFiles(QDir(dir.path()))) {
    SCOPED_TRACE(c.Name);
    const TResult r =
        RunBatch("--circuit '" + c.File.toStdString() + "' --threads 1 --csv " + csv + Quick);
    if (!c.Expected.isNull()) {
      EXPECT_EQ(r.Status, 0) << r.Err;
      EXPECT_TRUE(QFile::remove(QString::fromStdString(csv)));
      continue;
    }
    // A folder is refused with the arguments, a file when the run reads it.
    EXPECT_TRUE(r.Status == 1 || r.Status == 2) << r.Status;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_NE(r.Err.find(c.File.toStdString()), std::string::npos) << r.Err;
    if (r.Status == 1) {
      EXPECT_NE(r.Err.find(c.Refusal), std::string::npos) << r.Err;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(csv)));
  }
  // The drops scenario is a scene with its box in place: on a circuit without road the box stays
  // where the scene put it, and the drops, finding no place, are never placed.
  const TResult r = RunBatch("--scenario drops --json --circuit " +
                             dir.filePath("black.bmp").toStdString() + " --csv " + csv + Quick);
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("\"drop_units_consumed\":0"), std::string::npos) << r.Out;
}

TEST(BatchRun, AnUnreadableCircuitEndsTheRunWithItsReason) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "running as root, which reads files whatever their permissions (the picture "
                    "loader's own test covers it as another user)";
  }
  QTemporaryDir dir;
  const QString file = WriteUnreadableCircuit(QDir(dir.path()));
  const TResult r = RunBatch("--circuit " + file.toStdString() + Quick);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "kartsim-batch: Cannot read the bitmap \"" + file.toStdString() +
                       "\": Permission denied.\n");
}

TEST(BatchRun, FilesThatCannotBeWrittenEndTheRunAndNoCsvLooksComplete) {
  QTemporaryDir dir;
  const QString csv = dir.filePath("out.csv");
  const std::string csvArg = " --csv " + csv.toStdString();
  // Found before the first step, as a bad argument is.
  for (const std::string& args :
       {" --csv " + dir.filePath("no/such/folder/out.csv").toStdString(),
        " --csv " + dir.path().toStdString(),
        csvArg + " --frames " + dir.filePath("no/such/folder/run").toStdString(),
        csvArg + " --save-scene " + dir.path().toStdString(),
        csvArg + " --save-scene " + dir.filePath("no/such/folder/s.json").toStdString()}) {
    const TResult r = RunBatch(args + Quick);
    EXPECT_EQ(r.Status, 2) << args;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_EQ(r.Err.rfind("kartsim-batch: Cannot write the ", 0), 0u) << r.Err;
    EXPECT_FALSE(QFile::exists(csv)) << args;
  }
  // Found at the second step, when its frame meets a folder of the same name: the rows of the
  // steps before stay out of sight.
  ASSERT_TRUE(QDir(dir.path()).mkpath("run_00002.bmp"));
  const TResult r = RunBatch(csvArg + " --frames " + dir.filePath("run").toStdString() + Quick);
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("run_00002.bmp"), std::string::npos) << r.Err;
  EXPECT_TRUE(QFile::exists(dir.filePath("run_00001.bmp")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"run_00001.bmp"});
}

TEST(BatchRun, ALongRunOfDropsWithEvolutionKeepsAFlatPeakMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers keep freed memory aside, so that peak memory says nothing";
#endif
  const auto peak = [](const char* Steps) {
    // Futures of one second: the same growth of players and goals, in a fifth of the time.
    return PeakKilobytes({"--scenario", "drops", "--evolution", "--futures", "20", "--seed", "3",
                          "--seconds", "1", "--threads", "1", "--steps", Steps});
  };
  const long short_ = peak("1000"), long_ = peak("5000");
  ASSERT_GT(short_, 0);
  ASSERT_GT(long_, 0);
  EXPECT_LE(long_, short_ + short_ / 10) << short_ << " KB after 1,000 steps";
}

TEST(BatchRun, ARangeErrorEndsTheRunWithOneAndItsMessage) {
  // Beyond what the command line lets through: a future of 3,000,000 s has more milliseconds than
  // 32 bits hold, and the checked arithmetic says so.
  TBatchOptions options;
  options.Seconds = 3000000;
  options.Futures = 5;
  std::ostringstream out, err;
  EXPECT_EQ(TBatchRun::Execute(options, out, err, nullptr), 1);
  EXPECT_EQ(err.str(), "kartsim-batch: Integer overflow\n");
  EXPECT_TRUE(out.str().empty());

  options.Seconds = 1;
  EXPECT_EQ(TBatchRun::Execute(options, out, err, nullptr), 0);
  EXPECT_EQ(out.str().rfind("Scenario rocket, 100 steps", 0), 0u) << out.str();
}

TEST(BatchRun, CsvFilesGoToStandardOutputAFifoOrADeviceWithoutReplacingThem) {
  // Standard output holds the rows alone, header first; the summary goes with the messages.
  const std::pair<const char*, const char*> outputs[] = {{"--csv", "step,player,kind,"},
                                                         {"--decisions", "step,player,option,"}};
  for (const auto& [option, header] : outputs) {
    const TResult out = RunBatch(std::string(option) + " - --json" + Quick);
    ASSERT_EQ(out.Status, 0) << out.Err;
    EXPECT_EQ(out.Out.rfind(header, 0), 0u) << out.Out;
    EXPECT_EQ(out.Out.find('{'), std::string::npos) << out.Out;
    EXPECT_NE(out.Err.find("\"players\""), std::string::npos) << out.Err;
  }

  QTemporaryDir dir;
  const std::string fifo = dir.filePath("rows").toStdString();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Opened for reading without waiting; the few rows fit the pipe, so the run never waits.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const TResult r = RunBatch("--csv " + fifo + Quick);
  EXPECT_EQ(r.Status, 0) << r.Err;
  char rows[512] = {};
  EXPECT_GT(read(reader, rows, sizeof rows - 1), 0);
  close(reader);
  EXPECT_EQ(std::string(rows).rfind("step,player,kind,", 0), 0u) << rows;
  struct stat st {};
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // A null device of our own, never the system's.
  const std::string null = dir.filePath("null").toStdString();
  if (mknod(null.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
    GTEST_SKIP() << "device nodes cannot be made here (not root)";
  EXPECT_EQ(RunBatch("--csv " + null + Quick).Status, 0);
  ASSERT_EQ(lstat(null.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(BatchRun, NamesThatAreNotUtf8AreReadAndWrittenByTheirBytes) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  const std::string circuit = folder + "caf\xE9.bmp", csv = folder + "r\xE9sultat.csv";
  TQtPicture(800, 600).SaveBmpBytes(circuit);
  const TResult r = RunBatch("--circuit '" + circuit + "' --csv '" + csv + "' --frames '" + folder +
                             "\xE9t\xE9'" + Quick);
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"caf\xE9.bmp", "r\xE9sultat.csv", "\xE9t\xE9_00001.bmp",
                                      "\xE9t\xE9_00002.bmp", "\xE9t\xE9_00003.bmp"}));
}

TEST(BatchRun, AFullDiskSaysSoAndLeavesTheOldCsvAndNoTemporaryFile) {
  QTemporaryDir dir;
  const std::string disk = dir.path().toStdString();
  if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "a small file system cannot be mounted here (not root)";
  const std::string csv = disk + "/out.csv";
  std::ofstream(csv) << "old\n";
  {
    std::ofstream filler(disk + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    for (int i = 0; i < 64 && filler.write(block.data(), block.size()); ++i)
      filler.flush();
  }
  const TResult r = RunBatch("--csv " + csv + Quick);
  const TResult frames = RunBatch("--frames " + disk + "/run" + Quick);
  const std::string old = ReadFile(QString::fromStdString(csv));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(disk))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  umount(disk.c_str());
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err,
            "kartsim-batch: Cannot write the CSV file \"" + csv + "\": No space left on device.\n");
  EXPECT_EQ(frames.Status, 1);
  EXPECT_EQ(frames.Err, "kartsim-batch: Cannot write the bitmap \"" + disk +
                            "/run_00001.bmp\": No space left on device.\n");
  EXPECT_EQ(old, "old\n");
  EXPECT_EQ(names, (std::vector<std::string>{"filler", "out.csv"}));
}

TEST(BatchRun, AScenarioSavedAsASceneRunsTheSameAndABadSceneExitsWithTwo) {
  QTemporaryDir dir;
  const std::string scene = dir.filePath("drops.kartsim.json").toStdString();
  ASSERT_EQ(RunBatch("--scenario drops --steps 0 --save-scene " + scene).Status, 0);
  const std::string run = " --steps 4 --futures 40 --threads 1 --seed 9 --csv -";
  const TResult a = RunBatch("--scenario drops" + run), b = RunBatch("--scene " + scene + run);
  ASSERT_EQ(a.Status, 0) << a.Err;
  EXPECT_EQ(a.Out, b.Out);

  const std::string bad = dir.filePath("bad.kartsim.json").toStdString();
  for (const std::string& text : {std::string("not json"), std::string("{\"format\": 1}")}) {
    {
      std::ofstream out(bad);
      out << text;
    }
    const TResult r = RunBatch("--scene " + bad + " --csv " + dir.filePath("x.csv").toStdString());
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_NE(r.Err.find(bad), std::string::npos) << r.Err;
    EXPECT_FALSE(QFile::exists(dir.filePath("x.csv")));
  }
}
