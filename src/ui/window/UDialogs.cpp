#include "ui/window/UDialogs.h"

#include <QFileInfo>

std::optional<QString> TDialogs::SaveFileAs(QWidget* Parent, const QString& Folder,
                                            const QString& Filter, const QStringList& Extensions) {
  QString folder = Folder;
  for (;;) {
    const std::optional<QString> name = SaveFile(Parent, folder, Filter);
    if (!name)
      return std::nullopt;
    bool known = false;
    for (const QString& extension : Extensions)
      known = known || name->endsWith(extension, Qt::CaseInsensitive);
    if (known || Extensions.isEmpty())
      return name;
    const QString file = *name + Extensions.front();
    if (!QFileInfo::exists(file) || ConfirmReplace(Parent, file))
      return file;
    folder = QFileInfo(file).absolutePath();
  }
}
