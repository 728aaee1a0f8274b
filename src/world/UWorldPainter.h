#pragma once

class TCanvas;
class TTrack;

// Draws what a world shows, after a step or after a change between steps, never during a step:
// the one place that turns the world's state into a picture, for the window and for the frames
// and videos of the batch runner alike. The caller lays the clean circuit first.
//
// After a step the picture holds, in this order: the traces of the stored futures, future by
// future so that later futures lie over earlier ones; team by team, the drains of its rockets and
// its goals' marks; the ending points, twice (once as the members moved, once in the redraw that
// closes the step, each pass adapting the display scale); then the bodies with their bars. A
// redraw after a change holds the ending points and the bodies only.
class TWorldPainter {
public:
  enum TWhat { pwAfterStep, pwRedraw };

  // Not const: drawing the ending points adapts each player's display scale.
  static void Paint(TTrack& World, TCanvas& Canvas, TWhat What);

private:
  static void PaintTraces(TTrack& World, TCanvas& Canvas);
  static void PaintGoals(const TTrack& World, TCanvas& Canvas);
};
