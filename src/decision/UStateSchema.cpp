#include "decision/UStateSchema.h"

TStateSchema::TStateSchema(std::vector<TStateParam> Rows) : FRows(std::move(Rows)) {
  for (int32_t i = 0; i < Count(); ++i) {
    if (FRows[i].IsFree())
      FFree.push_back(i);
    if (FRows[i].IsPositional())
      FPositional.push_back(i);
  }
}

const TSchemaPtr& TStateSchema::Empty() {
  static const TSchemaPtr none = Make({});
  return none;
}

TSchemaPtr TStateSchema::Make(std::vector<TStateParam> Rows) {
  return TSchemaPtr(new TStateSchema(std::move(Rows)));
}

TSchemaPtr TStateSchema::Then(std::vector<TStateParam> Rows) const {
  std::vector<TStateParam> all = FRows;
  all.insert(all.end(), Rows.begin(), Rows.end());
  return Make(std::move(all));
}

int32_t TStateSchema::Find(const std::string& Name) const {
  // Names are interned: one text per distinct name, so equal names are the same object.
  TStateParam probe;
  probe.SetName(Name);
  for (int32_t i = 0; i < Count(); ++i)
    if (&FRows[i].Name() == &probe.Name())
      return i;
  return -1;
}
