#pragma once

// Lets the window handle its pending messages from inside a long step (after each redraw, and
// where a goal draws in the middle of a step). Without a window there is nothing to do.
class TMessagePump {
public:
  virtual ~TMessagePump() = default;
  virtual void ProcessMessages() = 0;
  // Told on the thread that drives the world after every future it runs, so that a window can
  // answer while a long step computes (it decides how often). Whatever its handlers change then
  // must wait for the end of the step: the futures are running.
  virtual void BetweenFutures() {}
};
