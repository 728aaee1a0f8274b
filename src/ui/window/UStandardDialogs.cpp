#include "ui/window/UStandardDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include "ui/window/UReportDialog.h"

std::optional<QString> TStandardDialogs::OpenPicture(QWidget* Parent, const QString& Filter,
                                                     const QString& Folder) {
  const QString name = QFileDialog::getOpenFileName(Parent, QString(), Folder, Filter);
  if (name.isEmpty())
    return std::nullopt;
  return name;
}

std::optional<QString> TStandardDialogs::SaveFile(QWidget* Parent, const QString& Folder,
                                                  const QString& Filter) {
  // Without a filter the name is a stem for numbered frames, so a file of that very name is
  // never overwritten and there is nothing to confirm.
  const QString name = QFileDialog::getSaveFileName(
      Parent, QString(), Folder, Filter, nullptr,
      Filter.isEmpty() ? QFileDialog::DontConfirmOverwrite : QFileDialog::Options());
  if (name.isEmpty())
    return std::nullopt;
  return name;
}

bool TStandardDialogs::ConfirmReplace(QWidget* Parent, const QString& FileName) {
  // The file dialog's own question, in its words.
  return QMessageBox::warning(Parent, QString(),
                              QString("%1 already exists.\nDo you want to replace it?")
                                  .arg(QFileInfo(FileName).fileName()),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QColor> TStandardDialogs::ChooseColor(QWidget* Parent, const QColor& Initial) {
  const QColor color = QColorDialog::getColor(Initial, Parent);
  if (!color.isValid())
    return std::nullopt;
  return color;
}

void TStandardDialogs::Popup(QMenu& Menu, const QPoint& GlobalPos) {
  Menu.popup(GlobalPos);
}

void TStandardDialogs::ShowReport(QWidget* Parent, const TErrorReport& Report) {
  TReportDialog dialog(Report, *this, Parent);
  dialog.exec();
}
