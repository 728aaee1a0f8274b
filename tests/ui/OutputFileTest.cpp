#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/UErrors.h"
#include "ui/qt/UOutputFile.h"
#include "ui/qt/UQtPicture.h"

namespace {

std::string Read(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteWhole(const std::string& Name, const std::string& Text, unsigned Flags = 0) {
  TOutputFile file(Name, "the test file", Flags);
  file.Write(Text.data(), Text.size());
  file.Commit();
}

std::string MessageOf(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const EError& e) {
    return e.what();
  }
  return "no error";
}

mode_t TypeOf(const std::string& Name) {
  struct stat st {};
  return ::lstat(Name.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

class TOutputFileTest : public ::testing::Test {
protected:
  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
  // Nothing but the named entries in the folder: no temporary file left behind.
  void ExpectOnly(std::vector<std::string> Names) const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(Dir))
      found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    std::sort(Names.begin(), Names.end());
    EXPECT_EQ(found, Names);
  }

  QTemporaryDir Temp;
  std::filesystem::path Dir{Temp.path().toStdString()};
};

} // namespace

TEST_F(TOutputFileTest, ARegularFileIsReplacedOnlyWhenComplete) {
  const std::string name = Path("out.csv");
  WriteWhole(name, "old\n");
  ::chmod(name.c_str(), 0640);
  {
    TOutputFile file(name, "the test file");
    EXPECT_TRUE(file.Replaces());
    file.Write("half", 4);
  } // never committed: the old file stays
  EXPECT_EQ(Read(name), "old\n");
  WriteWhole(name, "new\n");
  EXPECT_EQ(Read(name), "new\n");
  struct stat st {};
  ASSERT_EQ(::stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u) << "a replaced file keeps its permissions";
  ExpectOnly({"out.csv"});
}

TEST_F(TOutputFileTest, ALinkKeepsPointingAtTheFileWritten) {
  const std::string target = Path("target.csv"), link = Path("link.csv");
  WriteWhole(target, "old\n");
  std::filesystem::create_symlink(target, link);
  WriteWhole(link, "new\n");
  EXPECT_EQ(TypeOf(link), S_IFLNK);
  EXPECT_EQ(Read(target), "new\n");
  // A link to nothing yet creates what it points to.
  const std::string dangling = Path("dangling.csv");
  std::filesystem::create_symlink(Path("made.csv"), dangling);
  WriteWhole(dangling, "made\n");
  EXPECT_EQ(TypeOf(dangling), S_IFLNK);
  EXPECT_EQ(Read(Path("made.csv")), "made\n");
  ExpectOnly({"target.csv", "link.csv", "dangling.csv", "made.csv"});
}

TEST_F(TOutputFileTest, AFifoIsWrittenIntoAndStaysAFifo) {
  const std::string fifo = Path("frames.bmp");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Nobody reads: a window refuses it at once rather than wait.
  EXPECT_NE(MessageOf([&] {
              WriteWhole(fifo, "x", TOutputFile::ofNoWaitForReader);
            }).find("it is a FIFO that no program reads"),
            std::string::npos);
  // A reader, opened without waiting for a writer: the writer then does not wait either.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  {
    TOutputFile file(fifo, "the test file");
    EXPECT_FALSE(file.Replaces());
    file.Write("rows\n", 5);
    file.Commit();
  }
  char buffer[16] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(buffer), "rows\n");
  ::close(reader);
  EXPECT_EQ(TypeOf(fifo), S_IFIFO);
  ExpectOnly({"frames.bmp"});
}

TEST_F(TOutputFileTest, ACharacterDeviceIsWrittenIntoAndAFullOneSaysSo) {
  // Nodes of our own in the temporary folder, never the system's: a null and a full device.
  const std::string null = Path("null"), full = Path("full");
  if (::mknod(null.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0 ||
      ::mknod(full.c_str(), S_IFCHR | 0600, makedev(1, 7)) != 0)
    GTEST_SKIP() << "device nodes cannot be made here (not root)";
  WriteWhole(null, "gone\n");
  EXPECT_EQ(TypeOf(null), S_IFCHR);
  EXPECT_EQ(MessageOf([&] { TQtPicture(2, 2).SaveBmpBytes(full); }),
            "Cannot write the bitmap \"" + full + "\": No space left on device.");
  EXPECT_EQ(TypeOf(full), S_IFCHR);
  ExpectOnly({"null", "full"});
}

TEST_F(TOutputFileTest, ADashIsStandardOutputWhereAllowed) {
  const std::string captured = Path("stdout");
  fflush(stdout);
  const int saved = ::dup(STDOUT_FILENO);
  const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(file, STDOUT_FILENO);
  ::close(file);
  WriteWhole("-", "step,player\n", TOutputFile::ofDashIsStdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  EXPECT_EQ(Read(captured), "step,player\n");
  // Elsewhere "-" is a file of that name, in the folder the program runs in.
  const std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(Dir);
  WriteWhole("-", "file\n");
  std::filesystem::current_path(here);
  EXPECT_EQ(Read(Path("-")), "file\n");
}

TEST_F(TOutputFileTest, WhatCannotBeWrittenIsRefusedWithTheSystemsReason) {
  EXPECT_EQ(MessageOf([&] { WriteWhole(Dir.string(), "x"); }),
            "Cannot write the test file \"" + Dir.string() + "\": it is a folder.");
  EXPECT_EQ(MessageOf([&] { WriteWhole(Path("no/such/out.csv"), "x"); }),
            "Cannot write the test file \"" + Path("no/such/out.csv") +
                "\": No such file or directory.");
  // A name that is not UTF-8 is written by its very bytes.
  const std::string latin1 = Path("caf\xE9.csv");
  WriteWhole(latin1, "rows\n");
  EXPECT_EQ(Read(latin1), "rows\n");
  ExpectOnly({"caf\xE9.csv"});
}

TEST_F(TOutputFileTest, AFullDiskSaysSoAndLeavesTheOldFileAndNoTemporaryOne) {
  if (::mount("tmpfs", Dir.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "a small file system cannot be mounted here (not root)";
  const std::string name = Path("out.csv");
  WriteWhole(name, "old\n");
  const std::string big(256 * 1024, 'x');
  EXPECT_EQ(MessageOf([&] { WriteWhole(name, big); }),
            "Cannot write the test file \"" + name + "\": No space left on device.");
  EXPECT_EQ(Read(name), "old\n");
  ExpectOnly({"out.csv"});
  ::umount(Dir.c_str());
}
