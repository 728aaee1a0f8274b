#include "decision/UParamValues.h"

#include <cmath>
#include <type_traits>

#include "platform/UArith.h"
#include "platform/UErrors.h"
#include "platform/UMath.h"
#include "platform/URandom.h"

// Copying states is the futures' daily work: it must stay a copy of plain data.
static_assert(std::is_trivially_copyable_v<TParamValues>);

void TParamValues::UpdateMilli() {
  Milli = RoundToInt32(Value * 1000);
}

void TParamValues::ChooseOption() {
  switch (static_cast<int>(std::floor(4 * Random()))) {
  case 0:
    SetValue(LargePush());
    break;
  case 1:
    SetValue(-LargePush());
    break;
  case 2:
    SetValue(SmallPush());
    break;
  default:
    SetValue(-SmallPush());
    break;
  }
  UpdateMilli();
}

void TParamValues::Randomize() {
  const double s = SmallPush();
  if (Gaussian) {
    // Exactly two draws, in this order, as a future in a lane draws them.
    const double u1 = Random();
    const double u2 = Random();
    SetValue(GaussianFromUniforms(u1, u2) * s);
  } else {
    SetValue((2 * Random() - 1) * s);
  }
}

int32_t TParamValues::CellOf(const std::string& Name) const {
  if (Precision == 0)
    throw EStateError("Precision zero param \"" + Name + "\" can not be converted to macro.");
  return RoundToInt32(Value / Precision);
}
