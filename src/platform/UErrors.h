#pragma once

#include <stdexcept>
#include <string>

// Every failure of the simulation is an exception carrying the exact text the user is shown.
// The few subclasses exist so that callers (and tests) can tell the kinds apart.

// Base of all errors the simulation raises.
class EError : public std::runtime_error {
public:
  explicit EError(const std::string& message) : std::runtime_error(message) {}
};

// Checked arithmetic: a rounding or an integer result that does not fit, or an index out of range
// of a list.
class ERangeError : public EError {
public:
  explicit ERangeError(const std::string& message) : EError(message) {}
};

// Misuse of a state vector: unknown parameter, index out of its lists, bad owner, no precision.
class EStateError : public EError {
public:
  explicit EStateError(const std::string& message) : EError(message) {}
};
