#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TPicture;
class TWorld;

// One change a user makes to a world between its steps, as data: what it is (Kind) and its
// values, so that it can be kept, written out and applied again to the same world with the same
// effect. The window builds one for every change its controls make to the world and applies it
// through Apply; a replay lists them per step and the batch runner applies them through the same
// Apply. What acts on "the player" acts on the chosen player of the current team, as the window's
// controls do.
class TWorldCommand {
public:
  // What a kind of command holds: the name of its text (a setting's key, a goal kind, a seed;
  // empty when none), the names of its numbers in order, and whether it carries a picture.
  struct TKind {
    std::string Name;
    std::string TextName;
    std::vector<std::string> ValueNames;
    bool Picture = false;
  };

  std::string Kind;
  std::string Text;
  std::vector<double> Values;
  std::shared_ptr<const TPicture> Picture; // the circuit a "circuit" command loads
  // It raised when it was first applied: applied again, it is to raise the same way.
  bool Failed = false;

  TWorldCommand() = default;
  TWorldCommand(std::string Kind, std::vector<double> Values = {}, std::string Text = {});

  // Every kind, in a fixed order; null for a name that is none.
  static const std::vector<TKind>& Kinds();
  static const TKind* FindKind(const std::string& Name);
  // Raises EError naming the command when it is not one the world can take: an unknown kind,
  // the wrong count of values, a setting no world has.
  void Check() const;

  // Makes the change. Whatever it draws comes from the world's own stream. Raises as the world
  // raises for a value it cannot hold.
  void Apply(TWorld& World) const;

private:
  double Value(size_t Index) const { return Values.at(Index); }
  bool Flag(size_t Index) const { return Values.at(Index) != 0; }
  int32_t Whole(size_t Index) const;
};
