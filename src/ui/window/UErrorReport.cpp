#include "ui/window/UErrorReport.h"

#include <QTextStream>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <memory>
#include <typeinfo>

#include "platform/UErrors.h"
#include "ui/qt/UOutputFile.h"
#include "ui/window/UHandlerTrace.h"

namespace {

std::string TypeName(const std::type_info* Type) {
  if (Type == nullptr)
    return "unknown";
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(Type->name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(Type->name());
}

} // namespace

TErrorReport TErrorReport::FromCurrentException(const std::string& Where) {
  TErrorReport report;
  report.Time = QDateTime::currentDateTime();
  report.Type = TypeName(abi::__cxa_current_exception_type());
  try {
    throw;
  } catch (const std::exception& e) {
    report.Message = e.what();
  } catch (...) {
    report.Message = "An error that carries no message.";
  }
  const std::string trail = THandlerTrace::TakeTrail();
  report.Origin = trail.empty() ? Where : trail + " (" + Where + ")";
  return report;
}

QString TErrorReport::Text() const {
  return QStringLiteral("kartsim error report\n\nMessage: %1\nException type: %2\nWhere: %3\n"
                        "Time: %4\n")
      .arg(QString::fromStdString(Message), QString::fromStdString(Type),
           QString::fromStdString(Origin), Time.toString(Qt::ISODateWithMs));
}

void TErrorReport::SaveToFile(const QString& FileName) const {
  // A FIFO nobody reads is refused rather than waited for: the window would hang on it.
  TOutputFile file(TOutputFile::NativeName(FileName), "the report", TOutputFile::ofNoWaitForReader);
  file.Write(Text().toUtf8());
  file.Commit();
}
