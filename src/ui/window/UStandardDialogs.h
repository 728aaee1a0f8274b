#pragma once

#include "ui/window/UDialogs.h"

// The toolkit's own dialogs and the error report dialog.
class TStandardDialogs : public TDialogs {
public:
  std::optional<QString> OpenPicture(QWidget* Parent, const QString& Filter,
                                     const QString& Folder) override;
  std::optional<QString> SaveFile(QWidget* Parent, const QString& Folder,
                                  const QString& Filter = QString()) override;
  bool ConfirmReplace(QWidget* Parent, const QString& FileName) override;
  std::optional<QColor> ChooseColor(QWidget* Parent, const QColor& Initial) override;
  void Popup(QMenu& Menu, const QPoint& GlobalPos) override;
  void ShowReport(QWidget* Parent, const TErrorReport& Report) override;
};
