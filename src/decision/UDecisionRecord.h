#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a player's last decision found and did, as its list of futures keeps it for display:
// how the options of the step scored and weighed, and how their blend became the action taken.
struct TDecisionRecord {
  // One option: the futures that began with the same first action.
  struct TOption {
    int32_t Param = -1;     // the free parameter its first action pushed; -1 for none
    double Push = 0;        // the push, to 1/1000
    int32_t Futures = 0;    // counted futures: distinct cells its futures ended in
    long double Score = 0;  // by the AI level, before normalisation
    long double Weight = 0; // after normalisation: its share in the blend
  };
  // One free parameter of the player.
  struct TParam {
    // Its name as the kind's schema gives it. Parameter names are kept for the life of the
    // program, so the record may outlive the player.
    const std::string* Name = nullptr;
    double Combined = 0;          // the weighted blend of the options' first actions
    bool YShapeCorrected = false; // level 6 moved it toward the best of the score curve
    double Action = 0;            // the value the decision set: the blend, or its correction
    double SensitivityBefore = 0; // scale of its option pushes before the decision...
    double Sensitivity = 0;       // ...and after (level 8 adapts it)
  };

  int32_t AILevel = 0;
  int32_t FutureCount = 0; // futures stored in the step
  int32_t DotCount = 0;    // counted futures of all options
  std::vector<TOption> Options;
  std::vector<TParam> Params;

  // The name of the free parameter I; empty for none (an option that pushed nothing).
  std::string ParamName(int32_t I) const {
    return I >= 0 && static_cast<size_t>(I) < Params.size() && Params[I].Name != nullptr
               ? *Params[I].Name
               : std::string();
  }
};
