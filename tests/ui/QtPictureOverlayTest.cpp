#include <gtest/gtest.h>

#include "agents/UUtils.h"
#include "platform/UCanvas.h"
#include "platform/UErrors.h"
#include "ui/qt/UQtPicture.h"

// What a worker drew on its layer, a copy of the clean picture, is laid over the shown picture.
TEST(QtPictureOverlay, BringsWhatWasDrawnOnTheLayerOverWhatIsShown) {
  const int32_t red = MakeColor(255, 0, 0), blue = MakeColor(0, 0, 255), white = 0xFFFFFF;
  TQtPicture clean(8, 4);
  TQtPicture shown(8, 4);
  shown.Canvas().SetPenColor(blue);
  shown.Canvas().Line(0, 0, 8, 0);
  auto layer = clean.Clone();
  shown.Overlay(*layer, clean); // nothing drawn on the layer: nothing changes
  EXPECT_EQ(shown.Pixel(3, 0), blue);
  layer->Canvas().SetPenColor(red);
  layer->Canvas().Line(2, 0, 2, 4); // crosses the blue line
  shown.Overlay(*layer, clean);
  EXPECT_EQ(shown.Pixel(2, 0), red);
  EXPECT_EQ(shown.Pixel(2, 3), red);
  EXPECT_EQ(shown.Pixel(3, 0), blue);  // the layer left it clean: what is shown stays
  EXPECT_EQ(shown.Pixel(3, 1), white);
  EXPECT_EQ(clean.Pixel(2, 0), white); // the clean picture stays clean
  TQtPicture small(2, 2);
  EXPECT_THROW(small.Overlay(*layer, clean), EError);
}
