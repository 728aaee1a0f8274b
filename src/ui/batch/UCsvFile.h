#pragma once

#include <QSaveFile>
#include <sstream>
#include <string>

// A CSV file that a batch run writes step by step. It is written under a temporary name beside
// the one asked for, which it takes only when the run has ended well: a failed or interrupted run
// never leaves a file that looks complete. Opening it at the start of a run also finds a folder
// that cannot be written before the first step.
class TCsvFile {
public:
  // Raises EError "Cannot write the CSV file ..." when the file cannot be opened.
  TCsvFile(const std::string& FileName, const std::string& Header);
  TCsvFile(const TCsvFile&) = delete;
  TCsvFile& operator=(const TCsvFile&) = delete;

  // The rows of the current step, kept until Flush.
  std::ostream& Rows() { return FRows; }
  void Flush();
  // The run has ended well: the file takes its name.
  void Commit();

private:
  [[noreturn]] void Raise() const;

  std::string FFileName;
  QSaveFile FFile;
  std::ostringstream FRows;
};
