#pragma once

#include <string>

// What a command run through the shell did: its exit status (-1 when it did not exit), its
// standard output and, apart, its standard error.
struct TShellResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

// Runs the command (already quoted for the shell) and waits for it.
TShellResult RunShell(const std::string& Command);
