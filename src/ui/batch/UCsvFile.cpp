#include "ui/batch/UCsvFile.h"

#include "platform/UErrors.h"

TCsvFile::TCsvFile(const std::string& FileName, const std::string& Header)
    : FFileName(FileName), FFile(QString::fromStdString(FileName)) {
  if (!FFile.open(QIODevice::WriteOnly))
    Raise();
  FRows << Header << '\n';
}

void TCsvFile::Flush() {
  const std::string text = FRows.str();
  if (FFile.write(text.data(), static_cast<qint64>(text.size())) !=
      static_cast<qint64>(text.size()))
    Raise();
  FRows.str({});
}

void TCsvFile::Commit() {
  Flush();
  if (!FFile.commit())
    Raise();
}

void TCsvFile::Raise() const {
  throw EError("Cannot write the CSV file \"" + FFileName +
               "\": " + FFile.errorString().toStdString() + ".");
}
