#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

#include "ShellRun.h"

namespace {

const std::string Quick = " --steps 3 --futures 20 --seconds 1 --seed 5 --threads 1";

TShellResult Batch(const std::string& Args) {
  return RunShell(std::string(KARTSIM_BATCH_EXE) + " " + Args);
}

// Everything in the folder, hidden temporary files included.
QStringList Names(const QTemporaryDir& Dir) {
  return QDir(Dir.path())
      .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The command where no other process or thread can start: as another user when run as root, for
// whom the limit does not count.
std::string WithoutThreads(const std::string& Command) {
  const std::string limited = "prlimit --nproc=1 -- " + Command;
  return geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " + limited : limited;
}

} // namespace

TEST(BatchOutputs, OneFileForTwoOutputsIsRefusedNamingBoth) {
  QTemporaryDir dir;
  const std::string x = dir.filePath("x").toStdString(), mp4 = dir.filePath("x.mp4").toStdString();
  ASSERT_EQ(symlink(x.c_str(), dir.filePath("link").toStdString().c_str()), 0);
  const std::tuple<std::string, const char*, const char*> cases[] = {
      {"--csv " + x + " --decisions " + x, "--csv", "--decisions"},
      {"--csv " + x + " --save-scene " + x, "--csv", "--save-scene"},
      {"--video " + mp4 + " --csv " + mp4, "--csv", "--video"},
      {"--frames " + dir.filePath("fr").toStdString() + " --csv " +
           dir.filePath("fr_00002.bmp").toStdString(),
       "--frames", "--csv"},
      {"--decisions " + x + " --save-scene " + dir.filePath("link").toStdString(), "--decisions",
       "--save-scene"},
      {"--csv - --decisions -", "--csv", "--decisions"}};
  for (const auto& [args, first, second] : cases) {
    const TShellResult r = Batch(args + Quick);
    EXPECT_EQ(r.Status, 2) << args;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_NE(r.Err.find(std::string(first) + " and " + second), std::string::npos) << r.Err;
    EXPECT_TRUE(r.Out.empty());
  }
  EXPECT_EQ(Names(dir), QStringList{"link"});
}

TEST(BatchOutputs, ASignalOrABrokenPipeEndingTheRunLeavesNoTemporaryFile) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    QTemporaryDir dir;
    const pid_t child = fork();
    if (child == 0) {
      if (chdir(QFile::encodeName(dir.path()).constData()) != 0)
        _exit(127);
      std::freopen("/dev/null", "w", stdout);
      std::freopen("/dev/null", "w", stderr);
      std::signal(signal, SIG_DFL); // whatever the test's runner made of it
      execl(KARTSIM_BATCH_EXE, KARTSIM_BATCH_EXE, "--scenario", "kart", "--steps", "10000000",
            "--futures", "20", "--seconds", "1", "--csv", "rows.csv", "--video", "run.mp4",
            nullptr);
      _exit(127);
    }
    ASSERT_GT(child, 0);
    // Until both files are begun under their temporary names (a minute at most).
    for (int i = 0; i < 6000 && Names(dir).size() < 2; ++i)
      usleep(10000);
    EXPECT_EQ(Names(dir).size(), 2) << Names(dir).join(", ").toStdString();
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_TRUE(Names(dir).isEmpty()) << signal << ": " << Names(dir).join(", ").toStdString();
  }
  // A reader that stops reading: SIGPIPE ends the run, or, once ffmpeg has made the toolkit
  // ignore it, the write's error.
  for (const std::string video : {"", " --video run.mp4"}) {
    QTemporaryDir dir;
    RunShell("cd '" + dir.path().toStdString() + "' && " + KARTSIM_BATCH_EXE +
             " --scenario kart --steps 10000000 --futures 20 --seconds 1 --csv - --decisions "
             "rows.csv" +
             video + " | head -c 1000 >/dev/null");
    EXPECT_TRUE(Names(dir).isEmpty()) << video << ": " << Names(dir).join(", ").toStdString();
  }
}

TEST(BatchRun, GoesOnWhereNoThreadCanStart) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers start threads of their own, which the limit refuses";
#endif
  if (geteuid() == 0 &&
      RunShell("setpriv --reuid=65534 --regid=65534 --clear-groups test -x " KARTSIM_BATCH_EXE)
              .Status != 0) {
    GTEST_SKIP() << "the program is out of reach of the unprivileged user the test runs it as";
  }
  // The circuit is read and the futures run on the one thread there is; "timeout" ends a run
  // that waits for a thread for ever.
  const TShellResult r = RunShell("timeout 300 " + WithoutThreads(std::string(KARTSIM_BATCH_EXE) +
                                                                  " --json --threads 2" + Quick));
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(r.Out))["threads"].toInt(), 1);
}

TEST(BatchRun, TheSummaryGivesThePlayersOwnAILevelsAndEverySeedAsItsDigits) {
  QTemporaryDir dir;
  const std::string scene = dir.filePath("mixed.kartsim.json").toStdString();
  ASSERT_EQ(Batch("--scenario drops --steps 0 --save-scene " + scene).Status, 0);
  {
    // The second player at level 4, the others at 8.
    QFile file(QString::fromStdString(scene));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    QJsonArray players = json["players"].toArray();
    QJsonObject second = players[1].toObject();
    second["ai_level"] = 4;
    players[1] = second;
    json["players"] = players;
    file.resize(0);
    file.write(QJsonDocument(json).toJson());
  }
  const std::string run = " --steps 1 --futures 20 --seconds 1 --threads 1";
  const TShellResult text = Batch("--scene " + scene + run);
  EXPECT_NE(text.Out.find("each player's own AI level"), std::string::npos) << text.Out;
  EXPECT_NE(text.Out.find(", AI level 4): "), std::string::npos) << text.Out;
  EXPECT_NE(Batch("--ai-level 5 --scene " + scene + run).Out.find(", AI level 5, "),
            std::string::npos);
  for (const char* seed : {"5", "18446744073709551615"}) {
    const TShellResult r = Batch("--json --seed " + std::string(seed) + " --scene " + scene + run);
    const QJsonObject summary = QJsonDocument::fromJson(QByteArray::fromStdString(r.Out)).object();
    EXPECT_EQ(summary["seed"].toString().toStdString(), seed);
    EXPECT_TRUE(summary["ai_level"].isNull());
    EXPECT_EQ(summary["players"].toArray()[1].toObject()["ai_level"].toInt(), 4);
  }
}
