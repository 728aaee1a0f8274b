#pragma once

#include <QColor>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <optional>

class QMenu;
class QWidget;
class TErrorReport;

// Everything the window asks the user in a dialog of its own, and the pop-up menu it opens. The
// program uses the toolkit's dialogs; a replacement answers without a user.
class TDialogs {
public:
  virtual ~TDialogs() = default;
  // The picture file chosen, or nothing when the dialog was cancelled.
  virtual std::optional<QString> OpenPicture(QWidget* Parent, const QString& Filter,
                                             const QString& Folder) = 0;
  // Any file name given (it is not checked), or nothing when the dialog was cancelled.
  // With a filter ("kartsim scene (*.kartsim.json)") the dialog offers those files and asks
  // before replacing one; without, the name is a stem (of numbered frames) and nothing is asked.
  virtual std::optional<QString> SaveFile(QWidget* Parent, const QString& Folder,
                                          const QString& Filter = QString()) = 0;
  // Whether the existing file may be replaced.
  virtual bool ConfirmReplace(QWidget* Parent, const QString& FileName) = 0;
  virtual std::optional<QColor> ChooseColor(QWidget* Parent, const QColor& Initial) = 0;
  // Opens the menu at the screen position and returns; its items run their handlers when chosen.
  virtual void Popup(QMenu& Menu, const QPoint& GlobalPos) = 0;
  // Shows an error report until the user closes it.
  virtual void ShowReport(QWidget* Parent, const TErrorReport& Report) = 0;

  // SaveFile with a filter, the name ending in one of the extensions (".mp4", in any case): the
  // first is added to a name without one. The dialog asked before replacing the name chosen; a
  // name it did not see, once its extension is added, is asked about here, and the dialog opens
  // again when the answer is no. Nothing when the dialog was cancelled.
  std::optional<QString> SaveFileAs(QWidget* Parent, const QString& Folder, const QString& Filter,
                                    const QStringList& Extensions);
};
