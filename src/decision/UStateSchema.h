#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "decision/UStateParam.h"

class TStateSchema;
// Schemas are shared, never changed once made: every state of a kind points to the kind's one.
using TSchemaPtr = std::shared_ptr<const TStateSchema>;

// The parameters of one kind of player, in the order its states hold their values: each one's
// name, kind, bounds and the values a new player starts from. Scene files, the CSV columns, the
// decision record and the monitors find a parameter here by name; a state holds only numbers.
class TStateSchema {
public:
  // No parameters.
  static const TSchemaPtr& Empty();
  // These rows, in this order.
  static TSchemaPtr Make(std::vector<TStateParam> Rows);
  // This schema's rows followed by Rows: a kind's schema extends its parent's.
  TSchemaPtr Then(std::vector<TStateParam> Rows) const;

  int32_t Count() const { return static_cast<int32_t>(FRows.size()); }
  const TStateParam& Row(int32_t I) const { return FRows.at(static_cast<size_t>(I)); }
  const std::string& Name(int32_t I) const { return Row(I).Name(); }
  // Index of the row with the trimmed, upper-cased name; -1 when there is none.
  int32_t Find(const std::string& Name) const;
  // Indexes of the free and of the positional parameters, in row order.
  const std::vector<int32_t>& Free() const { return FFree; }
  const std::vector<int32_t>& Positional() const { return FPositional; }

private:
  explicit TStateSchema(std::vector<TStateParam> Rows);

  std::vector<TStateParam> FRows;
  std::vector<int32_t> FFree;
  std::vector<int32_t> FPositional;
};
