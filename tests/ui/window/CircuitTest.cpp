#include <QFile>
#include <QTemporaryDir>

#include "WindowKit.h"
#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "platform/UCanvas.h"
#include "ui/qt/UQtPicture.h"
#include "world/UTrack2D.h"

namespace {

class TWindowCircuit : public TWindowTest {
protected:
  // Asks the open dialog for the file and loads it.
  void Load(const QString& Name) {
    Dialogs->OpenAnswers.push_back(Dir.filePath(Name));
    Choose("Loadcircuit800x600BMP1");
  }
  // A white circuit with a black square from (100, 100) to (199, 199).
  void WriteCircuit(const QString& Name, int32_t Width = 800, int32_t Height = 600) {
    TQtPicture circuit(Width, Height);
    circuit.Canvas().SetPenColor(0);
    circuit.Canvas().SetBrushColor(0);
    circuit.Canvas().Rectangle(100, 100, 200, 200);
    circuit.SaveBmp(Dir.filePath(Name));
  }

  QTemporaryDir Dir;
};

} // namespace

TEST_F(TWindowCircuit, ABitmapBecomesPictureAndRoadWithItsOwnSize) {
  const TTrack2D& track = Form->Track();
  ASSERT_TRUE(track.PointOnRoad(150, 150));
  WriteCircuit("square.BMP", 640, 480);
  Load("square.BMP");
  EXPECT_TRUE(Dialogs->Reports.empty());
  EXPECT_FALSE(track.PointOnRoad(150, 150));
  EXPECT_TRUE(track.PointOnRoad(400, 300));
  EXPECT_EQ(track.FWidth, 640);
  EXPECT_EQ(Form->Picture().Width(), 640);
  EXPECT_EQ(Form->Picture().Pixel(150, 150), 0);
  // Players stay where they were.
  EXPECT_EQ(Form->CurrentTeam().MemberCount(), 1);
  EXPECT_EQ(Form->SelectedPlayer()->PosX(), 330);
}

TEST_F(TWindowCircuit, AnythingButAReadableBitmapChangesNothing) {
  const TTrack2D& track = Form->Track();
  const uint64_t road = track.RoadVersion();
  // Drawn on the picture, as the world draws: it must not become part of the road.
  Form->Picture().Canvas().SetBrushColor(0);
  Form->Picture().Canvas().Rectangle(140, 140, 160, 160);
  const int32_t drawn = Form->Picture().Pixel(150, 150);

  WriteCircuit("square.png");
  Load("square.png");
  QFile garbage(Dir.filePath("garbage.bmp"));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("this is not a bitmap");
  garbage.close();
  Load("garbage.bmp");
  Load("absent.bmp");
  Choose("Loadcircuit800x600BMP1"); // cancelled

  ASSERT_EQ(Dialogs->Reports.size(), 3u);
  EXPECT_EQ(Dialogs->Reports[0].Message, "Only BMP files can be loaded as a circuit; \"" +
                                             Dir.filePath("square.png").toStdString() +
                                             "\" was not loaded and the circuit is unchanged.");
  EXPECT_EQ(Dialogs->Reports[1].Message.rfind("Cannot read the bitmap", 0), 0u);
  EXPECT_EQ(Dialogs->Reports[2].Message.rfind("Cannot read the bitmap", 0), 0u);
  EXPECT_EQ(track.RoadVersion(), road);
  EXPECT_EQ(Form->Picture().Pixel(150, 150), drawn);
  EXPECT_EQ(Form->Picture().Width(), 800);
}
