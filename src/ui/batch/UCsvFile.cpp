#include "ui/batch/UCsvFile.h"

TCsvFile::TCsvFile(const std::string& FileName, const std::string& Header)
    : FFile(FileName, "the CSV file", TOutputFile::ofDashIsStdout) {
  FRows << Header << '\n';
}

void TCsvFile::Flush() {
  const std::string text = FRows.str();
  FFile.Write(text.data(), text.size());
  FRows.str({});
}

void TCsvFile::Commit() {
  Flush();
  FFile.Commit();
}
