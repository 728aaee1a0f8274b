#pragma once

#include <sstream>
#include <string>

#include "ui/qt/UOutputFile.h"

// A CSV file that a batch run writes step by step. A regular file is written under a temporary
// name beside the one asked for, which it takes only when the run has ended well: a failed or
// interrupted run never leaves a file that looks complete. A FIFO or a device is written into,
// and "-" is standard output. Opening it at the start of a run also finds a folder that cannot be
// written before the first step.
class TCsvFile {
public:
  // FileName: the bytes of the name as given. Raises EError "Cannot write the CSV file ..." when
  // the file cannot be opened.
  TCsvFile(const std::string& FileName, const std::string& Header);
  TCsvFile(const TCsvFile&) = delete;
  TCsvFile& operator=(const TCsvFile&) = delete;

  // The rows of the current step, kept until Flush.
  std::ostream& Rows() { return FRows; }
  void Flush();
  // The run has ended well: the file takes its name.
  void Commit();

private:
  TOutputFile FFile;
  std::ostringstream FRows;
};
