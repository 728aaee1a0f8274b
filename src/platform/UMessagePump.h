#pragma once

// Lets the window handle its pending messages from inside a long step (after each redraw, and
// where a goal draws in the middle of a step). Without a window there is nothing to do.
class TMessagePump {
public:
  virtual ~TMessagePump() = default;
  virtual void ProcessMessages() = 0;
};
