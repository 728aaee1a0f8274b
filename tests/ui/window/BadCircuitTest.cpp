#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

#include "WindowKit.h"
#include "goals/UGoal2DSweets.h"
#include "goals/UTeam.h"
#include "platform/UErrors.h"
#include "ui/qt/UQtPicture.h"
#include "ui/window/URunLoop.h"
#include "world/UTrack2D.h"

namespace {

bool InSquare(int32_t X, int32_t Y) {
  return X >= 100 && X < 200 && Y >= 100 && Y < 200;
}

class TWindowBadCircuit : public TWindowTest {
protected:
  void SetUp() override {
    TWindowTest::SetUp();
    Form->Track().SetFixedFutures(20);
    Slide("EdSeconds", 1);
  }
  QString Path(const QString& Name) const { return Dir.filePath(Name); }
  void Write(const QString& Name, const QByteArray& Bytes) const {
    ASSERT_TRUE(WriteFile(Path(Name), Bytes));
  }
  // A white circuit with the black square from (100, 100) to (199, 199).
  QByteArray SquareBmp(int32_t Width, int32_t Height) const {
    QImage image(Width, Height, QImage::Format_RGB888);
    image.fill(Qt::white);
    for (int32_t y = 100; y < std::min(200, Height); ++y)
      for (int32_t x = 100; x < std::min(200, Width); ++x)
        image.setPixel(x, y, 0);
    const QString name = Path("square.tmp.bmp");
    TQtPicture(image).SaveBmp(name);
    QFile file(name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }
  void Load(const QString& Name) {
    Dialogs->OpenAnswers.push_back(Path(Name));
    Choose("Loadcircuit800x600BMP1");
  }
  // The file is refused with a message naming it and saying why; picture and road stay.
  void ExpectRefused(const QString& Name) {
    const uint64_t road = Form->Track().RoadVersion();
    const size_t reports = Dialogs->Reports.size();
    Load(Name);
    ASSERT_EQ(Dialogs->Reports.size(), reports + 1) << Name.toStdString();
    const std::string prefix = "Cannot read the bitmap \"" + Path(Name).toStdString() + "\": ";
    const std::string& message = Dialogs->Reports.back().Message;
    EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
    const std::string reason = message.substr(std::min(message.size(), prefix.size()));
    EXPECT_NE(reason, "unknown error.") << Name.toStdString();
    EXPECT_EQ(Form->Track().RoadVersion(), road) << Name.toStdString();
    EXPECT_EQ(Form->Picture().Width(), 800);
    EXPECT_EQ(Form->Track().FWidth, 800);
    EXPECT_FALSE(Form->Track().PointOnRoad(10, 10)); // the built-in circuit's black border
  }
  // The file became the circuit: its size, pure black off the road and every other pixel on it.
  void ExpectLoaded(const QString& Name, int32_t Width, int32_t Height,
                    const std::function<bool(int32_t, int32_t)>& Black) {
    const size_t reports = Dialogs->Reports.size();
    Load(Name);
    ASSERT_EQ(Dialogs->Reports.size(), reports) << Dialogs->Reports.back().Message;
    const TTrack2D& track = Form->Track();
    ASSERT_EQ(track.FWidth, Width);
    ASSERT_EQ(track.FHeight, Height);
    EXPECT_EQ(Form->Picture().Width(), Width);
    for (int32_t y = 1; y < Height; y += std::max(1, Height / 37))
      for (int32_t x = 1; x < Width; x += std::max(1, Width / 41))
        ASSERT_EQ(track.PixelOnRoad(x, y), !Black(x, y))
            << Name.toStdString() << " " << x << "," << y;
  }
  // The world runs on the circuit: a few passes, and the window still answers.
  void ExpectRuns() const { ExpectPassesWithoutError(3); }

  QTemporaryDir Dir;
};

} // namespace

TEST_F(TWindowBadCircuit, FilesThatAreNoBitmapAreRefusedAndChangeNothing) {
  Write("empty.bmp", {});
  Write("header.bmp", SquareBmp(800, 600).left(30));
  QImage png(800, 600, QImage::Format_RGB888);
  png.fill(Qt::white);
  ASSERT_TRUE(png.save(Path("png.BMP"), "png"));
  ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.BMP"));
  for (const char* name : {"empty.bmp", "header.bmp", "png.BMP", "folder.BMP"})
    ExpectRefused(name);
  ExpectRuns();
}

// The toolkit's reader stops at the end of a file cut short within its pixels and answers the
// picture with the missing rows as the memory happened to hold them: the circuit's reading of the
// bitmap has to compare the file's length with the pixel rows its header promises.
TEST_F(TWindowBadCircuit, ABitmapCutShortIsRefused) {
  const QByteArray whole = SquareBmp(800, 600);
  Write("truncated.bmp", whole.left(whole.size() / 2));
  ExpectRefused("truncated.bmp");
}

TEST_F(TWindowBadCircuit, AFileThatCannotBeReadIsRefused) {
  if (geteuid() == 0)
    GTEST_SKIP() << "running as root, which reads every file whatever its permissions";
  Write("locked.bmp", SquareBmp(800, 600));
  ASSERT_TRUE(QFile::setPermissions(Path("locked.bmp"), {}));
  ExpectRefused("locked.bmp");
}

TEST_F(TWindowBadCircuit, BitmapsOfAnySizeAndFormatLoadBlackOffTheRoad) {
  Write("one.bmp", SquareBmp(1, 1));
  ExpectLoaded("one.bmp", 1, 1, InSquare);
  ExpectRuns();
  Write("white.bmp", HandMadeBmp(32, 800, 600, [](int32_t, int32_t) { return false; }));
  ExpectLoaded("white.bmp", 800, 600, [](int32_t, int32_t) { return false; });
  Write("big.bmp", SquareBmp(4000, 3000));
  ExpectLoaded("big.bmp", 4000, 3000, InSquare);
  ExpectRuns();
  Write("palette.bmp", HandMadeBmp(8, 800, 600, InSquare));
  ExpectLoaded("palette.bmp", 800, 600, InSquare);
  Write("rgbx.bmp", HandMadeBmp(32, 640, 480, InSquare));
  ExpectLoaded("rgbx.bmp", 640, 480, InSquare);
  ExpectRuns();
}

TEST_F(TWindowBadCircuit, OnAllBlackNoBoxNoDropAndTheWindowGoesOn) {
  Write("black.bmp", HandMadeBmp(8, 800, 600, [](int32_t, int32_t) { return true; }));
  ExpectLoaded("black.bmp", 800, 600, [](int32_t, int32_t) { return true; });
  Choose("Addateamgoalforstoringcollecteddrops1");
  ASSERT_EQ(Dialogs->Reports.size(), 1u);
  EXPECT_EQ(Dialogs->Reports[0].Message, "No place on the road for a storage box.");
  EXPECT_EQ(Dialogs->Reports[0].Origin.rfind("Addateamgoalforstoringcollecteddrops1Click", 0), 0u);
  EXPECT_EQ(Form->CurrentTeam().GoalCount(), 0);

  Choose("Addateamgoalforcollectingdrops1");
  ASSERT_EQ(Form->CurrentTeam().GoalCount(), 1);
  ExpectRuns();
  const auto& drops = dynamic_cast<const TGoal2DSweets&>(*Form->CurrentTeam().Goals(0));
  for (int32_t i = 0; i < TGoal2DSweets::MaxDrops; ++i)
    EXPECT_LE(drops.FDropAmount[i], 0) << "drop " << i;
  // The window still acts: another player comes, and the box is refused again with its reason.
  Click("BtnAddPlayer");
  EXPECT_EQ(Form->CurrentTeam().MemberCount(), 2);
  Choose("Addateamgoalforstoringcollecteddrops1");
  ASSERT_EQ(Dialogs->Reports.size(), 2u);
  EXPECT_EQ(Dialogs->Reports[1].Message, "No place on the road for a storage box.");
}

// Opening a FIFO for reading waits for a writer for good: the window refuses it unopened.
TEST_F(TWindowBadCircuit, AFifoNamedAsABitmapIsRefusedWithoutWaiting) {
  ASSERT_EQ(mkfifo(Path("x.bmp").toLocal8Bit().constData(), 0600), 0);
  ExpectRefused("x.bmp");
  EXPECT_NE(Dialogs->Reports.back().Message.find("it is not a regular file"), std::string::npos);
}

TEST_F(TWindowBadCircuit, AHeaderClaimingAnImpossibleSizeIsRefusedBeforeAnyAllocation) {
  QByteArray bytes = HandMadeBmp(32, 2, 2, InSquare);
  for (int at : {18, 22}) {
    bytes[at] = bytes[at + 1] = bytes[at + 2] = static_cast<char>(0xFF);
    bytes[at + 3] = 0x7F;
  }
  Write("huge.bmp", bytes);
  ExpectRefused("huge.bmp");
  EXPECT_NE(Dialogs->Reports.back().Message.find("2147483647 by 2147483647 pixels"),
            std::string::npos);
}

// Frames and reports go into a FIFO that a program reads; one that nobody reads is an error
// shown at once, never a window that waits, nor a FIFO replaced by a file.
TEST_F(TWindowBadCircuit, FramesAndReportsIntoAFifoNobodyReadsAreRefusedAtOnce) {
  const QString fifo = Path("frames");
  ASSERT_EQ(mkfifo(Path("frames_00001.bmp").toLocal8Bit().constData(), 0600), 0);
  Dialogs->SaveAnswers.push_back(fifo);
  Trigger("Saveimagestofolder");
  RunPasses(1);
  ASSERT_FALSE(Dialogs->Reports.empty());
  EXPECT_EQ(Dialogs->Reports.back().Message, "Cannot write the bitmap \"" +
                                                 Path("frames_00001.bmp").toStdString() +
                                                 "\": it is a FIFO that no program reads.");
  EXPECT_THROW(Dialogs->Reports.back().SaveToFile(Path("frames_00001.bmp")), EError);
  struct stat st {};
  ASSERT_EQ(lstat(Path("frames_00001.bmp").toLocal8Bit().constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
