#pragma once

// The Qt application that the pictures, the scenes and the experiments' plots need, made the first
// time one of them is used: never at import, never twice, never in place of one the script's
// process already has (a notebook's own Qt loop goes on as it was). Its event loop is never run.
class TPyApplication {
public:
  static void Ensure();
};
