#include "ShellRun.h"

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

TShellResult RunShell(const std::string& Command) {
  QTemporaryDir dir;
  const std::string errFile = dir.filePath("stderr").toStdString();
  TShellResult result;
  FILE* pipe = popen((Command + " 2>" + errFile).c_str(), "r");
  if (pipe == nullptr)
    return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    result.Out.append(buffer, n);
  const int status = pclose(pipe);
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  result.Err = text.str();
  return result;
}
