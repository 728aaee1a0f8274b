#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>

#include "CircuitFiles.h"
#include "agents/UUtils.h"
#include "platform/UCanvas.h"
#include "platform/UErrors.h"
#include "ui/qt/UQtPicture.h"
#include "world/UTrack2D.h"

namespace {

constexpr int32_t White = 0xFFFFFF;
const int32_t Red = MakeColor(255, 0, 0);
const int32_t Blue = MakeColor(0, 0, 255);

// A picture of another kind: a colour per pixel computed from its position, no canvas.
class TPatternPicture : public TPicture {
public:
  int32_t Width() const override { return 5; }
  int32_t Height() const override { return 3; }
  int32_t Pixel(int32_t X, int32_t Y) const override { return MakeColor(X * 40, Y * 80, 7); }
  void CopyFrom(const TPicture&) override {}
  std::unique_ptr<TPicture> Clone() const override { return std::make_unique<TPatternPicture>(); }
  TCanvas& Canvas() override { throw EError("no canvas"); }
};

void ExpectSamePixels(const TPicture& A, const TPicture& B) {
  ASSERT_EQ(A.Width(), B.Width());
  ASSERT_EQ(A.Height(), B.Height());
  for (int32_t y = 0; y < A.Height(); ++y)
    for (int32_t x = 0; x < A.Width(); ++x)
      ASSERT_EQ(A.Pixel(x, y), B.Pixel(x, y)) << x << ", " << y;
}

std::string MessageOf(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const EError& error) {
    return error.what();
  }
  return "";
}

// While it lives, a process running as root acts as the user nobody, for whom permissions count;
// its real user stays root, so that it can come back. Other users are left as they are.
class TWithoutRootsRights {
public:
  TWithoutRootsRights() : FRoot(geteuid() == 0) { FActing = FRoot && seteuid(Nobody) == 0; }
  ~TWithoutRootsRights() {
    if (FActing && seteuid(0) != 0)
      std::abort(); // the tests that follow would run with the wrong rights
  }
  TWithoutRootsRights(const TWithoutRootsRights&) = delete;
  TWithoutRootsRights& operator=(const TWithoutRootsRights&) = delete;
  bool PermissionsApply() const { return !FRoot || FActing; }

private:
  static constexpr uid_t Nobody = 65534;
  bool FRoot;
  bool FActing = false;
};

} // namespace

TEST(QtPicture, PixelOutsideThePictureIsARangeError) {
  TQtPicture picture(4, 3);
  EXPECT_EQ(picture.Pixel(3, 2), White);
  EXPECT_THROW(picture.Pixel(4, 0), ERangeError);
  EXPECT_THROW(picture.Pixel(0, 3), ERangeError);
  EXPECT_THROW(picture.Pixel(-1, 0), ERangeError);
}

TEST(QtPicture, CloneTakesTheDrawingSoFarAndThenGoesItsOwnWay) {
  TQtPicture picture(8, 8);
  picture.Canvas().SetPenColor(Red);
  picture.Canvas().Line(0, 0, 8, 0); // the painter is still open when cloning
  const std::unique_ptr<TPicture> clone = picture.Clone();
  EXPECT_EQ(clone->Pixel(7, 0), Red);

  picture.Canvas().Line(0, 1, 8, 1);
  EXPECT_EQ(picture.Pixel(3, 1), Red);
  EXPECT_EQ(clone->Pixel(3, 1), White);

  clone->Canvas().SetPenColor(Blue);
  clone->Canvas().Line(0, 2, 8, 2);
  EXPECT_EQ(clone->Pixel(3, 2), Blue);
  EXPECT_EQ(picture.Pixel(3, 2), White);
}

TEST(QtPicture, CopyFromReplacesSizeAndContentAndStaysIndependent) {
  TQtPicture clean(6, 4, Blue);
  TQtPicture shown(10, 10);
  shown.Canvas().SetPenColor(Red);
  shown.Canvas().Line(0, 0, 5, 0);
  shown.CopyFrom(clean);
  ExpectSamePixels(shown, clean);

  // Drawing on the copy leaves the clean picture clean, and the other way round.
  shown.Canvas().Line(0, 1, 6, 1);
  EXPECT_EQ(shown.Pixel(2, 1), Red);
  EXPECT_EQ(clean.Pixel(2, 1), Blue);
  clean.Canvas().SetPenColor(White);
  clean.Canvas().Line(0, 3, 6, 3);
  EXPECT_EQ(shown.Pixel(2, 3), Blue);

  shown.CopyFrom(shown); // onto itself: nothing changes
  EXPECT_EQ(shown.Pixel(2, 1), Red);
}

TEST(QtPicture, CopyFromAPictureOfAnotherKindReadsItsPixels) {
  TQtPicture picture(2, 2);
  const TPatternPicture pattern;
  picture.CopyFrom(pattern);
  ExpectSamePixels(picture, pattern);
  EXPECT_EQ(picture.Image().pixelColor(4, 2), QColor(160, 160, 7));
}

TEST(QtPicture, SetImageConvertsTo24BitRgb) {
  QImage argb(3, 3, QImage::Format_ARGB32);
  argb.fill(QColor(1, 2, 3));
  TQtPicture picture(1, 1);
  picture.SetImage(argb);
  EXPECT_EQ(picture.Image().format(), QImage::Format_RGB888);
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(picture.Pixel(2, 2), 0x030201);
}

TEST(QtPicture, ConvertsLargePicturesInStripsAsTheToolkitWould) {
  // More pixels than the toolkit converts on the calling thread, rows not a multiple of a strip.
  QImage image(301, 403, QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, qRgba(x % 256, y % 256, (x * y) % 256, (x + y) % 256));
  for (const QImage::Format format :
       {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_Indexed8}) {
    const QImage source = image.convertToFormat(format);
    EXPECT_EQ(TQtPicture::ToRgb888(source), source.convertToFormat(QImage::Format_RGB888))
        << format;
  }
}

TEST(QtPictureFiles, SavesAndLoadsA24BitBmp) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  // Odd width: the rows of the file are padded to four bytes.
  TQtPicture picture(7, 5, MakeColor(10, 20, 30));
  picture.Canvas().SetPenColor(Red);
  picture.Canvas().SetBrushColor(Blue);
  picture.Canvas().Rectangle(1, 1, 6, 4);
  const QString name = folder.filePath("frame_00001.bmp");
  picture.SaveBmp(name);

  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_GE(bytes.size(), 54);
  EXPECT_EQ(bytes.left(2), QByteArray("BM"));
  EXPECT_EQ(static_cast<uint8_t>(bytes[28]), 24); // bits per pixel
  EXPECT_EQ(static_cast<uint8_t>(bytes[30]), 0);  // no compression
  EXPECT_EQ(bytes.size(), 54 + 5 * 24);           // 7 * 3 bytes padded to 24 per row

  const std::unique_ptr<TQtPicture> loaded = TQtPicture::LoadBmp(name);
  ExpectSamePixels(*loaded, picture);
  EXPECT_EQ(loaded->Pixel(1, 1), Red);
  EXPECT_EQ(loaded->Pixel(2, 2), Blue);

  // Saving again replaces the file.
  TQtPicture(2, 2).SaveBmp(name);
  EXPECT_EQ(TQtPicture::LoadBmp(name)->Width(), 2);
}

TEST(QtPictureFiles, ErrorsNameTheFile) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString missing = folder.filePath("missing.bmp");
  EXPECT_THROW(TQtPicture::LoadBmp(missing), EError);
  EXPECT_NE(MessageOf([&] { TQtPicture::LoadBmp(missing); }).find(missing.toStdString()),
            std::string::npos);

  // Not a bitmap, whatever its name says.
  const QString text = folder.filePath("notes.bmp");
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a picture\n");
  file.close();
  EXPECT_NE(MessageOf([&] { TQtPicture::LoadBmp(text); }).find("notes.bmp"), std::string::npos);

  const QString unwritable = folder.filePath("no/such/folder/frame.bmp");
  EXPECT_NE(MessageOf([&] { TQtPicture(2, 2).SaveBmp(unwritable); }).find("frame.bmp"),
            std::string::npos);
}

TEST(QtPictureFiles, EveryCircuitLoadsWithPureBlackOffTheRoadOrIsRefusedByName) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  for (const TCircuitFile& c : WriteCircuitFiles(QDir(folder.path()))) {
    SCOPED_TRACE(c.Name);
    if (c.Expected.isNull()) {
      const std::string message = MessageOf([&] { TQtPicture::LoadBmp(c.File); });
      EXPECT_EQ(message.rfind("Cannot read the bitmap \"" + c.File.toStdString() + "\": ", 0), 0u)
          << message;
      EXPECT_NE(message.find(c.Refusal), std::string::npos) << message;
      continue;
    }
    std::unique_ptr<TQtPicture> picture = TQtPicture::LoadBmp(c.File);
    EXPECT_TRUE(picture->Image() == c.Expected.convertToFormat(QImage::Format_RGB888));
    TTrack2D track;
    track.LoadTrack(*picture);
    // (1, 1) lies in a black square of the checkerboards, (17, 1) in a nearly black one.
    for (const auto& [x, y] : {std::pair{1, 1}, std::pair{17, 1}}) {
      if (x < picture->Width() && y < picture->Height()) {
        EXPECT_EQ(track.PixelOnRoad(x, y), c.Expected.pixelColor(x, y) != Qt::black) << x;
      }
    }
  }
}

TEST(QtPictureFiles, AnUnreadableCircuitIsRefusedByName) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString file = WriteUnreadableCircuit(QDir(folder.path()));
  // Another user may pass through the folder, so that only the file's own permissions stop it.
  QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ExeOther);
  const TWithoutRootsRights user;
  if (!user.PermissionsApply()) {
    GTEST_SKIP() << "running as root, which reads files whatever their permissions, and cannot "
                    "act as another user here";
  }
  const std::string message = MessageOf([&] { TQtPicture::LoadBmp(file); });
  EXPECT_EQ(message, "Cannot read the bitmap \"" + file.toStdString() + "\": Permission denied.");
}
