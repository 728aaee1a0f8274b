#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <string>
#include <vector>

#include "agents/UUtils.h"
#include "ui/qt/UQtCanvas.h"
#include "ui/qt/UQtPicture.h"

namespace {

constexpr int32_t White = 0xFFFFFF;
const int32_t Pen = MakeColor(200, 0, 0);
const int32_t Brush = MakeColor(0, 0, 200);
const int32_t Green = MakeColor(0, 160, 0);

// The pixels of rows Top .. Bottom - 1 and columns Left .. Right - 1, one line per row:
// '.' white, 'P' pen, 'B' brush, 'G' green, '?' anything else.
std::string Map(const TQtPicture& Picture, int32_t Left, int32_t Top, int32_t Right,
                int32_t Bottom) {
  std::string map;
  for (int32_t y = Top; y < Bottom; ++y) {
    for (int32_t x = Left; x < Right; ++x) {
      const int32_t c = Picture.Pixel(x, y);
      map += c == White ? '.' : c == Pen ? 'P' : c == Brush ? 'B' : c == Green ? 'G' : '?';
    }
    map += '\n';
  }
  return map;
}

// A white picture whose canvas has the test's pen and brush.
struct TCanvasTest : ::testing::Test {
  TQtPicture Picture{12, 12};
  TCanvas& Canvas = Picture.Canvas();
  void SetUp() override {
    Canvas.SetPenColor(Pen);
    Canvas.SetBrushColor(Brush);
  }
};

} // namespace

TEST(QtColors, PackedColoursKeepRedInTheLowByte) {
  TQtPicture picture(4, 4);
  picture.Canvas().SetPenColor(MakeColor(1, 2, 3));
  picture.Canvas().SetBrushColor(MakeColor(1, 2, 3));
  picture.Canvas().Rectangle(0, 0, 4, 4);
  EXPECT_EQ(picture.Pixel(2, 2), 0x030201);
  EXPECT_EQ(picture.Image().pixelColor(2, 2), QColor(1, 2, 3));
  EXPECT_EQ(TQtCanvas::ToQColor(0x030201), QColor(1, 2, 3));
  EXPECT_EQ(TQtCanvas::FromQColor(QColor(1, 2, 3)), 0x030201);
  // The top byte carries no colour.
  EXPECT_EQ(TQtCanvas::ToQColor(0x7F030201), QColor(1, 2, 3));
  EXPECT_EQ(TQtPicture(3, 2, MakeColor(10, 20, 30)).Pixel(2, 1), MakeColor(10, 20, 30));
}

TEST_F(TCanvasTest, RectangleCoversUpToTheLargerCornerExclusive) {
  Canvas.Rectangle(6, 5, 1, 1); // corners reversed, as the level bars pass them
  Canvas.Rectangle(8, 1, 8, 5); // no width: nothing
  Canvas.Rectangle(8, 1, 9, 4); // one column: all outline
  EXPECT_EQ(Map(Picture, 0, 0, 11, 6), "...........\n"
                                       ".PPPPP..P..\n"
                                       ".PBBBP..P..\n"
                                       ".PBBBP..P..\n"
                                       ".PPPPP.....\n"
                                       "...........\n");
  for (const TPoint& corner : {TPoint{1, 1}, TPoint{6, 1}, TPoint{1, 5}}) {
    TQtPicture other(12, 12);
    other.Canvas().SetPenColor(Pen);
    other.Canvas().SetBrushColor(Brush);
    other.Canvas().Rectangle(corner.X, corner.Y, 7 - corner.X, 6 - corner.Y);
    EXPECT_EQ(Map(other, 0, 0, 7, 7), Map(Picture, 0, 0, 7, 7));
  }
}

TEST_F(TCanvasTest, FiguresWithFarCornersAreClipped) {
  Canvas.Rectangle(-5, -5, 3, 2);
  Canvas.Rectangle(10, 10, 2000000000, 2000000000);
  Canvas.Line(-2000000000, 6, 2000000000, 6);
  Canvas.Line(6, 2000000000, 6, -2000000000);
  EXPECT_EQ(Map(Picture, 0, 0, 4, 3), "BBP.\n"
                                      "PPP.\n"
                                      "....\n");
  EXPECT_EQ(Map(Picture, 9, 9, 12, 12), "...\n"
                                        ".PP\n"
                                        ".PB\n");
  for (int32_t i = 0; i < 12; ++i) {
    EXPECT_EQ(Picture.Pixel(i, 6), Pen);
    EXPECT_EQ(Picture.Pixel(6, i), Pen);
  }
}

TEST_F(TCanvasTest, EllipseFillsItsBoxUpToTheLargerCornerExclusive) {
  Canvas.Ellipse(11, 10, 1, 2); // columns 1 .. 10, rows 2 .. 9
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 12; ++x) {
      if (x < 1 || x > 10 || y < 2 || y > 9) {
        EXPECT_EQ(Picture.Pixel(x, y), White) << x << ", " << y;
      }
    }
  EXPECT_EQ(Picture.Pixel(1, 5), Pen); // each side of the box is reached
  EXPECT_EQ(Picture.Pixel(10, 5), Pen);
  EXPECT_EQ(Picture.Pixel(5, 2), Pen);
  EXPECT_EQ(Picture.Pixel(5, 9), Pen);
  EXPECT_EQ(Picture.Pixel(5, 5), Brush);
  EXPECT_EQ(Picture.Pixel(1, 2), White); // but not its corners

  TQtPicture other(12, 12);
  other.Canvas().SetPenColor(Pen);
  other.Canvas().SetBrushColor(Brush);
  other.Canvas().Ellipse(1, 2, 11, 10);
  other.Canvas().Ellipse(4, 4, 4, 9); // no width: nothing
  EXPECT_EQ(Map(other, 0, 0, 12, 12), Map(Picture, 0, 0, 12, 12));
}

TEST_F(TCanvasTest, ClearBrushLeavesTheInsideUntouched) {
  Canvas.SetPenColor(Green);
  Canvas.SetBrushColor(Green);
  Canvas.Rectangle(0, 0, 12, 12);
  Canvas.SetPenColor(Pen);
  Canvas.SetBrushClear();
  Canvas.Rectangle(1, 1, 6, 6);
  Canvas.Ellipse(1, 6, 11, 12);
  EXPECT_EQ(Map(Picture, 1, 1, 6, 6), "PPPPP\n"
                                      "PGGGP\n"
                                      "PGGGP\n"
                                      "PGGGP\n"
                                      "PPPPP\n");
  EXPECT_EQ(Picture.Pixel(6, 6), Pen); // the ellipse's top
  EXPECT_EQ(Picture.Pixel(6, 9), Green);
  // A brush colour fills again.
  Canvas.SetBrushColor(Brush);
  Canvas.Rectangle(7, 1, 11, 5);
  EXPECT_EQ(Picture.Pixel(8, 2), Brush);
}

TEST_F(TCanvasTest, LineExcludesItsEndPointInEveryDirection) {
  Canvas.Line(1, 1, 6, 1);   // right
  Canvas.Line(6, 3, 1, 3);   // left
  Canvas.Line(8, 1, 8, 5);   // down
  Canvas.Line(10, 5, 10, 1); // up
  Canvas.Line(1, 5, 4, 8);   // down right
  Canvas.Line(8, 10, 5, 7);  // up left
  Canvas.Line(3, 10, 3, 10); // a point: nothing
  EXPECT_EQ(Map(Picture, 0, 0, 12, 12), "............\n"
                                        ".PPPPP..P...\n"
                                        "........P.P.\n"
                                        "..PPPPP.P.P.\n"
                                        "........P.P.\n"
                                        ".P........P.\n"
                                        "..P.........\n"
                                        "...P........\n"
                                        "......P.....\n"
                                        ".......P....\n"
                                        "........P...\n"
                                        "............\n");
}

TEST_F(TCanvasTest, SlopedLineSetsOnePixelPerColumn) {
  Canvas.Line(0, 0, 10, 3); // row k * 0.3 rounded, the tie at k = 5 upward
  EXPECT_EQ(Map(Picture, 0, 0, 11, 4), "PP.........\n"
                                       "..PPP......\n"
                                       ".....PPPP..\n"
                                       ".........P.\n");
}

TEST_F(TCanvasTest, WidePenSetsASquareAroundEachPixel) {
  Canvas.SetPenWidth(2);
  Canvas.Line(2, 2, 6, 2);
  Canvas.SetPenWidth(3);
  Canvas.Line(9, 2, 9, 6);
  Canvas.SetPenWidth(1);
  Canvas.Line(2, 9, 6, 9);
  EXPECT_EQ(Map(Picture, 0, 0, 12, 11), "............\n"
                                        "........PPP.\n"
                                        "..PPPPP.PPP.\n"
                                        "..PPPPP.PPP.\n"
                                        "........PPP.\n"
                                        "........PPP.\n"
                                        "........PPP.\n"
                                        "............\n"
                                        "............\n"
                                        "..PPPP......\n"
                                        "............\n");
  // Width 0 counts as 1.
  Canvas.SetPenWidth(0);
  Canvas.Line(2, 10, 4, 10);
  EXPECT_EQ(Map(Picture, 0, 10, 6, 11), "..PP..\n");
}

TEST_F(TCanvasTest, PolygonIsOutlinedThroughItsPointsAndFilled) {
  const TPoint triangle[] = {{1, 1}, {10, 1}, {1, 10}};
  Canvas.Polygon(triangle, 3);
  for (const TPoint& p : triangle)
    EXPECT_EQ(Picture.Pixel(p.X, p.Y), Pen) << p.X << ", " << p.Y;
  EXPECT_EQ(Picture.Pixel(5, 1), Pen);
  EXPECT_EQ(Picture.Pixel(3, 3), Brush);
  EXPECT_EQ(Picture.Pixel(8, 8), White);
  EXPECT_EQ(Picture.Pixel(0, 0), White);

  TQtPicture hollow(12, 12, Green);
  hollow.Canvas().SetBrushClear();
  hollow.Canvas().Polygon(triangle, 3);
  EXPECT_EQ(hollow.Pixel(1, 1), 0);
  EXPECT_EQ(hollow.Pixel(3, 3), Green);
}

TEST_F(TCanvasTest, ReadingBetweenFiguresSeesEveryFigureAndKeepsThePen) {
  Canvas.Line(0, 0, 3, 0);
  EXPECT_EQ(Picture.Pixel(2, 0), Pen);
  EXPECT_FALSE(Picture.QtCanvas().Painting());
  Canvas.Rectangle(0, 2, 3, 5); // the painter opens again with the same pen and brush
  EXPECT_TRUE(Picture.QtCanvas().Painting());
  EXPECT_EQ(Picture.Pixel(0, 2), Pen);
  EXPECT_EQ(Picture.Pixel(1, 3), Brush);
}
